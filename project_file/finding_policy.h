#pragma once

#include "checker/diagnostic.h"
#include "project_file/project_file.h"

#include <QHash>
#include <QSet>
#include <QString>

// What a project leaves out of its findings and how severe it holds the rest:
// the project file's disable and severity, and the command line's --disable. The
// command line, the language server and the editor filter what they show by it,
// so that a script is judged alike wherever it is checked.
struct FindingPolicy
{
    QSet<QString> disabled;                          // rule codes, upper case
    QHash<QString, Diagnostic::Severity> severities; // by rule code, upper case

    // The project file's disable and severity ("off" codes stand among `disabled`).
    static FindingPolicy of(const ProjectFile::Settings &file);

    bool isEmpty() const { return disabled.isEmpty() && severities.isEmpty(); }
    // Drops the findings whose code is disabled, as a directive in the script would
    // have it, and gives the others of each code in `severities` that severity.
    void apply(Diagnostics &diagnostics) const;

    friend bool operator==(const FindingPolicy &a, const FindingPolicy &b)
    {
        return a.disabled == b.disabled && a.severities == b.severities;
    }
    friend bool operator!=(const FindingPolicy &a, const FindingPolicy &b) { return !(a == b); }
};
