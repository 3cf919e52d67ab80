#include "checker/chunk_splitter.h"

#include "checker/language.h"
#include "checker/rules.h"
#include "checker/server_rules.h"

#include <algorithm>
#include <memory>
#include <utility>

using BodyTokens::Token;
using StatementParser::ChunkToken;
using StatementParser::End;

namespace {

constexpr Target::Servers kBeforeToday = Target::Older | Target::Later;

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
    } else if (token.kind != Token::Kind::Name) {
        return -1;
    }
    while (j < count && at(j).kind == Token::Kind::Comment)
        ++j;
    if (j == count || at(j).kind != Token::Kind::Punct || !Language::is(text.sliced(at(j).column, at(j).length), u":"))
        return -1;
    // Most names are followed by no ":": the name itself is looked at only when one is.
    if (token.kind == Token::Kind::Name && !BodyTokens::isLabelName(text.sliced(token.column, token.length)))
        return -1;
    return j;
}

bool isPunct(const ChunkToken &token, char16_t c)
{
    return token.token.kind == Token::Kind::Punct && token.text.size() == 1 && token.text.front() == c;
}

} // namespace

ChunkSplitter::ChunkSplitter(const Commands::Table &commands, Keep keep, const State &state, Line *bodyLine,
                             Line *commentLine)
    : commands_(commands), colours_(keep.colours), commandWords_(keep.commandWords), keepTokens_(keep.tokens),
      state_(state), bodyLine_(bodyLine), commentLine_(commentLine)
{
}

void ChunkSplitter::diagnostic(int line, Rule rule, int column, int length, const QStringList &arguments)
{
    judged(line, Rules::make(rule, 0, column, length, arguments));
}

void ChunkSplitter::judged(int line, Diagnostic &&found)
{
    if (state_.quiet || found.code.isEmpty())
        return;
    const Rule rule = found.rule;
    const int column = found.column;
    const int length = found.length;
    // The flow of a body is judged once what the parser refuses in it is mended.
    if (found.severity == Diagnostic::Severity::Error) {
        FlowStep broken;
        broken.kind = FlowStep::Kind::Broken;
        broken.word = FlowStep::Word::Other;
        broken.column = column;
        broken.length = length;
        unit_.at(line)->steps.append(std::move(broken));
    }
    if (rule == Rule::MissingSemicolon)
        found.fixes.append({QStringLiteral("「;」を加える"), {{column + length, 0, QStringLiteral(";")}}});
    unit_.at(line)->found.append(std::move(found));
}

void ChunkSplitter::colour(int line, Colour::Kind kind, int column, int length)
{
    // Command words are kept even when nobody sees the colours, for hover, unless the
    // options leave them out.
    if (kind == Colour::Kind::Command && commandWords_)
        unit_.at(line)->commandWords.append(Colour{column, length, kind});
    if (colours_)
        unit_.at(line)->colours.append(Colour{column, length, kind});
}

void ChunkSplitter::defineLabel(int line, const QString &label, int column, int length)
{
    unit_.at(line)->defines.append(LabelRules::LabelUse{label, column, length});
    // Today's servers file an NPC's labels under 23 characters: a longer one, and
    // every label after it, is lost as an event.
    constexpr int kLongestLabel = 23;
    if (label.size() > kLongestLabel && bodyLine_ && !bodyLine_->definition.isFunction())
        judged(line, Rules::judged(Rule::LabelTooLongToday, commands_.target(), Target::kToday, 0, 0, column, length,
                                   {label, QString::number(label.size())}));
}

void ChunkSplitter::jump(int line, const QString &label, int column, int length)
{
    unit_.at(line)->jumps.append(LabelRules::LabelUse{label, column, length});
}

void ChunkSplitter::callFunction(int line, const QString &name, int column, int length)
{
    unit_.at(line)->calls.append(CallfuncSite{name, column, length});
}

void ChunkSplitter::declareFunction(int line, const QString &name, int column, int length, bool definition)
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
        auto known =
            state_.functions ? std::make_shared<QSet<QString>>(*state_.functions) : std::make_shared<QSet<QString>>();
        known->insert(use.key);
        state_.functions = std::move(known);
    }
}

void ChunkSplitter::step(int line, FlowStep &&step)
{
    if (state_.quiet)
        return;
    FlowSteps &steps = unit_.at(line)->steps;
    // A line holds a step or two, seldom more: room for two at once.
    if (steps.isEmpty())
        steps.reserve(2);
    ServerRules::checkStep(step, commands_, unit_, line);
    steps.append(std::move(step));
}

