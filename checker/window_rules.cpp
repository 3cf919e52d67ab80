#include "checker/window_rules.h"

#include "checker/feasible_paths.h"
#include "checker/flow_path.h"
#include "checker/language.h"
#include "checker/rule_examples.h"
#include "checker/rule_tables.h"
#include "checker/rules.h"
#include "checker/unreachable_rule.h"

#include <QSet>
#include <QVarLengthArray>

#include <algorithm>
#include <vector>

namespace WindowRules {

namespace {

using Kind = FlowStep::Kind;
using Window = Commands::Window;

// What the window may be on the paths that reach a step, one bit per state.
enum State : quint8
{
    kClosed = 1,
    kOpen = 2,      // text shown, no button
    kWaiting = 4,   // a next button or choices
    kUnknown = 8,   // after code this body cannot see into
    kOther = 16,    // a shop or storage window in front of it
    kNoWindow = 32, // an event no player starts
    kDetached = 64, // the top of a floating NPC, which no player's click runs
    // Choices or an input box shown with no mes before: older servers open the
    // message window for them, today's servers show them without one.
    kChoiceOnly = 128,
};

// The servers on which a bare choice leaves the message window open.
constexpr Target::Servers kChoiceOpensWindow = Target::Older | Target::Later;

// States that no command changes: the code runs without a player's window.
constexpr quint8 kWithoutWindow = kNoWindow | kDetached;

// The state an event label starts in: no player for the server's own clocks and
// start-up, a player walking in for OnTouch, anything for the rest.
quint8 eventStart(const QString &label)
{
    if (!Language::isEventLabel(label))
        return 0;
    static constexpr QStringView kNoPlayer[] = {u"OnInit", u"OnClock", u"OnHour", u"OnMinute", u"OnDay", u"OnAgit"};
    for (QStringView prefix : kNoPlayer) {
        if (label.startsWith(prefix))
            return kNoWindow;
    }
    return label.startsWith(u"OnTouch") ? kClosed : kUnknown;
}

// What a step does to the window, read once per step.
enum class Effect : quint8
{
    None,
    Opens,       // mes and its kin: text shown
    Chooses,     // a menu, select, input: choices or a box, and their answer
    Next,        // a next button
    Closes,      // close2: the window closes and the script goes on
    OtherWindow, // a shop or storage window in front
    Unseen,      // code this body cannot see into, or a warp that ends the conversation
};

bool isChoice(const FlowStep &step)
{
    using Word = FlowStep::Word;
    return step.word == Word::Menu || step.word == Word::Select || step.word == Word::Input ||
           step.word == Word::Prompt;
}

Effect effectOf(const FlowStep &step)
{
    if (step.kind == Kind::Call)
        return Effect::Unseen;
    if (step.kind != Kind::Command)
        return step.waits ? Effect::Chooses : Effect::None;
    Effect effect = Effect::None;
    switch (step.window) {
    case Window::Shows:
        effect = isChoice(step) ? Effect::Chooses : Effect::Opens;
        break;
    case Window::Waits:
        effect = Effect::Next;
        break;
    case Window::ClosesOn:
        effect = Effect::Closes;
        break;
    case Window::Opens:
        effect = Effect::OtherWindow;
        break;
    // A move ends the conversation: the client closes the window on the map change,
    // and what follows runs without it, which no rule judges.
    case Window::Moves:
    case Window::Runs:
        effect = Effect::Unseen;
        break;
    case Window::None:
    case Window::Closes: // ends the path: nothing comes after it
    case Window::Ends:
        break;
    }
    return effect == Effect::None && step.waits ? Effect::Chooses : effect;
}

// What the window is after a step, given what it may be before.
quint8 afterOnOnePath(Effect effect, quint8 before)
{
    const quint8 without = before & kWithoutWindow;
    const quint8 shown = before & ~kWithoutWindow;
    const auto becomes = [&](quint8 state) { return quint8(without | (shown ? state : 0)); };
    switch (effect) {
    case Effect::None:
        return before;
    case Effect::Opens:
        return becomes(kOpen);
    case Effect::Chooses: {
        // Only where no window was open may the choice stand without one.
        const quint8 fresh = quint8(kClosed | kChoiceOnly);
        return quint8(without | ((shown & fresh) ? kChoiceOnly : 0) | ((shown & ~fresh) ? kOpen : 0));
    }
    case Effect::Next: {
        // Behind a shop's window the state stays: the rules judge where it opens, not what follows.
        const quint8 others = shown & kOther;
        return quint8(without | others | ((shown & ~kOther) ? kWaiting : 0));
    }
    case Effect::Closes:
        return becomes(kClosed);
    case Effect::OtherWindow:
        return becomes(kOther);
    case Effect::Unseen:
        return becomes(kUnknown);
    }
    return before;
}

// A path's state is one byte; paths inside a subroutine that callsub or a call of
// a function of the body runs keep theirs in the high byte, since their return
// goes back to the caller rather than ending the script.
using States = quint16;

quint8 mainPaths(States states)
{
    return quint8(states & 0xFF);
}

quint8 anyPath(States states)
{
    return quint8((states & 0xFF) | (states >> 8));
}

// The same states on a path of its own and inside a subroutine.
States bothBytes(quint8 states)
{
    return States(states | (states << 8));
}

States after(Effect effect, States before)
{
    return States(afterOnOnePath(effect, mainPaths(before)) | (afterOnOnePath(effect, quint8(before >> 8)) << 8));
}

// Where a state bit first came into a node from: the node and its way on (-1 into
// what it calls), and the bit it had there; kEntry where a path starts with it.
struct Came
{
    int node = -1;
    qint16 way = -1;
    qint8 bit = -1;
};
constexpr int kEntry = -2;
constexpr int kBits = 16; // a path's own byte and a subroutine's

// Only the first findings of a body are traced back along their path: the preview
// needs the one under the cursor, and each costs the length of its path.
constexpr int kMostPaths = 32;

// What a check keeps per node, in arrays kept from body to body: a body is judged
// after nearly every edit, and most bodies are short.
struct Scratch
{
    std::vector<States> in;
    std::vector<Effect> effects;
    std::vector<int> opener; // the mes, or the call, that opened the window on some path here
    // The last way chosen while the window was open on some path here: node * 16 + way.
    std::vector<int> chosen;
    std::vector<int> work;
    std::vector<Came> came; // per node and state bit, while paths are traced
    // The summaries of what each node calls, in order, read when a path first reaches
    // it: node k's are calls[callRange[k].first] up to calls[callRange[k].second].
    std::vector<std::pair<int, int>> callRange;
    std::vector<WindowSummary> calls;
};
thread_local Scratch tScratch;

// The subroutines and functions of one body, summarised once per check of it.
using BodySummaries = WindowSummaryMemo<int>;

// What a statement that calls code elsewhere does itself, besides the calls.
Effect ownEffectOfCaller(const FlowStep &step)
{
    const bool onlyCalls =
        step.kind == Kind::Call ||
        (step.kind == Kind::Command && (step.word == FlowStep::Word::Callfunc || step.word == FlowStep::Word::Callsub));
    if (!onlyCalls)
        return effectOf(step);
    return step.waits ? Effect::Chooses : Effect::None;
}

class Checker
{
public:
    Checker(const FlowGraph::Graph &graph, bool function, const Target &target, const Context &context,
            const FeasiblePaths::Blocked &blocked, Scratch &scratch, BodySummaries &bodySummaries)
        : g_(graph), target_(target), context_(context), blocked_(blocked), function_(function),
          bodySummaries_(bodySummaries), in_(scratch.in), effects_(scratch.effects), opener_(scratch.opener),
          chosen_(scratch.chosen), work_(scratch.work), came_(scratch.came), callRange_(scratch.callRange),
          calls_(scratch.calls)
    {
        const size_t size = size_t(g_.nodes.size());
        in_.assign(size, 0);
        opener_.assign(size, -1);
        chosen_.assign(size, -1);
        work_.clear();
        effects_.clear();
        callRange_.assign(size, {0, -1});
        calls_.clear();
        for (const FlowGraph::Node &node : g_.nodes)
            effects_.push_back(effectOf(*node.step));
    }

