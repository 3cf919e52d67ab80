#include "checker/script_check.h"

#include "checker/body_tokens.h"
#include "checker/definition_line.h"
#include "checker/directives.h"
#include "checker/language.h"
#include "checker/rules.h"
#include "checker/statement_parser.h"
#include "checker/variable_rules.h"
#include "checker/window_rules.h"
#include "common/code_page_characters.h"
#include "common/text_position.h"

#include <QSet>

#include <algorithm>
#include <memory>

using BodyTokens::Token;
using StatementParser::ChunkToken;
using StatementParser::End;

// What a line hands on to the next.
struct ScriptCheck::State
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
    int depth = 0;            // braces open in the body, its own included
    quint64 body = 0;         // the definition line of the body
    quint64 comment = 0;      // the line where the open comment began
    // The functions of the body declared so far, by key; shared by the lines that
    // see the same ones.
    std::shared_ptr<const QSet<QString>> functions;
    Directives::Codes silence; // for the next statement, from the directives above it

    bool knowsFunction(const QString &key) const { return functions && functions->contains(key); }
    friend bool operator==(const State &a, const State &b)
    {
        return a.region == b.region && a.inComment == b.inComment && a.chunkOpen == b.chunkOpen &&
               a.missedBrace == b.missedBrace && a.quiet == b.quiet && a.depth == b.depth && a.body == b.body &&
               a.comment == b.comment &&
               (a.functions == b.functions || (a.functions && b.functions && *a.functions == *b.functions)) &&
               Directives::same(a.silence, b.silence);
    }
    friend bool operator!=(const State &a, const State &b) { return !(a == b); }
};

struct ScriptCheck::Line : LabelRules::IndexedLine
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
    Diagnostics labels;           // found by the label rules
    State after;
    Line *bodyLine = nullptr;    // the definition line of the body after this line, while it lives
    Line *commentLine = nullptr; // the line that opened the comment open after this line
    bool changed = false;
    bool read = false;               // by a pass, once at least
    Directives::Directive directive; // read from the text alone
    Directives::Codes silenced;      // by a directive before the statement it holds
};

namespace {

Diagnostics codePageDiagnostics(QStringView text)
{
    Diagnostics found;
    for (qsizetype i = 0; i < text.size();) {
        int length = 1;
        if (!CodePage932::isEncodable(text, i, &length))
            found.append(Rules::make(Rule::Unencodable, 0, int(i), length,
                                     {text.sliced(i, length).toString(), TextPosition::codePointName(text, i)}));
        i += length;
    }
    return found;
}

// Where the ":" of a label that begins at token `i` stands, or -1: a plain name, or
// a number and the name characters written right after it, then ":" (comments
// between them allowed).
qsizetype labelColon(QStringView text, const std::vector<Token> &tokens, qsizetype i)
{
    const qsizetype count = qsizetype(tokens.size());
    const auto at = [&](qsizetype k) -> const Token & { return tokens[size_t(k)]; };
    const Token &token = at(i);
    qsizetype j = i + 1;
    if (token.kind == Token::Kind::Number) {
        if (!text.sliced(token.column, token.length).front().isDigit() ||
            BodyTokens::isHexNumber(text.sliced(token.column, token.length)))
            return -1;
        if (j < count && at(j).kind == Token::Kind::Name && at(j).column == token.column + token.length &&
            BodyTokens::isPlainName(text.sliced(at(j).column, at(j).length)))
            ++j;
    } else if (token.kind != Token::Kind::Name || !BodyTokens::isPlainName(text.sliced(token.column, token.length))) {
        return -1;
    }
    for (; j < count; ++j) {
        const Token &next = at(j);
        if (next.kind != Token::Kind::Comment)
            return next.kind == Token::Kind::Punct && Language::is(text.sliced(next.column, next.length), u":") ? j
                                                                                                                : -1;
    }
    return -1;
}

bool isPunct(const ChunkToken &token, char16_t c)
{
    return token.token.kind == Token::Kind::Punct && token.text.size() == 1 && token.text.front() == c;
}

} // namespace

// One walk down the script from a line where no statement is open. It keeps what
// the state cannot: the tokens of the statement being read and the lines they
// stand on.
class ScriptCheck::Pass : public StatementParser::Sink
{
public:
    Pass(const Commands::Table &commands, Options options, const State &state, Line *bodyLine, Line *commentLine)
        : commands_(commands), colours_(options.colours), commandWords_(options.commandWords),
          keepTokens_(options.tokens), state_(state), bodyLine_(bodyLine), commentLine_(commentLine)
    {
    }

    void visit(Line &line);
    void visitLine(Line &line);
    void cutOpenBody(Line &line);
    void openBody(Line &line);
    void finish();
    const State &state() const { return state_; }
    Line *bodyLine() const { return bodyLine_; }
    Line *commentLine() const { return commentLine_; }

    struct Flag
    {
        Line *line;
        bool Line::*flag;
        bool value;
    };
    std::vector<Flag> flags; // set on lines that may lie before the pass

