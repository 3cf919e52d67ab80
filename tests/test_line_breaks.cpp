// Splitting a decoded file into lines: every way of breaking lines, and lines that
// share the file's characters instead of copying them.
#include "common/line_breaks.h"

#include <QTest>

class LineBreaksTest : public QObject
{
    Q_OBJECT

private slots:
    void splitSharing_anyLineBreaks_givesTheLinesBetweenThem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QString() << QStringList{QString()};
        QTest::newRow("one line, no break") << QStringLiteral("mes \"a\";") << QStringList{u"mes \"a\";"_qs};
        QTest::newRow("LF at the end") << QStringLiteral("a\n") << QStringList{u"a"_qs, QString()};
        QTest::newRow("LF only") << QStringLiteral("a\nb\n\nc") << QStringList{u"a"_qs, u"b"_qs, QString(), u"c"_qs};
        QTest::newRow("CR LF") << QStringLiteral("a\r\nb\r\n") << QStringList{u"a"_qs, u"b"_qs, QString()};
        QTest::newRow("CR alone") << QStringLiteral("a\rb") << QStringList{u"a"_qs, u"b"_qs};
        QTest::newRow("mixed") << QStringLiteral("a\r\nb\nc\rd\n\re")
                               << QStringList{u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs, QString(), u"e"_qs};
        QTest::newRow("LF CR is two breaks") << QStringLiteral("a\n\rb") << QStringList{u"a"_qs, QString(), u"b"_qs};
        QTest::newRow("CR at the end") << QStringLiteral("a\r") << QStringList{u"a"_qs, QString()};
        QTest::newRow("CR CR LF") << QStringLiteral("a\r\r\nb") << QStringList{u"a"_qs, QString(), u"b"_qs};
        QTest::newRow("breaks only") << QStringLiteral("\r\n\n") << QStringList{QString(), QString(), QString()};
    }
    void splitSharing_anyLineBreaks_givesTheLinesBetweenThem()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        const QStringList split = LineBreaks::splitSharing(text);
        QCOMPARE(split, lines);
        for (const QString &line : split) {
            if (!line.isEmpty())
                QVERIFY(line.constData() >= text.constData() && line.constData() < text.constData() + text.size());
        }
    }
};

QTEST_GUILESS_MAIN(LineBreaksTest)
#include "test_line_breaks.moc"
