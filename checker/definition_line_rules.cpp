// The rules of definition lines, which definition_line.cpp checks.
#include "checker/rule_examples.h"
#include "checker/rule_tables.h"
#include "checker/rules.h"

// A second NPC for examples of what lies between two, named apart from the first.
#define SECOND_NPC u"harbor01.tsg,160,120,4\tscript\t船頭\t56,{\n"

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
     u"サーバーは種類や数を読めず、このモンスターを出しません。", u"harbor01.tsg,0,0,0,0\tmonster\tスライム\t1002\n",
     u"harbor01.tsg,0,0,0,0\tmonster\tスライム\t1002,10,0,0\n"},
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
    // As today's servers read definition lines; the findings are judged for the target.
    {Rule::EmptyField, u"TW316", Severity::Error, u"タブが2つ続いているため、空の欄ができます",
     u"タブが2つ続いて空の欄", u"定義行の最初の3つの欄の間に、タブが2つ続いています。",
     u"今のサーバーはタブ1つごとに欄を区切るため、種類か名前の欄が空になり、この行を読み込みません。"
     u"本体があれば、その行からファイルの残りを読みません。",
     u"harbor01.tsg,150,120,4\t\tscript\t案内\t56,{\n\tclose;\n" EXAMPLE_END, EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END},
    {Rule::BlankByKind, u"TW317", Severity::Error, u"種類「%1」の横に空白があります", u"種類の言葉の横に空白",
     u"定義の種類の言葉の前か後ろに、タブでなく空白があります。",
     u"今のサーバーは欄の空白を取り除かないため、知らない種類の行としてエラーにし、読み込みません。",
     u"harbor01.tsg,150,120,4\tscript \t案内\t56,{\n\tclose;\n" EXAMPLE_END, EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END},
    {Rule::KindCase, u"TW318", Severity::Error, u"種類「%1」は小文字で「%2」と書きます", u"種類の言葉の大文字",
     u"定義の種類の言葉に大文字が混じっています。",
     u"大文字小文字を区別する今のサーバーは、知らない種類の行としてエラーにし、読み込みません。",
     u"harbor01.tsg,150,120,4\tScript\t案内\t56,{\n\tclose;\n" EXAMPLE_END, EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END},
    {Rule::KindUnknown, u"TW319", Severity::Error, u"種類「%1」を知らないサーバーがあります", u"サーバーの知らない種類",
     u"定義の種類（trader、cashshop、marketshop など）が、対象のサーバーの知らないものです。",
     u"古いサーバーは知らない種類の行を黙って読み飛ばし、今のサーバーはエラーにします。どちらでもNPCは現れません。",
     u"harbor01.tsg,150,120,4\ttrader\t案内\t56,{\n\tclose;\n" EXAMPLE_END, EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END},
    {Rule::BraceNotAfterComma, u"TW320", Severity::Error, u"本体の「{」は、定義行で「,」のすぐ後に書きます",
     u"定義行の「,{」の形の誤り",
     u"NPCの定義行の4つ目の欄は「見た目,{」の形です。「{」が次の行にある、「,」と「{」の間に空白がある、"
     u"見た目のない「-」のNPCのどれかです。",
     u"今のサーバーはこの行をエラーにし、ファイルの残りを読みません。",
     u"harbor01.tsg,150,120,4\tscript\t案内\t56, {\n\tclose;\n" EXAMPLE_END, EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END},
    {Rule::FunctionBraceNotFirst, u"TW321", Severity::Error, u"function の「{」は、タブのすぐ後に書きます",
     u"function の定義行の「{」の位置", u"function の定義行の4つ目の欄が「{」で始まっていません。",
     u"今のサーバーはこの行をエラーにし、ファイルの残りを読みません。",
     u"function\tscript\tF_Greet\n{\n\treturn;\n" EXAMPLE_END,
     u"function\tscript\tF_Greet\t{\n\treturn;\n" EXAMPLE_END},
    {Rule::MonsterPlaceShort, u"TW322", Severity::Error, u"monster の場所は「マップ.tsg,x,y,xs,ys」と5つ書きます",
     u"monster の場所の範囲がない", u"monster の場所に、出現する範囲 xs,ys がありません。",
     u"大文字小文字を区別する今のサーバーは、場所の数が足りない行をエラーにし、モンスターを出しません。",
     u"harbor01.tsg,0,0\tmonster\tスライム\t1002,10,0,0\n", u"harbor01.tsg,0,0,0,0\tmonster\tスライム\t1002,10,0,0\n"},
    {Rule::MonsterFieldsToday, u"TW323", Severity::Error, u"monster の4つ目の欄は「ID,数,時間1,時間2」の形で書きます",
     u"monster の時間の欄がない", u"monster の4つ目の欄に、モンスターIDの数字と、出現の時間 時間1,時間2 が要ります。",
     u"今のサーバーはこの行をエラーにし、モンスターを出しません。",
     u"harbor01.tsg,0,0,0,0\tmonster\tスライム\t1002,10\n", u"harbor01.tsg,0,0,0,0\tmonster\tスライム\t1002,10,0,0\n"},
    {Rule::MonsterCount, u"TW324", Severity::Error, u"monster の数は1から1000です", u"monster の数が範囲の外",
     u"monster の数が1から1000の外です。", u"今のサーバーはこの行をエラーにし、モンスターを出しません。",
     u"harbor01.tsg,0,0,0,0\tmonster\tスライム\t1002,0,0,0\n",
     u"harbor01.tsg,0,0,0,0\tmonster\tスライム\t1002,10,0,0\n"},
    {Rule::TextAfterBody, u"TW325", Severity::Error, u"本体を閉じる「}」の後に「%1」があります",
     u"本体の「}」の後の文字", u"本体を閉じる「}」と同じ行に、コメントでない文字があります。",
     u"今のサーバーは「}」の後を次の定義行として読み、読めないためファイルの残りを読みません。"
     u"古いサーバーは行の最後が「}」でないため、本体を閉じません。",
     EXAMPLE_NPC u"\tclose;\n};\n", EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END},
    {Rule::ByteOrderMark, u"TW326", Severity::Error, u"ファイルがバイト順マーク（BOM）で始まっています",
     u"ファイルの先頭のバイト順マーク",
     u"ファイルの最初に、UTF-8 のバイト順マークがあります。例の〔EF〕などは、そのバイトを表します。",
     u"今のサーバーはこのファイルを丸ごと読み込みません。", u"〔EF〕〔BB〕〔BF〕" EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END},
    {Rule::NamePartTooLong, u"TW327", Severity::Warning, u"名前「%1」は%2バイトあり、24バイトで切られます",
     u"名前が24バイトを超える", u"NPCの名前の「::」の前か後ろが、24バイトを超えています。",
     u"今のサーバーは名前を24バイトで切って読み込みます。その名前で呼ぶイベントが届かなくなります。",
     u"harbor01.tsg,150,120,4\tscript\t港の船着き場の案内係の人です\t56,{\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END},
    {Rule::ShopItemName, u"TW328", Severity::Error, u"商品「%1」はアイテムIDの数字で書きます", u"商品に名前",
     u"shop の商品が、アイテムIDの数字でなく名前で書かれています。",
     u"今のサーバーはそこで商品の読み込みをやめ、それより後の商品は失われます。",
     u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,Red_Potion:50\n", u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50\n"},
    {Rule::ShopPrice, u"TW329", Severity::Warning, u"値段「%1」は使われないか、ただになります", u"商品の値段が0か負",
     u"shop の商品の値段が0か、-1 でない負の数です。",
     u"今のサーバーは負の値段をアイテムの元の値段にし、shop の値段0はただで売ります。",
     u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:0\n", u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50\n"},
    {Rule::FloatingShop, u"TW330", Severity::Error, u"場所が「-」の shop を知らないサーバーがあります",
     u"場所のない shop", u"shop の場所が「-」です（callshop でだけ開く店）。",
     u"古いサーバーは場所を読めず、この店を読み込みません。", u"-\tshop\t道具屋\t83,501:50\n",
     u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50\n"},
    {Rule::RestOfFileUnread, u"TW331", Severity::Error, u"サーバーはこの行でファイルを読むのをやめ、%1",
     u"ファイルの残りを読ませない行",
     u"本体の外の行を、今のサーバーは定義行として読みます。本体を閉じる「}」の後の文字と、定義行を読み飛ばされた"
     u"本体の行もそうです。タブで区切った欄が3つに足りない行のうち、ファイルで最初のものに示します。",
     u"今のサーバーは「unknown syntax」のエラーを出してファイルを読むのをやめ、これより後のNPCはどれも現れません。"
     u"古いサーバーはこの行を黙って読み飛ばします。",
     EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END u"ここから二人目の案内\n" SECOND_NPC u"\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END u"// ここから二人目の案内\n" SECOND_NPC u"\tclose;\n" EXAMPLE_END},
    {Rule::UnknownSprite, u"TW332", Severity::Warning, u"見た目「%1」をサーバーは知らないため、NPCは見えなくなります%2",
     u"サーバーの知らない見た目の名前（--server のとき）",
     u"NPCの見た目が、番号でも FAKE_NPC・HIDDEN_NPC でもなく、サーバーのフォルダの定数にもモンスターの名前にも"
     u"ない名前です。多くは綴りの誤りで、近い名前があれば添えます。",
     u"今のサーバーは警告を出し、NPCを見えないものとして置きます。",
     u"harbor01.tsg,150,120,4\tscript\t案内\t4_M_SAILER,{\n\tclose;\n" EXAMPLE_END,
     u"harbor01.tsg,150,120,4\tscript\t案内\t4_M_SAILOR,{\n\tclose;\n" EXAMPLE_END},
    {Rule::UniqueNameTaken, u"TW333", Severity::Warning, u"NPCの名前「%1」は%2のNPCがすでに使っています",
     u"NPCの名前が重なっている",
     u"同じ名前（「表示名::名前」の :: の後、:: がなければ名前全体）のNPCが、一緒に読み込まれるファイルにほかにも"
     u"あります。名前は読み込まれるNPC全体で一つずつでなければなりません。「#」の後は見えないので、"
     u"「渡し守#東」のように見える名前を変えずに分けられます。",
     u"今のサーバーは警告を出し、後から読み込んだNPCの名前を変えて読み込みます。その名前に送るイベントや、その名前を"
     u"元にする duplicate は、先に読み込んだNPCに届きます。",
     u"harbor01.tsg,150,120,4\tscript\t渡し守\t56,{\n\tclose;\n" EXAMPLE_END
     u"harbor01.tsg,160,120,4\tscript\t渡し守\t56,{\n\tclose;\n" EXAMPLE_END,
     u"harbor01.tsg,150,120,4\tscript\t渡し守\t56,{\n\tclose;\n" EXAMPLE_END
     u"harbor01.tsg,160,120,4\tscript\t渡し守#東\t56,{\n\tclose;\n" EXAMPLE_END},
    {Rule::DuplicateSourceNotLoaded, u"TW334", Severity::Error, u"duplicate の元のNPC「%1」は%2",
     u"duplicate の元のNPCが先に読み込まれていない",
     u"duplicate(元) の元のNPCは、名前（:: の後）で、すでに読み込まれたNPCから探されます。同じファイルの上のほうか、"
     u"読み込み順で前のファイルで定義します。読み込み順は --server のフォルダの npc/scripts*.conf から読み、"
     u"そのファイルを全部一緒に調べたときは、どこにもない元のNPCも報告します。",
     u"今のサーバーは元のNPCが見つからないと報告し、このNPCを読み込みません。",
     u"harbor01.tsg,160,120,4\tduplicate(渡し守)\t渡し守#2\t56\n"
     u"harbor01.tsg,150,120,4\tscript\t渡し守\t56,{\n\tclose;\n" EXAMPLE_END,
     u"harbor01.tsg,150,120,4\tscript\t渡し守\t56,{\n\tclose;\n" EXAMPLE_END
     u"harbor01.tsg,160,120,4\tduplicate(渡し守)\t渡し守#2\t56\n"},
};

static_assert(RuleDeclarations::areSound(kDefinitionLineRules),
              "each rule declared once, with a code and a whole page");

} // namespace

RuleTable RuleTables::definitions()
{
    return tableOf(kDefinitionLineRules);
}
