#pragma once

#include "checker/commands.h"
#include "conversation/run.h"

#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class ScriptCheck;

// The lines of the script previewed: read one by one, so that nothing copies a
// long script whole.
namespace Conversation {

struct ScriptLines
{
    std::function<int()> count;
    std::function<QString(int)> at; // empty past the end

    static ScriptLines of(const QStringList &lines)
    {
        return {[lines] { return int(lines.size()); }, [lines](int line) { return lines.value(line); }};
    }
};

// The bodies a preview runs, copied from the script when the preview first needs
// them, so that later edits leave the run alone: the body previewed when the run
// starts, a function when a callfunc first reaches it. Only those bodies are
// checked, so opening a preview costs about the same in a long script as in a
// short one.
class ScriptSnapshot
{
public:
    // The bodies are read with `commands`, the built-in table when null.
    explicit ScriptSnapshot(ScriptLines lines, std::shared_ptr<const Commands::Table> commands = nullptr);
    ~ScriptSnapshot();
    ScriptSnapshot(const ScriptSnapshot &) = delete;
    ScriptSnapshot &operator=(const ScriptSnapshot &) = delete;

    struct Target
    {
        Source source;
        QString name;  // the NPC's or function's, as written
        QString label; // the event label the run starts from, or empty
        // Run by the server or other NPCs, with no player and so no window:
        // OnInit, OnTimer…, OnClock…, or the body of an NPC with no place.
        bool withoutPlayer = false;
    };
    // The NPC or function whose body holds `line` (from 0); when `line` defines
    // an event label, the run starts there. Nothing when no body holds the line.
    std::optional<Target> targetAt(int line);
    // The body of the definition named `name` (the first), for a run after an edit.
    std::optional<Target> targetNamed(const QString &name);

    // The function "function<TAB>script<TAB>name" of this script, for callfunc.
    std::optional<Source> function(const QString &name);

private:
    std::optional<Source> bodyFrom(int definitionLine);

    ScriptLines lines_;
    int count_ = 0;
    std::shared_ptr<const Commands::Table> commands_;
    std::vector<std::unique_ptr<ScriptCheck>> checks_;
    QHash<int, Source> bodies_; // by definition line
    std::optional<QHash<QString, int>> functions_;
};

} // namespace Conversation
