// Start-up to the first exposed main window, and the resident memory then:
// Talewick against a bare main window, started alternately, medians of many runs.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Run
{
    double milliseconds = -1;
    double residentKiB = -1;
};

Run startOnce(const QString &program)
{
    QProcess probe;
    QElapsedTimer timer;
    timer.start();
    probe.start(program, {});
    if (!probe.waitForReadyRead(30000))
        return {};
    const double milliseconds = double(timer.nsecsElapsed()) / 1e6;
    const QByteArray line = probe.readLine();
    probe.waitForFinished(30000);
    if (!line.startsWith("exposed "))
        return {};
    return {milliseconds, line.mid(8).trimmed().toDouble()};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QString directory = QCoreApplication::applicationDirPath();
    const int repetitions = std::max(1, argc > 1 ? std::atoi(argv[1]) : 30);
    std::vector<double> talewickTime, bareTime, talewickMemory, bareMemory;
    for (int i = 0; i < repetitions; ++i) {
        const Run talewick = startOnce(directory + QStringLiteral("/startup_probe_talewick"));
        const Run bare = startOnce(directory + QStringLiteral("/startup_probe_bare"));
        if (talewick.milliseconds < 0 || bare.milliseconds < 0) {
            std::fprintf(stderr, "a probe did not report its window\n");
            return 1;
        }
        talewickTime.push_back(talewick.milliseconds);
        bareTime.push_back(bare.milliseconds);
        talewickMemory.push_back(talewick.residentKiB);
        bareMemory.push_back(bare.residentKiB);
    }
    std::printf("| start-up to first exposed window (ms) | %8.1f | %8.1f | %5.2f | <= 1.3 |\n", median(talewickTime),
                median(bareTime), median(talewickTime) / median(bareTime));
    std::printf("| resident memory then (KiB)             | %8.0f | %8.0f | %5.2f | <= 1.25 |\n",
                median(talewickMemory), median(bareMemory), median(talewickMemory) / median(bareMemory));
    return 0;
}
