#pragma once

// The line store of ScriptCheck: what each line of a script holds, and the state
// it hands on to the next. Only the checker's own files include this.

#include "checker/block_nesting.h"
#include "checker/body_tokens.h"
#include "checker/colour.h"
#include "checker/definition_line.h"
#include "checker/diagnostic.h"
#include "checker/directives.h"
#include "checker/flow_step.h"
#include "checker/label_rules.h"
#include "checker/script_check.h"

#include <QSet>
#include <QString>
#include <QStringView>

#include <memory>

namespace LineStore {

// What a line hands on to the next.
struct State
{
    enum class Region : quint8
    {
        Top,       // outside any body: definition lines, comments, skipped lines
        AwaitBody, // after a definition whose body begins with a "{" on a later line
        Body,
    };
    Region region = Region::Top;
    bool inComment = false;   // a /* comment is open
    bool chunkOpen = false;   // a statement goes on past the line
    bool missedBrace = false; // the body began without its "{"
    bool quiet = false;       // a body the loader skips: nothing in it is judged
    // A body whose definition line today's servers skip alone: they read its lines
    // as definition lines, so the first of them stops the file.
    bool readAsDefinitions = false;
    int depth = 0;       // braces open in the body, its own included
    quint64 body = 0;    // the definition line of the body
    quint64 comment = 0; // the line where the open comment began
    // The functions of the body declared so far, by key; shared by the lines that
    // see the same ones.
    std::shared_ptr<const QSet<QString>> functions;
    // The innermost block open inside the body (null at the body's own level): the
    // loops and switches around the next statement, and the cases of its switch.
    BlockNesting::Blocks blocks;
    Directives::Codes silence; // for the next statement, from the directives above it

    bool knowsFunction(const QString &key) const { return functions && functions->contains(key); }
    friend bool operator==(const State &a, const State &b)
    {
        return a.region == b.region && a.inComment == b.inComment && a.chunkOpen == b.chunkOpen &&
               a.missedBrace == b.missedBrace && a.quiet == b.quiet && a.readAsDefinitions == b.readAsDefinitions &&
               a.depth == b.depth && a.body == b.body && a.comment == b.comment &&
               (a.functions == b.functions || (a.functions && b.functions && *a.functions == *b.functions)) &&
               BlockNesting::same(a.blocks, b.blocks) && Directives::same(a.silence, b.silence);
    }
    friend bool operator!=(const State &a, const State &b) { return !(a == b); }
};

struct Line : LabelRules::IndexedLine
{
    quint64 id = 0;
    QString text;
    // Read from the text alone, once.
    DefinitionLine::Definition definition;
    Diagnostics codePage;
    // The body tokens, for the way the line was last entered.
    BodyTokens::Line tokens;
    int tokensFrom = -1;
    bool tokensInComment = false;
    // What the last pass over the line found.
    Diagnostics found;
    QVector<Colour> colours;
    QVector<CallfuncSite> calls;
    QVector<Colour> commandWords; // the words the parser read as commands or keywords
    FlowSteps steps;              // the steps of the body's flow that begin here
    Diagnostics flow;             // what the flow of its body found here, when last judged
    quint64 flowBody = 0;         // the body that flow was judged in
    // Set by later lines: the body this definition opens never ends, or never begins;
    // the comment this line opens never closes.
    bool unclosedBody = false;
    bool missingBody = false;
    bool openComment = false;
    int commentColumn = 0;
    bool definesFunction = false; // a function definition read as one
    // Where today's servers would stop reading the file on this line, read as a
    // definition line with fewer than three tab fields, or -1; set by the pass.
    int stopColumn = -1;
    int stopLength = 0;
    Diagnostics labels; // found by the label rules
    State after;
    Line *bodyLine = nullptr;    // the definition line of the body after this line, while it lives
    Line *commentLine = nullptr; // the line that opened the comment open after this line
    bool changed = false;
    bool read = false;               // by a pass, once at least
    Directives::Directive directive; // read from the text alone
    Directives::Codes silenced;      // by a directive before the statement it holds
};

} // namespace LineStore

// What a walk down the lines saw of the lines that stop today's servers.
struct ScriptCheck::StopsSeen
{
    int from = 0;       // the first line the walk read
    int to = -1;        // the last
    int firstStop = -1; // the first of them that stops today's servers, or -1

    // Line `number` was read, and stops them now or not.
    void note(int number, bool now)
    {
        if (now && firstStop < 0)
            firstStop = number;
        to = number;
    }
    bool read(int number) const { return number >= from && number <= to; }
};

namespace LineStore {

// Reads again what a line holds from its text and the target: its definition
// (its colours when `colours`), its directive and the characters the code page
// cannot hold (when `encoding`).
void readText(Line &line, const Target &target, bool colours, bool encoding);

} // namespace LineStore
