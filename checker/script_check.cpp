#include "checker/script_check.h"

#include "checker/chunk_splitter.h"
#include "checker/script_line.h"

#include <algorithm>
#include <memory>

// Following an edit: the lines it replaces are read again, and the script is
// followed down only as far as what a line hands on changes.

ScriptCheck::ScriptCheck(std::shared_ptr<const Commands::Table> commands) : ScriptCheck(std::move(commands), Options{})
{
}

ScriptCheck::ScriptCheck(std::shared_ptr<const Commands::Table> commands, Options options)
    : commands_(std::move(commands)), options_(options)
{
    labels_.setTarget(commands_->target());
}
ScriptCheck::~ScriptCheck() = default;

QVector<int> ScriptCheck::replaceLines(int first, int removed, const QStringList &texts)
{
    first = std::clamp(first, 0, lineCount());
    removed = std::clamp(removed, 0, lineCount() - first);
    // A line rewritten in place keeps its identity, so that typing into a definition
    // line leaves the lines of its body as they were.
    const qsizetype kept = std::min<qsizetype>(removed, texts.size());
    // The file's own directives stand above its first definition line: only an edit
    // there that adds, removes or rewrites a directive or a definition changes them.
    const bool touchesTop = first <= topEnd_;
    bool topChanges = false;
    for (int i = first; touchesTop && !topChanges && i < first + removed; ++i)
        topChanges = affectsFileDirectives(*lines_[size_t(i)]);
    for (qsizetype i = 0; i < kept; ++i) {
        Line &line = *lines_[size_t(first + i)];
        // The flow rules read numbers and names at the places steps hold, which the
        // steps alone do not tell apart: "while (1)" and "while (0)".
        if (line.text != texts.at(i))
            markFlowDirty(line.body);
        line.text = texts.at(i);
    }
    for (int i = first + int(kept); i < first + removed; ++i) {
        Line &gone = *lines_[size_t(i)];
        labels_.remove(&gone);
        forgetStop(gone);
        // The body it stood in loses its steps: its flow is judged again.
        markFlowDirty(gone.body);
        markFlowDirty(gone.flowBody);
    }
    const auto gone = lines_.begin() + first + kept;
    lines_.erase(gone, gone + (removed - kept));
    std::vector<std::unique_ptr<Line>> fresh;
    fresh.reserve(size_t(texts.size() - kept));
    for (qsizetype i = kept; i < texts.size(); ++i) {
        // Every member has its initialiser: default-initialised, the line is not first
        // cleared byte by byte, as make_unique's value-initialisation would do.
        std::unique_ptr<Line> line(new Line);
        line->id = ++lastId_;
        line->text = texts.at(i);
        fresh.push_back(std::move(line));
    }
    lines_.insert(lines_.begin() + first + kept, std::make_move_iterator(fresh.begin()),
                  std::make_move_iterator(fresh.end()));
    moveFirstStop(first, removed, int(texts.size()));
    const StopNote stopBefore{firstStop_, firstStopNumber_};
    const int end = first + int(texts.size());
    for (int i = first; i < end; ++i) {
        Line &line = *lines_[size_t(i)];
        LineStore::readText(line, commands_->target(), options_.colours, options_.encoding);
        noteChange(line);
        topChanges = topChanges || (touchesTop && affectsFileDirectives(line));
    }
    const StopsSeen seen = follow(first, end);
    linesReadLast_ = {seen.from, std::max(seen.from, seen.to + 1)};
    // Lines come and go between the lines around them: the bodies those stand in may
    // have grown or shrunk (a line outside any body can split one), so their flow is
    // judged again.
    if (texts.size() != removed) {
        if (end < lineCount())
            markFlowDirty(lines_[size_t(end)]->body);
        if (first > 0)
            markFlowDirty(lines_[size_t(first - 1)]->body);
    }
    if (topChanges)
        readFileDirectives();
    else if (touchesTop)
        topEnd_ += int(texts.size()) - removed;
    QVector<int> numbers = numbersOfChanged(first, end);
    addStopNumbers(numbers, stopBefore, first, end, seen, texts.size() != removed);
    return numbers;
}

