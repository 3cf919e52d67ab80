// Side-by-side timings: each figure is a ratio of medians measured in one run,
// with the cases interleaved so that a noisy machine slows both sides alike.
#include "bench/bench_timing.h"
#include "common/code_page.h"
#include "main_window/help_file.h"
#include "main_window/script_file.h"
#include "main_window/script_highlighter.h"
#include "main_window/tform1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

using BenchTiming::median;
using BenchTiming::timeOnce;

QString scriptOf(int lines)
{
    QString text;
    for (int i = 0; i < lines; ++i)
        text += QStringLiteral("\tmes \"line %1 of the conversation\";\n").arg(i);
    return text;
}

// Whole NPCs of ten lines each, as the buttons write them.
QString npcScriptOf(int lines)
{
    QString text;
    for (int npc = 0; npc < lines / 10; ++npc)
        text += QStringLiteral("harbor%1.tsg,120,85,6\tscript\tFerryman%1\t56,{\n"
                               "\tmes \"[Ferryman]\";\n"
                               "\tmes \"Shall I take you across?\";\n"
                               "\tmenu \"Yes\",L_Yes,\"No\",L_No;\n"
                               "L_Yes:\n"
                               "\twarp \"lakeside\",120,64;\n"
                               "\tclose;\n"
                               "L_No:\n"
                               "\tclose;\n"
                               "}\n")
                    .arg(npc);
    return text;
}

