#pragma once

#include "checker/colour.h"
#include "checker/commands.h"
#include "checker/definition_line.h"
#include "checker/diagnostic.h"
#include "checker/flow_step.h"
#include "checker/label_rules.h"
#include "checker/load_order_rules.h"
#include "checker/window_across.h"
#include "checker/window_summary.h"

#include <QSet>
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace LineStore {
struct Line;
struct State;
} // namespace LineStore
namespace FlowGraph {
struct Located;
} // namespace FlowGraph

// A "callfunc" naming the function it runs, on one line.
struct CallfuncSite
{
    QString name;
    int column = 0;
    int length = 0;
    friend bool operator==(const CallfuncSite &a, const CallfuncSite &b)
    {
        return a.name == b.name && a.column == b.column && a.length == b.length;
    }
};

// The diagnostics of a whole script, kept up to date line by line. An edit reads
// its own lines again and follows the script down only as far as the edit changes
// what a line hands on to the next (the body it is in, its braces, an open comment
// or statement); the label rules revisit only lines that share a label with an
// edited line. A keystroke on a long script costs about what it costs on a short one.
class ScriptCheck
{
public:
    // What a check may leave out when nobody looks at it.
    struct Options
    {
        bool colours = true;      // the pieces the editor colours
        bool encoding = true;     // characters the code page cannot hold (text decoded from it has none)
        bool commandWords = true; // where commands stand, for commandWordAt
        // Each line's tokens, kept for the next edit that reads it again; without
        // them, isCommentOrString reads its line again.
        bool tokens = true;
    };
    explicit ScriptCheck(std::shared_ptr<const Commands::Table> commands = Commands::Table::builtIn());
    ScriptCheck(std::shared_ptr<const Commands::Table> commands, Options options);
    ~ScriptCheck();
    ScriptCheck(const ScriptCheck &) = delete;
    ScriptCheck &operator=(const ScriptCheck &) = delete;

    int lineCount() const { return int(lines_.size()); }

    // Puts `lines` in place of `removed` lines starting at `first`. Returns the
    // other lines (numbered after the edit) whose diagnostics or colours changed with it.
    QVector<int> replaceLines(int first, int removed, const QStringList &lines);
    // The lines the last replaceLines read again, from the first to past the last
    // (numbered after it): those whose steps, body or definition may have changed.
    std::pair<int, int> linesReadLast() const { return linesReadLast_; }

    // Judges again the flow of the bodies edits have changed since the last call
    // (TW5xx: the conversation window, unreachable steps, scope variables), which
    // costs a body's length: the editor and the language server call it once
    // typing pauses. Returns the lines whose diagnostics changed with it.
    QVector<int> updateFlow();

    // Sorted by column, with `line` filled in.
    Diagnostics diagnostics(int line) const;
    // Sorted by line and column.
    Diagnostics allDiagnostics() const;

    // The coloured pieces of a line; later pieces paint over earlier ones.
    // Kept in the store: a walk over many lines copies none of them.
    const QVector<Colour> &colours(int line) const;

    // Functions the script defines ("function<TAB>script<TAB>Name<TAB>{") and calls
    // (callfunc "Name"), for checks across files.
    struct FunctionUse
    {
        QString name;
        int line = 0;
        int column = 0;
        int length = 0;
    };
    QVector<FunctionUse> functionDefinitions() const;
    QVector<FunctionUse> functionCalls() const;

    // Player variables (@name) given a value and read, in bodies and functions, for
    // checks across files: the server keeps them for the player, so one file may set
    // what another reads.
    using VariableUse = FunctionUse;
    struct PlayerVariables
    {
        QVector<VariableUse> sets;
        QVector<VariableUse> reads;
    };
    // Those of one line, which cost the line alone, and those of the whole script.
    PlayerVariables playerVariablesOn(int line) const;
    PlayerVariables playerVariables() const;

