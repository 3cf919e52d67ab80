// The flow of one body judged again after an edit, for a body of 10,000 statements
// against one of 10: the time per statement must stay about the same (linear).
// Run: build/bench/bench_flow [repetitions]
#include "bench/bench_timing.h"
#include "checker/script_check.h"

#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using BenchTiming::median;

// A conversation of `statements` statements: pages, menus with their branches,
// loops and scope variables, all closed.
QStringList bodyOf(int statements)
{
    QStringList lines{QStringLiteral("harbor01.tsg,120,85,6\tscript\tGuide\t56,{")};
    int written = 0;
    for (int part = 0; written < statements; ++part) {
        const QString label = QStringLiteral("L_%1").arg(part);
        lines << QStringLiteral("\tset .@n%1, %1;").arg(part) << QStringLiteral("\tmes \"Page \" + .@n%1;").arg(part)
              << QStringLiteral("\tnext;") << QStringLiteral("\tmenu \"On\",%1,\"Stop\",-;").arg(label)
              << QStringLiteral("\tclose;") << label + u':'
              << QStringLiteral("\tif (.@n%1 > 3) mes \"Far\";").arg(part);
        written += 7;
    }
    lines << QStringLiteral("\tclose;") << QStringLiteral("}");
    return lines;
}

// Nanoseconds to judge the body's flow again after a blank added or taken away
// before one of its statements (which moves the statement's step).
double timeOnce(ScriptCheck &check, int line, bool &flip)
{
    const QString text = check.text(line);
    check.replaceLines(line, 1, {(flip = !flip) ? u' ' + text : text.mid(1)});
    QElapsedTimer timer;
    timer.start();
    check.updateFlow();
    return double(timer.nsecsElapsed());
}

} // namespace

int main(int argc, char **argv)
{
    const int repetitions = argc > 1 ? std::max(5, std::atoi(argv[1])) : 200;
    std::printf("| flow judged again after an edit (medians of %d) | per statement | ratio | target |\n"
                "|---|---|---|---|\n",
                repetitions);
    double perStatement[2] = {0, 0};
    const int sizes[2] = {10, argc > 2 ? std::atoi(argv[2]) : 10000};
    for (int i = 0; i < 2; ++i) {
        const QStringList lines = bodyOf(sizes[i]);
        ScriptCheck check;
        check.replaceLines(0, 0, lines);
        check.updateFlow();
        std::vector<double> times;
        bool flip = false;
        for (int run = 0; run < repetitions; ++run)
            times.push_back(timeOnce(check, 2, flip));
        perStatement[i] = median(times) / double(lines.size() - 2);
    }
    std::printf("| one body of 10 statements | %.1f ns | - | - |\n", perStatement[0]);
    std::printf("| one body of 10,000 statements | %.1f ns | %.2f | <= 1.5 |\n", perStatement[1],
                perStatement[1] / perStatement[0]);
    return 0;
}
