// The script's line model on a bare document, without any window.
#include "main_window/line_model.h"

#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>

namespace {
// Texts in the tests use "\n" for a line break; the saved file holds CR LF there.
void setText(QTextDocument &document, const QString &text)
{
    document.setPlainText(text);
}
} // namespace

class LineModelTest : public QObject
{
    Q_OBJECT

private slots:
    void lineCount_anyText_countsLinesAndLastLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("lastLine");
        QTest::newRow("empty") << "" << 0 << "";
        QTest::newRow("one line without break") << "A" << 1 << "A";
        QTest::newRow("one line with break") << "A\n" << 1 << "A";
        QTest::newRow("two lines") << "A\nB" << 2 << "B";
        QTest::newRow("blank line at the end") << "A\n\n" << 2 << "";
        QTest::newRow("two blank lines at the end") << "A\n\n\n" << 3 << "";
        QTest::newRow("break alone") << "\n" << 1 << "";
        QTest::newRow("tabs are ordinary characters") << "\tmes \"x\";\n" << 1 << "\tmes \"x\";";
    }
    void lineCount_anyText_countsLinesAndLastLine()
    {
        QFETCH(QString, text);
        QTextDocument document;
        setText(document, text);
        QFETCH(int, count);
        QFETCH(QString, lastLine);
        QCOMPARE(LineModel::lineCount(document), count);
        QCOMPARE(LineModel::lastLine(document), lastLine);
    }

    void appendLine_afterAnyText_startsNewLine_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("after");
        QTest::newRow("empty buffer") << "" << QStringList{"X"} << "X\n";
        QTest::newRow("inside last line") << "A" << QStringList{"X"} << "A\nX";
        QTest::newRow("inside last line twice") << "A" << QStringList{"X", "Y"} << "A\nX\nY";
        QTest::newRow("after final break") << "A\n" << QStringList{"X"} << "A\nX\n";
        QTest::newRow("empty line inside last line") << "A" << QStringList{""} << "A\n";
        QTest::newRow("empty line after final break") << "A\n" << QStringList{""} << "A\n\n";
        QTest::newRow("empty line on empty buffer") << "" << QStringList{""} << "\n";
        QTest::newRow("after blank last line") << "A\n\n" << QStringList{"X"} << "A\n\nX\n";
        QTest::newRow("japanese and tabs")
            << "" << QStringList{"harbor01.tsg,120,85,6\tscript\t渡し守\t56,{", "\tmes \"こんにちは\";"}
            << "harbor01.tsg,120,85,6\tscript\t渡し守\t56,{\n\tmes \"こんにちは\";\n";
    }
    void appendLine_afterAnyText_startsNewLine()
    {
        QFETCH(QString, before);
        QFETCH(QStringList, lines);
        QFETCH(QString, after);
        QTextDocument document;
        setText(document, before);
        // The highlighter and the checker re-read a line per change they hear of.
        document.documentLayout(); // the document reports changes once it is laid out
        QSignalSpy changes(&document, &QTextDocument::contentsChange);
        QTextCursor cursor;
        for (const QString &line : lines)
            cursor = LineModel::appendLine(document, line);
        QCOMPARE(changes.count(), lines.size());
        QCOMPARE(document.toPlainText(), after);
        QCOMPARE(cursor.position(), document.characterCount() - 1);
        QVERIFY(!cursor.hasSelection());
    }

    void replaceLastLine_anyText_replacesOnlyLastLine_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("caret");
        QTest::newRow("empty buffer") << ""
                                      << "Z"
                                      << "Z" << 1;
        QTest::newRow("blank last line is the one replaced") << "A\n\n"
                                                             << "Z"
                                                             << "A\nZ\n"
                                                             << 3;
        QTest::newRow("last line with break") << "A\nB\n"
                                              << "BC"
                                              << "A\nBC\n"
                                              << 4;
        QTest::newRow("last line without break") << "A\nB"
                                                 << "B;"
                                                 << "A\nB;" << 4;
        QTest::newRow("to empty") << "A\nB"
                                  << ""
                                  << "A\n"
                                  << 2;
    }
    void replaceLastLine_anyText_replacesOnlyLastLine()
    {
        QFETCH(QString, before);
        QFETCH(QString, line);
        QFETCH(QString, after);
        QFETCH(int, caret);
        QTextDocument document;
        setText(document, before);
        const QTextCursor cursor = LineModel::replaceLastLine(document, line);
        QCOMPARE(document.toPlainText(), after);
        QCOMPARE(cursor.position(), caret);
    }

    void lastLine_longerThan4096_isWhole()
    {
        QTextDocument document;
        const QString longLine = QString(5000, u'あ');
        setText(document, QStringLiteral("A\n") + longLine + u'\n');
        QCOMPARE(LineModel::lastLine(document), longLine);
        LineModel::replaceLastLine(document, LineModel::lastLine(document) + QStringLiteral(",502:200"));
        QCOMPARE(document.toPlainText(), QStringLiteral("A\n") + longLine + QStringLiteral(",502:200\n"));
    }
};

QTEST_MAIN(LineModelTest)
#include "test_line_model.moc"
