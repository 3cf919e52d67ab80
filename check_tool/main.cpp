#include "check_tool/check_all.h"
#include "check_tool/check_report.h"
#include "check_tool/finding_filter.h"
#include "check_tool/fix_diff.h"
#include "check_tool/gcc_format.h"
#include "check_tool/json_format.h"
#include "check_tool/load_positions.h"
#include "check_tool/options.h"
#include "check_tool/project_setup.h"
#include "check_tool/sarif_format.h"
#include "checker/server_folders.h"

#include "checker/explanations.h"
#include "checker/rules.h"
#include "common/failure.h"
#include "language_server/standard_streams.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

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

// A project file's warnings, each file named as the command line would name it.
void printWarnings(const QList<ProjectFile::Warning> &warnings)
{
    const QDir here = QDir::current();
    for (ProjectFile::Warning warning : warnings) {
        const QString relative = here.relativeFilePath(warning.file);
        if (!relative.startsWith(QLatin1String("..")))
            warning.file = relative;
        print(stderr, ProjectFile::text(warning) + u'\n');
    }
}

int check(const CheckOptions::Options &options, const std::shared_ptr<const Commands::Table> &commands)
{
    ProjectSetup::Resolver setups(options, commands);
    ServerFolders folders(options.commandsGiven);
    const auto setupOf = [&](const QString &path) {
        const std::shared_ptr<const ProjectSetup::Setup> setup = setups.forScript(path);
        CheckAll::FileSetup reading = setup->reading;
        if (!setup->serverFolder.isEmpty())
            reading.commands = folders.tableFor(setup->serverFolder, reading.commands);
        return reading;
    };
    QStringList failures;
    QVector<CheckReport::FileResult> results = readable(CheckAll::check(options.paths, setupOf, options.fix), failures);
    printWarnings(setups.warnings());
    // What the server folders hold, and the files of theirs that could not be read.
    for (const QString &summary : options.verbose ? folders.summaries() : QStringList())
        print(stderr, summary + u'\n');
    failures += folders.problems();
    for (const QString &failure : std::as_const(failures))
        print(stderr, QStringLiteral("talewick-check: %1\n").arg(failure));
    LoadPositions::assign(results, [&](const QString &file) { return setups.forScript(file)->serverFolder; });
    CheckReport::checkFunctionsAcross(results);
    CheckReport::checkPlayerVariablesAcross(results);
    for (CheckReport::FileResult &result : results)
        setups.forScript(result.fileName)->findings.apply(result.diagnostics);
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
        return Lsp::serveStandardStreams({options.commandsGiven ? commands : nullptr, QStringLiteral(TALEWICK_VERSION),
                                          options.commandsPath, options.target, options.flags,
                                          options.encoding.isCodePage932() ? QString() : options.encoding.displayName()});
    return check(options, commands);
}
