// The rules of definition lines, which definition_line.cpp checks.
#include "checker/rule_examples.h"
#include "checker/rule_tables.h"
#include "checker/rules.h"

namespace {

using Severity = Diagnostic::Severity;

constexpr RuleDeclaration kDefinitionLineRules[] = {
    {Rule::DefinitionFields, u"TW301", Severity::Error, u"%1の行はタブで区切った%2つの欄のはずが、%3個あります",
     u"定義行の欄の数が足りない",
     u"定義行は、場所・種類・名前・4つ目の欄をタブで区切って書きます。種類に要る欄が足りません。",
     u"サーバーは欄の足りない行を黙って読み飛ばすか読み違えるため、このNPCは現れません。",
     u"harbor01.tsg,150,120,4\tshop\t道具屋\n", u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50,502:200\n"},
    {Rule::SpaceForTab, u"TW302", Severity::Warning, u"タブのはずの所に空白があります",
     u"タブの代わりに空白（サーバーは読める）",
     u"定義行の欄の区切りがタブでなく空白です。欄に空白がなければ、サーバーは空白で区切って読めます。",
     u"サーバーは空白で区切り直して読み込みます。ただし名前に空白を入れると読めなくなるので、タブに直しておきます。",
     u"harbor01.tsg,150,120,4 script 案内 56,{\n\tclose;\n" EXAMPLE_END, EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END},
    {Rule::SpaceForTabUnreadable, u"TW303", Severity::Error,
     u"タブのはずの所に空白があるため、サーバーはこの行を読み飛ばします", u"タブの代わりに空白（サーバーは読めない）",
     u"定義行のタブのはずの所に空白があり、ほかの所はタブのため、サーバーは空白で区切り直しません。",
     u"タブで区切ると種類の欄に名前が来るため、サーバーは知らない種類の行として黙って読み飛ばし、NPCは現れません。",
     u"harbor01.tsg,150,120,4 shop\t道具屋\t83,501:50\n", u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50\n"},
    {Rule::KindMisspelt, u"TW304", Severity::Warning,
     u"定義の種類「%1」は「%2」のはずです（サーバーはこの行を読み飛ばし、NPCは現れません）", u"定義の種類の綴りの誤り",
     u"定義の種類（script、shop、warp など）の綴りが違います。",
     u"サーバーは知らない種類の行として黙って読み飛ばし、本体の行も読み飛ばします。NPCは現れません。",
     u"harbor01.tsg,150,120,4\tscirpt\t案内\t56,{\n\tclose;\n" EXAMPLE_END, EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END},
    {Rule::PlaceFormat, u"TW305", Severity::Error, u"場所は「%1」の形で書きます", u"場所の欄の形の誤り",
     u"場所の欄は「マップ,x,y,向き」（warp と monster は「マップ,x,y」）の形で、x と y は数字です。",
     u"サーバーは場所を読めず、この行を読み飛ばします。NPCは現れません。",
     u"harbor01.tsg,150.120,4\tshop\t道具屋\t83,501:50\n", u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50\n"},
    {Rule::FacingRange, u"TW306", Severity::Warning, u"向きは0から7の数字です", u"向きが0から7の外",
     u"向きは0（北）から反時計回りに7までの数字です。",
     u"サーバーは範囲を確かめずに読み込むため、NPCは思わぬ向きで現れます。",
     u"harbor01.tsg,150,120,9\tshop\t道具屋\t83,501:50\n", u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50\n"},
    {Rule::EmptyName, u"TW307", Severity::Error, u"名前がありません", u"名前の欄が空", u"定義行の名前の欄が空です。",
     u"サーバーは名前のないNPCを正しく登録できず、このNPCは使えません。",
     u"harbor01.tsg,150,120,4\tshop\t \t83,501:50\n", u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50\n"},
    {Rule::ShopItem, u"TW308", Severity::Error, u"商品は「アイテムID:値段」の形で書きます", u"shop の商品の形の誤り",
     u"shop の商品は「アイテムID:値段」を「,」で区切って並べます（値段 -1 はアイテムの元の値段）。"
     u"区切りの誤りや、値段のない商品があります。",
     u"サーバーは読めない所で商品の読み込みをやめ、それより後の商品は黙って失われます。",
     u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50,502,503:-1\n",
     u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50,502:200,503:-1\n"},
    {Rule::SpriteFormat, u"TW309", Severity::Error, u"4つ目の欄は「%1」の形で書きます", u"見た目の欄の形の誤り",
     u"4つ目の欄は、見た目の番号の後に「,{」（script）か、見た目の番号だけ（duplicate）です。"
     u"場所のあるNPCには見た目の番号が要ります。",
     u"サーバーは見た目を読めず、このNPCを読み込みません。",
     u"harbor01.tsg,150,120,4\tscript\t案内\t,{\n\tclose;\n" EXAMPLE_END, EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END},
    {Rule::WarpFormat, u"TW310", Severity::Error, u"warp の4つ目の欄は「xs,ys,マップ,x,y」の形で書きます",
     u"warp の欄の形の誤り", u"warp の4つ目の欄は「xs,ys,行き先のマップ,x,y」です。",
     u"サーバーは行き先を読めず、このワープを読み込みません。",
     u"harbor01.tsg,50,10\twarp\t出口\t1,1,harbor02.tsg,120\n",
     u"harbor01.tsg,50,10\twarp\t出口\t1,1,harbor02.tsg,120,85\n"},
    {Rule::MonsterFormat, u"TW311", Severity::Error,
     u"monster の4つ目の欄は「種類,数[,時間1,時間2[,イベント]]」の形で書きます", u"monster の欄の形の誤り",
     u"monster の4つ目の欄は「種類,数」で、その後に「,時間1,時間2,イベント」を続けられます。",
     u"サーバーは種類や数を読めず、このモンスターを出しません。", u"harbor01.tsg,0,0\tmonster\tスライム\t1002\n",
     u"harbor01.tsg,0,0\tmonster\tスライム\t1002,10\n"},
    {Rule::DuplicateSource, u"TW312", Severity::Error, u"duplicate( ) に元のNPCの名前がありません",
     u"duplicate の元の名前が空", u"duplicate( ) の括弧の中に、スクリプトを借りる元のNPCの名前がありません。",
     u"サーバーは元のNPCを見つけられず、このNPCを読み込みません。",
     u"harbor01.tsg,160,120,4\tduplicate()\t案内#2\t56\n", u"harbor01.tsg,160,120,4\tduplicate(案内)\t案内#2\t56\n"},
    {Rule::IgnoredText, u"TW313", Severity::Warning, u"「%1」はサーバーに読み飛ばされます",
     u"サーバーが読み飛ばす余分な文字",
     u"サーバーが読む欄の後に、余分な文字があります。サーバーは決まった形で欄を読むため、その後は読みません。",
     u"サーバーは余分な文字を黙って読み飛ばして読み込みます。書いたつもりの値が使われていないことがあります。",
     u"harbor01.tsg,50,10\twarp\t出口\t1,1,harbor02.tsg,120,85,3\n",
     u"harbor01.tsg,50,10\twarp\t出口\t1,1,harbor02.tsg,120,85\n"},
    {Rule::LeadingBlank, u"TW314", Severity::Error,
     u"定義行が空白やタブで始まっているため、サーバーはこの行を正しく読めません", u"定義行の先頭に空白やタブ",
     u"定義行が空白かタブで始まっています。定義行は行の頭から書きます。",
     u"タブで区切ると最初の欄が空になり、空白で区切ると名前が切れるため、サーバーはこの行を読み飛ばすか読み違えます。",
     u" harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50\n", u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50\n"},
    {Rule::MissingKind, u"TW315", Severity::Error,
     u"定義の種類（script など）の欄がないため、サーバーはこの行と本体を読み飛ばします（NPCは現れません）",
     u"本体を開く定義行に種類の欄がない", u"本体を開く定義行に、種類（script など）の欄がありません。",
     u"サーバーは知らない種類の行として黙って読み飛ばし、本体の行も1行ずつ読み飛ばします。NPCは現れません。",
     u"harbor01.tsg,150,120,4\t案内\t56,{\n\tclose;\n" EXAMPLE_END, EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END},
};

static_assert(RuleDeclarations::areSound(kDefinitionLineRules),
              "each rule declared once, with a code and a whole page");

} // namespace

RuleTable RuleTables::definitions()
{
    return tableOf(kDefinitionLineRules);
}