void ChunkSplitter::opensBlock(BlockNesting::Holders holders, bool isSwitch)
{
    opening_ = OpeningBlock{true, holders, isSwitch};
}

void ChunkSplitter::switchCase(const QString &key)
{
    state_.blocks = BlockNesting::withCase(state_.blocks, key);
}

void ChunkSplitter::switchDefault()
{
    state_.blocks = BlockNesting::withDefault(state_.blocks);
}

void ChunkSplitter::callOwnFunction(int line, const QString &name, int column, int length)
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

const BodyTokens::Line &ChunkSplitter::tokensOf(Line &line, int from)
{
    if (!keepTokens_) {
        BodyTokens::tokenizeInto(line.text, from, state_.inComment, read_, &commands_.target());
        lineTokens_ = &read_;
    } else if (line.tokensFrom != from || line.tokensInComment != state_.inComment) {
        line.tokens = BodyTokens::tokenize(line.text, from, state_.inComment, &commands_.target());
        lineTokens_ = &line.tokens;
    } else {
        lineTokens_ = &line.tokens;
    }
    line.tokensFrom = from;
    line.tokensInComment = state_.inComment;
    return *lineTokens_;
}

void ChunkSplitter::lexicalColours(Line &line, const BodyTokens::Line &tokens)
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
void ChunkSplitter::followComment(Line &line, const BodyTokens::Line &tokens)
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
void ChunkSplitter::visit(Line &line)
{
    const Directives::Codes pending = state_.silence;
    lineTokens_ = nullptr;
    line.stopColumn = -1;
    line.stopLength = 0;
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

void ChunkSplitter::visitLine(Line &line)
{
    const DefinitionLine::Definition &definition = line.definition;
    // No server looks for definitions inside an open body. One that stands there is
    // taken for the next NPC's, its body's "}" forgotten; but a line that begins with
    // a blank, or reads as a statement ("function<TAB>Name<TAB>{" defines a local
    // function), is the body's own.
    const bool isDefinition =
        definition.kind != DefinitionLine::Kind::None &&
        ((!definition.indented && !definition.readsAsStatement) || state_.region == State::Region::Top);
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
    // The older loaders know "//" comments only: a definition inside "/* */" is
    // read. Today's skip block comments between definitions too, and so read one
    // alternative of a conditional comment ("/*@RENEWAL") as the definition.
    const bool commentedOut = state_.inComment && commands_.target().isOnly(Target::kToday);
    if (!isDefinition || commentedOut) {
        readTop(line, tokensOf(line, 0));
        return;
    }
    // Split on blanks, it has fewer than three tab fields: today's servers read no
    // comment here, but a definition line they cannot split.
    if (!state_.inComment) {
        const QStringView text(line.text);
        const auto first = std::find_if(text.begin(), text.end(), [](QChar c) { return c != u' ' && c != u'\t'; });
        markStop(line, int(first - text.begin()));
    }
    state_.inComment = false;
    state_.comment = 0;
    commentLine_ = nullptr;
    line.found += definition.diagnostics;
    ServerRules::checkDefinition(line, commands_);
    if (colours_)
        line.colours += definition.colours;
    if (definition.hasBody())
        openBody(line);
}

// A body still open where the next definition begins: its "}" is missing.
void ChunkSplitter::cutOpenBody(Line &line)
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

void ChunkSplitter::openBody(Line &line)
{
    const DefinitionLine::Definition &definition = line.definition;
    bodyLine_ = &line;
    state_.body = line.id;
    // A body of a kind the loader does not know is skipped with its line: it is
    // read for its braces only, and nothing in it is judged.
    state_.quiet = definition.kind == DefinitionLine::Kind::Other;
    const Target::Servers today = commands_.target().servers() & Target::kToday;
    state_.readAsDefinitions = today != 0 && (definition.skipsLineOnly & today) == today;
    line.body = state_.quiet ? 0 : line.id;
    if (definition.isFunction()) {
        line.definesFunction = true;
        line.fileFunctions.append(
            LabelRules::LabelUse(definition.name.trimmed(), definition.nameColumn, definition.nameLength));
    }
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
void ChunkSplitter::awaitBody(Line &line)
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
    if (state_.readAsDefinitions)
        markStop(line, code->column);
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
void ChunkSplitter::readTop(Line &line, const BodyTokens::Line &tokens)
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
    markStop(line, first.column);
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

void ChunkSplitter::readBody(Line &line, int from)
{
    const BodyTokens::Line &tokens = tokensOf(line, from);
    lexicalColours(line, tokens);
    followComment(line, tokens);
    const QStringView text(line.text);
    bool firstOnLine = true;
    bool afterBody = true; // until the first token after the body's "}"
    const qsizetype count = qsizetype(tokens.tokens.size());
    for (qsizetype i = 0; i < count; ++i) {
        const Token &token = tokens.tokens[size_t(i)];
        if (token.kind == Token::Kind::Comment)
            continue;
        const bool first = std::exchange(firstOnLine, false);
        if (first && from == 0 && state_.readAsDefinitions)
            markStop(line, token.column);
        if (state_.region != State::Region::Body) {
            textAfterBody(line, token, afterBody);
            afterBody = false;
            continue;
        }
        const ChunkToken here{token, 0, text.sliced(token.column, token.length), first};
        if (token.kind == Token::Kind::OpenString && !state_.quiet)
            line.found.append(Rules::make(Rule::OpenString, 0, token.column, token.length));
        // A label: a name and ":" where a statement may begin, or at the start of a
        // line after a statement that lost its ";". Nothing asks in the middle of a line's statement.
        const qsizetype colon = chunk_.empty() || first ? labelColon(text, tokens.tokens, i) : -1;
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

// Text after the "}" that ends the body: today's servers read it as the next
// definition line and stop reading the file, the older ones do not end the body
// on a line that does not end in "}". A comment there is fine.
void ChunkSplitter::textAfterBody(Line &line, const Token &token, bool first)
{
    if (state_.quiet)
        return;
    if (first)
        markStop(line, token.column);
    const QStringView text = QStringView(line.text).sliced(token.column, token.length);
    if (token.kind == Token::Kind::Punct && Language::is(text, u"}")) {
        line.found.append(Rules::make(Rule::StrayCloseBrace, 0, token.column, 1));
        return;
    }
    if (!first)
        return;
    constexpr Target::Servers refusers = Target::kToday | Target::Older;
    const QStringView rest = QStringView(line.text).sliced(token.column).trimmed();
    Diagnostic found = Rules::judged(Rule::TextAfterBody, commands_.target(), refusers, 0, 0, token.column,
                                     int(rest.size()), {rest.toString()});
    if (!found.code.isEmpty())
        line.found.append(std::move(found));
}

// Today's servers read a line outside any body, from its first character that is
// not a blank or a comment, as a definition line: split on tabs into fewer than
// three fields, it stops the file there. The store reports the first such line.
void ChunkSplitter::markStop(Line &line, int from)
{
    if (!commands_.target().includes(Target::kToday))
        return;
    const QStringView rest = QStringView(line.text).sliced(from);
    // A "*/" there ends a comment of today's servers that the older loader reads
    // through, as the store does when the target holds both.
    if (rest.startsWith(u"*/") || std::count(rest.begin(), rest.end(), QChar(u'\t')) >= 2)
        return;
    const qsizetype comment = rest.indexOf(u"//");
    line.stopColumn = from;
    line.stopLength = std::max(1, int(rest.first(comment < 0 ? rest.size() : comment).trimmed().size()));
}

// Where a piece may begin: braces, empty statements and labels are taken here;
// true when `here` was, false when it begins a statement.
bool ChunkSplitter::beginPiece(Line &line, const std::vector<Token> &tokens, const ChunkToken &here, qsizetype colon)
{
    if (isPunct(here, u'}')) {
        closeBrace(line, here.token.column);
        return true;
    }
    if (isPunct(here, u'{')) {
        openBrace(line, here.token.column, false);
        return true;
    }
    if (isPunct(here, u';'))
        return true;
    if (isPunct(here, u':')) {
        // Older servers read a label without a name; today's refuse it.
        const Target &target = commands_.target();
        Diagnostic judged =
            Rules::judged(Rule::EmptyLabel, target, Target::kToday, kBeforeToday, 0, here.token.column, 1);
        if (!state_.quiet && !judged.code.isEmpty())
            line.found.append(std::move(judged));
        return true;
    }
    if (colon >= 0) {
        // "1000:" is a label too: a number and the name characters right after it.
        // Comments may stand before the ":".
        qsizetype nameEnd = colon - 1;
        while (tokens[size_t(nameEnd)].kind == Token::Kind::Comment)
            --nameEnd;
        const Token &last = tokens[size_t(nameEnd)];
        ChunkToken name = here;
        name.token.kind = Token::Kind::Name;
        name.token.length = last.column + last.length - here.token.column;
        name.text = QStringView(line.text).sliced(here.token.column, name.token.length);
        unit_.append(&line);
        chunk_.push_back(name);
        // The ":" goes with it: "default :" is no default to today's servers.
        const Token &colonToken = tokens[size_t(colon)];
        chunk_.push_back(ChunkToken{colonToken, 0, QStringView(line.text).sliced(colonToken.column, 1), false});
        closeChunk(End::Colon);
        return true;
    }
    const bool name = here.token.kind == Token::Kind::Name;
    chunkIsFor_ = name && Language::equalsIgnoringCase(here.text, u"for");
    chunkIsCase_ = name && Language::equalsIgnoringCase(here.text, u"case");
    return false;
}

// Whether `here` ends the piece being read (and is taken with it).
bool ChunkSplitter::endPiece(Line &line, const ChunkToken &here)
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
        openBrace(line, here.token.column, true);
        return true;
    }
    if (isPunct(here, u':') && chunkIsCase_ && parens_ == 0) {
        closeChunk(End::Colon);
        return true;
    }
    return false;
}

void ChunkSplitter::addToPiece(Line &line, const ChunkToken &here)
{
    if (unit_.isEmpty() || unit_.back() != &line)
        unit_.append(&line);
    chunk_.push_back(here);
    chunk_.back().line = int(unit_.size()) - 1;
    // "if (a) for (...;...;...)": the ";" of a for's head, wherever the for stands.
    if (parens_ == 0 && here.token.kind == Token::Kind::Name && Language::equalsIgnoringCase(here.text, u"for"))
        chunkIsFor_ = true;
    if (isPunct(here, u'(') || isPunct(here, u'['))
        ++parens_;
    else if ((isPunct(here, u')') || isPunct(here, u']')) && parens_ > 0)
        --parens_;
    else if (isPunct(here, u'?'))
        chunkHasQuestion_ = true;
}

void ChunkSplitter::openBrace(Line &line, int column, bool afterHead)
{
    ++state_.depth;
    // A bare block is held as the statements around it are. After a head the parser
    // gave up on, nothing is known of it: a break there is taken to belong.
    const OpeningBlock opening = std::exchange(opening_, OpeningBlock{});
    const BlockNesting::Holders around = BlockNesting::holdersIn(state_.blocks.get());
    if (!afterHead)
        state_.blocks = BlockNesting::opened(state_.blocks, around, false);
    else if (opening.told)
        state_.blocks = BlockNesting::opened(state_.blocks, opening.holders, opening.isSwitch);
    else
        state_.blocks = BlockNesting::opened(state_.blocks, BlockNesting::Loop | BlockNesting::Switch, false);
    addStep(line, FlowStep::Kind::BlockOpen, column);
}

void ChunkSplitter::addStep(Line &line, FlowStep::Kind kind, int column)
{
    if (state_.quiet)
        return;
    FlowStep step;
    step.kind = kind;
    step.column = column;
    step.length = 1;
    line.steps.append(std::move(step));
}

void ChunkSplitter::closeBrace(Line &line, int column)
{
    const bool body = --state_.depth == 0;
    addStep(line, body ? FlowStep::Kind::BodyEnd : FlowStep::Kind::BlockClose, column);
    if (!body) {
        state_.blocks = BlockNesting::closed(state_.blocks);
        return;
    }
    setFlag(bodyLine_, &Line::unclosedBody, false);
    setFlag(bodyLine_, &Line::missingBody, state_.missedBrace && !state_.quiet);
    state_.region = State::Region::Top;
    state_.missedBrace = false;
    state_.quiet = false;
    state_.readAsDefinitions = false;
    state_.body = 0;
    state_.depth = 0;
    state_.functions.reset();
    state_.blocks.reset();
    bodyLine_ = nullptr;
}

void ChunkSplitter::closeChunk(End end)
{
    opening_ = OpeningBlock{};
    StatementParser::parse(chunk_, end, commands_, state_.blocks, *this);
    chunk_.clear();
    unit_.clear();
    parens_ = 0;
    chunkIsFor_ = chunkIsCase_ = chunkHasQuestion_ = false;
    state_.chunkOpen = false;
}

// The end of the script ends whatever is still open.
void ChunkSplitter::finish()
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