    // Starts again from nothing, keeping what was read of the calls.
    void clear()
    {
        std::fill(in_.begin(), in_.end(), States(0));
        std::fill(opener_.begin(), opener_.end(), -1);
        std::fill(chosen_.begin(), chosen_.end(), -1);
        work_.clear();
        if (tracing_)
            std::fill(came_.begin(), came_.end(), Came());
    }

    // Keeps where each state of each node came from, so that a finding can name a
    // path that reaches it and, from `paths`, the values it takes.
    void tracePaths(FeasiblePaths::Paths &paths)
    {
        tracing_ = true;
        paths_ = &paths;
        came_.assign(size_t(g_.nodes.size()) * kBits, Came());
    }

    // Where a body's paths start: its top, its events, its functions.
    void enterBody(Start start)
    {
        if (!g_.nodes.isEmpty())
            enter(0, start == Start::Player ? kClosed : start == Start::Floating ? kDetached : kUnknown);
        enterEvents();
        for (const int first : g_.functionStarts)
            enter(first, kUnknown);
    }

    void enter(int node, quint8 state)
    {
        if (tracing_)
            noteCame(node, States(state & ~in_[size_t(node)]), kEntry, -1);
        in_[size_t(node)] |= States(state);
        if (state)
            work_.push_back(node);
    }

