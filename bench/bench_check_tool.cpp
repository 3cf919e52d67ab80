// talewick-check on a tree of scripts against the floor of reading the same files
// and decoding their bytes from code page 932, each the median of several runs
// measured alternately. The tree is the hand-written scripts copied until it holds
// the size asked for.
//
//   bench_check_tool TALEWICK_CHECK SCRIPTS_FOLDER [MEGABYTES] [RUNS]
#include "common/code_page.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Reads every .txt under `folder` and decodes it: what any checker must do at least.
qint64 decodeAll(const QString &folder)
{
    qint64 characters = 0;
    QDirIterator files(folder, {QStringLiteral("*.txt")}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly))
            characters += CodePage932::decode(file.readAll()).size();
    }
    return characters;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: bench_check_tool TALEWICK_CHECK SCRIPTS_FOLDER [MEGABYTES] [RUNS]\n");
        return 2;
    }
    const QString tool = arguments.at(1);
    const QDir scripts(arguments.at(2));
    const qint64 wanted = (arguments.size() > 3 ? arguments.at(3).toLongLong() : 50) * 1000 * 1000;
    const int runs = arguments.size() > 4 ? arguments.at(4).toInt() : 5;

    QTemporaryDir tree;
    qint64 bytes = 0;
    int files = 0;
    for (int copy = 0; bytes < wanted; ++copy) {
        const QString folder = QStringLiteral("town%1").arg(copy, 4, 10, QLatin1Char('0'));
        QDir(tree.path()).mkpath(folder);
        for (const QString &name : scripts.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
            QFile::copy(scripts.filePath(name), QDir(tree.path()).filePath(folder + u'/' + name));
            bytes += QFileInfo(scripts.filePath(name)).size();
            ++files;
        }
    }

    std::vector<double> checkTimes, decodeTimes;
    int exitCode = -1;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        QProcess check;
        check.setStandardOutputFile(QProcess::nullDevice());
        check.start(tool, {tree.path()});
        check.waitForFinished(-1);
        exitCode = check.exitCode();
        checkTimes.push_back(double(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        decodeAll(tree.path());
        decodeTimes.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("| measure (medians of %d) | talewick-check | read + decode | ratio | target |\n", runs);
    std::printf("|---|---|---|---|---|\n");
    std::printf("| %d files, %.1f MB (exit %d) | %.0f ms | %.0f ms | %.2f | <= 5 |\n", files, double(bytes) / 1e6,
                exitCode, median(checkTimes), median(decodeTimes), median(checkTimes) / median(decodeTimes));
    return 0;
}