// What a line held before a pass read it again.
struct ScriptCheck::Before
{
    Line *line;
    Diagnostics found;
    QVector<Colour> colours;
    LabelRules::IndexedLine indexedAs;
    Directives::Codes silenced;
    FlowSteps steps;
};

ScriptCheck::StopsSeen ScriptCheck::follow(int first, int end)
{
    // Start where no statement is open, so that a statement's tokens are all read in this pass.
    while (first > 0 && lines_[size_t(first - 1)]->after.chunkOpen)
        --first;
    State state;
    Line *bodyLine = nullptr;
    Line *commentLine = nullptr;
    if (first > 0) {
        const Line &before = *lines_[size_t(first - 1)];
        state = before.after;
        bodyLine = before.bodyLine;
        commentLine = before.commentLine;
    }
    ChunkSplitter pass(*commands_, {options_.colours, options_.commandWords, options_.tokens}, state, bodyLine,
                       commentLine);
    std::vector<Before> visited; // lines read before, with what they held
    std::vector<Line *> fresh;   // lines read for the first time, which held nothing
    fresh.reserve(size_t(std::max(end - first, 0)) + 1);
    std::vector<ChunkSplitter::Flag> resets;
    StopsSeen seen;
    seen.from = first;
    bool settled = false;
    for (int i = first; i < lineCount() && !settled; ++i) {
        Line &line = *lines_[size_t(i)];
        const bool stoppedBefore = line.stopColumn >= 0;
        // A line never read before has nothing to forget.
        if (line.read)
            visited.push_back(forget(line));
        else
            fresh.push_back(&line);
        line.read = true;
        pass.visit(line);
        noteStop(line, stoppedBefore);
        seen.note(i, line.stopColumn >= 0);
        const State after = pass.state();
        // A line that leaves no body or comment of its own open has no such mistake
        // to carry, unless a later line in this pass says otherwise.
        // (A flag already down needs no reset: whatever the pass sets comes after.)
        if (after.body != line.id) {
            if (line.unclosedBody)
                resets.push_back({&line, &Line::unclosedBody, false});
            if (line.missingBody)
                resets.push_back({&line, &Line::missingBody, false});
        }
        if ((after.comment != line.id || after.region != State::Region::Body) && line.openComment)
            resets.push_back({&line, &Line::openComment, false});
        const bool same = line.after == after;
        line.after = after;
        line.bodyLine = pass.bodyLine();
        line.commentLine = pass.commentLine();
        settled = i >= end && same && !after.chunkOpen; // every later line sees what it saw before
    }
    if (!settled)
        pass.finish();
    resets.insert(resets.end(), pass.flags.cbegin(), pass.flags.cend());
    for (const ChunkSplitter::Flag &flag : resets) {
        if (flag.line->*flag.flag != flag.value) {
            flag.line->*flag.flag = flag.value;
            noteChange(*flag.line);
        }
    }
    compareWithBefore(visited, fresh);
    settleFirstStop(seen);
    return seen;
}

// Empties what a pass finds in `line`, and returns what it held.
ScriptCheck::Before ScriptCheck::forget(Line &line)
{
    Before before{&line,
                  std::move(line.found),
                  std::move(line.colours),
                  std::move(static_cast<LabelRules::IndexedLine &>(line)),
                  line.silenced,
                  std::move(line.steps)};
    line.found.clear();
    line.colours.clear();
    static_cast<LabelRules::IndexedLine &>(line) = LabelRules::IndexedLine{};
    line.indexed = before.indexedAs.indexed;
    line.calls.clear();
    line.commandWords.clear();
    line.steps.clear();
    line.definesFunction = false;
    return before;
}

