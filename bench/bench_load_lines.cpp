// What keeping the load order's findings costs a keystroke in the editor, on a
// 10-line script and a 100,000-line one: the check following the edit, the
// lines' sums following it, the findings moving with their lines and a line's
// findings looked up for painting. Once typing pauses the script is judged over
// its sums (what it defines), which is timed apart. With --keys-only the timing
// rows are left out and only the keystrokes run, for an instruction count:
//   valgrind --tool=callgrind --toggle-collect='typeKeys*' bench_load_lines --keys-only 100000 same
#include "bench_timing.h"
#include "checker/load_lines.h"
#include "checker/script_check.h"
#include "checker/moving_findings.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <cstring>

namespace {

using BenchTiming::median;
using BenchTiming::timeOnce;

// NPCs of ten lines each; every one named alike (each after the first loses the
// name: a finding each), or each its own.
QStringList npcScriptOf(int lines, bool sameName)
{
    QStringList text;
    for (int npc = 0; npc < lines / 10; ++npc) {
        const QString name = sameName ? QStringLiteral("Ferryman") : QStringLiteral("Ferryman%1").arg(npc);
        text << QStringLiteral("harbor01,120,85,6\tscript\t%1\t56,{").arg(name);
        for (const char *line : {"\tmes \"[Ferryman]\";", "\tmes \"Shall I take you across?\";",
                                 "\tmenu \"Yes\",L_Yes,\"No\",L_No;", "L_Yes:", "\twarp \"lakeside\",120,64;",
                                 "\tclose;", "L_No:", "\tclose;", "}"})
            text << QString::fromLatin1(line);
    }
    return text;
}

struct Editor
{
    ScriptCheck check;
    LoadLines loads;
    MovingFindings found;

    explicit Editor(const QStringList &text)
    {
        check.replaceLines(0, 0, text);
        loads.readAll(check);
        pause();
    }
    // What the editor does for one edit, and what painting the line asks.
    void edit(int first, int removed, const QStringList &lines)
    {
        const QVector<int> changed = check.replaceLines(first, removed, lines);
        loads.update(check, first, removed, int(lines.size()), changed);
        found.linesReplaced(first, removed, int(lines.size()));
        for (int line = first; line < first + int(lines.size()); ++line)
            (void)found.on(line);
    }
    void pause() { found.replace(loads.judgeAlone(check, check.lineCount() > 0 ? Target(Target::kToday) : Target())); }
};

// A letter typed into a message of the middle NPC and taken back, then a line
// break put into the same message and taken back: four edits each time.
__attribute__((noinline)) void typeKeys(Editor &editor, int times)
{
    const int line = (editor.check.lineCount() / 20) * 10 + 2;
    const QString message = editor.check.text(line);
    for (int i = 0; i < times; ++i) {
        editor.edit(line, 1, {message.left(8) + u'a' + message.mid(8)});
        editor.edit(line, 1, {message});
        editor.edit(line, 1, {message.left(8), message.mid(8)});
        editor.edit(line, 2, {message});
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc >= 4 && std::strcmp(argv[1], "--keys-only") == 0) {
        Editor editor(npcScriptOf(std::atoi(argv[2]), std::strcmp(argv[3], "same") == 0));
        typeKeys(editor, 50);
        return 0;
    }
    std::printf("| %-40s | %12s | %12s | %6s | %14s |\n", "(medians, microseconds)", "100,000 lines", "10 lines",
                "ratio", "pause, 100,000");
    std::printf("|---|---|---|---|---|\n");
    for (const bool sameName : {false, true}) {
        Editor large(npcScriptOf(100000, sameName));
        Editor small(npcScriptOf(10, sameName));
        std::vector<double> largeTimes, smallTimes, pauseTimes;
        for (int i = 0; i < 300; ++i) {
            largeTimes.push_back(timeOnce([&] { typeKeys(large, 1); }) / 4);
            smallTimes.push_back(timeOnce([&] { typeKeys(small, 1); }) / 4);
        }
        for (int i = 0; i < 10; ++i)
            pauseTimes.push_back(timeOnce([&] { large.pause(); }));
        std::printf("| %-40s | %12.1f | %12.1f | %6.2f | %14.1f |\n",
                    sameName ? "edit, every NPC named alike" : "edit, each NPC its own name", median(largeTimes),
                    median(smallTimes), median(largeTimes) / median(smallTimes), median(pauseTimes));
    }
    return 0;
}