    void diagnostic(int line, Rule rule, int column, int length, const QStringList &arguments) override
    {
        if (state_.quiet)
            return;
        Diagnostic found = Rules::make(rule, 0, column, length, arguments);
        // The flow of a body is judged once what the parser refuses in it is mended.
        if (found.severity == Diagnostic::Severity::Error)
            unit_.at(line)->steps.append(
                FlowStep{FlowStep::Kind::Broken, FlowStep::Word::Other, column, length, {}, {}, 0, false});
        if (rule == Rule::MissingSemicolon)
            found.fixes.append({QStringLiteral("「;」を加える"), {{column + length, 0, QStringLiteral(";")}}});
        unit_.at(line)->found.append(std::move(found));
    }
    void colour(int line, Colour::Kind kind, int column, int length) override
    {
        // Command words are kept even when nobody sees the colours, for hover, unless the
        // options leave them out.
        if (kind == Colour::Kind::Command && commandWords_)
            unit_.at(line)->commandWords.append(Colour{column, length, kind});
        if (colours_)
            unit_.at(line)->colours.append(Colour{column, length, kind});
    }
    void defineLabel(int line, const QString &label, int column, int length) override
    {
        unit_.at(line)->defines.append(LabelRules::LabelUse{label, column, length});
    }
    void jump(int line, const QString &label, int column, int length) override
    {
        unit_.at(line)->jumps.append(LabelRules::LabelUse{label, column, length});
    }
    void callFunction(int line, const QString &name, int column, int length) override
    {
        unit_.at(line)->calls.append(CallfuncSite{name, column, length});
    }
    void declareFunction(int line, const QString &name, int column, int length, bool definition) override
    {
        const LabelRules::LabelUse use{name, column, length};
        Line &on = *unit_.at(line);
        if (definition) {
            on.functions.append(use);
            on.defines.append(use); // its name is a label of the body too
        } else {
            on.declarations.append(use);
        }
        if (!state_.knowsFunction(use.key)) {
            auto known = state_.functions ? std::make_shared<QSet<QString>>(*state_.functions)
                                          : std::make_shared<QSet<QString>>();
            known->insert(use.key);
            state_.functions = std::move(known);
        }
    }
    void step(int line, FlowStep &&step) override
    {
        if (state_.quiet)
            return;
        FlowSteps &steps = unit_.at(line)->steps;
        // A line holds a step or two, seldom more: room for two at once.
        if (steps.isEmpty())
            steps.reserve(2);
        steps.append(std::move(step));
    }
    void callOwnFunction(int line, const QString &name, int column, int length) override
    {
        LabelRules::FunctionCall call{name, column, length, false, QString()};
        call.declaredBefore = state_.knowsFunction(call.key);
        // The hint is looked for only where the name may be no function at all.
        if (call.declaredBefore)
            colour(line, Colour::Kind::Command, column, length);
        else
            call.nearestCommand = commands_.nearest(name);
        unit_.at(line)->functionCalls.append(std::move(call));
    }

private:
    void setFlag(Line *line, bool Line::*flag, bool value)
    {
        if (line)
            flags.push_back(Flag{line, flag, value});
    }
    void readTop(Line &line, const BodyTokens::Line &tokens);
    void awaitBody(Line &line);
    void readBody(Line &line, int from);
    bool beginPiece(Line &line, const std::vector<Token> &tokens, const ChunkToken &here, qsizetype colon);
    bool endPiece(Line &line, const ChunkToken &here);
    void addToPiece(Line &line, const ChunkToken &here);
    void closeChunk(End end);
    void closeBrace(Line &line, int column);
    void addStep(Line &line, FlowStep::Kind kind, int column);
    void openBrace(Line &line, int column);
    void lexicalColours(Line &line, const BodyTokens::Line &tokens);
    void followComment(Line &line, const BodyTokens::Line &tokens);
    const BodyTokens::Line &tokensOf(Line &line, int from);

    const Commands::Table &commands_;
    const bool colours_;
    const bool commandWords_;
    const bool keepTokens_;
    BodyTokens::Line read_;                        // the tokens of the line being read, when lines keep none
    const BodyTokens::Line *lineTokens_ = nullptr; // those of the line being visited
    State state_;
    Line *bodyLine_;
    Line *commentLine_;
    // The statement being read and the lines it stands on.
    std::vector<ChunkToken> chunk_; // a vector: appended to for every token read
    QVector<Line *> unit_;
    int parens_ = 0;
    bool chunkIsFor_ = false;
    bool chunkIsCase_ = false;
    bool chunkHasQuestion_ = false;
};

const BodyTokens::Line &ScriptCheck::Pass::tokensOf(Line &line, int from)
{
    if (!keepTokens_) {
        BodyTokens::tokenizeInto(line.text, from, state_.inComment, read_);
        lineTokens_ = &read_;
    } else if (line.tokensFrom != from || line.tokensInComment != state_.inComment) {
        line.tokens = BodyTokens::tokenize(line.text, from, state_.inComment);
        lineTokens_ = &line.tokens;
    } else {
        lineTokens_ = &line.tokens;
    }
    line.tokensFrom = from;
    line.tokensInComment = state_.inComment;
    return *lineTokens_;
}

