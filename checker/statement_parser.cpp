#include "checker/statement_parser.h"

#include "checker/language.h"
#include "common/code_page.h"

#include <QScopeGuard>

namespace StatementParser {

namespace {

using Kind = BodyTokens::Token::Kind;

// Thrown to leave a statement after its first error: what follows it in the chunk
// would only repeat the same mistake in other words.
struct Abandon
{
};

template <size_t N> bool sameWord(QStringView text, const char16_t (&word)[N])
{
    return Language::equalsIgnoringCase(text, word);
}

// Variables whose sets and reads are steps: scope variables, judged per body, and
// player variables, judged across the files checked together.
bool isJudgedVariable(QStringView name)
{
    return Language::isScopeVariable(name) || Language::isPlayerVariable(name);
}

class Parser
{
public:
    Parser(const std::vector<ChunkToken> &tokens, End end, const Commands::Table &commands, Sink &sink)
        : t_(tokens), end_(end), commands_(commands), sink_(sink)
    {
    }

    void run();

private:
    bool atEnd() const { return pos_ >= limit_; }
    qsizetype count() const { return qsizetype(t_.size()); }
    const ChunkToken &peek() const { return t_.at(pos_); }
    // Whether the token at `i` begins a line with what can only begin a statement.
    bool startsStatement(qsizetype i) const
    {
        const ChunkToken &token = t_.at(i);
        if (!token.firstOnLine || token.token.kind != Kind::Name || !BodyTokens::isPlainName(token.text))
            return false;
        // A command followed by "(" may be a function whose value is the argument.
        return Language::isKeyword(token.text, Language::StartsStatement) ||
               (commands_.find(token.text) && !isPunct(i + 1, u"("));
    }
    bool isPunct(qsizetype i, QStringView punct) const
    {
        if (i >= limit_ || t_.at(i).token.kind != Kind::Punct)
            return false;
        const QStringView text = t_.at(i).text;
        return text.size() == punct.size() && std::equal(text.begin(), text.end(), punct.begin());
    }
    // Literals keep their length at compile time, so no comparison measures them.
    template <size_t N> bool isPunct(qsizetype i, const char16_t (&punct)[N]) const
    {
        return isPunct(i, QStringView(punct, qsizetype(N - 1)));
    }
    template <size_t N> bool nextIs(const char16_t (&punct)[N]) const { return isPunct(pos_, punct); }
    bool nextIsName() const { return !atEnd() && peek().token.kind == Kind::Name; }

    // `word`: the syntax word a command step's command is; `window`: what it does to the window.
    void addStep(FlowStep::Kind kind, const ChunkToken &at, const QString &text = QString(), QStringList labels = {},
                 FlowStep::Word word = FlowStep::Word::Other, Commands::Window window = Commands::Window::None)
    {
        const bool variable = kind == FlowStep::Kind::VariableSet || kind == FlowStep::Kind::VariableRead ||
                              kind == FlowStep::Kind::TypeMismatch;
        if (inForHead_ && !variable)
            return;
        FlowStep step;
        step.kind = kind;
        step.column = at.token.column;
        step.length = at.token.length;
        step.text = text;
        step.labels = std::move(labels);
        step.word = word;
        step.window = window;
        if (!variable) {
            step.waits = std::exchange(waits_, false);
            step.number = std::exchange(choices_, 0);
            takeExpressions(step, at.line);
        }
        sink_.step(at.line, std::move(step));
    }
    void takeExpressions(FlowStep &step, int line);
    int node(Expression::Kind kind, const ChunkToken &token, qsizetype from, std::initializer_list<int> operands = {});
    template <typename Operands> void linkOperands(int parent, const Operands &operands)
    {
        int *link = &nodes_[size_t(parent)].first;
        for (const int operand : operands) {
            *link = operand;
            link = &nodes_[size_t(operand)].next;
        }
    }
    Expression::Place placeOf(const ChunkToken &token, bool after = false) const
    {
        return {token.line, token.token.column + (after ? token.token.length : 0)};
    }
    void variables(const ChunkToken &target, qsizetype valueAt);
    int choicesOf(qsizetype open) const;
    bool isBareVariable(qsizetype i) const;
    void report(Rule rule, const ChunkToken &at, const QStringList &arguments = {})
    {
        sink_.diagnostic(at.line, rule, at.token.column, at.token.length, arguments);
    }
    [[noreturn]] void fail(Rule rule, const ChunkToken &at, const QStringList &arguments = {})
    {
        report(rule, at, arguments);
        throw Abandon{};
    }
    // An expression or a token was expected where the chunk ends or something else stands.
    [[noreturn]] void unexpected()
    {
        if (!atEnd()) {
            if (peek().token.kind == Kind::OpenString)
                throw Abandon{}; // reported where the string begins
            fail(Rule::UnexpectedToken, peek(), {peek().text.toString()});
        }
        const ChunkToken &last = t_.at(limit_ - 1);
        const QString what = end_ == End::Semicolon   ? QStringLiteral(";")
                             : end_ == End::OpenBrace ? QStringLiteral("{")
                             : end_ == End::Colon     ? QStringLiteral(":")
                                                      : QStringLiteral("行末");
        sink_.diagnostic(last.line, Rule::UnexpectedToken, last.token.column + last.token.length, 1, {what});
        throw Abandon{};
    }
    void colour(const ChunkToken &at, Colour::Kind kind)
    {
        sink_.colour(at.line, kind, at.token.column, at.token.length);
    }
    void expect(QStringView punct, Rule rule, const ChunkToken &opening)
    {
        if (!isPunct(pos_, punct))
            fail(rule, opening);
        ++pos_;
    }

