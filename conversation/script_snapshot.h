#pragma once

#include "conversation/run.h"

#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class ScriptCheck;

// A copy of a script's lines, taken when a preview starts, so that later edits
// leave the run alone. Only the body previewed, and the functions a callfunc
// names, are checked, so opening a preview costs about the same in a long script
// as in a short one.
namespace Conversation {

class ScriptSnapshot
{
public:
    explicit ScriptSnapshot(QStringList lines);
    ~ScriptSnapshot();
    ScriptSnapshot(const ScriptSnapshot &) = delete;
    ScriptSnapshot &operator=(const ScriptSnapshot &) = delete;

    struct Target
    {
        Source source;
        QString name;  // the NPC's or function's, as written
        QString label; // the event label the run starts from, or empty
    };
    // The NPC or function whose body holds `line` (from 0); when `line` defines
    // an event label, the run starts there. Nothing when no body holds the line.
    std::optional<Target> targetAt(int line);
    // The body of the definition named `name` (the first), for a run after an edit.
    std::optional<Target> targetNamed(const QString &name);

    // The function "function<TAB>script<TAB>name" of this script, for callfunc.
    std::optional<Source> function(const QString &name);

    const QStringList &lines() const { return lines_; }

private:
    std::optional<Source> bodyFrom(int definitionLine);
    int bodyEnd(int definitionLine, int braceColumn) const;

    QStringList lines_;
    std::vector<std::unique_ptr<ScriptCheck>> checks_;
    QHash<int, Source> bodies_; // by definition line
    std::optional<QHash<QString, int>> functions_;
};

} // namespace Conversation
