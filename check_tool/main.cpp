#include "check_tool/check_report.h"
#include "check_tool/finding_filter.h"
#include "check_tool/fix_diff.h"
#include "check_tool/gcc_format.h"
#include "check_tool/json_format.h"
#include "check_tool/options.h"
#include "check_tool/sarif_format.h"

#include "checker/explanations.h"
#include "checker/rules.h"
#include "common/failure.h"
#include "language_server/standard_streams.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

void print(std::FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void print(std::FILE *stream, const QString &text)
{
    print(stream, text.toUtf8());
}

int usageMistake(const QString &what)
{
    print(stderr, QStringLiteral("talewick-check: %1\n使い方は talewick-check --help で見られます。\n").arg(what));
    return 2;
}

QString explanations(const QStringList &codes)
{
    QStringList pages;
    for (const QString &code : codes)
        pages.append(Explanations::text(Rules::find(code)->rule));
    return pages.join(u'\n');
}

QStringList scriptsOf(const QStringList &paths)
{
    QStringList files;
    for (const QString &path : paths) {
        if (QFileInfo(path).isDir())
            files += CheckReport::scriptsUnder(path);
        else
            files.append(path);
    }
    return files;
}

// Files are checked side by side on every core; the results keep their order.
QVector<CheckReport::FileResult> checkAll(const QStringList &files,
                                          const std::shared_ptr<const Commands::Table> &commands, bool keepBytes)
{
    QVector<CheckReport::FileResult> checked(files.size());
    std::atomic<qsizetype> next{0};
    const auto work = [&] {
        for (qsizetype i = next++; i < files.size(); i = next++) {
            CheckReport::FileResult result = CheckReport::checkFile(files.at(i), commands);
            // The lines are kept only for the columns of what was found.
            if (result.diagnostics.isEmpty() && result.functionCalls.isEmpty() &&
                result.playerVariableReads.isEmpty()) {
                result.lines.clear();
                result.text.clear();
            }
            if (!keepBytes || result.diagnostics.isEmpty())
                result.bytes.clear();
            checked[i] = std::move(result);
        }
    };
    std::vector<std::thread> workers;
    const int threads = std::clamp(QThread::idealThreadCount(), 1, 16);
    for (int i = 1; i < threads && i < files.size(); ++i)
        workers.emplace_back(work);
    work();
    for (std::thread &worker : workers)
        worker.join();
    return checked;
}

// The files that could be read; what stopped the others goes to `failures`.
QVector<CheckReport::FileResult> readable(QVector<CheckReport::FileResult> checked, QStringList &failures)
{
    QVector<CheckReport::FileResult> results;
    results.reserve(checked.size());
    for (CheckReport::FileResult &result : checked) {
        if (result.failure.isEmpty())
            results.append(std::move(result));
        else
            failures.append(result.failure);
    }
    return results;
}

QByteArray output(const CheckOptions::Options &options, const QVector<CheckReport::FileResult> &results,
                  const QStringList &failures)
{
    QByteArray out;
    if (options.fix) {
        for (const CheckReport::FileResult &result : results)
            out += FixDiff::diff(result.fileName, result.bytes, result.diagnostics);
        return out;
    }
    switch (options.format) {
    case CheckOptions::Format::Json:
        return JsonFormat::report(results);
    case CheckOptions::Format::Sarif:
        return SarifFormat::report(results, failures, QStringLiteral(TALEWICK_VERSION));
    case CheckOptions::Format::Gcc:
        for (const CheckReport::FileResult &result : results)
            out += GccFormat::report(result).toUtf8();
        break;
    }
    return out;
}

int check(const CheckOptions::Options &options, const std::shared_ptr<const Commands::Table> &commands)
{
    QStringList failures;
    QVector<CheckReport::FileResult> results =
        readable(checkAll(scriptsOf(options.paths), commands, options.fix), failures);
    for (const QString &failure : std::as_const(failures))
        print(stderr, QStringLiteral("talewick-check: %1\n").arg(failure));
    CheckReport::checkFunctionsAcross(results);
    CheckReport::checkPlayerVariablesAcross(results);
    FindingFilter::dropCodes(results, options.disabled);
    const bool errors = FindingFilter::hasErrors(results);
    FindingFilter::hideBelow(results, options.lowest);
    print(stdout, output(options, results, failures));
    std::fflush(stdout);
    return !failures.isEmpty() ? 2 : errors ? 1 : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    CheckOptions::Options options;
    QString mistake;
    if (!CheckOptions::parse(application.arguments(), options, mistake))
        return usageMistake(mistake);
    if (options.help || options.version) {
        print(stdout, options.help ? CheckOptions::help()
                                   : QStringLiteral("talewick-check %1\n").arg(QStringLiteral(TALEWICK_VERSION)));
        return 0;
    }
    if (!options.explain.isEmpty()) {
        print(stdout, explanations(options.explain));
        return 0;
    }
    std::shared_ptr<const Commands::Table> commands;
    try {
        commands = Commands::withFile(options.commandsPath);
    } catch (const Failure &failure) {
        return usageMistake(failure.message());
    }
    // Without --commands, the language server looks for the workspace's commands.tsv.
    if (options.lsp)
        return Lsp::serveStandardStreams(
            {options.commandsGiven ? commands : nullptr, QStringLiteral(TALEWICK_VERSION)});
    return check(options, commands);
}