    // What one line holds, for tools that navigate a script. Each costs the line
    // alone, or the body it stands in.
    const QString &text(int line) const;
    // The definition the line begins, or nullptr: a line inside a body or a
    // comment of one, or no definition at all.
    const DefinitionLine::Definition *definitionOn(int line) const;
    // The last line of the body the definition on `line` opens; `line` itself
    // when it opens none.
    int bodyEnd(int line) const;
    // The first and last line of the body that `line` stands in, the definition
    // line included, or {-1, -1} when it stands in no body whose labels count.
    std::pair<int, int> bodyAround(int line) const;
    // The labels defined and jumped to on `line`, and its callfunc calls.
    const QVector<LabelRules::LabelUse> &labelDefinitions(int line) const;
    const QVector<LabelRules::LabelUse> &labelJumps(int line) const;
    const QVector<CallfuncSite> &callsOn(int line) const;
    // The statements that begin on `line`, with their expression trees, as the parser
    // read them: what the flow rules and the conversation preview are built from.
    const FlowSteps &stepsOn(int line) const;
    // Whether a statement, or a /* comment of a body, goes on past the end of `line`.
    bool statementGoesOn(int line) const;
    bool commentGoesOn(int line) const;
    // How many braces of a body are open after `line`, the body's own included;
    // 0 outside any body.
    int braceDepthAfter(int line) const;
    // Whether the character at `column` of `line` stands in a comment or a string,
    // which the server never reads as code.
    bool isCommentOrString(int line, int column) const;
    // The word at `column` of `line` that the parser read as a command or a keyword:
    // its column and length, or {-1, 0} (always, when the options leave command words out).
    std::pair<int, int> commandWordAt(int line, int column) const;
    // Whether a directive silences `code` on `line`: one above its statement, or one
    // above the first definition line, which holds for the whole file.
    bool silenced(int line, const QString &code) const;
    // The function the line defines, or an empty name.
    FunctionUse functionDefinedOn(int line) const;

    // What `line` defines and asks of the files a server loads with this one
    // (functions by name, NPC names, duplicates' sources, local functions and calls
    // of other NPCs'), and the same for the whole script, for LoadOrderRules.
    LoadOrderRules::Uses loadUsesOn(int line) const;
    LoadOrderRules::Uses loadUses() const;

    // What the functions of other files checked with this one do to the window
    // (WindowAcross), by name in lower case; a name the file defines keeps its own.
    // The bodies and functions that looked up a name whose entry changed are judged
    // again by the next updateFlow. Returns whether any was.
    bool setOutsideWindows(std::shared_ptr<const WindowAcross::Table> table);
    // What each function of the file does to the window, with the names of other
    // files' functions it leaned on; worked out first when edits or the table
    // above changed it.
    WindowAcross::FileWindows functionWindows();
    // The names the bodies judged looked up as functions that the file does not
    // define and no command has: functions other files may define.
    QSet<QString> namesLookedUpOutside() const;
    // Counts the changes of what the file's functions do, or of what they leaned on.
    quint64 windowsGeneration() const { return windowsGeneration_; }

private:
    using Line = LineStore::Line;   // script_line.h
    using State = LineStore::State; // what a line hands on to the next
    struct Before;
    // Following an edit (script_check.cpp).
    struct StopsSeen;
    StopsSeen follow(int first, int end);
    static Before forget(Line &line);
    void compareWithBefore(std::vector<Before> &visited, const std::vector<Line *> &fresh);
    void recheckLabels(const QVector<Line *> &lines);
    void noteChange(Line &line);
    QVector<int> numbersOfChanged(int first, int end);
    void readFileDirectives();
    static bool affectsFileDirectives(const Line &line);
    // The first line where today's servers stop reading (script_check_stops.cpp).
    void forgetStop(const Line &gone);
    void noteStop(const Line &line, bool before);
    int firstStopAfter(int from) const;
    void moveFirstStop(int first, int removed, int added);
    void settleFirstStop(const StopsSeen &seen);
    struct StopNote
    {
        const Line *line;
        int number;
    };
    void addStopNumbers(QVector<int> &numbers, const StopNote &before, int first, int end, const StopsSeen &seen,
                        bool linesMoved) const;
    Diagnostic stopFinding(int number) const;
    // Scheduling the flow rules (script_check_flow.cpp).
    void judgeFlow(int first, int last, QVector<int> &changed);
    void markFlowDirty(quint64 body);
    bool refreshArgumentsSetThroughGetarg();
    void judgeMarkedBodies(QVector<int> &changed);
    QVector<std::pair<int, int>> bodies() const;
    void markEveryBodyDirty();
    void refreshNamesSet();
    // What the file's functions do to the window (script_check_summaries.cpp).
    bool refreshFunctionSummaries();
    void markCallersOf(const QSet<QString> &functions);
    bool isOutsideFunction(const QString &lowerName) const;
    std::optional<WindowSummary> outsideSummary(const QString &lowerName) const;
    QVector<FlowGraph::Located> flowStepsOf(int first, int last) const;
    // The queries (script_check_queries.cpp).
    static bool hasDiagnostics(const Line &line);
    static void addPlayerVariables(const Line &line, int number, PlayerVariables &found);
    // What a line asks of other files (script_check_load.cpp).
    void addLoadUses(int number, LoadOrderRules::Uses &uses) const;
    void addNpcCalls(int number, const FlowStep &step, LoadOrderRules::Uses &uses) const;