    Diagnostics run()
    {
        propagate();
        Diagnostics found;
        for (int node = 0; node < g_.nodes.size(); ++node)
            judge(node, found);
        return found;
    }

    // The states in which the paths entered come back to a caller: at a return, or
    // at the "}" of a function; `fromFile` for a function of the file, whose own end
    // returns too.
    quint8 exits(bool fromFile)
    {
        propagate();
        quint8 found = 0;
        for (int node = 0; node < g_.nodes.size(); ++node) {
            const FlowStep &step = *g_.nodes.at(node).step;
            const bool returns = step.kind == Kind::Return || (fromFile && step.kind == Kind::BodyEnd) ||
                                 (!fromFile && g_.functionEnds.contains(node));
            if (returns && (!fromFile || !g_.nodes.at(node).inFunction))
                found |= mainPaths(in_[size_t(node)]);
        }
        return found;
    }

private:
    void readCalls(int node);
    WindowSummary summaryOf(const WindowCalls::Call &call);
    WindowSummary subroutine(int node);
    States transfer(int node, States before)
    {
        if (callRange_[size_t(node)].second < 0)
            readCalls(node);
        States states = before;
        for (int at = callRange_[size_t(node)].first; at < callRange_[size_t(node)].second; ++at) {
            const WindowSummary &call = calls_[size_t(at)];
            states = States(call.apply(mainPaths(states)) | (call.apply(quint8(states >> 8)) << 8));
        }
        return after(effects_[size_t(node)], states);
    }
    bool calls(int node) const { return callRange_[size_t(node)].second > callRange_[size_t(node)].first; }
    void enterEvents();
    void propagate();
    void flowInto(int node, States states, int opener, int chosen, int from, int way);
    void noteCame(int node, States fresh, int from, int way);
    int sourceBit(int from, int way, int bit);
    struct Path
    {
        QVector<FeasiblePaths::Way> ways;
        QVector<qint8> bits; // the state bit the path is in at each of them
    };
    Path pathTo(int node, States wanted) const;
    void givePath(Diagnostic &diagnostic, const Path &path) const;
    void placesOnThePath(Diagnostic &diagnostic, const Path &path, bool onlyWaysSinceThen = false) const;
    void lastWayTaken(Diagnostic &diagnostic, const Path &path, qsizetype from) const;
    Diagnostic::Related wayChosen(int chosen) const;
    void judge(int node, Diagnostics &found) const;
    void stuck(int node, quint8 in, Diagnostics &found) const;
    void besideMessage(int node, quint8 in, Diagnostics &found) const;
    void openerAndWay(Diagnostic &diagnostic, int node) const;
    void emptyWindow(int node, quint8 in, Diagnostics &found) const;
    QString eventAbove(int node) const;
    Diagnostic make(int node, Rule rule, const QStringList &arguments = {}) const
    {
        const FlowGraph::Node &at = g_.nodes.at(node);
        Diagnostic diagnostic = Rules::make(rule, at.line, at.step->column, at.step->length, arguments);
        return diagnostic;
    }

    // A finding about the window after a bare choice, which only `servers` meet: its
    // severity follows `verdict`, and where the target holds others it names them.
    Diagnostic onSomeServers(int node, Rule rule, Target::Servers servers, Target::Verdict verdict,
                             const QStringList &arguments = {}) const
    {
        Diagnostic diagnostic = make(node, rule, arguments);
        diagnostic.severity =
            verdict == Target::Verdict::Error ? Diagnostic::Severity::Error : Diagnostic::Severity::Warning;
        if (!target_.isOnly(servers))
            diagnostic.message += QStringLiteral("（%1で起きます）").arg(Target::serversPhrase(servers));
        return diagnostic;
    }

