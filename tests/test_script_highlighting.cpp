// The script editor's colours, wavy underlines and their tooltips, kept in step
// with every way the text changes.
#include "app/guarded_application.h"
#include "checker/script_check.h"
#include "main_window/script_highlighter.h"
#include "support/form_driver.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolTip>

namespace {

// The columns of `block` that carry a wavy underline.
QVector<int> wavyColumns(const QTextBlock &block)
{
    QVector<int> columns;
    for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
        if (range.format.underlineStyle() != QTextCharFormat::WaveUnderline)
            continue;
        for (int column = range.start; column < range.start + range.length; ++column)
            columns.append(column);
    }
    std::sort(columns.begin(), columns.end());
    columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
    return columns;
}

QVector<int> spanColumns(int from, int length)
{
    QVector<int> columns;
    for (int column = from; column < from + length; ++column)
        columns.append(column);
    return columns;
}

// The columns a line's diagnostics underline, as the editor should draw them.
QVector<int> underlinedColumns(const Diagnostics &diagnostics, int lineLength)
{
    QVector<int> columns;
    for (const Diagnostic &diagnostic : diagnostics) {
        for (int column = diagnostic.column; column < qMin(diagnostic.column + diagnostic.length, lineLength); ++column)
            columns.append(column);
    }
    std::sort(columns.begin(), columns.end());
    columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
    return columns;
}

QColor colourAt(const QTextBlock &block, int column)
{
    for (const QTextLayout::FormatRange &range : block.layout()->formats()) {
        if (column >= range.start && column < range.start + range.length &&
            range.format.hasProperty(QTextFormat::ForegroundBrush))
            return range.format.foreground().color();
    }
    return {};
}

// What the editor should show for `text` read at once: the check's findings and
// what the load order decides for the script alone.
Diagnostics checkedWhole(const QString &text)
{
    ScriptCheck check;
    check.replaceLines(0, 0, text.split(u'\n'));
    check.updateFlow();
    LoadLines loads;
    loads.readAll(check);
    Diagnostics all = check.allDiagnostics();
    const QHash<int, Diagnostics> byLine = loads.judgeAlone(check, Commands::Table::builtIn()->target());
    for (auto line = byLine.cbegin(); line != byLine.cend(); ++line)
        all += *line;
    std::stable_sort(all.begin(), all.end(), [](const Diagnostic &a, const Diagnostic &b) {
        return a.line < b.line || (a.line == b.line && a.column < b.column);
    });
    return all;
}

} // namespace

class ScriptHighlightingTest : public QObject, private FormDriver
{
    Q_OBJECT

private slots:
    void init() { openForm(); }
    void cleanup() { closeForm(); }

