#include "conversation/engine.h"

#include "checker/language.h"

#include <QScopeGuard>

#include <limits>

namespace Conversation {

namespace {

constexpr int kLongestText = 100000;

enum class Scope : quint8
{
    Local,     // .@name: the function's own
    Temporary, // @name, $@name: the player's, for this run; 0 until set
    World,     // $name, #name, ##name, .name, name: kept by the server; asked until set
};

Scope scopeOfName(QStringView name)
{
    if (name.startsWith(u".@"))
        return Scope::Local;
    if (name.startsWith(u"@") || name.startsWith(u"$@"))
        return Scope::Temporary;
    return Scope::World;
}

// Functions whose value is a text, so that the question asks for one.
bool givesText(const Node &n)
{
    if (n.text.endsWith(u'$'))
        return true;
    return n.kind == Node::Kind::Call && Language::givesText(n.text);
}

bool isComparison(QStringView op)
{
    return op == u"==" || op == u"!=" || op == u"<" || op == u"<=" || op == u">" || op == u">=";
}

} // namespace

const Node &Run::Engine::node(int index) const
{
    static const Node none;
    const Body &body = *s_.frames.last().body;
    return index >= 0 && index < int(body.nodes.size()) ? body.nodes.at(index) : none;
}

QVector<Value> Run::Engine::values(const QVector<int> &nodes, int from)
{
    QVector<Value> result;
    for (int i = from; i < nodes.size(); ++i)
        result.append(evaluate(nodes.at(i)));
    return result;
}

Value Run::Engine::evaluate(int index)
{
    const Node &n = node(index);
    switch (n.kind) {
    case Node::Kind::Number:
        return Value::ofNumber(n.number);
    case Node::Kind::Text:
    case Node::Kind::Label:
        return Value::ofText(n.text);
    case Node::Kind::Variable:
    case Node::Kind::Element:
        return read(n);
    case Node::Kind::Call:
        return call(n);
    case Node::Kind::Unary: {
        const Value v = evaluate(n.operands.value(0, -1));
        if (n.text == u"!")
            return Value::ofNumber(!v.isTrue());
        if (n.text == u"+")
            return Value::ofNumber(v.toNumber());
        return Value::ofNumber(n.text == u"-" ? -qint64(v.toNumber()) : ~v.toNumber());
    }
    case Node::Kind::Binary: {
        const Value l = evaluate(n.operands.value(0, -1));
        if (n.text == u"&&" || n.text == u"||") {
            if (l.isTrue() == (n.text == u"||"))
                return Value::ofNumber(l.isTrue());
            return Value::ofNumber(evaluate(n.operands.value(1, -1)).isTrue());
        }
        return binary(n.text, l, evaluate(n.operands.value(1, -1)), n.line);
    }
    case Node::Kind::Assign:
        return assign(n);
    case Node::Kind::Ternary:
        return evaluate(n.operands.value(evaluate(n.operands.value(0, -1)).isTrue() ? 1 : 2, -1));
    case Node::Kind::Increment:
        return increment(n);
    }
    return {};
}

// A condition; when it depends on the world, the user is asked about it whole.
bool Run::Engine::condition(int index)
{
    const int saved = conditionFrames_;
    conditionFrames_ = int(s_.frames.size());
    const auto leave = qScopeGuard([&] { conditionFrames_ = saved; });
    try {
        return evaluate(index).isTrue();
    } catch (const NeedWorld &) {
        const Node &n = node(index);
        const QString key = QStringLiteral("条件:") + n.source;
        if (run_.asked_.contains(key))
            return run_.asked_.value(key).isTrue();
        Wait wait;
        wait.kind = Wait::Kind::Question;
        wait.question = QStringLiteral("この条件は成り立ちますか？ `%1`").arg(n.source);
        wait.yesNo = true;
        wait.place = placeOf(n.line);
        throw Waiting{wait, key};
    }
}

// An argument of an effect as far as the run knows it, else as written: listing
// an effect asks nothing.
QString Run::Engine::describe(int index)
{
    const int saved = conditionFrames_;
    conditionFrames_ = int(s_.frames.size());
    const auto leave = qScopeGuard([&] { conditionFrames_ = saved; });
    try {
        return evaluate(index).toText();
    } catch (const NeedWorld &) {
        return node(index).source;
    }
}

Value Run::Engine::ask(const Node &n)
{
    const QString key = QStringLiteral("値:") + n.source;
    if (run_.asked_.contains(key))
        return run_.asked_.value(key);
    if (conditionFrames_ == s_.frames.size())
        throw NeedWorld{};
    Wait wait;
    wait.kind = Wait::Kind::Question;
    wait.question = QStringLiteral("この値は？ `%1`").arg(n.source);
    wait.wantsText = givesText(n);
    wait.place = placeOf(n.line);
    if (resultRange(n, &wait.low, &wait.high)) {
        if (wait.low == wait.high) // nothing to ask: "rand(1)" is 0
            return Value::ofNumber(wait.low);
        wait.ranged = true;
        wait.question += QStringLiteral("（%1〜%2）").arg(wait.low).arg(wait.high);
    }
    throw Waiting{wait, key};
}

// The range the server keeps the value of the call `n` in, from its command's
// result column; false when the column says none or an end depends on the world.
bool Run::Engine::resultRange(const Node &n, qint64 *low, qint64 *high)
{
    const Commands::Command *command = n.kind == Node::Kind::Call ? run_.commands_->find(n.text) : nullptr;
    if (!command || !command->result.known)
        return false;
    const auto end = [&](const Commands::Bound &bound, qint64 *value) {
        if (bound.base == Commands::Bound::Base::Choices)
            return false; // a choice is waited on, never asked
        qint64 base = 0;
        if (bound.base == Commands::Bound::Base::FirstArgument) {
            if (n.operands.isEmpty())
                return false;
            try {
                base = evaluate(n.operands.first()).toNumber();
            } catch (const NeedWorld &) {
                return false;
            }
        }
        *value = base + bound.offset;
        return true;
    };
    return end(command->result.low, low) && end(command->result.high, high) && *low <= *high;
}

Value Run::Engine::call(const Node &n)
{
    const QString name = n.text.toLower();
    const Body &body = *s_.frames.last().body;
    if (body.functions.contains(name) || body.declared.contains(name)) {
        const QVector<Value> arguments = values(n.operands);
        const int base = int(s_.frames.size()) + 1;
        callOwn(name, arguments, true, n.line);
        return runNested(base);
    }
    const FlowStep::Word word = Language::flowWord(name);
    const Language::Function function = Language::functionOf(name);
    if (word == FlowStep::Word::Callfunc) {
        const QVector<Value> arguments = values(n.operands);
        const int base = int(s_.frames.size()) + 1;
        callFunction(arguments.value(0).toText(), arguments.mid(1), true, n.line);
        if (s_.frames.size() < base)
            return ask(n);
        return runNested(base);
    }
    if (function == Language::Function::GetArg) {
        const int index = evaluate(n.operands.value(0, -1)).toNumber();
        const QVector<Value> &arguments = s_.frames.last().arguments;
        if (index >= 0 && index < arguments.size())
            return arguments.at(index);
        if (n.operands.size() > 1)
            return evaluate(n.operands.at(1));
        stop(n.line,
             QStringLiteral("%1 行目: getarg(%2) の引数は渡されていません").arg(placeOf(n.line).line + 1).arg(index));
    }
    if (function == Language::Function::GetArgCount)
        return Value::ofNumber(s_.frames.last().arguments.size());
    if (function == Language::Function::TextLength)
        return Value::ofNumber(evaluate(n.operands.value(0, -1)).toText().size());
    if (word == FlowStep::Word::Select || word == FlowStep::Word::Prompt) {
        QStringList choices;
        for (const Value &v : values(n.operands))
            choices += v.toText().split(u':');
        return Value::ofNumber(choose(choices, n.line));
    }
    return ask(n);
}

Value Run::Engine::binary(const QString &op, const Value &l, const Value &r, int line)
{
    if (l.isText || r.isText) {
        if (op == u"+")
            return textLimited(l.toText() + r.toText(), line);
        if (isComparison(op)) {
            const int c = l.toText().compare(r.toText());
            const bool result = op == u"=="   ? c == 0
                                : op == u"!=" ? c != 0
                                : op == u"<"  ? c < 0
                                : op == u"<=" ? c <= 0
                                : op == u">"  ? c > 0
                                              : c >= 0;
            return Value::ofNumber(result);
        }
    }
    const qint64 a = l.toNumber();
    const qint64 b = r.toNumber();
    const char16_t c = op.isEmpty() ? 0 : op.front().unicode();
    if ((c == u'/' || c == u'%') && b == 0)
        stop(line, QStringLiteral("%1 行目: 0 で割っています").arg(placeOf(line).line + 1));
    if (op == u"==")
        return Value::ofNumber(a == b);
    if (op == u"!=")
        return Value::ofNumber(a != b);
    if (op == u"<=")
        return Value::ofNumber(a <= b);
    if (op == u">=")
        return Value::ofNumber(a >= b);
    if (op == u"<<")
        return Value::ofNumber(qint64(quint32(a) << (b & 31)));
    if (op == u">>")
        return Value::ofNumber(qint32(a) >> (b & 31));
    if (op == u"<")
        return Value::ofNumber(a < b);
    if (op == u">")
        return Value::ofNumber(a > b);
    switch (c) {
    case u'+':
        return Value::ofNumber(a + b);
    case u'-':
        return Value::ofNumber(a - b);
    case u'*':
        return Value::ofNumber(a * b);
    case u'/':
        return Value::ofNumber(a / b);
    case u'%':
        return Value::ofNumber(a % b);
    case u'&':
        return Value::ofNumber(a & b);
    case u'|':
        return Value::ofNumber(a | b);
    case u'^':
        return Value::ofNumber(a ^ b);
    default:
        return Value::ofNumber(0);
    }
}

Value Run::Engine::textLimited(const QString &text, int line)
{
    if (text.size() > kLongestText)
        stop(line, QStringLiteral("%1 行目: 文字列が長くなりすぎました").arg(placeOf(line).line + 1));
    return Value::ofText(text);
}

Value Run::Engine::assign(const Node &n)
{
    const Node &target = node(n.operands.value(0, -1));
    Value value = evaluate(n.operands.value(1, -1));
    if (n.text != u"=")
        value = binary(n.text.chopped(1), read(target), value, n.line);
    store(target, value);
    return read(target);
}

Value Run::Engine::increment(const Node &n)
{
    const Node &target = node(n.operands.value(0, -1));
    const Value before = read(target);
    store(target, Value::ofNumber(qint64(before.toNumber()) + (n.text == u"++" ? 1 : -1)));
    return n.prefix ? read(target) : before;
}

QString Run::Engine::variableName(const Node &target)
{
    if (target.kind != Node::Kind::Element)
        return target.text.toLower();
    const qint64 index = evaluate(target.operands.value(0, -1)).toNumber();
    return index == 0 ? target.text.toLower() : QStringLiteral("%1[%2]").arg(target.text.toLower()).arg(index);
}

QHash<QString, Value> &Run::Engine::scopeOf(const QString &name)
{
    if (scopeOfName(name) != Scope::Local)
        return s_.variables;
    for (int i = int(s_.frames.size()) - 1; i > 0; --i) {
        if (s_.frames.at(i).ownScope)
            return s_.frames[i].locals;
    }
    return s_.frames[0].locals;
}

Value Run::Engine::read(const Node &target)
{
    if (target.kind != Node::Kind::Variable && target.kind != Node::Kind::Element)
        stop(target.line, QStringLiteral("%1 行目: 「%2」は変数ではありません")
                              .arg(placeOf(target.line).line + 1)
                              .arg(target.source));
    const QString name = variableName(target);
    const QHash<QString, Value> &scope = scopeOf(name);
    const auto found = scope.constFind(name);
    if (found != scope.constEnd())
        return *found;
    if (scopeOfName(name) == Scope::World)
        return ask(target);
    return name.endsWith(u'$') ? Value::ofText({}) : Value();
}

void Run::Engine::store(const Node &target, const Value &value)
{
    if (target.kind != Node::Kind::Variable && target.kind != Node::Kind::Element)
        stop(target.line,
             QStringLiteral("%1 行目: 「%2」には代入できません").arg(placeOf(target.line).line + 1).arg(target.source));
    const QString name = variableName(target);
    const Value stored = name.endsWith(u'$') ? Value::ofText(value.toText()) : Value::ofNumber(value.toNumber());
    scopeOf(name).insert(name, stored);
    if (scopeOfName(name) == Scope::World)
        t_.effects.append({QStringLiteral("set"),
                           QStringLiteral("%1 を %2 にする")
                               .arg(target.kind == Node::Kind::Element ? target.source : target.text, stored.toText()),
                           placeOf(target.line)});
}

} // namespace Conversation