    // Whether `node` ends the script: in a function it only returns to the caller.
    bool endsScript(int node) const
    {
        const FlowStep &step = *g_.nodes.at(node).step;
        const bool leaves = step.kind == Kind::BodyEnd || step.kind == Kind::Return;
        return leaves && !function_ && !g_.nodes.at(node).inFunction;
    }

    const FlowGraph::Graph &g_;
    const Target &target_;
    const Context &context_;
    const FeasiblePaths::Blocked &blocked_; // ways no path takes
    const bool function_;
    BodySummaries &bodySummaries_;
    std::vector<States> &in_;
    std::vector<Effect> &effects_;
    std::vector<int> &opener_;
    std::vector<int> &chosen_;
    std::vector<int> &work_;
    std::vector<Came> &came_;
    bool tracing_ = false;
    FeasiblePaths::Paths *paths_ = nullptr;
    mutable int pathsGiven_ = 0;
    std::vector<std::pair<int, int>> &callRange_;
    std::vector<WindowSummary> &calls_;
};

// A node's own effect, and the summaries of what it calls in order.
void Checker::readCalls(int node)
{
    const FlowStep &step = *g_.nodes.at(node).step;
    const WindowCalls::Calls found = WindowCalls::of(g_, node, context_.text, context_.isFileFunction);
    if (!found.isEmpty())
        effects_[size_t(node)] = ownEffectOfCaller(step);
    // Summaries are worked out first: working one out may read calls of this checker's graph.
    QVarLengthArray<WindowSummary, 2> summaries;
    for (const WindowCalls::Call &call : found)
        summaries.append(summaryOf(call));
    const int first = int(calls_.size());
    calls_.insert(calls_.end(), summaries.cbegin(), summaries.cend());
    callRange_[size_t(node)] = {first, int(calls_.size())};
}

WindowSummary Checker::summaryOf(const WindowCalls::Call &call)
{
    switch (call.kind) {
    case WindowCalls::Call::Kind::File:
        return context_.summaryOf ? context_.summaryOf(call.name) : unknownSummary();
    case WindowCalls::Call::Kind::Body:
        return subroutine(call.node);
    case WindowCalls::Call::Kind::Unknown:
        break;
    }
    return unknownSummary();
}

// What the subroutine or function of the body that begins at `node` does to the
// window, worked out from each state on its own.
WindowSummary Checker::subroutine(int node)
{
    return bodySummaries_.get(node, unknownSummary(), [this](int first) {
        WindowSummary summary;
        Scratch scratch;
        Checker inner(g_, true, target_, context_, blocked_, scratch, bodySummaries_);
        for (int bit = 0; bit < 8; ++bit) {
            inner.clear();
            inner.enter(first, quint8(1u << bit));
            summary.exits[size_t(bit)] = inner.exits(false);
        }
        return summary;
    });
}

// Each event label starts paths in its own state, entered in the order of the body
// so that the window's opener named on a path never depends on the label table.
void Checker::enterEvents()
{
    QVarLengthArray<std::pair<int, quint8>, 16> events;
    for (const auto &[name, node] : g_.labels) {
        if (const quint8 state = eventStart(name))
            events.append({node, state});
    }
    std::sort(events.begin(), events.end());
    for (const auto &[node, state] : events)
        enter(node, state);
}

void Checker::propagate()
{
    // States only gain bits, so this ends after at most six rounds per node.
    while (!work_.empty()) {
        const int node = work_.back();
        work_.pop_back();
        const FlowStep &step = *g_.nodes.at(node).step;
        const Effect effect = effects_[size_t(node)];
        const States out = transfer(node, in_[size_t(node)]);
        // A call whose code left the window open opens it as a mes would.
        const bool shows = effect == Effect::Opens || effect == Effect::Chooses ||
                           (calls(node) && (anyPath(out) & (kOpen | kWaiting)));
        const bool opens = shows && (anyPath(in_[size_t(node)]) & (kClosed | kUnknown | kChoiceOnly));
        for (const int target : g_.nodes.at(node).calls)
            flowInto(target, States((in_[size_t(node)] << 8) | (in_[size_t(node)] & 0xFF00)), -1, -1, node, -1);
        const int opener = opens ? node : opener_[size_t(node)];
        const bool ends = endsScript(node) || (step.kind == Kind::Command && step.window == Window::Closes);
        if (ends)
            continue;
        const FlowGraph::Node &at = g_.nodes.at(node);
        // Where the paths part with the window open, the way each takes is named.
        const bool open = anyPath(out) & (kOpen | kWaiting | kChoiceOnly);
        const bool parts = open && at.next.size() > 1 && at.next.size() <= 16;
        for (int way = 0; way < at.next.size(); ++way) {
            const int chosen = parts ? node * 16 + way : open ? chosen_[size_t(node)] : -1;
            if (!FeasiblePaths::isBlocked(blocked_, node, way))
                flowInto(at.next[way], out, opener, chosen, node, way);
        }
    }
}

void Checker::flowInto(int node, States states, int opener, int chosen, int from, int way)
{
    if (tracing_)
        noteCame(node, States(states & ~in_[size_t(node)]), from, way);
    const States merged = in_[size_t(node)] | states;
    const bool newOpener = opener >= 0 && opener_[size_t(node)] < 0;
    const bool newChosen = chosen >= 0 && chosen_[size_t(node)] < 0;
    if (merged != in_[size_t(node)] || newOpener || newChosen) {
        in_[size_t(node)] = merged;
        if (newOpener)
            opener_[size_t(node)] = opener;
        if (newChosen)
            chosen_[size_t(node)] = chosen;
        work_.push_back(node);
    }
}

void Checker::noteCame(int node, States fresh, int from, int way)
{
    for (int bit = 0; fresh && bit < kBits; ++bit) {
        if (fresh & (1u << bit))
            came_[size_t(node) * kBits + size_t(bit)] = {from, qint16(way),
                                                         qint8(from == kEntry ? -1 : sourceBit(from, way, bit))};
    }
}

// A bit of `from` that gives `bit` on its way on: the states of a node only gain
// bits, so it was there before `bit` came, and a path traced back never loops.
int Checker::sourceBit(int from, int way, int bit)
{
    const States in = in_[size_t(from)];
    if (way < 0) // into a subroutine: the caller's own states go to the high byte
        return bit >= 8 && (in & (1u << (bit - 8))) ? bit - 8 : bit;
    for (int source = 0; source < kBits; ++source) {
        if ((in & (1u << source)) && (transfer(from, States(1u << source)) & (1u << bit)))
            return source;
    }
    return -1;
}

// One path from where paths start to `node`, in a state of `wanted`: the ways it
// took, traced back through where each state first came from.
Checker::Path Checker::pathTo(int node, States wanted) const
{
    Path path;
    const States have = States(in_[size_t(node)] & wanted);
    if (!tracing_ || !have || pathsGiven_ >= kMostPaths)
        return path;
    ++pathsGiven_;
    int bit = 0;
    while (!(have & (1u << bit)))
        ++bit;
    path.ways.append({node, -1});
    path.bits.append(qint8(bit));
    for (qsizetype guard = qsizetype(came_.size()); guard > 0; --guard) {
        const Came &came = came_[size_t(node) * kBits + size_t(bit)];
        if (came.node < 0 || came.bit < 0)
            break;
        node = came.node;
        bit = came.bit;
        path.ways.append({node, came.way});
        path.bits.append(qint8(bit));
    }
    if (came_[size_t(node) * kBits + size_t(bit)].node != kEntry)
        return {}; // not traced back to a start: no path is named
    std::reverse(path.ways.begin(), path.ways.end());
    std::reverse(path.bits.begin(), path.bits.end());
    return path;
}

// What the path decides, for the preview to take it again.
void Checker::givePath(Diagnostic &diagnostic, const Path &path) const
{
    if (path.ways.isEmpty() || !paths_)
        return;
    diagnostic.path = FlowPath::decisions(g_, context_.text, *paths_, path.ways);
}

// The places of a path that tell how the window came to be as it is at its end:
// the statement or call that left it so, and the last way chosen (since then only,
// for `onlyWaysSinceThen`).
void Checker::placesOnThePath(Diagnostic &diagnostic, const Path &path, bool onlyWaysSinceThen) const
{
    const qsizetype last = path.ways.size() - 1;
    if (last < 0)
        return;
    // Text shown with or without a button is one: the place is where it was shown.
    const auto stateOf = [&](qsizetype i) {
        const quint8 state = quint8(1u << (path.bits.at(i) & 7));
        return state & (kOpen | kWaiting) ? quint8(kOpen) : state;
    };
    const quint8 state = stateOf(last);
    qsizetype since = 0;
    for (qsizetype i = last - 1; i >= 0; --i) {
        // A call's way in keeps the state; a call the path comes back from may have set it.
        const bool call = path.ways.at(i).way >= 0 && calls(path.ways.at(i).node);
        if (stateOf(i) == stateOf(i + 1) && !call)
            continue;
        const FlowGraph::Node &at = g_.nodes.at(path.ways.at(i).node);
        const QString what = state == kClosed ? (call ? QStringLiteral("この呼び出しから窓が閉じたまま戻ります")
                                                      : QStringLiteral("ここで窓が閉じます"))
                             : state == kOpen ? (call ? QStringLiteral("この呼び出しが窓を開いたまま戻ります")
                                                      : QStringLiteral("ここで窓が開きます"))
                                              : (call ? QStringLiteral("この呼び出しから選択肢だけが出たまま戻ります")
                                                      : QStringLiteral("ここで選択肢だけが出ます"));
        diagnostic.related.append({at.line, at.step->column, at.step->length, what});
        since = i;
        break;
    }
    lastWayTaken(diagnostic, path, onlyWaysSinceThen ? since : 0);
}

// The last way the path took where paths part, from its `from`-th statement on.
void Checker::lastWayTaken(Diagnostic &diagnostic, const Path &path, qsizetype from) const
{
    for (qsizetype i = path.ways.size() - 2; i >= from; --i) {
        const auto &[node, way] = path.ways.at(i);
        if (way >= 0 && way < 16 && g_.nodes.at(node).next.size() > 1) {
            diagnostic.related.append(wayChosen(node * 16 + way));
            break;
        }
    }
}

// The place and words for the way a path took: a condition that held or not, a
// case, no case, or a choice.
Diagnostic::Related Checker::wayChosen(int chosen) const
{
    const int node = chosen / 16, way = chosen % 16;
    const FlowGraph::Node &at = g_.nodes.at(node);
    const qint8 when = way < at.when.size() ? at.when[way] : 0;
    const FlowGraph::Node &place = when == FlowGraph::kCase                           ? g_.nodes.at(at.next[way])
                                   : when == FlowGraph::kPastCases && at.chooses >= 0 ? g_.nodes.at(at.chooses)
                                                                                      : at;
    const QString what = when == 1                  ? QStringLiteral("この条件が成り立つ道筋です")
                         : when == -1               ? QStringLiteral("この条件が成り立たない道筋です")
                         : when == FlowGraph::kCase ? QStringLiteral("この case に入る道筋です")
                         : when == FlowGraph::kPastCases ? QStringLiteral("どの case にも当たらない道筋です")
                                                         : QStringLiteral("ここで選ぶ道筋です");
    return {place.line, place.step->column, place.step->length, what};
}

void Checker::judge(int node, Diagnostics &found) const
{
    const FlowStep &step = *g_.nodes.at(node).step;
    const quint8 in = anyPath(in_[size_t(node)]);
    if (in == 0)
        return;
    const bool shows = step.kind == Kind::Command && (step.window == Window::Shows || step.window == Window::Waits);
    if ((shows || step.waits) && (in & kNoWindow))
        found.append(
            make(node, Rule::WindowWithoutPlayer, {eventAbove(node), shows ? step.text : QStringLiteral("select")}));
    if (endsScript(node)) {
        // A return in a subroutine goes back to its caller; the body's end ends it all.
        stuck(node, step.kind == Kind::Return ? mainPaths(in_[size_t(node)]) : in, found);
        return;
    }
    if (step.kind != Kind::Command)
        return;
    if (step.window == Window::Ends)
        stuck(node, in, found);
    if (step.window == Window::Opens)
        besideMessage(node, in, found);
    if (step.window == Window::Closes)
        emptyWindow(node, in, found);
}

// An end reached while the window is open or waits: the player cannot leave it.
// After a bare choice only the servers that opened a window for it leave one.
void Checker::stuck(int node, quint8 in, Diagnostics &found) const
{
    const bool open = in & (kOpen | kWaiting);
    const Target::Verdict verdict = open                 ? Target::Verdict::Error
                                    : (in & kChoiceOnly) ? target_.judge(kChoiceOpensWindow)
                                                         : Target::Verdict::Fine;
    if (verdict == Target::Verdict::Fine)
        return;
    Diagnostic diagnostic =
        open ? make(node, Rule::PlayerStuck) : onSomeServers(node, Rule::PlayerStuck, kChoiceOpensWindow, verdict);
    diagnostic.fixes.append(
        {QStringLiteral("前に「close;」を加える"), {{g_.nodes.at(node).step->column, 0, QStringLiteral("close; ")}}});
    // A return in a subroutine is judged on the paths of its own byte.
    const States paths = g_.nodes.at(node).step->kind == Kind::Return ? States(0xFF) : States(0xFFFF);
    const Path path = pathTo(node, States(bothBytes(open ? quint8(kOpen | kWaiting) : quint8(kChoiceOnly)) & paths));
    if (path.ways.isEmpty())
        openerAndWay(diagnostic, node);
    else
        placesOnThePath(diagnostic, path, true); // the ways while the window was open, as the player chose them
    givePath(diagnostic, path);
    found.append(diagnostic);
}

// Where the window opened on some path to `node` (a mes, or a call that came back
// with it open), and the way chosen after, while it was open.
void Checker::openerAndWay(Diagnostic &diagnostic, int node) const
{
    const int opener = opener_[size_t(node)];
    if (opener >= 0) {
        const FlowGraph::Node &mes = g_.nodes.at(opener);
        const QString what = calls(opener) ? QStringLiteral("この呼び出しが窓を開いたまま戻ります")
                                           : QStringLiteral("ここで窓が開きます");
        diagnostic.related.append({mes.line, mes.step->column, mes.step->length, what});
    }
    if (chosen_[size_t(node)] >= 0)
        diagnostic.related.append(wayChosen(chosen_[size_t(node)]));
}

// A close where no message was shown puts a button in an empty window; after a
// bare choice only today's servers showed none.
void Checker::emptyWindow(int node, quint8 in, Diagnostics &found) const
{
    const bool choiceOnly = (in & kChoiceOnly) && (in & ~(kClosed | kChoiceOnly)) == 0;
    if (in != kClosed && !(choiceOnly && target_.includes(Target::kToday)))
        return;
    Diagnostic diagnostic = in == kClosed
                                ? make(node, Rule::EmptyWindow)
                                : onSomeServers(node, Rule::EmptyWindow, Target::kToday, Target::Verdict::Warning);
    const Path path = pathTo(node, bothBytes(in == kClosed ? quint8(kClosed) : quint8(kChoiceOnly)));
    placesOnThePath(diagnostic, path);
    givePath(diagnostic, path);
    found.append(diagnostic);
}

// A shop or storage opened while the message window is open: older servers may
// not open it at all, today's servers lay one over the other.
void Checker::besideMessage(int node, quint8 in, Diagnostics &found) const
{
    const bool open = in & (kOpen | kWaiting);
    if (!open && !((in & kChoiceOnly) && target_.includes(kChoiceOpensWindow)))
        return;
    const QStringList arguments{g_.nodes.at(node).step->text};
    Diagnostic diagnostic = open ? make(node, Rule::OtherWindowBesideMessage, arguments)
                                 : onSomeServers(node, Rule::OtherWindowBesideMessage, kChoiceOpensWindow,
                                                 Target::Verdict::Warning, arguments);
    const Path path = pathTo(node, bothBytes(open ? quint8(kOpen | kWaiting) : quint8(kChoiceOnly)));
    if (path.ways.isEmpty())
        openerAndWay(diagnostic, node);
    else
        placesOnThePath(diagnostic, path);
    givePath(diagnostic, path);
    found.append(diagnostic);
}

// The name of the event whose code `node` stands in: the last event label above it.
QString Checker::eventAbove(int node) const
{
    for (int i = node; i >= 0; --i) {
        const FlowStep &step = *g_.nodes.at(i).step;
        if (step.kind == Kind::Label && eventStart(step.text) == kNoWindow)
            return step.text;
    }
    return QStringLiteral("OnInit");
}

} // namespace

Diagnostics check(const FlowGraph::Graph &graph, Start start, const Target &target, const Context &context)
{
    if (!graph.readable)
        return {};
    // Following only the feasible paths can only take findings away, and costs
    // more than following every way: it is asked for only where a way finds one.
    const FeasiblePaths::Blocked noneBlocked;
    Diagnostics found;
    {
        BodySummaries bodySummaries;
        Checker checker(graph, start == Start::Function, target, context, noneBlocked, tScratch, bodySummaries);
        checker.enterBody(start);
        found = checker.run();
    }
    if (!found.isEmpty()) {
        BodySummaries bodySummaries;
        FeasiblePaths::Paths paths(graph, context.text, context.commands);
        Checker checker(graph, start == Start::Function, target, context, paths.blocked(), tScratch, bodySummaries);
        checker.tracePaths(paths);
        checker.enterBody(start);
        found = checker.run();
    }
    found += UnreachableRule::check(graph);
    return found;
}

WindowSummary summarise(const FlowGraph::Graph &graph, const Context &context)
{
    if (!graph.readable || graph.nodes.isEmpty())
        return unknownSummary();
    WindowSummary summary;
    BodySummaries bodySummaries;
    Scratch scratch;
    const Target target;
    const FeasiblePaths::Blocked blocked = FeasiblePaths::blockedWays(graph, context.text, context.commands);
    Checker checker(graph, true, target, context, blocked, scratch, bodySummaries);
    for (int bit = 0; bit < 8; ++bit) {
        checker.clear();
        checker.enter(0, quint8(1u << bit));
        summary.exits[size_t(bit)] = checker.exits(true);
    }
    return summary;
}

WindowSummary unknownSummary()
{
    WindowSummary summary;
    for (int bit = 0; bit < 8; ++bit)
        summary.exits[size_t(bit)] = afterOnOnePath(Effect::Unseen, quint8(1u << bit));
    return summary;
}

} // namespace WindowRules

