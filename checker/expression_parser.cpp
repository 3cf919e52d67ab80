#include "checker/parser.h"

#include <limits>

// The expressions of a piece, read with the server's operator order into trees
// that the piece's steps keep.
namespace StatementParser::Internal {

thread_local Parser::Scratch Parser::tScratch;

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
        const int strength = Language::binaryPrecedence(op.text, todaysOrder_);
        if (strength == 0 || strength < minimum)
            return left;
        if (Language::isTodaysOperator(op.text))
            judge(Rule::TodaysSyntax, op, kOlderServers, 0, {op.text.toString()});
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
        ++pos_;
        if (BodyTokens::isTodaysNumber(token.text))
            judge(Rule::TodaysSyntax, token, kOlderServers, 0, {token.text.toString()});
        if (BodyTokens::hasStrayUnderscore(token.text))
            judge(Rule::NumberUnderscore, token, Target::kToday, 0, {token.text.toString()});
        // Most numbers are short: only one of ten digits or more can pass 32 bits.
        if (token.text.size() >= 10 && BodyTokens::numberValue(token.text) > std::numeric_limits<qint32>::max())
            judge(Rule::NumberTooLarge, token, 0, Target::kToday, {token.text.toString()});
        return node(Expression::Kind::Number, token, start);
    case Kind::String:
        if (isPunct(pos_ + 1, u":") && isPunct(pos_ + 2, u":"))
            return npcFunctionCall();
        return text();
    case Kind::Name: {
        ++pos_;
        const bool plain = BodyTokens::isPlainName(token.text);
        if (!plain && token.text.front().isDigit())
            judge(Rule::TodaysSyntax, token, kOlderServers, 0, {token.text.toString()});
        checkNameIsAscii(token);
        int value = -1;
        // "_$(...)" is a command whose name ends in "$".
        if (nextIs(u"(") && (plain || (token.text.endsWith(u'$') && commands_.find(token.text)))) {
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

// A string, and the strings written right after it: today's servers join them
// into one text, even across lines.
int Parser::text()
{
    const qsizetype start = pos_;
    checkEscapes(peek());
    ++pos_;
    std::vector<int> joined;
    while (!atEnd() && peek().token.kind == Kind::String) {
        judge(Rule::TodaysSyntax, peek(), kOlderServers, 0, {peek().text.toString()});
        checkEscapes(peek());
        joined.push_back(node(Expression::Kind::Text, peek(), pos_));
        ++pos_;
    }
    const int first = node(Expression::Kind::Text, t_.at(start), start);
    linkOperands(first, joined);
    return first;
}

// A backslash today's servers do not know ("\\%") puts a zero byte in the text:
// the text is cut there and the compiled script misread.
void Parser::checkEscapes(const ChunkToken &string)
{
    const qsizetype at = BodyTokens::unknownEscapeAt(string.text);
    if (at < 0)
        return;
    ChunkToken escape = string;
    escape.token.column += int(at);
    escape.token.length = 2;
    judge(Rule::UnknownEscape, escape, Target::kToday, 0, {string.text.mid(at, 2).toString()});
}

// "\"Ferryman\"::Pay(1)": a public function of another NPC, on today's servers.
int Parser::npcFunctionCall()
{
    const qsizetype start = pos_;
    const ChunkToken &npc = peek();
    judge(Rule::TodaysSyntax, t_.at(pos_ + 1), kOlderServers, 0, {QStringLiteral("::")});
    pos_ += 3;
    if (!nextIsName() || !BodyTokens::isPlainName(peek().text))
        unexpected();
    const ChunkToken &name = peek();
    ++pos_;
    colour(name, Colour::Kind::Command);
    std::vector<int> values{node(Expression::Kind::Text, npc, start)};
    if (nextIs(u"(")) {
        const ChunkToken &open = peek();
        ++pos_;
        while (!nextIs(u")")) {
            values.push_back(expression());
            if (!nextIs(u","))
                break;
            ++pos_;
        }
        expect(u")", Rule::MissingParenthesis, open);
    }
    const int called = node(Expression::Kind::Call, name, start);
    linkOperands(called, values);
    return called;
}

int Parser::call(const ChunkToken &name)
{
    const qsizetype start = pos_ - 1;
    // The arguments' trees wait at the end of the roots until the call takes them.
    const size_t firstArgument = roots_.size();
    const Commands::Command *command = commands_.find(name.text);
    if (!command) {
        arguments(name, roots_);
    } else {
        colour(name, Colour::Kind::Command);
        checkCommandWord(name, *command);
        if (sameWord(command->word, u"select") || sameWord(command->word, u"prompt"))
            choices_ = choicesOf(pos_);
        // callfunc("Name", ...) names the function it runs.
        if (sameWord(command->word, u"callfunc") && pos_ + 2 < limit_ && t_.at(pos_ + 1).token.kind == Kind::String &&
            (isPunct(pos_ + 2, u",") || isPunct(pos_ + 2, u")"))) {
            const ChunkToken &function = t_.at(pos_ + 1);
            sink_.callFunction(function.line, function.text.sliced(1, function.text.size() - 2).toString(),
                               function.token.column, function.token.length);
        }
        checkCount(name, *command, arguments(name, roots_));
    }
    const int called = node(Expression::Kind::Call, name, start);
    int *link = &nodes_[size_t(called)].first;
    for (size_t i = firstArgument; i < roots_.size(); ++i) {
        *link = roots_[i];
        link = &nodes_[size_t(roots_[i])].next;
    }
    roots_.resize(firstArgument);
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
    step.expressions.assign(nodes_.cbegin(), nodes_.cend());
    nodes_.clear();
    roots_.clear();
}

} // namespace StatementParser::Internal
