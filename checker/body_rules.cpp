// The rules of a body's shape that the line-by-line check reports: strings and
// comments left open, braces that do not pair, lines outside any body, empty labels.
#include "checker/rule_examples.h"
#include "checker/rule_tables.h"
#include "checker/rules.h"

namespace {

using Severity = Diagnostic::Severity;

constexpr RuleDeclaration kBodyRules[] = {
    {Rule::OpenString, u"TW101", Severity::Error, u"「\"」で始まる文字列が行の終わりまでに閉じられていません",
     u"文字列が行の終わりまでに閉じられていない",
     u"文字列は「\"」で始まり、同じ行の「\"」で終わります。行の終わりまでに閉じる「\"」がありません。"
     u"文字列の中の「\\\"」は閉じる「\"」になりません。",
     u"サーバーは本体を読む途中で文字列の誤りとして解析をやめ、このNPCを読み込みません。",
     EXAMPLE_NPC u"\tmes \"いらっしゃいませ;\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tmes \"いらっしゃいませ\";\n\tclose;\n" EXAMPLE_END},
    {Rule::OpenComment, u"TW109", Severity::Error, u"「/*」で始まる注釈が閉じられていません",
     u"/* の注釈が閉じられていない", u"「/*」で始めた注釈を閉じる「*/」がありません。",
     u"本体の終わりの「}」まで注釈として読まれるため、本体が閉じられず、サーバーはこのNPCを読み込みません。",
     EXAMPLE_NPC u"\t/* 古い会話\n\tclose;\n" EXAMPLE_END, EXAMPLE_NPC u"\t/* 古い会話 */\n\tclose;\n" EXAMPLE_END},
    {Rule::UnclosedBody, u"TW201", Severity::Error, u"「%1」の「{」を閉じる「}」がありません",
     u"本体の { が閉じられていない", u"本体を始めた「{」を閉じる「}」がありません。",
     u"サーバーは閉じる「}」を探して後の行をすべてこの本体に取り込み、次のNPCの定義行まで飲み込んで解析に失敗します。"
     u"このNPCも、飲み込まれたNPCも読み込まれません。",
     EXAMPLE_NPC u"\tmes \"こんにちは\";\n\tclose;\n", EXAMPLE_NPC u"\tmes \"こんにちは\";\n\tclose;\n" EXAMPLE_END},
    {Rule::BodyRunsIntoDefinition, u"TW202", Severity::Error,
     u"前の本体が閉じられないまま、次の定義行が始まっています（「}」が足りません）",
     u"閉じられていない本体の中に次の定義行がある",
     u"前のNPCの本体が閉じられないまま、次のNPCの定義行が来ています。誤りは前の本体の「}」の書き忘れです。",
     u"サーバーはこの定義行を前の本体の中身として読み、解析に失敗します。2つのNPCとも読み込まれません。",
     EXAMPLE_NPC u"\tclose;\nharbor01.tsg,160,120,4\tscript\t船頭\t57,{\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END u"harbor01.tsg,160,120,4\tscript\t船頭\t57,{\n\tclose;\n" EXAMPLE_END},
    {Rule::StrayCloseBrace, u"TW203", Severity::Warning,
     u"この「}」で閉じるものがありません（サーバーは読み飛ばします）", u"閉じる相手のない }",
     u"閉じるものがない「}」です。本体はすでに閉じられています。",
     u"サーバーはこの行を読み飛ばします。「}」の数が合っていないのは、本体を思った所で閉じていない印です。",
     EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END EXAMPLE_END, EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END},
    {Rule::OutsideBody, u"TW204", Severity::Warning,
     u"本体の外にある行です。サーバーはこの行を読み飛ばします（「}」の後か、「{」の前）", u"本体の外にある命令やラベル",
     u"命令やラベルが、どの本体にも入っていません（本体の「}」の後か、「{」の前）。",
     u"本体の外では、サーバーは定義行しか読みません。この行は黙って読み飛ばされ、実行されません。",
     EXAMPLE_NPC u"\tmes \"こんにちは\";\n" EXAMPLE_END u"\tclose;\n",
     EXAMPLE_NPC u"\tmes \"こんにちは\";\n\tclose;\n" EXAMPLE_END},
    {Rule::MissingBody, u"TW211", Severity::Error, u"「%1」の本体を始める「{」がありません",
     u"script の本体の { がない", u"script の定義行の後に、本体を始める「{」がありません。",
     u"サーバーは本体を見つけられず、このNPCを読み込みません。後の行は本体の外の行として読み飛ばされます。",
     u"harbor01.tsg,150,120,4\tscript\t案内\t56\n\tclose;\n" EXAMPLE_END, EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END},
    {Rule::LabelTooLongToday, u"TW216", Severity::Error, u"ラベル「%1」は%2文字です（NPCの本体では23文字まで）",
     u"NPCの本体のラベルが23文字より長い",
     u"NPCの本体（function の本体でないもの）のラベルや本体の関数の名前が、23文字より長くなっています。",
     u"今のサーバーは読み込むときにエラーを出し、このラベルとそれより後のラベルをイベントとしても公開関数としても"
     u"失います（下の OnInit: などが動きません）。本体の中の飛び先としては使えます。古いサーバーは読み込みます。",
     EXAMPLE_NPC u"\tend;\nOnWhenTheHarborBellRingsTwice:\n\tend;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tend;\nOnHarborBellTwice:\n\tend;\n" EXAMPLE_END},
    {Rule::LabelNamedLikeCommand, u"TW218", Severity::Error, u"ラベル「%1」は命令と同じ名前です",
     u"命令と同じ名前のラベル",
     u"ラベルの名前が命令の名前と同じです（「close:」など）。",
     u"今のサーバーは命令と同じ名前のラベルを拒み、NPCを読み込みません。古いサーバーは読み込みます。",
     EXAMPLE_NPC u"\tgoto close;\nclose:\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tgoto L_Close;\nL_Close:\n\tclose;\n" EXAMPLE_END},
    {Rule::EmptyLabel, u"TW215", Severity::Warning, u"名前のないラベルです（「:」だけ）", u"名前のないラベル",
     u"「:」だけの行は、名前のないラベルとして読まれます。どこからも飛べません。",
     u"古いサーバーは名前の空のラベルとして読み込み、実行には影響しません。今のサーバーは読み込みを拒みます。"
     u"ラベル名の書き忘れか、消し残しです。",
     EXAMPLE_NPC u"\tgoto L_End;\n:\nL_End:\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tgoto L_End;\nL_End:\n\tclose;\n" EXAMPLE_END},
};

static_assert(RuleDeclarations::areSound(kBodyRules), "each rule declared once, with a code and a whole page");

} // namespace

RuleTable RuleTables::bodies()
{
    return tableOf(kBodyRules);
}