void ScriptCheck::Pass::lexicalColours(Line &line, const BodyTokens::Line &tokens)
{
    if (!colours_)
        return;
    line.colours.reserve(line.colours.size() + qsizetype(tokens.tokens.size()));
    for (const Token &token : tokens.tokens) {
        switch (token.kind) {
        case Token::Kind::String:
        case Token::Kind::OpenString:
            line.colours.append(Colour{token.column, token.length, Colour::Kind::String});
            break;
        case Token::Kind::Number:
            line.colours.append(Colour{token.column, token.length, Colour::Kind::Number});
            break;
        case Token::Kind::Comment:
            line.colours.append(Colour{token.column, token.length, Colour::Kind::Comment});
            break;
        case Token::Kind::Punct:
            if (token.length == 1 && (line.text.at(token.column) == u'{' || line.text.at(token.column) == u'}'))
                line.colours.append(Colour{token.column, 1, Colour::Kind::Brace});
            break;
        default:
            break;
        }
    }
}

// Where a /* comment opens and closes.
void ScriptCheck::Pass::followComment(Line &line, const BodyTokens::Line &tokens)
{
    const bool wasOpen = state_.inComment;
    if (tokens.endsInComment) {
        // Open at the end: either the comment from before goes on (a line of its own),
        // or a new one began on this line.
        const bool continues = wasOpen && tokens.tokens.size() <= 1;
        if (!continues) {
            if (wasOpen)
                setFlag(commentLine_, &Line::openComment, false);
            commentLine_ = &line;
            line.commentColumn = tokens.tokens.back().column;
            state_.comment = line.id;
        }
        state_.inComment = true;
    } else if (wasOpen) {
        setFlag(commentLine_, &Line::openComment, false);
        commentLine_ = nullptr;
        state_.comment = 0;
        state_.inComment = false;
    }
}

// A directive's codes wait for the next line that holds code, and stay with its
// statement until it ends.
void ScriptCheck::Pass::visit(Line &line)
{
    const Directives::Codes pending = state_.silence;
    lineTokens_ = nullptr;
    visitLine(line);
    if (line.directive.present) {
        line.silenced.reset();
        state_.silence = Directives::joined(pending, line.directive.codes);
        return;
    }
    const bool holdsCode =
        line.definition.kind != DefinitionLine::Kind::None ||
        (lineTokens_ && std::any_of(lineTokens_->tokens.cbegin(), lineTokens_->tokens.cend(),
                                    [](const Token &token) { return token.kind != Token::Kind::Comment; }));
    line.silenced = holdsCode ? pending : nullptr;
    state_.silence = !holdsCode || state_.chunkOpen ? pending : nullptr;
}

void ScriptCheck::Pass::visitLine(Line &line)
{
    const DefinitionLine::Definition &definition = line.definition;
    // A line that begins with a blank is a body's own line; only outside a body is it
    // a definition that the loader refuses.
    const bool isDefinition =
        definition.kind != DefinitionLine::Kind::None && (!definition.indented || state_.region == State::Region::Top);
    if (state_.region != State::Region::Top && !state_.inComment && isDefinition)
        cutOpenBody(line);
    switch (state_.region) {
    case State::Region::AwaitBody:
        awaitBody(line);
        return;
    case State::Region::Body:
        line.body = state_.quiet ? 0 : state_.body;
        readBody(line, 0);
        return;
    case State::Region::Top:
        break;
    }
    // The loader knows "//" comments only: a definition inside "/* */" is read.
    if (!isDefinition) {
        readTop(line, tokensOf(line, 0));
        return;
    }
    state_.inComment = false;
    state_.comment = 0;
    commentLine_ = nullptr;
    line.found += definition.diagnostics;
    if (colours_)
        line.colours += definition.colours;
    if (definition.hasBody())
        openBody(line);
}

// A body still open where the next definition begins: its "}" is missing.
void ScriptCheck::Pass::cutOpenBody(Line &line)
{
    if (!chunk_.empty())
        closeChunk(End::None);
    const bool judged = !state_.quiet;
    setFlag(bodyLine_, &Line::unclosedBody, judged && state_.region == State::Region::Body);
    setFlag(bodyLine_, &Line::missingBody, judged && (state_.region == State::Region::AwaitBody || state_.missedBrace));
    if (judged && state_.region == State::Region::Body) {
        // The name of the open body is not repeated here: that line may be renamed
        // while this one stays as it is.
        const DefinitionLine::Definition &definition = line.definition;
        line.found.append(Rules::make(Rule::BodyRunsIntoDefinition, 0, definition.nameColumn, definition.nameLength));
    }
    state_ = State{};
    bodyLine_ = nullptr;
    commentLine_ = nullptr;
}

void ScriptCheck::Pass::openBody(Line &line)
{
    const DefinitionLine::Definition &definition = line.definition;
    bodyLine_ = &line;
    state_.body = line.id;
    // A body of a kind the loader does not know is skipped with its line: it is
    // read for its braces only, and nothing in it is judged.
    state_.quiet = definition.kind == DefinitionLine::Kind::Other;
    line.body = state_.quiet ? 0 : line.id;
    if (definition.isFunction())
        line.definesFunction = true;
    if (definition.braceColumn < 0) {
        state_.region = State::Region::AwaitBody;
        return;
    }
    state_.region = State::Region::Body;
    state_.depth = 1;
    readBody(line, definition.braceColumn + 1);
}

