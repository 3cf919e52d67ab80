#include "conversation/body.h"

#include "checker/language.h"
#include "checker/rules.h"
#include "checker/script_check.h"
#include "conversation/body_reader.h"

#include <QScopeGuard>

namespace Conversation {

namespace {

using Kind = BodyTokens::Token::Kind;
using Op = Instruction::Op;

// Thrown where a statement cannot be read; the statement becomes a stop.
struct Unreadable
{
    int line;
    QString message;
    bool checkers = false; // the checker's message, naming its line
};

// Where break and continue of the innermost loop or switch go.
struct Loop
{
    bool isSwitch = false;
    QVector<int> breaks;
    QVector<int> continues;
};

// Errors that make the server refuse the statement. Others wait for the run: a
// jump to a missing label breaks only when it is taken, a character the save
// cannot hold still shows.
bool refusedByServer(Rule rule)
{
    switch (rule) {
    case Rule::OpenString:
    case Rule::MissingSemicolon:
    case Rule::UnknownCommand:
    case Rule::UnexpectedToken:
    case Rule::MissingParenthesis:
    case Rule::MissingBracket:
    case Rule::OpenComment:
    case Rule::TooDeep:
    case Rule::UndeclaredFunctionCall:
    case Rule::MenuPairs:
    case Rule::StrayCloseBrace:
        return true;
    default:
        return false;
    }
}

// A string token's text: a backslash makes the next character literal, except
// after a double-byte character, whose own second byte it is.
QString unquoted(const QString &raw)
{
    QString text;
    for (qsizetype i = 1; i + 1 < raw.size(); ++i) {
        if (raw.at(i) == u'\\' && i + 2 < raw.size() && raw.at(i - 1).unicode() <= 0x7E)
            ++i;
        text.append(raw.at(i));
    }
    return text;
}

class Reader
{
public:
    Reader(const ScriptCheck &check, const Commands::Table &commands, Body &body, QVector<Token> tokens)
        : check_(check), commands_(commands), body_(body), t_(std::move(tokens))
    {
    }

    void readAll(int closedAt)
    {
        while (pos_ < t_.size())
            statementOrStop();
        add(Op::BodyEnd, closedAt);
    }

private:
    // --- tokens
    bool atEnd() const { return pos_ >= t_.size(); }
    const Token &peek(int ahead = 0) const
    {
        static const Token none;
        return pos_ + ahead < t_.size() ? t_.at(pos_ + ahead) : none;
    }
    bool is(QStringView text, int ahead = 0) const
    {
        const Token &t = peek(ahead);
        return pos_ + ahead < t_.size() && t.kind == Kind::Punct && t.text == text;
    }
    bool isWord(QStringView lower, int ahead = 0) const
    {
        const Token &t = peek(ahead);
        return pos_ + ahead < t_.size() && t.kind == Kind::Name && Language::equalsIgnoringCase(t.text, lower);
    }
    int lineHere() const { return atEnd() ? (t_.isEmpty() ? body_.definitionLine : t_.last().line) : peek().line; }
    [[noreturn]] void fail(const QString &message) const { throw Unreadable{lineHere(), message}; }
    [[noreturn]] void unexpected() const
    {
        if (atEnd())
            fail(QStringLiteral("文が途中で終わっています"));
        fail(QStringLiteral("「%1」を読めません").arg(peek().text));
    }
    void expect(QStringView text)
    {
        if (!is(text))
            fail(atEnd() ? QStringLiteral("「%1」がありません").arg(text)
                         : QStringLiteral("「%1」の前に「%2」がありません").arg(peek().text, text));
        ++pos_;
    }

    // --- instructions
    int add(Op op, int line, const QString &word = {}, const QVector<int> &arguments = {})
    {
        Instruction instruction;
        instruction.op = op;
        instruction.line = line;
        instruction.word = word;
        instruction.arguments = arguments;
        body_.code.append(instruction);
        return int(body_.code.size()) - 1;
    }
    int here() const { return int(body_.code.size()); }
    void patch(int at, int target)
    {
        if (at >= 0 && at < body_.code.size())
            body_.code[at].target = target;
    }

    // The first error the checker finds between token `from` and the current one.
    QString checkerError(int from) const
    {
        if (from >= t_.size())
            return {};
        const Token &first = t_.at(from);
        const Token &last = t_.at(std::max(from, std::min(pos_, int(t_.size())) - 1));
        for (int line = first.line; line <= last.line; ++line) {
            for (const Diagnostic &d : check_.diagnostics(line)) {
                if (d.severity != Diagnostic::Severity::Error || !refusedByServer(d.rule))
                    continue;
                if ((line == first.line && d.column < first.column) ||
                    (line == last.line && d.column > last.column + last.text.size()))
                    continue;
                return QStringLiteral("%1 行目: %2").arg(line + 1).arg(d.message);
            }
        }
        return {};
    }

