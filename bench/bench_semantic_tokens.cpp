// The semantic tokens' costs, each the median of many runs:
//  - the whole list (textDocument/semanticTokens/full) of a script of 10,000 NPCs
//    (100,000 lines) against one of a single NPC of ten lines, per line: the first,
//    read from the checker, and one after a keystroke, from the lines held;
//  - after a one-letter edit in the middle NPC: the edit itself (which reads the
//    line again and finds its diagnostics) against the delta that follows it.
//
//   bench_semantic_tokens [RUNS]
#include "bench/bench_timing.h"
#include "language_server/semantic_tokens.h"
#include "language_server/text_document.h"
#include "language_server/token_lines.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

using BenchTiming::median;
using BenchTiming::timeOnce;

QString script(int npcs)
{
    QString text;
    for (int number = 0; number < npcs; ++number)
        text += QStringLiteral("harbor01.tsg,120,85,6\tscript\tFerryman%1\t56,{\n"
                               "\tmes \"[渡し守]\";\n"
                               "\tif (.@fare > Zeny) goto L_Poor;\n"
                               "\tnext;\n"
                               "\tmenu \"渡る\",L_Cross,\"やめる\",-; // 選ぶ\n"
                               "\tclose;\n"
                               "L_Cross:\n"
                               "\twarp \"lakeside.tsg\",120,64;\n"
                               "L_Poor:\n"
                               "\tclose;\n}\n")
                    .arg(number);
    return text;
}

double fullPerLine(const Lsp::TextDocument &document, int runs)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run)
        times.push_back(timeOnce([&] { Lsp::TokenLines().readAll(document); }));
    return median(times) / document.lineCount();
}

// The whole list again after a letter typed at `at`, from lines held since the last.
double heldPerLine(Lsp::TextDocument &document, Lsp::Position at, int runs)
{
    Lsp::TokenLines held;
    held.readAll(document);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        document.replace(at, at, QStringLiteral("x"));
        times.push_back(timeOnce([&] { held.current(document); }));
        document.replace(at, {at.line, at.character + 1}, QString()); // the letter goes again, untimed
        held.current(document);
    }
    return median(times) / document.lineCount();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 15;
    const auto commands = Commands::Table::builtIn();
    Lsp::TextDocument small(script(1), commands);
    Lsp::TextDocument large(script(10000), commands);
    const double smallLine = fullPerLine(small, runs * 100);
    const double largeLine = fullPerLine(large, runs);
    std::printf("full, per line: 10 lines %.3f us, 100,000 lines %.3f us, ratio %.2f\n", smallLine, largeLine,
                largeLine / smallLine);
    const double smallHeld = heldPerLine(small, {1, 6}, runs * 100);
    const double largeHeld = heldPerLine(large, {50001, 6}, runs);
    std::printf("full after a keystroke, lines held, per line: 10 lines %.4f us, 100,000 lines %.4f us, ratio %.2f\n",
                smallHeld, largeHeld, largeHeld / smallHeld);

    std::vector<double> edits;
    std::vector<double> deltas;
    Lsp::TokenLines held;
    held.readAll(large);
    const Lsp::Position at{50001, 6}; // in the middle NPC's first message
    for (int run = 0; run < runs; ++run) {
        edits.push_back(timeOnce([&] { large.replace(at, at, QStringLiteral("x")); }));
        deltas.push_back(timeOnce([&] { held.update(large); }));
        large.replace(at, {at.line, at.character + 1}, QString()); // the letter goes again, untimed
        held.update(large);
    }
    std::printf("after a keystroke in 100,000 lines: the edit %.0f us, the delta %.0f us\n", median(edits),
                median(deltas));
    return 0;
}
