#include "check_tool/project_setup.h"

#include "project_file/project_table.h"

#include <QFileInfo>

namespace ProjectSetup {

Resolver::Resolver(const CheckOptions::Options &options, std::shared_ptr<const Commands::Table> commands)
    : options_(options), commands_(std::move(commands))
{
}

std::shared_ptr<const Setup> Resolver::forScript(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    const std::lock_guard<std::mutex> lock(mutex_);
    auto projectFile = projectFileOfFolder_.constFind(folder);
    if (projectFile == projectFileOfFolder_.cend())
        projectFile = projectFileOfFolder_.insert(folder, ProjectFile::find(folder));
    auto setup = setupOfProjectFile_.constFind(*projectFile);
    if (setup == setupOfProjectFile_.cend()) {
        const ProjectFile::Settings file =
            projectFile->isEmpty() ? ProjectFile::Settings{} : ProjectFile::read(*projectFile);
        setup = setupOfProjectFile_.insert(*projectFile, make(file));
    }
    return *setup;
}

QList<ProjectFile::Warning> Resolver::warnings() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return warnings_;
}

std::shared_ptr<const Setup> Resolver::make(const ProjectFile::Settings &file)
{
    warnings_ += file.warnings;
    auto setup = std::make_shared<Setup>();
    const ProjectTable::Given given{options_.commandsGiven ? commands_ : nullptr, options_.commandsPath,
                                    options_.target, options_.flags, nullptr};
    setup->reading.commands = ProjectTable::make(given, file, warnings_);
    setup->reading.encoding = options_.encoding;
    if (options_.encoding.isCodePage932() && !file.encoding.isEmpty()) {
        const int line = file.lines.value(QStringLiteral("encoding"));
        // The diff keeps each line's own bytes, which it finds by code page 932's byte lengths.
        if (options_.fix)
            setup->reading.failure = QStringLiteral("--fix は Shift_JIS のファイルだけを直すので、%1:%2 の encoding "
                                                    "とは一緒に使えません")
                                         .arg(file.path)
                                         .arg(line);
        else if (const std::optional<ScriptEncoding> encoding = ScriptEncoding::named(file.encoding))
            setup->reading.encoding = *encoding;
    }
    setup->findings = FindingPolicy::of(file);
    setup->findings.disabled += options_.disabled;
    setup->serverFolder = options_.serverFolder.isEmpty() ? file.serverFolder : options_.serverFolder;
    return setup;
}

} // namespace ProjectSetup
