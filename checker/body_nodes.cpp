#include "checker/body_nodes.h"

#include "checker/script_check.h"

namespace BodyForm {

namespace {

// A string token's text: a backslash makes the next character literal, except
// after a double-byte character, whose own second byte it is.
QString unquoted(QStringView raw)
{
    QString text;
    text.reserve(raw.size());
    for (qsizetype i = 1; i + 1 < raw.size(); ++i) {
        if (raw.at(i) == u'\\' && i + 2 < raw.size() && raw.at(i - 1).unicode() <= 0x7E)
            ++i;
        text.append(raw.at(i));
    }
    return text;
}

// A number as the server reads it: decimal, 0x hexadecimal, 0o octal, 0b binary or
// 0 octal, "_" between digits; past 64 bits it keeps the low 32.
qint64 numberOf(QStringView written)
{
    QString text = written.toString();
    text.remove(u'_');
    int base = 10;
    int prefix = 0;
    if (text.startsWith(u"0x") || text.startsWith(u"0X"))
        base = 16, prefix = 2;
    else if (text.startsWith(u"0o"))
        base = 8, prefix = 2;
    else if (text.startsWith(u"0b"))
        base = 2, prefix = 2;
    else if (text.size() > 1 && text.startsWith(u'0'))
        base = 8;
    const QStringView digits = QStringView(text).mid(prefix);
    bool ok = false;
    const qint64 n = digits.toLongLong(&ok, base);
    return ok ? n : qint64(digits.toULongLong(&ok, base) & 0xFFFFFFFFu);
}

Node::Kind nodeKind(Expression::Kind kind)
{
    switch (kind) {
    case Expression::Kind::Number:
        return Node::Kind::Number;
    case Expression::Kind::Text:
        return Node::Kind::Text;
    case Expression::Kind::Element:
        return Node::Kind::Element;
    case Expression::Kind::Call:
    case Expression::Kind::Command:
        return Node::Kind::Call;
    case Expression::Kind::Unary:
        return Node::Kind::Unary;
    case Expression::Kind::Binary:
        return Node::Kind::Binary;
    case Expression::Kind::Assign:
        return Node::Kind::Assign;
    case Expression::Kind::Ternary:
        return Node::Kind::Ternary;
    case Expression::Kind::Increment:
        return Node::Kind::Increment;
    case Expression::Kind::Label:
        return Node::Kind::Label;
    case Expression::Kind::None:
    case Expression::Kind::Variable:
        break;
    }
    return Node::Kind::Variable;
}

// The statement's top-level expression number `index`, or nullptr.
} // namespace

const Expression *part(const FlowStep &step, int index)
{
    int local = step.root;
    for (int i = 0; i < index && local >= 0; ++i)
        local = step.expressions[size_t(local)].next;
    return local >= 0 ? &step.expressions[size_t(local)] : nullptr;
}

// The statement's top-level expressions, in order, as nodes of the body.
QVector<int> NodeReader::roots(const Statement &s)
{
    QVector<int> result;
    for (int local = s.step->root; local >= 0; local = s.step->expressions[size_t(local)].next)
        result.append(convert(s, local));
    return result;
}

// The statement's expression number `index`, as a node of the body; -1 when it has
// none or the part is left out.
int NodeReader::root(const Statement &s, int index)
{
    const Expression *given = part(*s.step, index);
    if (!given || given->kind == Expression::Kind::None)
        return -1;
    return convert(s, int(given - s.step->expressions.data()));
}

int NodeReader::convert(const Statement &s, int local)
{
    const Expression &e = s.step->expressions[size_t(local)];
    Node node;
    node.kind = nodeKind(e.kind);
    node.prefix = e.prefix;
    node.line = s.line + e.start.line;
    node.source = sourceOf(s, e);
    const QString token = tokenText(s, e);
    if (e.kind == Expression::Kind::Number)
        node.number = numberOf(token);
    node.text = e.kind == Expression::Kind::Text ? unquoted(token) : token;
    for (int operand = e.first; operand >= 0; operand = s.step->expressions[size_t(operand)].next) {
        // Strings written one after another are one text: "a" "b" is "ab".
        if (e.kind == Expression::Kind::Text)
            node.text += unquoted(tokenText(s, s.step->expressions[size_t(operand)]));
        else
            node.operands.append(convert(s, operand));
    }
    body_.nodes.push_back(std::move(node));
    return int(body_.nodes.size()) - 1;
}

QString NodeReader::tokenText(const Statement &s, const Expression &e) const
{
    return check_.text(s.line + e.token.line).mid(e.token.column, e.length);
}

// The expression as written; over several lines, its pieces joined by a blank.
QString NodeReader::sourceOf(const Statement &s, const Expression &e) const
{
    const int first = s.line + e.start.line;
    const int last = s.line + e.end.line;
    if (first == last)
        return check_.text(first).mid(e.start.column, e.end.column - e.start.column);
    QStringList pieces{check_.text(first).mid(e.start.column).trimmed()};
    for (int line = first + 1; line < last; ++line)
        pieces.append(check_.text(line).trimmed());
    pieces.append(check_.text(last).left(e.end.column).trimmed());
    pieces.removeAll(QString());
    return pieces.join(u' ');
}

} // namespace BodyForm
