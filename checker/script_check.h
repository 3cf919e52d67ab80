#pragma once

#include "checker/diagnostic.h"
#include "checker/line_analysis.h"

#include <QStringList>

#include <memory>
#include <vector>

// The diagnostics of a whole script, kept up to date line by line. An edit reads
// its own lines again; only when it changes what other lines depend on (a brace,
// a label, a menu's end) does it re-check the NPC around it, never the whole
// script.
class ScriptCheck
{
public:
    ScriptCheck();
    ~ScriptCheck();
    ScriptCheck(const ScriptCheck &) = delete;
    ScriptCheck &operator=(const ScriptCheck &) = delete;

    int lineCount() const { return int(lines_.size()); }

    // Puts `lines` in place of `removed` lines starting at `first`. Returns the
    // other lines (numbered after the edit) whose diagnostics changed with it.
    QVector<int> replaceLines(int first, int removed, const QStringList &lines);

    // Sorted by column, with `line` filled in.
    Diagnostics diagnostics(int line) const;
    // Sorted by line and column.
    Diagnostics allDiagnostics() const;

private:
    struct Line;
    QVector<const LineFacts *> factsOf(int from, int to) const;
    int npcStart(int line) const;
    int nextNpcStart(int line) const;

    std::vector<std::unique_ptr<Line>> lines_;
};

// Checks a whole text at once; lines are separated by "\n".
Diagnostics checkScript(const QString &text);