    void statementOrStop();
    void judge(int from) const;
    void statement();
    void block();
    void keywordStatement(const QString &word);
    void ifStatement();
    void whileStatement();
    void forStatement();
    void doStatement();
    void switchStatement();
    void loopExit(bool isBreak);
    void functionStatement();
    void commandStatement(const Commands::Command &command);
    QVector<int> arguments(bool menu, int labelArgument);
    void skipToStatementEnd();

    // --- expressions
    int node(Node::Kind kind, const QString &text, QVector<int> operands, int fromToken);
    int expression(int minimum = 1);
    int unary();
    int operand();
    int numberNode(const Token &token, int start);
    QString sourceOf(int fromToken) const;

    const ScriptCheck &check_;
    const Commands::Table &commands_;
    Body &body_;
    QVector<Token> t_;
    int pos_ = 0;
    int depth_ = 0;
    QVector<Loop> loops_;
};

void Reader::statementOrStop()
{
    const int start = pos_;
    const int firstInstruction = here();
    const qsizetype loopDepth = loops_.size();
    const int line = lineHere();
    try {
        statement();
        return;
    } catch (const Unreadable &unreadable) {
        // The loops it opened, and its breaks out of loops around it, are gone with it.
        loops_.resize(loopDepth);
        for (Loop &loop : loops_) {
            const auto gone = [firstInstruction](int at) { return at >= firstInstruction; };
            loop.breaks.removeIf(gone);
            loop.continues.removeIf(gone);
        }
        pos_ = std::max(pos_, start);
        QString message = unreadable.checkers ? unreadable.message : checkerError(start);
        if (message.isEmpty())
            message = QStringLiteral("%1 行目: %2").arg(unreadable.line + 1).arg(unreadable.message);
        skipToStatementEnd();
        if (pos_ == start && !atEnd())
            ++pos_;
        body_.code.resize(firstInstruction);
        for (int &target : body_.labels)
            target = std::min(target, firstInstruction);
        for (int &target : body_.functions)
            target = std::min(target, firstInstruction);
        const int stop = add(Op::Stop, line);
        body_.code[stop].message = message;
    }
}

// Raises the checker's first error between token `from` and the current one, which
// the server would refuse.
void Reader::judge(int from) const
{
    const QString message = checkerError(from);
    if (!message.isEmpty())
        throw Unreadable{lineHere(), message, true};
}

// After an unreadable statement: on past its ";", or up to a brace.
void Reader::skipToStatementEnd()
{
    const int start = pos_;
    while (!atEnd() && !is(u"}") && !is(u"{")) {
        if (is(u";")) {
            ++pos_;
            return;
        }
        ++pos_;
    }
    if (pos_ == start && is(u"{"))
        ++pos_;
}

void Reader::statement()
{
    if (++depth_ > kDeepestNesting)
        fail(QStringLiteral("入れ子が深すぎます"));
    const auto leave = qScopeGuard([this] { --depth_; });
    if (is(u";")) {
        ++pos_;
        return;
    }
    if (is(u"{"))
        return block();
    const int start = pos_;
    const Token &first = peek();
    if (first.kind != Kind::Name)
        unexpected();
    const bool plain = BodyTokens::isPlainName(first.text);
    // A label: "L_Yes:" (not "case 1:", not "default:").
    if (is(u":", 1) && !isWord(u"case") && !isWord(u"default")) {
        if (!body_.labels.contains(first.text))
            body_.labels.insert(first.text, here());
        pos_ += 2;
        return;
    }
    const QString lower = first.text.toLower();
    if (plain && Language::isKeyword(lower, Language::StartsStatement))
        return keywordStatement(lower);
    const bool assigns =
        Language::binaryPrecedence(peek(1).text) == 1 || is(u"++", 1) || is(u"--", 1) || is(u"[", 1) || !plain;
    if (const Commands::Command *command = plain && !assigns ? commands_.find(first.text) : nullptr)
        return commandStatement(*command);
    if (plain && !assigns && (body_.functions.contains(lower) || body_.declared.contains(lower))) {
        const int line = first.line;
        ++pos_;
        const QVector<int> args = arguments(false, -1);
        judge(start);
        add(Op::CallOwn, line, lower, args);
        return;
    }
    if (plain && !assigns && !is(u"(", 1))
        fail(QStringLiteral("「%1」という命令はありません").arg(first.text));
    const int line = first.line;
    const int value = expression();
    expect(u";");
    judge(start);
    add(Op::Expression, line, {}, {value});
}

void Reader::block()
{
    expect(u"{");
    while (!atEnd() && !is(u"}"))
        statementOrStop();
    expect(u"}");
}

void Reader::keywordStatement(const QString &word)
{
    const int line = lineHere();
    const int start = pos_;
    if (word == u"if")
        return ifStatement();
    if (word == u"while")
        return whileStatement();
    if (word == u"for")
        return forStatement();
    if (word == u"do")
        return doStatement();
    if (word == u"switch")
        return switchStatement();
    if (word == u"function")
        return functionStatement();
    ++pos_;
    if (word == u"break" || word == u"continue") {
        loopExit(word == u"break");
    } else if (word == u"goto") {
        if (peek().kind != Kind::Name)
            unexpected();
        add(Op::Goto, line, peek().text);
        ++pos_;
    } else if (word == u"return") {
        QVector<int> value;
        if (!is(u";"))
            value.append(expression());
        add(Op::Return, line, {}, value);
    } else if (word == u"end") {
        add(Op::End, line);
    } else {
        fail(QStringLiteral("「%1」がここにあるはずはありません").arg(word));
    }
    expect(u";");
    judge(start);
}

void Reader::ifStatement()
{
    const int line = lineHere();
    const int start = pos_;
    ++pos_;
    const int condition = expression();
    judge(start);
    const int skip = add(Op::JumpUnless, line, {}, {condition});
    statementOrStop();
    if (isWord(u"else")) {
        const int over = add(Op::Jump, lineHere());
        ++pos_;
        patch(skip, here());
        statementOrStop();
        patch(over, here());
    } else {
        patch(skip, here());
    }
}

void Reader::whileStatement()
{
    const int line = lineHere();
    ++pos_;
    const int top = here();
    const int exit = add(Op::JumpUnless, line, {}, {expression()});
    loops_.append(Loop());
    statementOrStop();
    add(Op::Jump, line);
    patch(here() - 1, top);
    const Loop loop = loops_.takeLast();
    for (int at : loop.continues)
        patch(at, top);
    for (int at : loop.breaks + QVector<int>{exit})
        patch(at, here());
}

void Reader::forStatement()
{
    const int line = lineHere();
    ++pos_;
    expect(u"(");
    if (!is(u";"))
        add(Op::Expression, line, {}, {expression()});
    expect(u";");
    const int top = here();
    int exit = -1;
    if (!is(u";"))
        exit = add(Op::JumpUnless, line, {}, {expression()});
    expect(u";");
    const int step = is(u")") ? -1 : expression();
    expect(u")");
    loops_.append(Loop());
    statementOrStop();
    const int stepAt = here();
    if (step >= 0)
        add(Op::Expression, line, {}, {step});
    add(Op::Jump, line);
    patch(here() - 1, top);
    const Loop loop = loops_.takeLast();
    for (int at : loop.continues)
        patch(at, stepAt);
    QVector<int> exits = loop.breaks;
    if (exit >= 0)
        exits.append(exit);
    for (int at : exits)
        patch(at, here());
}

void Reader::doStatement()
{
    ++pos_;
    const int top = here();
    loops_.append(Loop());
    statementOrStop();
    const int conditionAt = here();
    if (!isWord(u"while")) { // the body was read: what follows it is the next statement
        const Loop loop = loops_.takeLast();
        const int stop = add(Op::Stop, lineHere());
        body_.code[stop].message = QStringLiteral("%1 行目: do の後に while がありません").arg(lineHere() + 1);
        for (int at : loop.breaks + loop.continues)
            patch(at, stop);
        return;
    }
    const int line = lineHere();
    ++pos_;
    const int again = add(Op::JumpIf, line, {}, {expression()});
    patch(again, top);
    expect(u";");
    const Loop loop = loops_.takeLast();
    for (int at : loop.continues)
        patch(at, conditionAt);
    for (int at : loop.breaks)
        patch(at, here());
}

void Reader::switchStatement()
{
    const int line = lineHere();
    ++pos_;
    const int at = add(Op::Switch, line, {}, {expression()});
    expect(u"{");
    loops_.append(Loop{true, {}, {}});
    int fallback = -1;
    while (!atEnd() && !is(u"}")) {
        if (isWord(u"case")) {
            ++pos_;
            const int value = expression();
            expect(u":");
            body_.code[at].cases.append({value, here()});
        } else if (isWord(u"default") && is(u":", 1)) {
            pos_ += 2;
            fallback = here();
        } else {
            statementOrStop();
        }
    }
    expect(u"}");
    patch(at, fallback >= 0 ? fallback : here());
    const Loop loop = loops_.takeLast();
    for (int exit : loop.breaks)
        patch(exit, here());
    if (!loop.continues.isEmpty()) { // a continue in a switch belongs to the loop around it
        for (int i = int(loops_.size()) - 1; i >= 0; --i) {
            if (!loops_.at(i).isSwitch) {
                loops_[i].continues += loop.continues;
                return;
            }
        }
    }
}

void Reader::loopExit(bool isBreak)
{
    for (int i = int(loops_.size()) - 1; i >= 0; --i) {
        if (!isBreak && loops_.at(i).isSwitch)
            continue;
        const int jump = add(Op::Jump, lineHere());
        (isBreak ? loops_[i].breaks : loops_[i].continues).append(jump);
        return;
    }
    fail(QStringLiteral("%1 が繰り返しの外にあります").arg(isBreak ? u"break" : u"continue"));
}

void Reader::functionStatement()
{
    ++pos_;
    if (peek().kind != Kind::Name)
        unexpected();
    const Token &name = peek();
    const QString lower = name.text.toLower();
    ++pos_;
    if (is(u";")) {
        ++pos_;
        body_.declared.insert(lower);
        return;
    }
    const int over = add(Op::Jump, name.line);
    if (!body_.functions.contains(lower))
        body_.functions.insert(lower, here());
    if (!body_.labels.contains(name.text))
        body_.labels.insert(name.text, here());
    block();
    add(Op::Return, t_.at(pos_ - 1).line);
    patch(over, here());
}

void Reader::commandStatement(const Commands::Command &command)
{
    const int start = pos_;
    const Token word = peek();
    ++pos_;
    const QString lower = command.word.toLower();
    int labelArgument = -1;
    if (lower == u"callsub" || lower == u"goto")
        labelArgument = 0;
    const QVector<int> args = arguments(lower == u"menu", labelArgument);
    judge(start);
    if (lower == u"goto" && !args.isEmpty())
        add(Op::Goto, word.line, body_.nodes.at(args.first()).text);
    else if (lower == u"end")
        add(Op::End, word.line);
    else if (lower == u"return")
        add(Op::Return, word.line, {}, args.mid(0, 1));
    else
        add(Op::Command, word.line, lower, args);
}

// The arguments of a command up to its ";": plain, or all in parentheses
// ("select("a","b");"). A comma before ")" ends them.
QVector<int> Reader::arguments(bool menu, int labelArgument)
{
    QVector<int> args;
    bool parenthesised = false;
    if (is(u"(")) {
        int depth = 0;
        int i = pos_;
        for (; i < t_.size(); ++i) {
            const Token &t = t_.at(i);
            if (t.kind == Kind::Punct && t.text == u"(")
                ++depth;
            else if (t.kind == Kind::Punct && t.text == u")" && --depth == 0)
                break;
        }
        parenthesised = i + 1 < t_.size() && t_.at(i + 1).kind == Kind::Punct && t_.at(i + 1).text == u";";
        if (parenthesised)
            ++pos_;
    }
    const QStringView closing = parenthesised ? u")" : u";";
    while (!atEnd() && !is(closing)) {
        const int index = int(args.size());
        const bool label = (menu && index % 2 == 1) || index == labelArgument;
        if (label && (peek().kind == Kind::Name || is(u"-"))) {
            args.append(node(Node::Kind::Label, peek().text, {}, pos_));
            ++pos_;
        } else {
            args.append(expression());
        }
        if (is(u","))
            ++pos_;
        // A missing comma is read as the server does, as another argument.
    }
    expect(closing);
    if (parenthesised)
        expect(u";");
    return args;
}

// --- expressions

int Reader::node(Node::Kind kind, const QString &text, QVector<int> operands, int fromToken)
{
    Node n;
    n.kind = kind;
    n.text = text;
    n.operands = std::move(operands);
    n.line = fromToken < t_.size() ? t_.at(fromToken).line : lineHere();
    n.source = sourceOf(fromToken);
    body_.nodes.push_back(std::move(n));
    return int(body_.nodes.size()) - 1;
}

QString Reader::sourceOf(int fromToken) const
{
    const int end = std::min(std::max(pos_, fromToken + 1), int(t_.size()));
    if (fromToken >= end)
        return {};
    const Token &first = t_.at(fromToken);
    const Token &last = t_.at(end - 1);
    if (first.line == last.line)
        return check_.text(first.line).mid(first.column, last.column + last.text.size() - first.column);
    QStringList pieces;
    for (int i = fromToken; i < end; ++i)
        pieces.append(t_.at(i).text);
    return pieces.join(u' ');
}

int Reader::expression(int minimum)
{
    if (++depth_ > kDeepestNesting)
        fail(QStringLiteral("式の入れ子が深すぎます"));
    const auto leave = qScopeGuard([this] { --depth_; });
    const int start = pos_;
    int left = unary();
    while (!atEnd() && peek().kind == Kind::Punct) {
        const QString op = peek().text;
        const int strength = Language::binaryPrecedence(op);
        if (strength == 0 || strength < minimum)
            break;
        ++pos_;
        if (strength == 1) {
            const int value = expression(1);
            left = node(Node::Kind::Assign, op, {left, value}, start);
        } else if (strength == 2) {
            const int then = expression(1);
            expect(u":");
            const int otherwise = expression(2);
            left = node(Node::Kind::Ternary, op, {left, then, otherwise}, start);
        } else {
            const int right = expression(strength + 1);
            left = node(Node::Kind::Binary, op, {left, right}, start);
        }
    }
    return left;
}

int Reader::unary()
{
    const int start = pos_;
    if (is(u"-") || is(u"!") || is(u"~")) {
        const QString op = peek().text;
        ++pos_;
        if (++depth_ > kDeepestNesting)
            fail(QStringLiteral("式の入れ子が深すぎます"));
        const auto leave = qScopeGuard([this] { --depth_; });
        const int operand = unary();
        return node(Node::Kind::Unary, op, {operand}, start);
    }
    if (is(u"++") || is(u"--")) {
        const QString op = peek().text;
        ++pos_;
        const int target = operand();
        const int n = node(Node::Kind::Increment, op, {target}, start);
        body_.nodes[n].prefix = true;
        return n;
    }
    int value = operand();
    if (is(u"++") || is(u"--")) {
        const QString op = peek().text;
        ++pos_;
        value = node(Node::Kind::Increment, op, {value}, start);
    }
    return value;
}

int Reader::numberNode(const Token &token, int start)
{
    bool ok = false;
    const bool hex = token.text.startsWith(u"0x") || token.text.startsWith(u"0X");
    const int base = hex ? 16 : (token.text.size() > 1 && token.text.startsWith(u'0') ? 8 : 10);
    qint64 n = QStringView(token.text).mid(hex ? 2 : 0).toLongLong(&ok, base);
    if (!ok) // past 64 bits: the server keeps the low 32
        n = qint64(QStringView(token.text).mid(hex ? 2 : 0).toULongLong(&ok, base) & 0xFFFFFFFFu);
    const int at = node(Node::Kind::Number, token.text, {}, start);
    body_.nodes[at].number = n;
    return at;
}

int Reader::operand()
{
    const int start = pos_;
    if (is(u"(")) {
        ++pos_;
        const int inner = expression();
        expect(u")");
        return inner;
    }
    if (atEnd())
        unexpected();
    const Token token = peek();
    ++pos_;
    switch (token.kind) {
    case Kind::Number:
        return numberNode(token, start);
    case Kind::String:
        return node(Node::Kind::Text, unquoted(token.text), {}, start);
    case Kind::Name: {
        if (is(u"(")) {
            ++pos_;
            QVector<int> args;
            while (!atEnd() && !is(u")")) {
                args.append(expression());
                if (!is(u","))
                    break;
                ++pos_;
            }
            expect(u")");
            return node(Node::Kind::Call, token.text, args, start);
        }
        if (is(u"[")) {
            ++pos_;
            const int index = expression();
            expect(u"]");
            return node(Node::Kind::Element, token.text, {index}, start);
        }
        return node(Node::Kind::Variable, token.text, {}, start);
    }
    default:
        --pos_;
        unexpected();
    }
}

} // namespace

int Body::labelIndex(const QString &label) const
{
    const QString found = Language::reachedLabel(label, [this](const QString &s) { return labels.contains(s); });
    return found.isEmpty() ? -1 : labels.value(found);
}

std::shared_ptr<const Body> readBody(const ScriptCheck &check, int definitionLine, const Commands::Table &commands)
{
    auto body = std::make_shared<Body>();
    body->definitionLine = definitionLine;
    if (const DefinitionLine::Definition *definition = check.definitionOn(definitionLine))
        body->name = definition->name;
    int closedAt = definitionLine;
    QVector<Token> tokens = bodyTokens(check, definitionLine, &closedAt);
    Reader(check, commands, *body, std::move(tokens)).readAll(closedAt);
    return body;
}

} // namespace Conversation