    bool statement();
    bool commandStatement(const Commands::Command &command);
    bool keywordStatement(const ChunkToken &first);
    int commandArguments(const Commands::Command &command, bool inParentheses);
    void forCommand(size_t firstRoot, const ChunkToken &word);
    bool functionOfBody();
    void checkCount(const ChunkToken &word, const Commands::Command &command, int count);
    void label();
    qsizetype labelEnd(qsizetype i) const;
    void menuLabel();
    int parenthesised();
    int expression(int minimum = 1);
    int unary();
    int primary();
    int call(const ChunkToken &name);
    void ownFunctionStatement(const ChunkToken &name);
    void reportOwnCall(const ChunkToken &name);
    int arguments(const ChunkToken &name, std::vector<int> &values);
    qsizetype closingOf(qsizetype open) const;
    int operators(int left, qsizetype start, int minimum);
    void forPart(int part, const ChunkToken &open);
    void labelDefinition(const ChunkToken &name);
    void labelOrCase();

    const std::vector<ChunkToken> &t_;
    const End end_;
    const Commands::Table &commands_;
    Sink &sink_;
    qsizetype pos_ = 0;
    qsizetype limit_ = qsizetype(t_.size());
    int depth_ = 0; // expressions open inside one another
    // What the statement being read shows: a select() or input the window waits on,
    // and how many choices a select() offers (0: not known).
    mutable bool waits_ = false;
    int choices_ = 0;
    bool inForHead_ = false; // the parts of a for's head are no steps of the flow
    QStringList labels_;     // the label arguments of the command being read
    // The expression trees of the statement being read, and its top-level ones in
    // order; the next step that is a statement takes them.
    std::vector<Expression> nodes_;
    std::vector<int> roots_;
    const ChunkToken *forCommand_ = nullptr; // a command read as a part of a for's head
};

// Nested deeper than this, an expression is refused rather than read on until
// the stack runs out.
constexpr int kDeepestExpression = 256;

void Parser::run()
{
    if (t_.empty())
        return;
    try {
        if (end_ == End::Colon) {
            labelOrCase();
            return;
        }
        bool head = statement();
        // Statements left after one that ended without its ";": the line that
        // follows a lost ";" is read as the statement it is.
        while (!atEnd()) {
            if (!peek().firstOnLine || peek().token.kind == Kind::OpenString)
                unexpected();
            const ChunkToken &before = t_.at(pos_ - 1);
            sink_.diagnostic(before.line, Rule::MissingSemicolon, before.token.column + before.token.length - 1, 1, {});
            head = statement();
        }
        if (head)
            return; // a block's head takes its "{", or ";" as an empty statement
        if (end_ == End::OpenBrace) {
            const ChunkToken &last = t_.back();
            sink_.diagnostic(last.line, Rule::UnexpectedToken, last.token.column + last.token.length, 1,
                             {QStringLiteral("{")});
        } else if (end_ == End::None) {
            const ChunkToken &last = t_.back();
            if (last.token.kind != Kind::OpenString)
                sink_.diagnostic(last.line, Rule::MissingSemicolon, last.token.column + last.token.length - 1, 1, {});
        }
    } catch (const Abandon &) {
        inForHead_ = false;
        nodes_.clear();
        roots_.clear();
        addStep(FlowStep::Kind::Broken, t_.front());
        // The jumps after a mistake still count, so that their labels do not look unused.
        for (qsizetype i = pos_; i + 1 < count(); ++i) {
            const ChunkToken &word = t_.at(i);
            const ChunkToken &label = t_.at(i + 1);
            if (word.token.kind == Kind::Name && sameWord(word.text, u"goto") && label.token.kind == Kind::Name &&
                BodyTokens::isPlainName(label.text))
                sink_.jump(label.line, label.text.toString(), label.token.column, label.token.length);
        }
    }
}

// A piece that ends at ":": "default", a label, or "case" and its value.
void Parser::labelOrCase()
{
    const ChunkToken &first = t_.front();
    if (count() == 1 && sameWord(first.text, u"default")) {
        colour(first, Colour::Kind::Command);
        addStep(FlowStep::Kind::Default, first);
    } else if (count() == 1 && BodyTokens::isLabelName(first.text)) {
        labelDefinition(first);
    } else if (sameWord(first.text, u"case")) {
        colour(first, Colour::Kind::Command);
        ++pos_;
        roots_.push_back(expression());
        if (!atEnd())
            unexpected();
        // A plain number names the choice of a select() the case stands for.
        const bool plainNumber = count() == 2 && t_.at(1).token.kind == Kind::Number;
        waits_ = false;
        choices_ = plainNumber ? t_.at(1).text.toInt() : -1;
        addStep(FlowStep::Kind::Case, first);
    } else {
        pos_ = count() - 1;
        unexpected();
    }
}

void Parser::labelDefinition(const ChunkToken &name)
{
    const QString label = name.text.toString();
    colour(name, Colour::Kind::Label);
    sink_.defineLabel(name.line, label, name.token.column, name.token.length);
    addStep(FlowStep::Kind::Label, name, label);
    if (Language::isEventLabel(label)) {
        // Labels are mostly ASCII, one byte a character; only others ask the converter.
        const bool ascii = std::all_of(label.cbegin(), label.cend(), [](QChar c) { return c.unicode() < 0x80; });
        const qsizetype bytes = ascii ? label.size() : CodePage932::encode(label).size();
        if (bytes > Language::kLongestEventLabelBytes)
            report(Rule::EventLabelTooLong, name,
                   {label, QString::number(bytes), QString::number(Language::kLongestEventLabelBytes)});
    }
}

// Returns true when the statement is the head of a block still waiting for its body.
bool Parser::statement()
{
    if (atEnd()) {
        if (end_ == End::Semicolon)
            addStep(FlowStep::Kind::Empty, t_.back());
        return true;
    }
    // "if (a) if (b) ..." and "else else ..." nest statements as expressions nest.
    if (++depth_ > kDeepestExpression)
        fail(Rule::TooDeep, peek(), {QString::number(kDeepestExpression)});
    const auto leave = qScopeGuard([this] { --depth_; });
    const ChunkToken &first = peek();
    if (first.token.kind == Kind::Punct &&
        (Language::is(first.text, u"++") || Language::is(first.text, u"--") || Language::is(first.text, u"("))) {
        roots_.push_back(expression());
        addStep(FlowStep::Kind::Other, first);
        return false;
    }
    if (first.token.kind != Kind::Name)
        unexpected();
    const bool plain = BodyTokens::isPlainName(first.text);
    if (plain && Language::isKeyword(first.text, Language::StartsStatement) && !sameWord(first.text, u"goto") &&
        !sameWord(first.text, u"end"))
        return keywordStatement(first);
    // An assignment: "@x = 1", ".@i++", "$@list[2] += 3".
    const qsizetype after = pos_ + 1;
    const bool assigns =
        after < limit_ && t_.at(after).token.kind == Kind::Punct &&
        (Language::binaryPrecedence(t_.at(after).text) == 1 || Language::is(t_.at(after).text, u"++") ||
         Language::is(t_.at(after).text, u"--") || Language::is(t_.at(after).text, u"["));
    const Commands::Command *command = plain ? commands_.find(first.text) : nullptr;
    if (command && !assigns)
        return commandStatement(*command);
    if (!plain || assigns) {
        if (assigns)
            variables(first, pos_ + 2);
        roots_.push_back(expression());
        addStep(FlowStep::Kind::Other, first);
        return false;
    }
    ownFunctionStatement(first);
    addStep(FlowStep::Kind::Call, first, first.text.toString());
    return false;
}

// "Name(1,2);" or "Name 1,2;": a function of the body, or a command the table lacks.
void Parser::ownFunctionStatement(const ChunkToken &name)
{
    ++pos_;
    if (nextIs(u"(")) {
        qsizetype closing = closingOf(pos_);
        if (closing == limit_ - 1) {
            arguments(name, roots_);
            return;
        }
    }
    reportOwnCall(name);
    // Words on a line of their own ("またね。") are a mistake of one kind, not two.
    if (!atEnd() && peek().firstOnLine)
        throw Abandon{};
    while (!atEnd()) {
        if (peek().firstOnLine && startsStatement(pos_))
            return; // a lost ";": the caller reads on from here
        roots_.push_back(expression());
        if (nextIs(u","))
            ++pos_;
        else if (!atEnd() && !peek().firstOnLine)
            report(Rule::MissingComma, peek());
    }
}

void Parser::reportOwnCall(const ChunkToken &name)
{
    sink_.callOwnFunction(name.line, name.text.toString(), name.token.column, name.token.length);
}

// A scope or player variable given a value: "set .@n, 5", "@n = 5", "input .@n". A literal
// of the other type stored in it is worth a word: `valueAt` is where the value
// begins, or -1 when no value is given here.
void Parser::variables(const ChunkToken &target, qsizetype valueAt)
{
    if (!isJudgedVariable(target.text))
        return;
    addStep(FlowStep::Kind::VariableSet, target, target.text.toString());
    if (valueAt < 0 || valueAt >= limit_ || !(valueAt + 1 == limit_ || isPunct(valueAt + 1, u",")))
        return;
    const ChunkToken &value = t_.at(valueAt);
    const bool stringVariable = target.text.endsWith(u'$');
    if ((value.token.kind == Kind::Number && stringVariable) || (value.token.kind == Kind::String && !stringVariable))
        addStep(FlowStep::Kind::TypeMismatch, value, target.text.toString());
}

// Whether a scope or player variable, indexed or not, is the whole argument that begins at
// `i`: a command given it may store into it ("copyarray .@copy[0],...").
bool Parser::isBareVariable(qsizetype i) const
{
    if (i >= limit_ || t_.at(i).token.kind != Kind::Name || !isJudgedVariable(t_.at(i).text))
        return false;
    qsizetype after = i + 1;
    if (isPunct(after, u"[")) {
        const qsizetype close = closingOf(after);
        if (close < 0)
            return false;
        after = close + 1;
    }
    return after == limit_ || isPunct(after, u",") || isPunct(after, u")");
}

// How many choices the select() whose "(" is at `open` offers: each string
// argument's parts between ":", or 0 when an argument is not a plain string.
int Parser::choicesOf(qsizetype open) const
{
    waits_ = true;
    const qsizetype close = closingOf(open);
    if (close < 0)
        return 0;
    int choices = 0;
    for (qsizetype i = open + 1; i < close; i += 2) {
        if (t_.at(i).token.kind != Kind::String || !(isPunct(i + 1, u",") || i + 1 == close))
            return 0;
        choices += int(t_.at(i).text.count(u':')) + 1;
    }
    return choices;
}

// The parenthesised arguments of a call, with its name; a "," before ")" ends them.
// Their trees go to `values`.
int Parser::arguments(const ChunkToken &name, std::vector<int> &values)
{
    if (!commands_.find(name.text))
        reportOwnCall(name);
    const ChunkToken &open = peek();
    ++pos_;
    int count = 0;
    const Commands::Command *command = commands_.find(name.text);
    while (!nextIs(u")")) {
        if (command && command->storesInto(count, true) && isBareVariable(pos_))
            variables(peek(), -1);
        values.push_back(expression());
        ++count;
        if (!nextIs(u","))
            break;
        ++pos_;
    }
    expect(u")", Rule::MissingParenthesis, open);
    return count;
}

// The ")" or "]" that closes the bracket at `open`, or -1.
qsizetype Parser::closingOf(qsizetype open) const
{
    int depth = 0;
    for (qsizetype i = open; i < limit_; ++i) {
        if (isPunct(i, u"(") || isPunct(i, u"["))
            ++depth;
        else if ((isPunct(i, u")") || isPunct(i, u"]")) && --depth == 0)
            return i;
    }
    return -1;
}

// A statement that a keyword begins: blocks, loops, a function of the body, and
// the words that end or leave one. Returns true for the head of a block.
bool Parser::keywordStatement(const ChunkToken &first)
{
    const QStringView word = first.text;
    colour(first, Colour::Kind::Command);
    ++pos_;
    using Step = FlowStep::Kind;
    if (sameWord(word, u"if")) {
        // The condition is one whole expression: "if (a) || (b) goto L;".
        const qsizetype start = pos_;
        roots_.push_back(operators(parenthesised(), start, 2));
        addStep(Step::If, first);
        return statement();
    }
    if (sameWord(word, u"while") || sameWord(word, u"switch")) {
        // "switch (@menu)" reads the choice of the menu before it.
        const bool onMenu =
            pos_ + 2 < limit_ && Language::is(t_.at(pos_ + 1).text, u"@menu") && isPunct(pos_ + 2, u")");
        roots_.push_back(parenthesised());
        addStep(sameWord(word, u"while") ? Step::While : Step::Switch, first,
                onMenu ? QStringLiteral("@menu") : QString());
        return statement();
    }
    if (sameWord(word, u"for")) {
        if (atEnd())
            unexpected(); // "for" alone: its "(" is missing
        const ChunkToken &open = peek();
        expect(u"(", Rule::UnexpectedToken, first);
        inForHead_ = true;
        for (int part = 0; part < 3; ++part)
            forPart(part, open);
        inForHead_ = false;
        addStep(Step::For, first);
        return statement();
    }
    if (sameWord(word, u"else") || sameWord(word, u"do")) {
        addStep(sameWord(word, u"else") ? Step::Else : Step::Do, first);
        return statement();
    }
    if (sameWord(word, u"function"))
        return functionOfBody();
    // A value may stand on the next line; a statement there means none was given.
    if (sameWord(word, u"return") && !atEnd() && !startsStatement(pos_))
        roots_.push_back(expression());
    addStep(sameWord(word, u"break")      ? Step::Break
            : sameWord(word, u"continue") ? Step::Continue
                                          : Step::Return,
            first);
    return false;
}

// "function Name;" declares a function of the body, "function Name {" defines it.
bool Parser::functionOfBody()
{
    if (!nextIsName() || !BodyTokens::isPlainName(peek().text))
        unexpected();
    const ChunkToken &name = peek();
    ++pos_;
    if (!atEnd())
        unexpected();
    const bool definition = end_ == End::OpenBrace;
    colour(name, definition ? Colour::Kind::Label : Colour::Kind::Command);
    addStep(definition ? FlowStep::Kind::FunctionDefinition : FlowStep::Kind::FunctionDeclaration, name,
            name.text.toString());
    sink_.declareFunction(name.line, name.text.toString(), name.token.column, name.token.length, definition);
    return true;
}

// "for (set .@i,0; .@i < 5; .@i++)": the first and last parts are statements, the
// middle one a condition.
void Parser::forPart(int part, const ChunkToken &open)
{
    const QStringView closer = part < 2 ? QStringView(u";") : QStringView(u")");
    qsizetype stop = pos_;
    for (int depth = 0; stop < limit_; ++stop) {
        if (depth == 0 && isPunct(stop, closer))
            break;
        if (isPunct(stop, u"(") || isPunct(stop, u"["))
            ++depth;
        else if (isPunct(stop, u")") || isPunct(stop, u"]"))
            --depth;
    }
    if (stop == limit_)
        fail(Rule::MissingParenthesis, open);
    const size_t firstRoot = roots_.size();
    if (stop > pos_) {
        const qsizetype outer = limit_;
        limit_ = stop;
        forCommand_ = nullptr;
        if (part == 1)
            roots_.push_back(expression());
        else
            statement();
        if (!atEnd())
            unexpected();
        limit_ = outer;
        if (forCommand_)
            forCommand(firstRoot, *forCommand_);
    }
    if (roots_.size() != firstRoot + 1) { // a part left out, or one with no value
        roots_.resize(firstRoot);
        roots_.push_back(node(Expression::Kind::None, open, pos_ - 1));
    }
    pos_ = stop + 1;
}

bool Parser::commandStatement(const Commands::Command &command)
{
    const ChunkToken &word = peek();
    colour(word, Colour::Kind::Command);
    ++pos_;
    labels_.clear();
    if (inForHead_)
        forCommand_ = &word;
    if (sameWord(command.word, u"goto")) {
        const bool parenthesised = nextIs(u"(") && isPunct(pos_ + 2, u")");
        pos_ += parenthesised ? 1 : 0;
        label();
        pos_ += parenthesised ? 1 : 0;
        addStep(FlowStep::Kind::Command, word, QStringLiteral("goto"), labels_, FlowStep::Word::Goto);
        return false;
    }
    // "getitem(501,1);": the parentheses hold the arguments.
    qsizetype closing = nextIs(u"(") ? closingOf(pos_) : -1;
    if (closing != limit_ - 1)
        closing = -1;
    const qsizetype outerLimit = limit_;
    if (closing >= 0) {
        ++pos_;
        limit_ = closing;
    }
    // "next" and then "menu ..." on the next line: a lost ";", not an argument.
    const bool cut = !atEnd() && closing < 0 && startsStatement(pos_);
    const int count = cut ? 0 : commandArguments(command, closing >= 0);
    if (closing >= 0) {
        limit_ = outerLimit;
        pos_ = closing + 1;
    }
    checkCount(word, command, count);
    waits_ = waits_ || sameWord(command.word, u"input") || sameWord(command.word, u"menu");
    addStep(FlowStep::Kind::Command, word, command.lower, labels_, Language::flowWord(command.lower), command.window);
    return false;
}

// The arguments of a command, each read as the table says (a label, or an
// expression); returns how many. A line that begins without a "," between is the
// next statement after a lost ";", unless the arguments stand in parentheses.
int Parser::commandArguments(const Commands::Command &command, bool inParentheses)
{
    const bool menu = sameWord(command.word, u"menu");
    const bool callfunc = sameWord(command.word, u"callfunc");
    int count = 0;
    while (!atEnd()) {
        if (menu && count % 2 == 1) {
            menuLabel();
        } else if (command.labelAt(count)) {
            label();
        } else {
            if (command.storesInto(count, false) && isBareVariable(pos_))
                variables(peek(), count == 0 && sameWord(command.word, u"set") ? pos_ + 2 : -1);
            roots_.push_back(expression());
        }
        if (callfunc && count == 0 && t_.at(pos_ - 1).token.kind == Kind::String &&
            (pos_ - 1 == 0 || !Language::is(t_.at(pos_ - 2).text, u"+"))) {
            const ChunkToken &name = t_.at(pos_ - 1);
            sink_.callFunction(name.line, name.text.sliced(1, name.text.size() - 2).toString(), name.token.column,
                               name.token.length);
        }
        ++count;
        if (atEnd())
            break;
        if (nextIs(u",")) {
            ++pos_;
            if (atEnd() && inParentheses)
                break; // "select("a","b",)": a comma before ")" ends the arguments
            if (atEnd())
                unexpected();
            continue;
        }
        if (peek().firstOnLine && !inParentheses)
            break; // a lost ";": the caller reads on from here
        report(Rule::MissingComma, peek());
    }
    return count;
}

void Parser::checkCount(const ChunkToken &word, const Commands::Command &command, int count)
{
    if (sameWord(command.word, u"menu")) {
        if (count == 0 || count % 2 == 1)
            report(Rule::MenuPairs, word);
        return;
    }
    if (count < command.min || (command.max >= 0 && count > command.max))
        report(Rule::ArgumentCount, word, {command.word, Language::argumentCount(command), QString::number(count)});
}

void Parser::label()
{
    const qsizetype end = labelEnd(pos_);
    if (end < 0)
        unexpected();
    const ChunkToken &first = peek();
    const ChunkToken &last = t_.at(end - 1);
    const int length = last.token.column + last.token.length - first.token.column;
    sink_.colour(first.line, Colour::Kind::Label, first.token.column, length);
    const QStringView text(first.text.data(), length);
    sink_.jump(first.line, text.toString(), first.token.column, length);
    labels_.append(text.toString());
    const qsizetype from = pos_;
    pos_ = end;
    const int label = node(Expression::Kind::Label, first, from);
    nodes_[label].length = length;
    roots_.push_back(label);
}

// Where a label's name that begins at token `i` ends: a plain name, or a number
// with the name characters written right after it ("1000", "2F_Hall"); -1 for none.
qsizetype Parser::labelEnd(qsizetype i) const
{
    if (i >= limit_)
        return -1;
    const ChunkToken &token = t_.at(i);
    if (token.token.kind == Kind::Name)
        return BodyTokens::isPlainName(token.text) ? i + 1 : -1;
    if (token.token.kind != Kind::Number ||
        !std::all_of(token.text.begin(), token.text.end(), [](QChar c) { return c.isDigit(); }))
        return -1;
    if (i + 1 < limit_ && t_.at(i + 1).token.kind == Kind::Name && t_.at(i + 1).line == token.line &&
        t_.at(i + 1).token.column == token.token.column + token.token.length &&
        BodyTokens::isPlainName(t_.at(i + 1).text))
        return i + 2;
    return i + 1;
}

// A menu choice's label: a name, or "-" to go on with the next statement.
void Parser::menuLabel()
{
    if (nextIs(u"-") && (pos_ + 1 == limit_ || isPunct(pos_ + 1, u","))) {
        ++pos_;
        labels_.append(QStringLiteral("-"));
        roots_.push_back(node(Expression::Kind::Label, t_.at(pos_ - 1), pos_ - 1));
        return;
    }
    if (labelEnd(pos_) >= 0) {
        label();
        return;
    }
    if (atEnd())
        unexpected();
    fail(Rule::MenuPairs, peek());
}

int Parser::parenthesised()
{
    if (!nextIs(u"("))
        unexpected();
    const ChunkToken &open = peek();
    ++pos_;
    const int inner = expression();
    expect(u")", Rule::MissingParenthesis, open);
    return inner;
}

int Parser::expression(int minimum)
{
    if (++depth_ > kDeepestExpression) {
        if (!atEnd())
            fail(Rule::TooDeep, peek(), {QString::number(kDeepestExpression)});
        unexpected();
    }
    const auto leave = qScopeGuard([this] { --depth_; });
    const qsizetype start = pos_;
    return operators(unary(), start, minimum);
}

// The binary operators after the operand `left`, which began at token `start`, as
// far as they bind at least `minimum`.
int Parser::operators(int left, qsizetype start, int minimum)
{
    using Node = Expression::Kind;
    while (!atEnd() && peek().token.kind == Kind::Punct) {
        const ChunkToken &op = peek();
        const int strength = Language::binaryPrecedence(op.text);
        if (strength == 0 || strength < minimum)
            return left;
        ++pos_;
        // "set Zeny + ,0;" is what a button writes for an empty field.
        if (nextIs(u",") || (strength == 1 && (atEnd() || nextIs(u")")))) {
            report(Rule::EmptyValue, op, {t_.at(pos_ - 2).text.toString()});
            return left;
        }
        if (strength == 1) {
            const int value = expression(1); // assignments group to the right
            left = node(Node::Assign, op, start, {left, value});
            continue;
        }
        if (strength == 2) {
            const int then = expression(1);
            if (!nextIs(u":"))
                unexpected();
            ++pos_;
            const int otherwise = expression(2);
            left = node(Node::Ternary, op, start, {left, then, otherwise});
            continue;
        }
        const int right = expression(strength + 1);
        left = node(Node::Binary, op, start, {left, right});
    }
    return left;
}

int Parser::unary()
{
    // Prefix operators in a row are read in a loop, not by recursion.
    const qsizetype start = pos_;
    while (!atEnd() && peek().token.kind == Kind::Punct) {
        const QStringView op = peek().text;
        if (!(Language::is(op, u"-") || Language::is(op, u"!") || Language::is(op, u"~") || Language::is(op, u"+") ||
              Language::is(op, u"++") || Language::is(op, u"--")))
            break;
        ++pos_;
    }
    const qsizetype operandAt = pos_;
    int value = primary();
    while (nextIs(u"++") || nextIs(u"--")) {
        ++pos_;
        value = node(Expression::Kind::Increment, t_.at(pos_ - 1), operandAt, {value});
    }
    // The prefixes apply from the innermost outwards.
    for (qsizetype at = operandAt - 1; at >= start; --at) {
        const ChunkToken &op = t_.at(at);
        const bool increment = op.text.size() == 2;
        value = node(increment ? Expression::Kind::Increment : Expression::Kind::Unary, op, at, {value});
        nodes_[value].prefix = increment;
    }
    return value;
}

int Parser::primary()
{
    if (atEnd())
        unexpected();
    const ChunkToken &token = peek();
    const qsizetype start = pos_;
    switch (token.token.kind) {
    case Kind::Number:
    case Kind::String:
        ++pos_;
        return node(token.token.kind == Kind::Number ? Expression::Kind::Number : Expression::Kind::Text, token, start);
    case Kind::Name: {
        ++pos_;
        const bool plain = BodyTokens::isPlainName(token.text);
        int value = -1;
        if (nextIs(u"(") && plain) {
            value = call(token);
        } else {
            colour(token, plain && commands_.find(token.text) ? Colour::Kind::Command : Colour::Kind::Variable);
            if (isJudgedVariable(token.text))
                addStep(FlowStep::Kind::VariableRead, token, token.text.toString());
            value = node(Expression::Kind::Variable, token, start);
        }
        if (nextIs(u"[")) {
            const ChunkToken &open = peek();
            ++pos_;
            const int index = expression();
            expect(u"]", Rule::MissingBracket, open);
            if (nodes_[value].kind == Expression::Kind::Variable)
                value = node(Expression::Kind::Element, token, start, {index});
        }
        return value;
    }
    case Kind::Punct:
        if (Language::is(token.text, u"("))
            return parenthesised();
        break;
    default:
        break;
    }
    unexpected();
}

int Parser::call(const ChunkToken &name)
{
    const qsizetype start = pos_ - 1;
    std::vector<int> values;
    const Commands::Command *command = commands_.find(name.text);
    if (!command) {
        arguments(name, values);
    } else {
        colour(name, Colour::Kind::Command);
        if (sameWord(command->word, u"select") || sameWord(command->word, u"prompt"))
            choices_ = choicesOf(pos_);
        // callfunc("Name", ...) names the function it runs.
        if (sameWord(command->word, u"callfunc") && pos_ + 2 < limit_ &&
            t_.at(pos_ + 1).token.kind == Kind::String && (isPunct(pos_ + 2, u",") || isPunct(pos_ + 2, u")"))) {
            const ChunkToken &function = t_.at(pos_ + 1);
            sink_.callFunction(function.line, function.text.sliced(1, function.text.size() - 2).toString(),
                               function.token.column, function.token.length);
        }
        checkCount(name, *command, arguments(name, values));
    }
    const int called = node(Expression::Kind::Call, name, start);
    linkOperands(called, values);
    return called;
}

// A node whose own token is `token`, spanning from token `from` to the last one read.
int Parser::node(Expression::Kind kind, const ChunkToken &token, qsizetype from, std::initializer_list<int> operands)
{
    Expression expression;
    expression.kind = kind;
    expression.token = placeOf(token);
    expression.length = token.token.length;
    expression.start = placeOf(t_.at(from));
    expression.end = placeOf(t_.at(std::max(from, pos_ - 1)), true);
    nodes_.push_back(expression);
    const int at = int(nodes_.size()) - 1;
    linkOperands(at, operands);
    return at;
}

// "for (set .@i,0; ...)": the command becomes one node whose operands are its arguments.
void Parser::forCommand(size_t firstRoot, const ChunkToken &word)
{
    const std::vector<int> arguments(roots_.begin() + qsizetype(firstRoot), roots_.end());
    roots_.resize(firstRoot);
    const qsizetype at = &word - t_.data();
    const int command = node(Expression::Kind::Command, word, at);
    linkOperands(command, arguments);
    roots_.push_back(command);
}

// The statement's trees go to its step, their places counted from the step's line.
void Parser::takeExpressions(FlowStep &step, int line)
{
    if (roots_.empty()) {
        nodes_.clear();
        return;
    }
    for (Expression &expression : nodes_) {
        expression.token.line -= line;
        expression.start.line -= line;
        expression.end.line -= line;
    }
    for (size_t i = 0; i + 1 < roots_.size(); ++i)
        nodes_[size_t(roots_[i])].next = roots_[i + 1];
    step.root = roots_.front();
    step.expressions = std::move(nodes_);
    nodes_.clear();
    roots_.clear();
}

} // namespace

void parse(const std::vector<ChunkToken> &tokens, End end, const Commands::Table &commands, Sink &sink)
{
    Parser(tokens, end, commands, sink).run();
}

} // namespace StatementParser