// Between a definition and the line holding its "{": blank lines and comments
// wait; anything else begins the body without it.
void ScriptCheck::Pass::awaitBody(Line &line)
{
    const BodyTokens::Line &tokens = tokensOf(line, 0);
    const auto code = std::find_if(tokens.tokens.cbegin(), tokens.tokens.cend(),
                                   [](const Token &token) { return token.kind != Token::Kind::Comment; });
    if (code == tokens.tokens.cend()) {
        lexicalColours(line, tokens);
        followComment(line, tokens);
        return;
    }
    const bool brace = code->kind == Token::Kind::Punct && line.text.at(code->column) == u'{';
    state_.missedBrace = !brace;
    state_.region = State::Region::Body;
    state_.depth = 1;
    line.body = state_.quiet ? 0 : state_.body;
    if (!brace) {
        readBody(line, 0); // read as the body it was meant to be
        return;
    }
    if (colours_) {
        for (auto comment = tokens.tokens.cbegin(); comment != code; ++comment)
            line.colours.append(Colour{comment->column, comment->length, Colour::Kind::Comment});
        line.colours.append(Colour{code->column, 1, Colour::Kind::Brace});
    }
    const int after = code->column + 1;
    state_.inComment = false;
    state_.comment = 0;
    commentLine_ = nullptr;
    readBody(line, after);
}

// A line outside any body, which the loader skips unless it defines something.
void ScriptCheck::Pass::readTop(Line &line, const BodyTokens::Line &tokens)
{
    lexicalColours(line, tokens);
    const bool commentBefore = state_.inComment;
    followComment(line, tokens);
    QVector<const Token *> code;
    for (const Token &token : tokens.tokens) {
        if (token.kind != Token::Kind::Comment)
            code.append(&token);
    }
    if (code.isEmpty() || (commentBefore && state_.inComment))
        return;
    const QStringView text(line.text);
    const Token &first = *code.front();
    const QStringView firstText = text.sliced(first.column, first.length);
    if (first.kind == Token::Kind::Punct && Language::is(firstText, u"}")) {
        line.found.append(Rules::make(Rule::StrayCloseBrace, 0, first.column, 1));
        return;
    }
    const bool label = code.size() >= 2 && Language::is(text.sliced(code.at(1)->column, code.at(1)->length), u":");
    if (first.kind == Token::Kind::Name && BodyTokens::isPlainName(firstText) && (label || commands_.find(firstText))) {
        const Token &last = *code.back();
        line.found.append(Rules::make(Rule::OutsideBody, 0, first.column, last.column + last.length - first.column));
    }
}

void ScriptCheck::Pass::readBody(Line &line, int from)
{
    const BodyTokens::Line &tokens = tokensOf(line, from);
    lexicalColours(line, tokens);
    followComment(line, tokens);
    const QStringView text(line.text);
    bool firstOnLine = true;
    const qsizetype count = qsizetype(tokens.tokens.size());
    for (qsizetype i = 0; i < count; ++i) {
        const Token &token = tokens.tokens[size_t(i)];
        if (token.kind == Token::Kind::Comment)
            continue;
        const bool first = std::exchange(firstOnLine, false);
        if (state_.region != State::Region::Body) {
            // Text after the "}" that ends the body.
            if (token.kind == Token::Kind::Punct && Language::is(text.sliced(token.column, token.length), u"}") &&
                !state_.quiet)
                line.found.append(Rules::make(Rule::StrayCloseBrace, 0, token.column, 1));
            continue;
        }
        const ChunkToken here{token, 0, text.sliced(token.column, token.length), first};
        if (token.kind == Token::Kind::OpenString && !state_.quiet)
            line.found.append(Rules::make(Rule::OpenString, 0, token.column, token.length));
        // A label: a name and ":" where a statement may begin, or at the start of a
        // line after a statement that lost its ";".
        const qsizetype colon = labelColon(text, tokens.tokens, i);
        // "case" at the start of a line begins a case, whatever came before it.
        const bool caseFollows = first && !chunkIsCase_ && token.kind == Token::Kind::Name &&
                                 Language::equalsIgnoringCase(here.text, u"case");
        if (chunk_.empty() || caseFollows || (first && !chunkHasQuestion_ && !chunkIsCase_ && colon >= 0)) {
            if (!chunk_.empty())
                closeChunk(End::None);
            if (beginPiece(line, tokens.tokens, here, colon)) {
                i = std::max(i, colon);
                continue;
            }
        } else if (endPiece(line, here)) {
            continue;
        }
        addToPiece(line, here);
        if (token.kind == Token::Kind::OpenString)
            break; // the rest of the statement is lost with the string
    }
    if (!chunk_.empty() && chunk_.back().token.kind == Token::Kind::OpenString)
        closeChunk(End::None);
    state_.chunkOpen = !chunk_.empty();
}

