#include "checker/directives.h"

#include "checker/rule_examples.h"
#include "checker/rule_tables.h"
#include "checker/rules.h"

namespace Directives {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\u3000';
}

int skipBlanks(QStringView line, int i)
{
    while (i < line.size() && isBlank(line.at(i)))
        ++i;
    return i;
}

bool isCodeChar(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

} // namespace

Directive read(QStringView line)
{
    Directive directive;
    int i = skipBlanks(line, 0);
    if (i + 1 >= line.size() || line.at(i) != u'/' || line.at(i + 1) != u'/')
        return directive;
    i = skipBlanks(line, i + 2);
    static constexpr QStringView kWord = u"talewick-check";
    static constexpr QStringView kDisable = u"disable=";
    if (!line.sliced(i).startsWith(kWord))
        return directive;
    i = skipBlanks(line, i + int(kWord.size()));
    if (!line.sliced(i).startsWith(kDisable))
        return directive;
    directive.present = true;
    i += int(kDisable.size());
    // Codes separated by commas; whatever follows the last one is the writer's note.
    for (;;) {
        i = skipBlanks(line, i);
        const int start = i;
        while (i < line.size() && isCodeChar(line.at(i)))
            ++i;
        if (i == start)
            break;
        const QStringView code = line.sliced(start, i - start);
        if (const Rules::Row *row = Rules::find(code))
            directive.codes.insert(QString::fromUtf16(row->code));
        else
            directive.diagnostics.append(
                Rules::make(Rule::UnknownDirectiveCode, 0, start, i - start, {code.toString()}));
        i = skipBlanks(line, i);
        if (i >= line.size() || line.at(i) != u',')
            break;
        ++i;
    }
    return directive;
}

Codes joined(const Codes &a, const QSet<QString> &b)
{
    if (b.isEmpty())
        return a;
    auto both = a ? std::make_shared<QSet<QString>>(*a) : std::make_shared<QSet<QString>>();
    both->unite(b);
    return both;
}

bool same(const Codes &a, const Codes &b)
{
    if (a == b)
        return true;
    const bool aEmpty = !a || a->isEmpty();
    const bool bEmpty = !b || b->isEmpty();
    if (aEmpty || bEmpty)
        return aEmpty == bEmpty;
    return *a == *b;
}

} // namespace Directives

namespace {

using Severity = Diagnostic::Severity;

constexpr RuleDeclaration kDirectiveRules[] = {
    {Rule::UnknownDirectiveCode, u"TW901", Severity::Warning, u"指示の「%1」は規則のコードではありません",
     u"talewick-check の指示に知らないコード",
     u"「// talewick-check disable=…」の指示に、規則のコードでない語があります。"
     u"コードは talewick-check --help で一覧できます。",
     u"サーバーにとってはただの注釈です。talewick-check はその語では何も黙らせません。",
     EXAMPLE_NPC u"\tclose;\n// talewick-check disable=TW21O\nL_Old:\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tclose;\n// talewick-check disable=TW210\nL_Old:\n\tclose;\n" EXAMPLE_END},
};

static_assert(RuleDeclarations::areSound(kDirectiveRules), "each rule declared once, with a code and a whole page");

} // namespace

RuleTable RuleTables::directives()
{
    return tableOf(kDirectiveRules);
}
