#pragma once

#include "check_tool/script_encoding.h"
#include "checker/commands.h"
#include "checker/diagnostic.h"
#include "checker/load_order_rules.h"
#include "checker/rules.h"
#include "checker/script_check.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <utility>

// What talewick-check finds in script files; the formats in this folder print it.
namespace CheckReport {

// Script files larger than this, or with more lines, are refused unchecked: a
// server's scripts are far smaller, and the check keeps every line in memory.
constexpr qint64 kMaxBytes = 16LL * 1024 * 1024;
constexpr qsizetype kMaxLines = 1000000;

struct FileResult
{
    QString fileName;
    QByteArray bytes; // the file as read from disk; left empty by checkBytes
    QString text;     // the decoded file, whose characters the lines share
    QStringList lines;
    Diagnostics diagnostics; // sorted by line and column
    QVector<ScriptCheck::FunctionUse> functionDefinitions;
    QVector<ScriptCheck::FunctionUse> functionCalls;
    std::map<QString, QString> playerVariablesSet; // by key in lower case, the spelling first met
    // Player variables read that the file itself does not set, for the check across files.
    QVector<ScriptCheck::VariableUse> playerVariableReads;
    // What the file defines and asks of the files loaded with it, the servers it
    // was checked for, and the findings about them that directives silence.
    LoadOrderRules::Uses loadUses;
    Target target;
    QVector<std::pair<int, Rule>> silencedAcross; // by line
    // The server it is checked for: its folder (empty for none), that folder's load
    // order, and the file's place in it (-1 when the lists do not name it).
    QString serverFolder;
    QStringList loadOrder;
    int loadPosition = -1;
    QString failure; // set when the file could not be read; nothing was checked
    // What the file's functions do to the conversation window, the names its bodies
    // looked up that it does not define, what it was checked with, and the check
    // itself while it is kept to judge calls across files (windows_across.h).
    WindowAcross::FileWindows functionWindows;
    QSet<QString> namesOutside;
    std::shared_ptr<const Commands::Table> commands;
    std::shared_ptr<ScriptCheck> windowCheck;
    int windowLinesKept = 0;
};

// Checks the bytes of a script named `fileName`, read in `encoding`; a script of
// too many lines gives a failure. Bytes the encoding cannot read are an error
// where the server reads code, and one warning for the whole file where they are
// only in comments and strings.
FileResult checkBytes(const QString &fileName, QByteArrayView bytes,
                      const std::shared_ptr<const Commands::Table> &commands, const ScriptEncoding &encoding = {});

// Reads and checks the file at `path`; only regular files are read.
FileResult checkFile(const QString &path, const std::shared_ptr<const Commands::Table> &commands,
                     const ScriptEncoding &encoding = {});

// Judges the calls of functions another of `files` defines with what they do to
// the window (WindowsAcross), warns at every callfunc of a function that none of
// `files` defines, and
// judges what today's servers decide as they load the files one after another
// (LoadOrderRules): the files of one server folder are loaded together, in the
// order of its load lists where they name them.
void checkFunctionsAcross(QVector<FileResult> &files);

// Warns at every read of a player variable (@name) that none of `files` sets and
// the server does not set itself, naming the nearest one set as a hint.
void checkPlayerVariablesAcross(QVector<FileResult> &files);

} // namespace CheckReport
