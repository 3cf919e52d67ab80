#pragma once

#include "checker/diagnostic.h"
#include "checker/label_rules.h"
#include "checker/line_analysis.h"

#include <QStringList>

#include <memory>
#include <vector>

// The diagnostics of a whole script, kept up to date line by line. An edit reads
// its own lines again; the brace and menu rules then follow the script down only
// as far as the edit changes their state, and the label rules revisit only lines
// that share a label with an edited line. A keystroke on a long script costs
// about what it costs on a short one.
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
    // `tokens`, when given, receives the coloured pieces of the new lines, read on the way.
    using Tokens = QVector<Token>;
    QVector<int> replaceLines(int first, int removed, const QStringList &lines, QVector<Tokens> *tokens = nullptr);

    // Sorted by column, with `line` filled in.
    Diagnostics diagnostics(int line) const;
    // Sorted by line and column.
    Diagnostics allDiagnostics() const;

private:
    struct Line;
    bool replaceOwnOnly(int first, std::vector<LineAnalysis> &analyses);
    void follow(int first, int end);
    void setFlow(Line &line, const Diagnostics &found);
    void setMenuNotClosed(Line *line, bool notClosed);
    void setBlockNotClosed(Line *line, bool notClosed);
    void recheckLabels(int first, int end);
    void rewriteInPlace(int first, std::vector<LineAnalysis> &analyses);
    void replaceWithNewLines(int first, int removed, std::vector<LineAnalysis> &analyses);
    void noteChange(Line &line);
    QVector<int> numbersOfChanged(int first, int end);

    std::vector<std::unique_ptr<Line>> lines_;
    LabelRules::Index labels_;
    quint64 lastId_ = 0;
    std::vector<Line *> changed_;
};

// Checks a whole text at once; lines are separated by "\n".
Diagnostics checkScript(const QString &text);