    void scriptFromEveryButton_withSensibleValues_hasNoDiagnostic()
    {
        headerFields("harbor01", "120", "85", 6, "渡し守", "56");
        press("Button1");
        press("Button19");
        type("Edit5", "向こう岸へ渡りますか？");
        press("Button2");
        press("Button3");
        type("Edit9", "はい");
        type("ComboBox2", "L_Yes");
        press("Button7");
        type("Edit9", "いいえ");
        type("ComboBox2", "L_No");
        press("Button8");
        type("Edit9", "様子を見る");
        type("ComboBox2", "L_Look");
        press("Button8");
        press("Button9");
        type("ComboBox2", "L_Yes");
        press("Button10");
        type("ComboBox6", "lakeside");
        type("Edit7", "120");
        type("Edit8", "64");
        press("Button5");
        type("ComboBox5", "lakeside");
        type("Edit11", "35");
        type("Edit12", "210");
        press("Button15");
        press("Button4");
        type("ComboBox2", "L_Look");
        press("Button10");
        type("Edit13", "500");
        press("Button16");
        pick("emo_sel", 3);
        press("Button11");
        pick("ComboBox3", 3);
        press("Button13");
        press("Button12");
        pick("ComboBox4", 2);
        press("Button14");
        type("ComboBox7", "607");
        press("Button18"); // the count field's placeholder becomes 1
        type("Edit6", "3");
        press("Button17");
        pick("ComboBox9", 0);
        pick("ComboBox11", 2);
        type("Edit15", "500");
        press("Button22");
        press("Button4");
        type("ComboBox2", "L_No");
        press("Button10");
        press("Button4");
        press("Button6");
        type("Edit4", "道具屋");
        type("Edit3", "83");
        pick("ComboBox1", 4);
        type("ComboBox10", "501");
        type("Edit10", "50");
        press("Button20");
        type("ComboBox10", "502");
        type("Edit10", "200");
        press("Button21");

        QCOMPARE(memo->document()->blockCount(), 24); // 23 lines and the empty piece after the last
        QCOMPARE(form->highlighter().allDiagnostics(), Diagnostics{});
        for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next())
            QVERIFY2(wavyColumns(block).isEmpty(), qPrintable(block.text()));
    }

    void typedMistake_isUnderlinedWhereItIs_andColoursFollowTheWords()
    {
        memo->setFocus();
        for (const char *line : {"harbor01.tsg,120,85,6\tscript\tFerryman\t56,{", "\tmes \"Hi\"", "}"}) {
            typeText(memo, line);
            QTest::keyClick(memo, Qt::Key_Return);
        }
        const QTextBlock mes = memo->document()->findBlockByNumber(1);
        QCOMPARE(mes.text(), QString("\tmes \"Hi\""));
        QCOMPARE(wavyColumns(mes), spanColumns(8, 1)); // the missing ";" belongs after the string
        QVERIFY(wavyColumns(memo->document()->findBlockByNumber(0)).isEmpty());
        QVERIFY(colourAt(mes, 1).isValid() && colourAt(mes, 5).isValid());
        QVERIFY(colourAt(mes, 1) != colourAt(mes, 5)); // the command word and the string differ

        memo->moveCursor(QTextCursor::Up);
        memo->moveCursor(QTextCursor::Up);
        memo->moveCursor(QTextCursor::EndOfLine);
        typeText(memo, ";");
        QVERIFY(wavyColumns(memo->document()->findBlockByNumber(1)).isEmpty());
    }

    // The conversation's flow costs a whole body, so it is judged once typing pauses.
    void stuckConversation_isUnderlinedOnceTypingPauses()
    {
        memo->setFocus();
        for (const char *line : {"harbor01.tsg,120,85,6\tscript\tFerryman\t56,{", "\tmes \"Bye.\";", "\tend;", "}"}) {
            typeText(memo, line);
            QTest::keyClick(memo, Qt::Key_Return);
        }
        const QTextBlock end = memo->document()->findBlockByNumber(2);
        QVERIFY(wavyColumns(end).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(wavyColumns(end), spanColumns(1, 3), 2000);
        QCOMPARE(form->highlighter().diagnostics(2).front().code, QStringLiteral("TW501"));

        memo->moveCursor(QTextCursor::Up);
        memo->moveCursor(QTextCursor::Up);
        memo->moveCursor(QTextCursor::StartOfLine);
        memo->moveCursor(QTextCursor::Right);
        for (int letter = 0; letter < 3; ++letter)
            memo->moveCursor(QTextCursor::Right, QTextCursor::KeepAnchor);
        typeText(memo, "close"); // "end" becomes "close"
        QTRY_COMPARE_WITH_TIMEOUT(wavyColumns(memo->document()->findBlockByNumber(2)), QVector<int>{}, 2000);
    }

    // A label line written later clears the underline on the menu line above it.
    void labelWrittenLater_clearsTheMenusUnderline_onTheOtherLine()
    {
        headerFields("harbor01", "1", "2", 0, "Mira", "56");
        press("Button1");
        type("Edit9", "Yes");
        type("ComboBox2", "L_Yes");
        press("Button7");
        press("Button9");
        const QTextBlock menu = memo->document()->findBlockByNumber(1);
        QCOMPARE(menu.text(), QString("\tmenu \"Yes\",L_Yes;"));
        QCOMPARE(wavyColumns(menu), spanColumns(12, 5));

        press("Button10");
        press("Button4");
        press("Button6");
        QCOMPARE(wavyColumns(menu), QVector<int>{});
        QCOMPARE(form->highlighter().allDiagnostics(), Diagnostics{});

        // Renaming the label by hand brings the underline back on the menu line.
        QTextCursor cursor(memo->document()->findBlockByNumber(2));
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.movePosition(QTextCursor::Left, QTextCursor::MoveAnchor, 1);
        memo->setTextCursor(cursor);
        typeText(memo, "2");
        QCOMPARE(memo->document()->findBlockByNumber(2).text(), QString("L_Yes2:"));
        QCOMPARE(wavyColumns(menu), spanColumns(12, 5));
    }

    // What the load order decides for the open script alone: a unique name used
    // twice is underlined on the second NPC's name once typing pauses, and goes when
    // the name is changed.
    void uniqueNameUsedTwice_isUnderlinedOnTheSecondNpc_untilRenamed()
    {
        auto today = std::make_shared<Commands::Table>(*Commands::Table::builtIn());
        today->setTarget(Target(Target::kToday));
        form->highlighter().setCommands(today);
        memo->setPlainText("harbor01,120,85,6\tscript\tFerryman\t56,{\n\tclose;\n}\n"
                           "harbor01,130,85,6\tscript\tFerryman\t57,{\n\tclose;\n}");
        form->highlighter().judgeFlowNow();
        const QTextBlock second = memo->document()->findBlockByNumber(3);
        const auto codesOn = [&](int line) {
            QStringList codes;
            for (const Diagnostic &d : form->highlighter().diagnostics(line))
                codes.append(d.code);
            return codes;
        };
        QCOMPARE(codesOn(3), QStringList{"TW333"});
        QCOMPARE(codesOn(0), QStringList{});
        QCOMPARE(wavyColumns(second), spanColumns(25, 8));

        // Typing a line above moves the finding with its line, and the pause keeps it there.
        QTextCursor top(memo->document());
        top.insertText("// ferry\n");
        QCOMPARE(codesOn(4), QStringList{"TW333"});
        form->highlighter().judgeFlowNow();
        QCOMPARE(codesOn(4), QStringList{"TW333"});
        QCOMPARE(codesOn(3), QStringList{});

        QTextCursor cursor(memo->document()->findBlockByNumber(4));
        cursor.setPosition(cursor.position() + 33);
        memo->setTextCursor(cursor);
        typeText(memo, "2"); // "Ferryman" becomes "Ferryman2"
        QTRY_COMPARE_WITH_TIMEOUT(codesOn(4), QStringList{}, 2000);
        QCOMPARE(wavyColumns(memo->document()->findBlockByNumber(4)), QVector<int>{});
        for (const Diagnostic &d : form->highlighter().allDiagnostics())
            QVERIFY2(d.code != QLatin1String("TW333"), qPrintable(QString::number(d.line)));
    }

    void restingOnAnUnderline_showsItsMessage()
    {
        memo->setPlainText("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n\tmenu \"Yes\",L_Nowhere;\n}");
        const QTextBlock menu = memo->document()->findBlockByNumber(1);
        QTextCursor onLabel(menu);
        onLabel.setPosition(menu.position() + 15);
        const QPoint point = memo->cursorRect(onLabel).center() + QPoint(2, 0);
        QHelpEvent help(QEvent::ToolTip, point, memo->viewport()->mapToGlobal(point));
        QApplication::sendEvent(memo->viewport(), &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY2(QToolTip::text().contains("L_Nowhere"), qPrintable(QToolTip::text()));
        QVERIFY2(QToolTip::text().endsWith("[TW206]"), qPrintable(QToolTip::text()));

        QTextCursor onWord(menu);
        onWord.setPosition(menu.position() + 2);
        const QPoint clean = memo->cursorRect(onWord).center() + QPoint(2, 0);
        QHelpEvent elsewhere(QEvent::ToolTip, clean, memo->viewport()->mapToGlobal(clean));
        QApplication::sendEvent(memo->viewport(), &elsewhere);
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    // A server's own commands in "commands.tsv" in the working folder are commands
    // to the editor's check; without the file they are unknown words.
    void commandsFileInWorkingFolder_addsItsCommandsToTheCheck_data()
    {
        QTest::addColumn<bool>("withFile");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("with commands.tsv") << true << QStringList();
        // Without the table the word may be a function of a file loaded before.
        QTest::newRow("without it") << false << QStringList{"TW115"};
    }
    void commandsFileInWorkingFolder_addsItsCommandsToTheCheck()
    {
        QFETCH(bool, withFile);
        QFETCH(QStringList, codes);
        closeForm();
        enterScratchFolder({});
        if (withFile) {
            QFile table("commands.tsv");
            QVERIFY(table.open(QIODevice::WriteOnly));
            table.write("# our server\nsummonpet\t1\t1\te\n");
        }
        openForm();
        memo->setPlainText("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n\tsummonpet 3;\n\tclose;\n}");
        QStringList found;
        for (const Diagnostic &diagnostic : form->highlighter().allDiagnostics())
            found << diagnostic.code;
        QCOMPARE(found, codes);
        closeForm();
        leaveScratchFolder();
        openForm();
    }

    // Whatever edits the document, the check stays that of the text as it stands.
    void anyEdit_undoAndNew_keepTheCheckInStepWithTheText()
    {
        const QStringList pool = {"harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n",
                                  "}\n",
                                  "\tmes \"Hi\";\n",
                                  "\tmes \"open\n",
                                  "\tmenu \"Yes\",L_Yes",
                                  ",\"No\",L_No",
                                  ";",
                                  "L_Yes:\n",
                                  "L_No:\n",
                                  "\tclose;\n",
                                  "\n",
                                  "harbor01.tsg,130,90,4\tshop\tDealer\t83,501:50\n",
                                  "x",
                                  "\t\"Maybe\",L_Yes;\n"};
        QRandomGenerator random(7);
        QTextDocument *document = memo->document();
        for (int step = 0; step < 600; ++step) {
            QTextCursor cursor(document);
            const int size = document->characterCount() - 1;
            cursor.setPosition(random.bounded(size + 1));
            switch (random.bounded(6)) {
            case 0:
            case 1:
                cursor.insertText(pool.at(random.bounded(pool.size())));
                break;
            case 2:
                cursor.setPosition(qMin(size, cursor.position() + random.bounded(40)), QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
                break;
            case 3:
                document->undo();
                break;
            case 4:
                document->redo();
                break;
            default:
                form->scriptBuffer().AppendLine(pool.at(random.bounded(pool.size())).trimmed());
                break;
            }
            if (step == 300)
                form->N1Click(); // "新規" empties the editor
            // The flow is judged once typing pauses; here, at once.
            form->highlighter().judgeFlowNow();
            QCOMPARE(form->highlighter().allDiagnostics(), checkedWhole(memo->toPlainText()));
            // What is drawn follows too, on the edited lines and on the others.
            for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
                QCOMPARE(wavyColumns(block), underlinedColumns(form->highlighter().diagnostics(block.blockNumber()),
                                                               int(block.text().size())));
        }
    }
};

int main(int argc, char *argv[])
{
    GuardedApplication application(argc, argv);
    ScriptHighlightingTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_script_highlighting.moc"
