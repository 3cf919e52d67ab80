#pragma once

#include "checker/statement_parser.h"

#include "checker/language.h"

#include <QScopeGuard>

// The parser of one piece, shared by its two halves: statements
// (statement_parser.cpp) and expressions (expression_parser.cpp).
namespace StatementParser::Internal {

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
inline bool isJudgedVariable(QStringView name)
{
    return Language::isScopeVariable(name) || Language::isPlayerVariable(name);
}

// The servers before today's, which refuse what only today's servers read.
inline constexpr Target::Servers kOlderServers = Target::Older | Target::Later;

class Parser
{
public:
    Parser(const std::vector<ChunkToken> &tokens, End end, const Commands::Table &commands,
           BlockNesting::Blocks innermost, Sink &sink)
        : t_(tokens), end_(end), commands_(commands), innermost_(std::move(innermost)), sink_(sink),
          nodes_(tScratch.nodes), roots_(tScratch.roots)
    {
        nodes_.clear();
        roots_.clear();
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
    // A finding that only some servers refuse, judged for the table's target.
    void judge(Rule rule, const ChunkToken &at, Target::Servers refusers, Target::Servers warners = 0,
               const QStringList &arguments = {})
    {
        sink_.judged(at.line, Rules::judged(rule, commands_.target(), refusers, warners, 0, at.token.column,
                                            at.token.length, arguments));
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
    bool expressionStatement(const ChunkToken &first, bool assigns);
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
    int text();
    int npcFunctionCall();
    void checkCommandWord(const ChunkToken &word, const Commands::Command &command);
    void checkKeywordCase(const ChunkToken &word);
    void checkCaseValue();
    void checkNameIsAscii(const ChunkToken &name);
    void checkEscapes(const ChunkToken &string);
    void ownFunctionStatement(const ChunkToken &name);
    void reportOwnCall(const ChunkToken &name);
    int arguments(const ChunkToken &name, std::vector<int> &values);
    qsizetype closingOf(qsizetype open) const;
    int operators(int left, qsizetype start, int minimum);
    void forPart(int part, const ChunkToken &open);
    void labelDefinition(const ChunkToken &name);
    void labelOrCase();
    void switchDefault(const ChunkToken &word, bool colonApart);
    void switchCase(const ChunkToken &value, bool negative);
    void checkLoopExit(const ChunkToken &word, bool isBreak);
    bool heldStatement(BlockNesting::Holders holder, bool isSwitch);

    const std::vector<ChunkToken> &t_;
    const End end_;
    const Commands::Table &commands_;
    // Operators bind as today's servers bind them only where they alone are the target.
    const bool todaysOrder_ = commands_.target().isOnly(Target::kToday);
    // The block the piece stands in; what holds the statement being read (the loops
    // and switches around it, those of the piece's own heads too), and whether the
    // innermost head read is a switch's.
    const BlockNesting::Blocks innermost_; // kept: the sink makes new blocks as cases come
    BlockNesting::Holders holders_ = BlockNesting::holdersIn(innermost_.get());
    bool switchHead_ = false;
    Sink &sink_;
    qsizetype pos_ = 0;
    qsizetype limit_ = qsizetype(t_.size());
    int depth_ = 0; // expressions open inside one another
    // What the statement being read shows: a select() or input the window waits on,
    // and how many choices a select() offers (0: not known).
    mutable bool waits_ = false;
    int choices_ = 0;
    bool inForHead_ = false; // the parts of a for's head are no steps of the flow
    // The statement just read is a command without arguments that takes some,
    // cut short by a statement on the next line.
    bool joinsNextLine_ = false;
    QStringList labels_;     // the label arguments of the command being read
    // The expression trees of the statement being read, and its top-level ones in
    // order; the next step that is a statement takes them.
    // A piece is read at a time on each thread: its arrays keep their room from
    // piece to piece, and each statement's step takes a copy of its exact size.
    struct Scratch
    {
        std::vector<Expression> nodes;
        std::vector<int> roots;
    };
    static thread_local Scratch tScratch;
    std::vector<Expression> &nodes_;
    std::vector<int> &roots_;
    const ChunkToken *forCommand_ = nullptr; // a command read as a part of a for's head
};

// Nested deeper than this, an expression is refused rather than read on until
// the stack runs out.
constexpr int kDeepestExpression = 256;

} // namespace StatementParser::Internal