namespace {

using Severity = Diagnostic::Severity;

constexpr RuleDeclaration kWindowRules[] = {
    {Rule::PlayerStuck, u"TW501", Severity::Error,
     u"会話の窓が開いたまま終わります。プレイヤーはボタンのない窓の前で動けなくなります（前に「close;」が要ります）",
     u"窓が開いたまま会話が終わる",
     u"会話の窓が開いたまま（文を表示した後、next や選択肢の後）で、end; や本体の } に着く道筋があります。"
     u"close; のない分岐を忘れたときによく起きます。mes のない menu、select、input は、今のサーバーでは会話の窓を"
     u"開かないので、古いサーバーも調べるときだけ知らせます。",
     u"サーバーは何も言わずにスクリプトを終えます。プレイヤーの画面にはボタンのない窓が残り、"
     u"ログアウトするまで動けません。",
     EXAMPLE_NPC u"\tmes \"またね。\";\n\tend;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tmes \"またね。\";\n\tclose;\n" EXAMPLE_END},
    {Rule::EmptyWindow, u"TW502", Severity::Warning,
     u"何も表示していないのに close があります（空の窓に閉じるボタンだけが出ます）", u"何も表示せずに close",
     u"窓が閉じてから何も表示していない道筋で close; を実行しています。",
     u"プレイヤーには、文のない空の窓に「閉じる」ボタンだけが出ます。",
     EXAMPLE_NPC u"\tgetitem 501,1;\n\tclose;\n" EXAMPLE_END, EXAMPLE_NPC u"\tgetitem 501,1;\n\tend;\n" EXAMPLE_END},
    {Rule::OtherWindowBesideMessage, u"TW503", Severity::Warning,
     u"会話の窓が開いたまま %1 で別の窓を開いています（前に「close2;」を置きます）",
     u"会話の窓を開いたまま店や倉庫の窓を開く",
     u"mes の後、close2; で会話の窓を閉じずに callshop、openstorage、guildopenstorage を実行しています。"
     u"その後の close; は会話の窓に閉じるボタンを出すだけなので、かまいません。",
     u"古いサーバーでは倉庫の窓が開かないことがあり、今のサーバーでは二つの窓が重なります。",
     EXAMPLE_NPC u"\tmes \"ギルドの倉庫をどうぞ。\";\n\tguildopenstorage;\n\tend;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tmes \"ギルドの倉庫をどうぞ。\";\n\tclose2;\n\tguildopenstorage;\n\tend;\n" EXAMPLE_END},
    {Rule::WindowWithoutPlayer, u"TW505", Severity::Warning,
     u"プレイヤーのいないイベント「%1」の中の %2 です。窓はどこにも表示されません",
     u"プレイヤーのいないイベントの中の会話",
     u"OnInit、OnClock…、OnHour…、OnMinute…、OnDay…、OnAgit… はプレイヤーのいないイベントです。"
     u"そこで mes、next、menu、select、input を使っています。",
     u"話しかけているプレイヤーがいないので、窓はどこにも表示されません。",
     u"-\tscript\t時報\t-1,{\nOnClock1200:\n\tmes \"正午です。\";\n\tend;\n}\n",
     u"-\tscript\t時報\t-1,{\nOnClock1200:\n\tannounce \"正午です。\",0;\n\tend;\n}\n"},
};

static_assert(RuleDeclarations::areSound(kWindowRules), "each rule declared once, with a code and a whole page");

} // namespace

RuleTable RuleTables::windows()
{
    return tableOf(kWindowRules);
}