// Puts the document back to the length it had, so every repetition starts alike.
void truncateTo(QPlainTextEdit *editor, int characters)
{
    QTextCursor cursor(editor->document());
    cursor.setPosition(characters - 1);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

struct Press
{
    TForm1 *form;
    QPlainTextEdit *editor;
    double run()
    {
        const int before = editor->document()->characterCount();
        const double micros = timeOnce([&] {
            form->Button2Click();
            editor->viewport()->repaint();
        });
        truncateTo(editor, before);
        return micros;
    }
};

// One key typed into the script editor at a place in its middle NPC, painted,
// then taken back with a second key (timed too).
struct Keystroke
{
    QPlainTextEdit *editor;
    int line;
    int column;
    Qt::Key key;

    void placeCursor()
    {
        const QTextBlock block = editor->document()->findBlockByNumber(line);
        QTextCursor cursor(block);
        cursor.setPosition(block.position() + column);
        editor->setTextCursor(cursor);
        editor->centerCursor();
    }
    void run(std::vector<double> &times)
    {
        placeCursor();
        for (const Qt::Key typed : {key, Qt::Key_Backspace}) {
            times.push_back(timeOnce([&] {
                QTest::keyClick(editor, typed);
                editor->viewport()->repaint();
            }));
        }
    }
};

void row(const char *what, double a, double b, const char *target)
{
    std::printf("| %-58s | %10.1f | %10.1f | %6.2f | %s |\n", what, a, b, a / b, target);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const int repetitions = argc > 1 ? std::atoi(argv[1]) : 300;
    QTemporaryDir scratch;
    QDir::setCurrent(scratch.path());
    QDir().mkdir(QStringLiteral("help"));
    QDir().mkdir(QStringLiteral("npc"));

    TForm1 small;
    TForm1 large;
    for (TForm1 *form : {&small, &large}) {
        form->show();
        if (!QTest::qWaitForWindowExposed(form))
            return 1;
    }
    auto *smallEditor = small.findChild<QPlainTextEdit *>(QStringLiteral("Memo1"));
    auto *largeEditor = large.findChild<QPlainTextEdit *>(QStringLiteral("Memo1"));
    smallEditor->setPlainText(scriptOf(10));
    largeEditor->setPlainText(scriptOf(100000));
    small.findChild<QLineEdit *>(QStringLiteral("Edit5"))->setText(QStringLiteral("Hello there"));
    large.findChild<QLineEdit *>(QStringLiteral("Edit5"))->setText(QStringLiteral("Hello there"));

    // The floor: a bare editor of the same size and font, text inserted at its end.
    QPlainTextEdit bare;
    bare.setLineWrapMode(QPlainTextEdit::NoWrap);
    bare.setFont(largeEditor->font());
    bare.resize(largeEditor->size());
    bare.setPlainText(scriptOf(100000));
    bare.show();
    if (!QTest::qWaitForWindowExposed(&bare))
        return 1;
    bare.moveCursor(QTextCursor::End);          // both editors show the script's end, as after a press
    bare.document()->setUndoRedoEnabled(false); // generated lines are not undoable either

    Press smallPress{&small, smallEditor};
    Press largePress{&large, largeEditor};
    std::vector<double> smallTimes, largeTimes, floorTimes;
    for (int i = 0; i < repetitions; ++i) {
        smallTimes.push_back(smallPress.run());
        largeTimes.push_back(largePress.run());
        const int before = bare.document()->characterCount();
        floorTimes.push_back(timeOnce([&] {
            QTextCursor cursor(bare.document());
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(QStringLiteral("\tmes \"Hello there\";\n"));
            bare.viewport()->repaint();
        }));
        truncateTo(&bare, before);
    }

    // The extending buttons rewrite the last line again and again: the slowest of many
    // presses shows whether any of them touches more than the end of the script.
    large.findChild<QLineEdit *>(QStringLiteral("Edit9"))->setText(QStringLiteral("Yes"));
    large.Button7Click();
    double slowestExtend = 0;
    std::vector<double> extendTimes;
    for (int i = 0; i < 2000; ++i) {
        const double micros = timeOnce([&] { large.Button8Click(); });
        extendTimes.push_back(micros);
        slowestExtend = std::max(slowestExtend, micros);
        if (i % 50 == 49) // keeps the menu line short, as a real menu is
            large.Button7Click();
    }

    // Keys typed into a 100,000-line script against a 10-line one: into a message,
    // into a label that a menu jumps to, and a line break that splits a line.
    smallEditor->setPlainText(npcScriptOf(10));
    largeEditor->setPlainText(npcScriptOf(100000));
    const int middle = 50000;
    struct KeyCase
    {
        const char *what;
        int line;
        int column;
        Qt::Key key;
    };
    const KeyCase keyCases[] = {{"keystroke in a message", 2, 8, Qt::Key_A},
                                {"keystroke in a label", 4, 5, Qt::Key_X},
                                {"line break in a message", 2, 8, Qt::Key_Return}};
    // The toolkit's own share: bare editors of the same size and font, same keys.
    QPlainTextEdit bareSmall, bareLarge;
    for (QPlainTextEdit *editor : {&bareSmall, &bareLarge}) {
        editor->setLineWrapMode(QPlainTextEdit::NoWrap);
        editor->setFont(largeEditor->font());
        editor->resize(largeEditor->size());
        editor->show();
        if (!QTest::qWaitForWindowExposed(editor))
            return 1;
    }
    bareSmall.setPlainText(npcScriptOf(10));
    bareLarge.setPlainText(npcScriptOf(100000));
    // Painting takes most of a keystroke, and the editor as laid out shows 17 lines
    // of the long script but only the 10 of the short one; a second round shows 8
    // lines of each, so that only the script's length differs.
    struct KeyRow
    {
        std::string what;
        double small, large, bareSmall, bareLarge;
    };
    std::vector<KeyRow> keyRows;
    const int eightLines = largeEditor->fontMetrics().lineSpacing() * 8 + 2 * largeEditor->frameWidth() +
                           largeEditor->horizontalScrollBar()->sizeHint().height() + 8;
    for (const bool eight : {false, true}) {
        if (eight) {
            for (QPlainTextEdit *editor : {smallEditor, largeEditor, &bareSmall, &bareLarge})
                editor->resize(editor->width(), eightLines);
        }
        std::vector<std::vector<double>> times(4 * std::size(keyCases));
        for (int i = 0; i < repetitions; ++i) {
            for (size_t k = 0; k < std::size(keyCases); ++k) {
                const KeyCase &key = keyCases[k];
                Keystroke{smallEditor, key.line, key.column, key.key}.run(times[4 * k]);
                Keystroke{largeEditor, middle + key.line, key.column, key.key}.run(times[4 * k + 1]);
                Keystroke{&bareSmall, key.line, key.column, key.key}.run(times[4 * k + 2]);
                Keystroke{&bareLarge, middle + key.line, key.column, key.key}.run(times[4 * k + 3]);
            }
        }
        for (size_t k = 0; k < std::size(keyCases); ++k) {
            const std::string what =
                std::string(keyCases[k].what) + (eight ? ", 8 lines shown" : ", editor as laid out");
            keyRows.push_back({what, median(times[4 * k]), median(times[4 * k + 1]), median(times[4 * k + 2]),
                               median(times[4 * k + 3])});
        }
    }
    const bool largeClean = large.highlighter().allDiagnostics().isEmpty();

    // One NPC of 100,000 lines: a letter in its header's name, and in a message in
    // its middle, against the same keys in the 10-line NPC (8 lines shown).
    QString oneNpc = npcScriptOf(10).section(u'\n', 0, 0) + u'\n';
    for (int i = 1; i < 99999; ++i)
        oneNpc += QStringLiteral("\tmes \"Shall I take you across?\";\n");
    oneNpc += QStringLiteral("}\n");
    largeEditor->setPlainText(oneNpc);
    bareLarge.setPlainText(oneNpc);
    const KeyCase longNpcCases[] = {{"letter in the header of one 100,000-line NPC", 0, 30, Qt::Key_A},
                                    {"letter in a message of one 100,000-line NPC", 2, 8, Qt::Key_A}};
    std::vector<std::vector<double>> longTimes(4 * std::size(longNpcCases));
    for (int i = 0; i < repetitions; ++i) {
        for (size_t k = 0; k < std::size(longNpcCases); ++k) {
            const KeyCase &key = longNpcCases[k];
            const int largeLine = key.line == 0 ? 0 : middle + key.line;
            Keystroke{smallEditor, key.line, key.column, key.key}.run(longTimes[4 * k]);
            Keystroke{largeEditor, largeLine, key.column, key.key}.run(longTimes[4 * k + 1]);
            Keystroke{&bareSmall, key.line, key.column, key.key}.run(longTimes[4 * k + 2]);
            Keystroke{&bareLarge, largeLine, key.column, key.key}.run(longTimes[4 * k + 3]);
        }
    }
    for (size_t k = 0; k < std::size(longNpcCases); ++k)
        keyRows.push_back({longNpcCases[k].what, median(longTimes[4 * k]), median(longTimes[4 * k + 1]),
                           median(longTimes[4 * k + 2]), median(longTimes[4 * k + 3])});
    const bool longNpcClean = large.highlighter().allDiagnostics().isEmpty();

    // Mouse movement over a group whose help file equals the panel's text.
    QByteArray help;
    while (help.size() < 4096)
        help += "NPC\x8f\xee\x95\xf1\x93\xfc\x97\xcd: line of help text\r\n";
    help.truncate(4096 - 2);
    help += "\r\n";
    QFile helpFile(HelpFile::path(QStringLiteral("npc_info.txt")));
    helpFile.open(QIODevice::WriteOnly);
    helpFile.write(help);
    helpFile.close();
    small.GroupBox1MouseMove();
    auto *panel = small.findChild<QPlainTextEdit *>(QStringLiteral("Memo2"));
    panel->verticalScrollBar()->setValue(5);
    std::vector<double> helpTimes;
    for (int i = 0; i < repetitions; ++i)
        helpTimes.push_back(timeOnce([&] { small.GroupBox1MouseMove(); }));
    const bool scrollKept = panel->verticalScrollBar()->value() == 5;

    // Saving 10 MiB against encoding it and writing it with one plain write.
    QString tenMiB;
    while (tenMiB.size() < 10 * 1024 * 1024)
        tenMiB += QStringLiteral("\tmes \"港町の渡し守です\";\r\n");
    std::vector<double> saveTimes, plainTimes;
    for (int i = 0; i < std::max(5, repetitions / 30); ++i) {
        saveTimes.push_back(timeOnce([&] { ScriptFile::save(QStringLiteral("npc/npc_bench.txt"), tenMiB); }));
        plainTimes.push_back(timeOnce([&] {
            QFile plain(QStringLiteral("npc/plain.txt"));
            plain.open(QIODevice::WriteOnly | QIODevice::Truncate);
            plain.write(CodePage932::encode(tenMiB));
        }));
    }

    std::printf("| %-58s | %10s | %10s | %6s | %s |\n", "measure (medians, microseconds)", "Talewick", "against",
                "ratio", "target");
    std::printf("|---|---|---|---|---|\n");
    row("button press, 100,000 lines vs 10 lines", median(largeTimes), median(smallTimes), "<= 1.5");
    row("button press vs bare editor insert, 100,000 lines", median(largeTimes), median(floorTimes), "<= 1.3");
    std::printf("| %-58s | %10.1f | %10s | %6s | < 100 us, scroll kept: %s |\n",
                "mouse move over group, 4 KiB help equal to panel", median(helpTimes), "-", "-",
                scrollKept ? "yes" : "NO");
    row("save 10 MiB vs encode + one plain write", median(saveTimes), median(plainTimes), "<= 2");
    std::printf("| %-58s | %10.1f | %10.1f | %6s | %s |\n",
                "extending press (menu add), 100,000 lines: median, slowest", median(extendTimes), slowestExtend, "-",
                "slowest stays small");
    // "bare": the same ratio for bare editors, the toolkit's floor; "over bare": what
    // the colouring and the check add on each side, which should not grow with the script.
    std::printf("\n| %-44s | %9s | %9s | %6s | %6s | %14s | %s |\n", "keystroke, 100,000 lines vs 10 lines", "100,000",
                "10", "ratio", "bare", "over bare", "target");
    std::printf("|---|---|---|---|---|---|---|\n");
    for (const KeyRow &key : keyRows)
        std::printf("| %-44s | %9.1f | %9.1f | %6.2f | %6.2f | %6.2f, %6.2f | <= 1.5 |\n", key.what.c_str(), key.large,
                    key.small, key.large / key.small, key.bareLarge / key.bareSmall, key.large / key.bareLarge,
                    key.small / key.bareSmall);
    std::printf("\nThe scripts were still without a diagnostic after the keys: %s\n",
                largeClean && longNpcClean ? "yes" : "NO");
    return 0;
}
