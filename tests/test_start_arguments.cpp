// The desktop's command line: nothing, or "--preview LINE FILE".
#include "app/start_arguments.h"

#include <QTest>

class TestStartArguments : public QObject
{
    Q_OBJECT

private slots:
    void read_previewOrNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("reads");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("line");
        QTest::newRow("none") << QStringList{} << true << QString() << 0;
        QTest::newRow("preview") << QStringList{"--preview", "12", "/npc/guide.txt"} << true
                                 << QStringLiteral("/npc/guide.txt") << 12;
        QTest::newRow("line 0") << QStringList{"--preview", "0", "/npc/guide.txt"} << false << QString() << 0;
        QTest::newRow("line not a number")
            << QStringList{"--preview", "x", "/npc/guide.txt"} << false << QString() << 0;
        QTest::newRow("no file") << QStringList{"--preview", "3"} << false << QString() << 0;
        QTest::newRow("a file alone") << QStringList{"/npc/guide.txt"} << false << QString() << 0;
    }
    void read_previewOrNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, reads);
        QFETCH(QString, file);
        QFETCH(int, line);
        const std::optional<StartArguments> read = StartArguments::read(arguments);
        QCOMPARE(read.has_value(), reads);
        if (read) {
            QCOMPARE(read->previewFile, file);
            QCOMPARE(read->previewLine, line);
        }
    }
};

QTEST_GUILESS_MAIN(TestStartArguments)
#include "test_start_arguments.moc"