    std::shared_ptr<const Commands::Table> commands_;
    Options options_;
    std::vector<std::unique_ptr<Line>> lines_;
    LabelRules::Index labels_;
    quint64 lastId_ = 0;
    std::vector<Line *> changed_;
    std::pair<int, int> linesReadLast_{0, 0};
    std::shared_ptr<const QSet<QString>> fileSilence_; // codes silenced in the whole file
    int topEnd_ = 0;                                   // the first definition line, or the line count
    // The first line where today's servers stop reading the file, its number, and
    // every line that would stop them: kept as edits move it, never looked for in
    // the lines above it.
    Line *firstStop_ = nullptr;
    int firstStopNumber_ = -1;
    QSet<const Line *> stopLines_;
    // What is kept by body, keyed by the id of its definition line.
    QSet<quint64> flowDirty_; // bodies whose flow is to be judged again
    quint64 lastDirty_ = 0;   // the body last filed there
    // The argument positions the bodies that set any through "set getarg(k)" set, and
    // all of them: a variable any body hands to a call in one of them is given a value.
    QHash<quint64, quint32> getargByBody_;
    quint32 getargPositions_ = 0;
    // The bare names each body gives a value, and all of them, while a server's folder
    // judges names: a name set in one body is no misspelt constant in another.
    QHash<quint64, QSet<QString>> namesSetByBody_;
    QSet<QString> namesSet_;
    // What each function of the file does to the window, by name in lower case; the
    // function bodies they were worked out from (by id, with the name); and the
    // names each body called and looked up, to judge its callers again on a change.
    QHash<QString, WindowSummary> functionSummaries_;
    QHash<quint64, QString> functionBodies_;
    QHash<quint64, QSet<QString>> namesCalledByBody_;
    // What other files' functions do (null: nothing known), and, by function of the file, the
    // names no function of the file has that it leaned on, its callees' included.
    std::shared_ptr<const WindowAcross::Table> outside_;
    QHash<QString, QSet<QString>> outsideNamesOf_;
    bool outsideTouched_ = false; // the table changed a name some function leaned on
    quint64 windowsGeneration_ = 0;
};

// Points each "{" never closed (TW201) at the definition that runs into its body
// (TW202), and back; `all` sorted by line.
void relateUnclosedBodies(Diagnostics &all);

// Checks a whole text at once; lines are separated by "\n". The flow of each
// body (TW5xx) is judged too unless `flow` is false.
Diagnostics checkScript(const QString &text, bool flow = true);