// Notes the lines a pass changed, and files anew in the label index those whose
// labels, jumps or functions changed. A line read for the first time changed in
// whatever it holds.
void ScriptCheck::compareWithBefore(std::vector<Before> &visited, const std::vector<Line *> &fresh)
{
    QVector<Line *> touched;
    for (Line *line : fresh) {
        if (!line->found.isEmpty() || !line->colours.isEmpty() || !Directives::same(nullptr, line->silenced))
            noteChange(*line);
        markFlowDirty(line->body);
        labels_.add(line);
        if (line->holdsUses())
            touched.append(line);
    }
    for (Before &before : visited) {
        Line &line = *before.line;
        if (before.found != line.found || before.colours != line.colours ||
            !Directives::same(before.silenced, line.silenced))
            noteChange(line);
        // The flow of a body is judged again when its steps, or its lines, change.
        if (before.steps != line.steps || before.indexedAs.body != line.body) {
            markFlowDirty(before.indexedAs.body);
            markFlowDirty(line.body);
        }
        if (!line.indexed || !line.indexesAs(before.indexedAs)) {
            labels_.remove(&line, before.indexedAs);
            labels_.add(&line);
            // A line that holds no label has nothing to be judged, unless findings are left to clear.
            if (line.holdsUses() || !line.labels.isEmpty())
                touched.append(&line);
        }
    }
    recheckLabels(touched);
}

// The directives above the first definition line, which hold for the whole file.
// Only an edit above that line can change them.
void ScriptCheck::readFileDirectives()
{
    Directives::Codes codes;
    int i = 0;
    for (; i < lineCount(); ++i) {
        const Line &line = *lines_[size_t(i)];
        if (line.definition.kind != DefinitionLine::Kind::None && !line.definition.indented)
            break;
        if (line.directive.present)
            codes = Directives::joined(codes, line.directive.codes);
    }
    topEnd_ = i;
    if (Directives::same(codes, fileSilence_))
        return;
    fileSilence_ = std::move(codes);
    for (const std::unique_ptr<Line> &line : lines_) {
        if (hasDiagnostics(*line) || line.get() == firstStop_)
            noteChange(*line);
    }
}

bool ScriptCheck::affectsFileDirectives(const Line &line)
{
    return line.directive.present || line.definition.kind != DefinitionLine::Kind::None;
}

// Lines that share a label with a changed line, and the changed lines themselves.
void ScriptCheck::recheckLabels(const QVector<Line *> &changed)
{
    const QVector<LabelRules::IndexedLine *> lines =
        labels_.takeTouched(QVector<LabelRules::IndexedLine *>(changed.cbegin(), changed.cend()));
    for (LabelRules::IndexedLine *indexed : std::as_const(lines)) {
        Line &line = *static_cast<Line *>(indexed);
        Diagnostics found = labels_.diagnostics(line);
        // A call by name asks the files loaded before for its function only while
        // its body has none of that name: a declaration elsewhere in the body
        // changes what the line asks, though not what is found on it.
        if (line.labels != found || !line.functionCalls.isEmpty()) {
            line.labels = std::move(found);
            noteChange(line);
        }
    }
}

void ScriptCheck::noteChange(Line &line)
{
    if (!line.changed) {
        line.changed = true;
        changed_.push_back(&line);
    }
}

// Lines keep no number, which would have to be rewritten on every line break:
// the changed ones lie near the edit, so they are looked for outwards from it.
QVector<int> ScriptCheck::numbersOfChanged(int first, int end)
{
    QVector<int> numbers;
    for (int i = first; i < end; ++i)
        lines_[size_t(i)]->changed = false;
    qsizetype left = std::count_if(changed_.cbegin(), changed_.cend(), [](const Line *line) { return line->changed; });
    const auto take = [&](int i) {
        Line &line = *lines_[size_t(i)];
        if (line.changed) {
            line.changed = false;
            numbers.append(i);
            --left;
        }
    };
    for (int step = 1; left > 0 && (first - step >= 0 || end + step - 1 < lineCount()); ++step) {
        if (first - step >= 0)
            take(first - step);
        if (end + step - 1 < lineCount())
            take(end + step - 1);
    }
    for (Line *line : changed_)
        line->changed = false;
    changed_.clear();
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

Diagnostics checkScript(const QString &text, bool flow)
{
    ScriptCheck check;
    check.replaceLines(0, 0, text.split(u'\n'));
    if (flow)
        check.updateFlow();
    return check.allDiagnostics();
}
