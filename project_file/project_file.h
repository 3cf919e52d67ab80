#pragma once

#include "checker/diagnostic.h"
#include "checker/target.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// The project file, talewick-check.ini: what the scripts of a folder and the
// folders below it are checked for. The nearest one above a script applies.
// Its keys stand at the top, with no section:
//
//   target   = today-strict             ; older, later, today, today-strict, today-anycase
//   server   = ../server                ; the server's folder, from the file's own
//   commands = ../server/src/map/script.c
//   disable  = TW210, TW104
//   severity = TW104=error, TW210=off   ; error, warning, or off (not reported)
//   encoding = utf-8
//   flags    = PRERENEWAL, !HERCULES    ; conditional-comment flags, "!" takes one away
//
// An unknown key or a value that does not read is a warning naming the file and
// line; the rest of the file still applies.
namespace ProjectFile {

QString fileName(); // "talewick-check.ini"

struct Warning
{
    QString file;
    int line = 0; // from 1; 0 for the whole file
    QString message;
};

struct Settings
{
    QString path;                           // the file read; empty when there is none
    std::optional<Target::Servers> servers; // the target, when the file names one
    QString serverFolder;                   // absolute
    QString commandsPath;                   // absolute
    QSet<QString> disabled;                 // rule codes, upper case; "off" codes too
    QHash<QString, Diagnostic::Severity> severities;
    QString encoding;          // a name the toolkit knows
    QStringList flags;         // as written: "NAME", "!NAME", "-NAME"
    QHash<QString, int> lines; // the line of each key, for later messages
    QList<Warning> warnings;
};

// The project file in `folder` or the nearest folder above it, up to the
// filesystem's root; empty when there is none.
QString find(const QString &folder);

// Reads the project file at `path`.
Settings read(const QString &path);

// The settings of the project file nearest `folder`; empty ones when there is none.
Settings nearest(const QString &folder);

// "talewick-check.ini:3: 「tagret」は知らないキーです" (the path as given).
QString text(const Warning &warning);

} // namespace ProjectFile