// Where a piece may begin: braces, empty statements and labels are taken here;
// true when `here` was, false when it begins a statement.
bool ScriptCheck::Pass::beginPiece(Line &line, const std::vector<Token> &tokens, const ChunkToken &here,
                                   qsizetype colon)
{
    if (isPunct(here, u'}')) {
        closeBrace(line, here.token.column);
        return true;
    }
    if (isPunct(here, u'{')) {
        openBrace(line, here.token.column);
        return true;
    }
    if (isPunct(here, u';'))
        return true;
    if (isPunct(here, u':')) {
        if (!state_.quiet)
            line.found.append(Rules::make(Rule::EmptyLabel, 0, here.token.column, 1));
        return true;
    }
    if (colon >= 0) {
        // "1000:" is a label too: a number and the name characters right after it.
        const Token &last = tokens[size_t(colon - 1)];
        ChunkToken name = here;
        name.token.kind = Token::Kind::Name;
        name.token.length = last.column + last.length - here.token.column;
        name.text = QStringView(line.text).sliced(here.token.column, name.token.length);
        unit_.append(&line);
        chunk_.push_back(name);
        closeChunk(End::Colon);
        return true;
    }
    const bool name = here.token.kind == Token::Kind::Name;
    chunkIsFor_ = name && Language::equalsIgnoringCase(here.text, u"for");
    chunkIsCase_ = name && Language::equalsIgnoringCase(here.text, u"case");
    return false;
}

// Whether `here` ends the piece being read (and is taken with it).
bool ScriptCheck::Pass::endPiece(Line &line, const ChunkToken &here)
{
    if (isPunct(here, u'}')) {
        closeChunk(End::None);
        closeBrace(line, here.token.column);
        return true;
    }
    if (isPunct(here, u';') && (parens_ == 0 || !chunkIsFor_)) {
        closeChunk(End::Semicolon);
        return true;
    }
    if (isPunct(here, u'{')) {
        closeChunk(End::OpenBrace);
        openBrace(line, here.token.column);
        return true;
    }
    if (isPunct(here, u':') && chunkIsCase_ && parens_ == 0) {
        closeChunk(End::Colon);
        return true;
    }
    return false;
}

void ScriptCheck::Pass::addToPiece(Line &line, const ChunkToken &here)
{
    if (unit_.isEmpty() || unit_.back() != &line)
        unit_.append(&line);
    chunk_.push_back(here);
    chunk_.back().line = int(unit_.size()) - 1;
    if (isPunct(here, u'(') || isPunct(here, u'['))
        ++parens_;
    else if ((isPunct(here, u')') || isPunct(here, u']')) && parens_ > 0)
        --parens_;
    else if (isPunct(here, u'?'))
        chunkHasQuestion_ = true;
}

void ScriptCheck::Pass::openBrace(Line &line, int column)
{
    ++state_.depth;
    addStep(line, FlowStep::Kind::BlockOpen, column);
}

void ScriptCheck::Pass::addStep(Line &line, FlowStep::Kind kind, int column)
{
    if (state_.quiet)
        return;
    FlowStep step;
    step.kind = kind;
    step.column = column;
    step.length = 1;
    line.steps.append(std::move(step));
}

void ScriptCheck::Pass::closeBrace(Line &line, int column)
{
    const bool body = --state_.depth == 0;
    addStep(line, body ? FlowStep::Kind::BodyEnd : FlowStep::Kind::BlockClose, column);
    if (!body)
        return;
    setFlag(bodyLine_, &Line::unclosedBody, false);
    setFlag(bodyLine_, &Line::missingBody, state_.missedBrace && !state_.quiet);
    state_.region = State::Region::Top;
    state_.missedBrace = false;
    state_.quiet = false;
    state_.body = 0;
    state_.depth = 0;
    state_.functions.reset();
    bodyLine_ = nullptr;
}

void ScriptCheck::Pass::closeChunk(End end)
{
    StatementParser::parse(chunk_, end, commands_, *this);
    chunk_.clear();
    unit_.clear();
    parens_ = 0;
    chunkIsFor_ = chunkIsCase_ = chunkHasQuestion_ = false;
    state_.chunkOpen = false;
}

// The end of the script ends whatever is still open.
void ScriptCheck::Pass::finish()
{
    if (!chunk_.empty())
        closeChunk(End::None);
    if (state_.region == State::Region::Top)
        return; // the loader knows no comment outside a body
    // The loader skips a body of a kind it does not know: nothing in it is judged.
    const bool judged = !state_.quiet;
    if (state_.inComment && state_.region == State::Region::Body)
        setFlag(commentLine_, &Line::openComment, judged);
    setFlag(bodyLine_, &Line::unclosedBody, judged && state_.region == State::Region::Body);
    setFlag(bodyLine_, &Line::missingBody, judged && (state_.region == State::Region::AwaitBody || state_.missedBrace));
}

ScriptCheck::ScriptCheck(std::shared_ptr<const Commands::Table> commands) : ScriptCheck(std::move(commands), Options{})
{
}

