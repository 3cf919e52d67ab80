#include "checker/rules.h"

#include <QStringList>

namespace Rules {

namespace {

using Severity = Diagnostic::Severity;

struct RuleRow
{
    Rule rule;
    Severity severity;
    const char16_t *message;
};

// The server refuses a script with any error; a warning is something it loads but
// that is most likely not what the writer meant.
constexpr RuleRow kRules[] = {
    {Rule::UnclosedBlock, Severity::Error, u"この「{」を閉じる「}」がありません"},
    {Rule::StrayCloseBrace, Severity::Error, u"この「}」で閉じるブロックがありません"},
    {Rule::OutsideBlock, Severity::Error, u"ブロックの外にある行です（「}」の後か、「{」の前）"},

    {Rule::UnreadableLine, Severity::Error, u"命令としてもラベルとしても読めない行です"},
    {Rule::OpenString, Severity::Error, u"「\"」で始まる文字列が行の終わりまでに閉じられていません"},
    {Rule::MissingSemicolon, Severity::Error, u"命令の終わりに「;」がありません"},
    {Rule::CommandCase, Severity::Error, u"命令「%1」は「%2」と書きます（大文字と小文字は区別されます）"},
    {Rule::MenuNotClosed, Severity::Error, u"メニューが「;」で閉じられていません（「終了」を押し忘れていませんか）"},
    {Rule::StrayContinuation, Severity::Error, u"続きを受け付けるメニューがないのに、命令のない行があります"},
    {Rule::ArgumentCount, Severity::Error, u"「%1」の引数は%2個のはずが、%3個あります"},
    {Rule::EmptyArgument, Severity::Error, u"「%1」の%2個目の引数が空です"},
    {Rule::NotAString, Severity::Error, u"「%1」の%2個目の引数は「\"」で囲んだ文字列のはずです"},
    {Rule::MenuPairs, Severity::Error, u"メニューは「\"選択肢\",ラベル」の組で書きます"},

    {Rule::EmptyLabel, Severity::Error, u"ラベル名が空です"},
    {Rule::UndefinedLabel, Severity::Error, u"ラベル「%1」がこのNPCの中にありません"},
    {Rule::UndefinedLabelOtherCase, Severity::Error,
     u"ラベル「%1」がこのNPCの中にありません（大文字・小文字の違う「%2」ならあります）"},
    {Rule::DuplicateLabel, Severity::Error, u"ラベル「%1」がこのNPCの中で2回以上定義されています"},
    {Rule::LabelTooLong, Severity::Error, u"ラベル「%1」が長すぎます（%2バイト、%3バイトまで）"},
    {Rule::UnusedLabel, Severity::Warning, u"ラベル「%1」へ飛ぶ命令（menu か goto）がありません"},

    {Rule::HeaderFieldCount, Severity::Error, u"見出しの行はタブで区切った4つの欄のはずが、%1個あります"},
    {Rule::SpaceForTab, Severity::Error, u"タブのはずの所に空白があります"},
    {Rule::HeaderType, Severity::Error, u"見出しの種類「%1」は「%2」のはずです"},
    {Rule::HeaderPlace, Severity::Error, u"場所は「マップ.tsg,x,y,向き」の形で書きます"},
    {Rule::EmptyMap, Severity::Error, u"マップ名がありません"},
    {Rule::NotANumber, Severity::Error, u"%1は数字で書きます"},
    {Rule::FacingRange, Severity::Error, u"向きは0から7の数字です"},
    {Rule::EmptyName, Severity::Error, u"NPC名がありません"},
    {Rule::ScriptWithoutBrace, Severity::Error, u"script の見出しは「,{」で終わります"},
    {Rule::ShopItem, Severity::Error, u"商品は「アイテムID:値段」の形で書きます"},

    {Rule::Unencodable, Severity::Error, u"文字「%1」(%2) は Shift_JIS で保存できません"},
    {Rule::Undecodable, Severity::Error, u"Shift_JIS として読めないバイトがあります"},
};

const RuleRow &rowOf(Rule rule)
{
    for (const RuleRow &row : kRules) {
        if (row.rule == rule)
            return row;
    }
    Q_UNREACHABLE();
}

} // namespace

Diagnostic::Severity severity(Rule rule)
{
    return rowOf(rule).severity;
}

QString message(Rule rule, const QStringList &arguments)
{
    // One pass, so that a "%2" inside a filled-in label stays as written.
    const QString pattern = QString::fromUtf16(rowOf(rule).message);
    QString text;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const qsizetype number = i + 1 < pattern.size() ? pattern.at(i + 1).digitValue() : -1;
        if (pattern.at(i) == u'%' && number >= 1 && number <= arguments.size()) {
            text += arguments.at(number - 1);
            ++i;
        } else {
            text += pattern.at(i);
        }
    }
    return text;
}

Diagnostic make(Rule rule, int line, int column, int length, const QStringList &arguments)
{
    return Diagnostic{line, column, qMax(1, length), severity(rule), message(rule, arguments)};
}

} // namespace Rules
