#pragma once

#include "check_tool/script_encoding.h"
#include "checker/diagnostic.h"
#include "checker/target.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// The command line of talewick-check, read and checked before anything runs.
namespace CheckOptions {

enum class Format
{
    Gcc,
    Json,
    Sarif
};

struct Options
{
    bool help = false;
    bool version = false;
    bool lsp = false;
    bool fix = false;
    bool verbose = false; // say what was read from a server's folder
    QStringList explain; // rule codes, upper case
    bool commandsGiven = false;
    QString commandsPath;
    std::optional<Target::Servers> target; // --target; else the project file's, else the command source's family
    QStringList flags;                     // --flag, in order: "NAME", "!NAME", "-NAME"
    // --server DIR. When empty, a script's project file may name one
    // (ProjectSetup::Setup::serverFolder), resolved from the file's folder.
    QString serverFolder;
    ScriptEncoding encoding; // what the files are read in
    QSet<QString> disabled;  // rule codes, upper case
    Diagnostic::Severity lowest = Diagnostic::Severity::Warning;
    Format format = Format::Gcc;
    QStringList paths; // files and folders to check
};

// Reads `arguments` (the program's name first). Returns false and says why in
// `mistake` for an unknown option, an unknown code or format, or options that
// do not go together, or an encoding the toolkit does not know.
bool parse(const QStringList &arguments, Options &options, QString &mistake);

// The usage, the options and the one-line list of rules.
QString help();

} // namespace CheckOptions