ScriptCheck::ScriptCheck(std::shared_ptr<const Commands::Table> commands, Options options)
    : commands_(std::move(commands)), options_(options)
{
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
    for (qsizetype i = 0; i < kept; ++i)
        lines_[size_t(first + i)]->text = texts.at(i);
    for (int i = first + int(kept); i < first + removed; ++i) {
        Line &gone = *lines_[size_t(i)];
        labels_.remove(&gone);
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
    const int end = first + int(texts.size());
    for (int i = first; i < end; ++i) {
        Line &line = *lines_[size_t(i)];
        line.definition = DefinitionLine::read(line.text);
        if (options_.encoding)
            line.codePage = codePageDiagnostics(line.text);
        line.directive = Directives::read(line.text);
        line.tokensFrom = -1;
        noteChange(line);
        topChanges = topChanges || (touchesTop && affectsFileDirectives(line));
    }
    follow(first, end);
    if (topChanges)
        readFileDirectives();
    else if (touchesTop)
        topEnd_ += int(texts.size()) - removed;
    return numbersOfChanged(first, end);
}

void ScriptCheck::markFlowDirty(quint64 body)
{
    // Neighbouring lines mostly stand in one body: it is filed once for them.
    if (body != 0 && body != lastDirty_) {
        flowDirty_.insert(body);
        lastDirty_ = body;
    }
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

void ScriptCheck::follow(int first, int end)
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
    Pass pass(*commands_, options_, state, bodyLine, commentLine);
    std::vector<Before> visited; // lines read before, with what they held
    std::vector<Line *> fresh;   // lines read for the first time, which held nothing
    fresh.reserve(size_t(std::max(end - first, 0)) + 1);
    std::vector<Pass::Flag> resets;
    bool settled = false;
    for (int i = first; i < lineCount() && !settled; ++i) {
        Line &line = *lines_[size_t(i)];
        // A line never read before has nothing to forget.
        if (line.read)
            visited.push_back(forget(line));
        else
            fresh.push_back(&line);
        line.read = true;
        pass.visit(line);
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
    for (const Pass::Flag &flag : resets) {
        if (flag.line->*flag.flag != flag.value) {
            flag.line->*flag.flag = flag.value;
            noteChange(*flag.line);
        }
    }
    compareWithBefore(visited, fresh);
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
        if (hasDiagnostics(*line))
            noteChange(*line);
    }
}

bool ScriptCheck::affectsFileDirectives(const Line &line)
{
    return line.directive.present || line.definition.kind != DefinitionLine::Kind::None;
}

bool ScriptCheck::hasDiagnostics(const Line &line)
{
    // Calls count: their warnings are judged outside, and a directive silences them too.
    return !line.codePage.isEmpty() || !line.found.isEmpty() || !line.labels.isEmpty() || line.unclosedBody ||
           line.missingBody || line.openComment || !line.directive.diagnostics.isEmpty() || !line.calls.isEmpty() ||
           !line.flow.isEmpty();
}

bool ScriptCheck::silenced(int number, const QString &code) const
{
    return Directives::silences(fileSilence_, code) ||
           (number >= 0 && number < lineCount() && Directives::silences(lines_[size_t(number)]->silenced, code));
}

QVector<int> ScriptCheck::updateFlow()
{
    QVector<int> changed;
    for (int i = 0; i < lineCount() && !flowDirty_.isEmpty();) {
        Line &line = *lines_[size_t(i)];
        if (line.body != 0 && line.body == line.id && flowDirty_.contains(line.body)) {
            int last = i;
            while (last + 1 < lineCount() && lines_[size_t(last + 1)]->body == line.body)
                ++last;
            judgeFlow(i, last, changed);
            i = last + 1;
            continue;
        }
        // A line that left a body judged again keeps nothing of its flow.
        if (line.flowBody != 0 && flowDirty_.contains(line.flowBody)) {
            if (!line.flow.isEmpty())
                changed.append(i);
            line.flow.clear();
            line.flowBody = 0;
        }
        ++i;
    }
    flowDirty_.clear();
    lastDirty_ = 0;
    return changed;
}

// The flow of the body on lines `first` to `last`: the window along its paths and
// its scope variables.
void ScriptCheck::judgeFlow(int first, int last, QVector<int> &changed)
{
    qsizetype count = 0;
    for (int i = first; i <= last; ++i)
        count += lines_[size_t(i)]->steps.size();
    QVector<FlowGraph::Located> steps;
    steps.reserve(count);
    for (int i = first; i <= last; ++i) {
        for (const FlowStep &step : std::as_const(lines_[size_t(i)]->steps))
            steps.append({i - first, &step});
    }
    const Line &definition = *lines_[size_t(first)];
    // A function, or a floating NPC reached by events and by name, starts in a
    // window its caller made.
    const WindowRules::Start start = definition.definition.isFunction() ? WindowRules::Start::Function
                                     : definition.text.startsWith(u'-') ? WindowRules::Start::Floating
                                                                        : WindowRules::Start::Player;
    const FlowGraph::Graph graph = FlowGraph::build(steps);
    // Most bodies give nothing: the findings are gathered in one list and handed to
    // their lines in order, rather than into a list for every line.
    Diagnostics found = WindowRules::check(graph, start);
    found += VariableRules::check(steps);
    if (!found.isEmpty()) {
        std::stable_sort(found.begin(), found.end(),
                         [](const Diagnostic &a, const Diagnostic &b) { return a.line < b.line; });
    }
    qsizetype next = 0;
    for (int i = first; i <= last; ++i) {
        Line &line = *lines_[size_t(i)];
        line.flowBody = definition.id;
        Diagnostics now;
        for (; next < found.size() && found.at(next).line == i - first; ++next) {
            // Kept as lines from the finding's own, related places stay true however
            // many lines an edit adds above them.
            Diagnostic diagnostic = std::move(found[next]);
            for (Diagnostic::Related &related : diagnostic.related)
                related.line -= diagnostic.line;
            diagnostic.line = 0;
            now.append(std::move(diagnostic));
        }
        if (line.flow != now) {
            line.flow = std::move(now);
            changed.append(i);
        }
    }
}

// Lines that share a label with a changed line, and the changed lines themselves.
void ScriptCheck::recheckLabels(const QVector<Line *> &changed)
{
    const QVector<LabelRules::IndexedLine *> lines =
        labels_.takeTouched(QVector<LabelRules::IndexedLine *>(changed.cbegin(), changed.cend()));
    for (LabelRules::IndexedLine *indexed : std::as_const(lines)) {
        Line &line = *static_cast<Line *>(indexed);
        Diagnostics found = labels_.diagnostics(line);
        if (line.labels != found) {
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

Diagnostics ScriptCheck::diagnostics(int number) const
{
    if (number < 0 || number >= lineCount())
        return {};
    const Line &line = *lines_[size_t(number)];
    Diagnostics all = line.codePage + line.found;
    const DefinitionLine::Definition &definition = line.definition;
    const int brace = definition.braceColumn >= 0 ? definition.braceColumn : definition.nameColumn;
    if (line.unclosedBody)
        all.append(Rules::make(Rule::UnclosedBody, 0, brace, 1, {definition.name}));
    if (line.missingBody)
        all.append(Rules::make(Rule::MissingBody, 0, definition.nameColumn, definition.nameLength, {definition.name}));
    if (line.openComment)
        all.append(Rules::make(Rule::OpenComment, 0, line.commentColumn, 2));
    all += line.labels;
    for (Diagnostic flow : line.flow) {
        for (Diagnostic::Related &related : flow.related)
            related.line += number;
        all.append(std::move(flow));
    }
    all += line.directive.diagnostics;
    if (fileSilence_ || line.silenced) {
        all.erase(std::remove_if(all.begin(), all.end(),
                                 [&](const Diagnostic &diagnostic) {
                                     return Directives::silences(fileSilence_, diagnostic.code) ||
                                            Directives::silences(line.silenced, diagnostic.code);
                                 }),
                  all.end());
    }
    for (Diagnostic &diagnostic : all)
        diagnostic.line = number;
    std::stable_sort(all.begin(), all.end(),
                     [](const Diagnostic &a, const Diagnostic &b) { return a.column < b.column; });
    return all;
}

Diagnostics ScriptCheck::allDiagnostics() const
{
    Diagnostics all;
    for (int number = 0; number < lineCount(); ++number) {
        if (hasDiagnostics(*lines_[size_t(number)]))
            all += diagnostics(number);
    }
    relateUnclosedBodies(all);
    return all;
}

void relateUnclosedBodies(Diagnostics &all)
{
    // A "{" never closed, and the next definition that runs into its body, point at
    // each other; nothing lies between them but the body.
    Diagnostic *unclosed = nullptr;
    for (Diagnostic &diagnostic : all) {
        if (diagnostic.rule == Rule::UnclosedBody) {
            unclosed = &diagnostic;
        } else if (diagnostic.rule == Rule::BodyRunsIntoDefinition && unclosed) {
            unclosed->related.append({diagnostic.line, diagnostic.column, diagnostic.length, diagnostic.message});
            diagnostic.related.append({unclosed->line, unclosed->column, unclosed->length, unclosed->message});
            unclosed = nullptr;
        }
    }
}

QVector<Colour> ScriptCheck::colours(int number) const
{
    if (number < 0 || number >= lineCount())
        return {};
    return lines_[size_t(number)]->colours;
}

QVector<ScriptCheck::FunctionUse> ScriptCheck::functionDefinitions() const
{
    QVector<FunctionUse> found;
    for (int number = 0; number < lineCount(); ++number) {
        const Line &line = *lines_[size_t(number)];
        if (line.definesFunction)
            found.append(functionDefinedOn(number));
    }
    return found;
}

QVector<ScriptCheck::FunctionUse> ScriptCheck::functionCalls() const
{
    QVector<FunctionUse> found;
    for (int number = 0; number < lineCount(); ++number) {
        for (const CallfuncSite &call : std::as_const(lines_[size_t(number)]->calls))
            found.append(FunctionUse{call.name, number, call.column, call.length});
    }
    return found;
}

ScriptCheck::PlayerVariables ScriptCheck::playerVariablesOn(int number) const
{
    PlayerVariables found;
    if (number < 0 || number >= lineCount())
        return found;
    for (const FlowStep &step : std::as_const(lines_[size_t(number)]->steps)) {
        const bool set = step.kind == FlowStep::Kind::VariableSet;
        if (!(set || step.kind == FlowStep::Kind::VariableRead) || !Language::isPlayerVariable(step.text))
            continue;
        // The variable a statement sets is read there too ("set @n,1"): that is no read.
        const bool target = !set && !found.sets.isEmpty() && found.sets.back().column == step.column;
        if (!target)
            (set ? found.sets : found.reads).append(VariableUse{step.text, number, step.column, step.length});
    }
    return found;
}

ScriptCheck::PlayerVariables ScriptCheck::playerVariables() const
{
    PlayerVariables found;
    for (int number = 0; number < lineCount(); ++number) {
        PlayerVariables line = playerVariablesOn(number);
        found.sets += std::move(line.sets);
        found.reads += std::move(line.reads);
    }
    return found;
}

const QString &ScriptCheck::text(int number) const
{
    static const QString kNone;
    return number >= 0 && number < lineCount() ? lines_[size_t(number)]->text : kNone;
}

const DefinitionLine::Definition *ScriptCheck::definitionOn(int number) const
{
    if (number < 0 || number >= lineCount())
        return nullptr;
    const Line &line = *lines_[size_t(number)];
    if (line.definition.kind == DefinitionLine::Kind::None)
        return nullptr;
    // Read as a definition at the top level, comments or not, and where it cuts
    // short a body it finds open; not inside a comment of a body.
    const State before = number > 0 ? lines_[size_t(number - 1)]->after : State{};
    if (before.region != State::Region::Top && (before.inComment || line.definition.indented))
        return nullptr;
    return &line.definition;
}

int ScriptCheck::bodyEnd(int number) const
{
    const DefinitionLine::Definition *definition = definitionOn(number);
    if (!definition || !definition->hasBody())
        return number;
    const quint64 id = lines_[size_t(number)]->id;
    int end = number;
    while (end + 1 < lineCount() && lines_[size_t(end)]->after.body == id && !definitionOn(end + 1))
        ++end;
    return end;
}

std::pair<int, int> ScriptCheck::bodyAround(int number) const
{
    if (number < 0 || number >= lineCount())
        return {-1, -1};
    const quint64 id = lines_[size_t(number)]->body;
    if (id == 0)
        return {-1, -1};
    int first = number;
    while (lines_[size_t(first)]->id != id) {
        if (first == 0)
            return {-1, -1};
        --first;
    }
    return {first, bodyEnd(first)};
}

const QVector<LabelRules::LabelUse> &ScriptCheck::labelDefinitions(int number) const
{
    static const QVector<LabelRules::LabelUse> kNone;
    return number >= 0 && number < lineCount() ? lines_[size_t(number)]->defines : kNone;
}

const QVector<LabelRules::LabelUse> &ScriptCheck::labelJumps(int number) const
{
    static const QVector<LabelRules::LabelUse> kNone;
    return number >= 0 && number < lineCount() ? lines_[size_t(number)]->jumps : kNone;
}

const QVector<CallfuncSite> &ScriptCheck::callsOn(int number) const
{
    static const QVector<CallfuncSite> kNone;
    return number >= 0 && number < lineCount() ? lines_[size_t(number)]->calls : kNone;
}

bool ScriptCheck::statementGoesOn(int number) const
{
    return number >= 0 && number < lineCount() && lines_[size_t(number)]->after.chunkOpen;
}

bool ScriptCheck::commentGoesOn(int number) const
{
    if (number < 0 || number >= lineCount())
        return false;
    const State &after = lines_[size_t(number)]->after;
    return after.inComment && after.region != State::Region::Top;
}

int ScriptCheck::braceDepthAfter(int number) const
{
    if (number < 0 || number >= lineCount())
        return 0;
    const State &after = lines_[size_t(number)]->after;
    return after.region == State::Region::Body ? after.depth : 0;
}

std::pair<int, int> ScriptCheck::commandWordAt(int number, int column) const
{
    if (number < 0 || number >= lineCount())
        return {-1, 0};
    for (const Colour &word : std::as_const(lines_[size_t(number)]->commandWords)) {
        if (column >= word.column && column <= word.column + word.length)
            return {word.column, word.length};
    }
    return {-1, 0};
}

bool ScriptCheck::isCommentOrString(int number, int column) const
{
    if (number < 0 || number >= lineCount())
        return false;
    const Line &line = *lines_[size_t(number)];
    if (line.tokensFrom >= 0 && column >= line.tokensFrom) {
        BodyTokens::Line readAgain;
        if (!options_.tokens)
            readAgain = BodyTokens::tokenize(line.text, line.tokensFrom, line.tokensInComment);
        const BodyTokens::Line &tokens = options_.tokens ? line.tokens : readAgain;
        for (const Token &token : tokens.tokens) {
            if (column >= token.column && column < token.column + token.length)
                return token.kind == Token::Kind::Comment || token.kind == Token::Kind::String ||
                       token.kind == Token::Kind::OpenString;
        }
        return false;
    }
    // A definition line's own part: a comment after its fields.
    const QStringView before = QStringView(line.text).first(std::clamp(column, 0, int(line.text.size())));
    return before.contains(u"//") || before.contains(u"/*");
}

ScriptCheck::FunctionUse ScriptCheck::functionDefinedOn(int number) const
{
    if (number < 0 || number >= lineCount() || !lines_[size_t(number)]->definesFunction)
        return {};
    const Line &line = *lines_[size_t(number)];
    return FunctionUse{line.definition.name.trimmed(), number, line.definition.nameColumn, line.definition.nameLength};
}

Diagnostics checkScript(const QString &text, bool flow)
{
    ScriptCheck check;
    check.replaceLines(0, 0, text.split(u'\n'));
    if (flow)
        check.updateFlow();
    return check.allDiagnostics();
}
