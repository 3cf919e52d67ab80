// The rules the statement parser reports: a statement or an expression that does
// not read. Declared here rather than in the parser, which is long enough as it is.
#include "checker/rule_examples.h"
#include "checker/rule_tables.h"
#include "checker/rules.h"

namespace {

using Severity = Diagnostic::Severity;

constexpr RuleDeclaration kStatementRules[] = {
    {Rule::MissingSemicolon, u"TW102", Severity::Error, u"命令の終わりに「;」がありません", u"命令の終わりの ; がない",
     u"命令は「;」で終わります。命令の後に「;」がないまま、次の命令か「}」が来ています。",
     u"次の行の命令がこの命令の続き（余分な引数）として読まれることがあり、そのときは2つ目の命令が実行されません。"
     u"続きとして読めなければ、サーバーは解析をやめてNPCを読み込みません。今のサーバーは、引数なしで書いた命令の"
     u"次の行を黙ってその引数として読み込みます（「stopnpctimer」の次の「end;」が先に実行されます）。その形は"
     u"今のサーバーにとっては警告です。",
     EXAMPLE_NPC u"\tmes \"こんにちは\"\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tmes \"こんにちは\";\n\tclose;\n" EXAMPLE_END},
    {Rule::ArgumentCount, u"TW104", Severity::Warning, u"「%1」の引数は%2のはずが、%3個あります",
     u"引数の数が命令表と合わない", u"命令に渡す引数の数が、命令表の最小と最大の範囲に入っていません。",
     u"古いサーバーと2006年ごろのサーバーは読み込むときに警告を出すだけでNPCを読み込みます。実行すると、足りない"
     u"引数や余分な引数のせいで命令が思った通りに動きません。今のサーバーは数の合わないスクリプトを読み込みません"
     u"（いくつかの命令は今のサーバーでは数の幅が狭く、「mes」は大文字小文字を区別する今のサーバーでは文字列1つまで"
     u"です）。警告か誤りかは、対象のサーバー（--target）で決まります。",
     EXAMPLE_NPC u"\twarp \"harbor02.tsg\",120;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\twarp \"harbor02.tsg\",120,85;\n" EXAMPLE_END},
    {Rule::MissingComma, u"TW105", Severity::Warning, u"引数の間に「,」がありません", u"引数の間の , がない",
     u"引数と引数の間に「,」がありません。",
     u"サーバーは警告を出して読み込み、2つを別の引数として扱います。多くは「,」か、前の行の「;」の書き忘れです。",
     EXAMPLE_NPC u"\theal 100 50;\n\tclose;\n" EXAMPLE_END, EXAMPLE_NPC u"\theal 100,50;\n\tclose;\n" EXAMPLE_END},
    {Rule::UnexpectedToken, u"TW106", Severity::Error, u"ここに「%1」は書けません", u"文や式として読めない",
     u"文や式の途中に、そこでは読めない記号や語があります。",
     u"サーバーは本体を読む途中で構文の誤りとして解析をやめ、このNPCを読み込みません。",
     EXAMPLE_NPC u"\tset @count,@count + * 2;\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tset @count,@count * 2;\n\tclose;\n" EXAMPLE_END},
    {Rule::MissingParenthesis, u"TW107", Severity::Error, u"「(」を閉じる「)」がありません", u"( を閉じる ) がない",
     u"「(」を閉じる「)」がありません。",
     u"サーバーは本体を読む途中で構文の誤りとして解析をやめ、このNPCを読み込みません。",
     EXAMPLE_NPC u"\tif (Zeny < 500 goto L_Poor;\n\tclose;\nL_Poor:\n\tmes "
                 u"\"お金が足りません\";\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tif (Zeny < 500) goto L_Poor;\n\tclose;\nL_Poor:\n\tmes "
                 u"\"お金が足りません\";\n\tclose;\n" EXAMPLE_END},
    {Rule::MissingBracket, u"TW108", Severity::Error, u"「[」を閉じる「]」がありません", u"[ を閉じる ] がない",
     u"配列の要素を指す「[」を閉じる「]」がありません。",
     u"サーバーは本体を読む途中で構文の誤りとして解析をやめ、このNPCを読み込みません。",
     EXAMPLE_NPC u"\tset @item,@list[1;\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tset @item,@list[1];\n\tclose;\n" EXAMPLE_END},
    {Rule::EmptyValue, u"TW110", Severity::Warning, u"「%1」の値が空です", u"set の値が空",
     u"set の値が空です。エディタのボタンで値の欄を空のまま書いたときにできる形です。",
     u"サーバーは空の値を0として読み込むため、変数は思った値になりません。",
     EXAMPLE_NPC u"\tset Zeny = ,0;\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tset Zeny = 1000,0;\n\tclose;\n" EXAMPLE_END},
    {Rule::TooDeep, u"TW111", Severity::Error, u"式の入れ子が深すぎます（%1段まで）",
     u"式の括弧や呼び出しの入れ子が深すぎる",
     u"式の括弧や呼び出し、if の中の if などの入れ子が深すぎます（256段まで）。",
     u"サーバーの解析はこれほど深い入れ子を想定しておらず、読み込みが止まるおそれがあります。"
     u"式を変数に分けて浅くします。",
     EXAMPLE_NPC u"\tset @a,((((…(1)…))));  // 「(」が300個\n" EXAMPLE_END, EXAMPLE_NPC u"\tset @a,1;\n" EXAMPLE_END},
    {Rule::TodaysSyntax, u"TW113", Severity::Warning, u"「%1」は今のサーバーだけが読める書き方です",
     u"今のサーバーだけが読める書き方",
     u"今のサーバーで加わった書き方です（** や ~= の演算子、0b・0o の数、数字で始まる名前、続けて書いた文字列、"
     u"do … while、「\"NPC\"::関数()」、public function など）。",
     u"今のサーバーは読み込みます。それより古いサーバーは構文の誤りとして解析をやめ、NPCを読み込みません。",
     EXAMPLE_NPC u"\t.@n = 3 ** 2;\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\t.@n = 3 * 3;\n\tclose;\n" EXAMPLE_END},
    {Rule::WrongCase, u"TW116", Severity::Error, u"「%1」は「%2」と書きます",
     u"命令や文の語の大文字・小文字が違う",
     u"命令や if、for などの語が、命令表と違う大文字・小文字で書かれています。",
     u"古いサーバーと、大文字・小文字を区別しない今のサーバーは読み込みます。区別する今のサーバーは"
     u"「detected possible use of wrong case」と報告してNPCを読み込みません。",
     EXAMPLE_NPC u"\tMes \"こんにちは\";\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tmes \"こんにちは\";\n\tclose;\n" EXAMPLE_END},
    {Rule::UnknownEscape, u"TW117", Severity::Error, u"「%1」は今のサーバーの読めないエスケープです",
     u"今のサーバーの知らない \\ のエスケープ",
     u"文字列の中の「\\」の後に、今のサーバーがエスケープとして知らない文字があります（「\\%」「\\q」など）。"
     u"知っているのは \\n \\t \\r \\a \\b \\f \\v \\? \\\" \\' \\\\ \\x と \\0〜\\3 です。",
     u"今のサーバーは読み込むときに「empty escape sequence」と警告し、文字列に0のバイトを入れます。文字列はそこで"
     u"切れ、実行するとスクリプトの残りが読み違えられます。古いサーバーは「\\」の次の文字をそのまま読みます。",
     EXAMPLE_NPC u"\tmes \"100\\%お得\";\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tmes \"100%お得\";\n\tclose;\n" EXAMPLE_END},
    {Rule::CaseNotConstant, u"TW118", Severity::Error, u"case には整数か定数の名前を書きます",
     u"case の値が整数でも定数でもない",
     u"switch の case に、整数か定数の名前でないもの（文字列、変数、式）が書かれています。",
     u"今のサーバーは case を整数の比較として組み立てるため、読み込みを拒みます。",
     EXAMPLE_NPC u"\tswitch (.@answer$) {\n\tcase \"yes\":\n\t\tclose;\n\t}\n\tend;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tswitch (select(\"はい:いいえ\")) {\n\tcase 1:\n\t\tclose;\n\t}\n\tend;\n" EXAMPLE_END},
    {Rule::CommaAfterAssignment, u"TW119", Severity::Error, u"代入の後は「;」で終わります",
     u"代入の後が ; でなく ,",
     u"代入の式の後に「;」でなく「,」があります（「.@fee = 300, .@tax = 20;」）。",
     u"大文字・小文字を区別しない今のサーバーは、代入の後の1文字を読み飛ばすので読み込みます。ほかのサーバーは"
     u"「;」がないとして読み込みを拒みます。",
     EXAMPLE_NPC u"\t.@fee = 300, .@tax = 20;\n\tend;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\t.@fee = 300;\n\t.@tax = 20;\n\tend;\n" EXAMPLE_END},
    {Rule::NameNotAscii, u"TW120", Severity::Error, u"名前「%1」に英数字と「_」でない文字があります",
     u"ラベルや変数の名前に全角文字がある",
     u"ラベルや変数、関数の名前に、英数字と「_」でない文字（全角文字など）があります。全角の文は文字列に書きます。",
     u"今のサーバーは名前をそこで切り、行を読めずに読み込みを拒みます。古いサーバーは読み込みます。",
     EXAMPLE_NPC u"\tgoto L_表示;\nL_表示:\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tgoto L_Show;\nL_Show:\n\tclose;\n" EXAMPLE_END},
    {Rule::NumberTooLarge, u"TW121", Severity::Warning, u"数「%1」は32ビットに入りません",
     u"32ビットに入らない数",
     u"数が 2147483647 より大きく、サーバーの整数に入りません。",
     u"今のサーバーは警告を出し、入る一番大きな値に切り詰めて読み込みます。書いた値にはなりません。",
     EXAMPLE_NPC u"\tset Zeny, 3000000000;\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tset Zeny, 2000000000;\n\tclose;\n" EXAMPLE_END},
    {Rule::BreakOutsideLoop, u"TW122", Severity::Error, u"「%1」を囲む%2がありません",
     u"break や continue が繰り返しの外にある",
     u"break は繰り返し（while、for、do）か switch の中で、continue は繰り返しの中でだけ使えます。"
     u"この break や continue を囲むものがありません（if の中は繰り返しではありません）。",
     u"今のサーバーは読み込むときに構文の誤りとして解析をやめ、このNPCを読み込みません。",
     EXAMPLE_NPC u"\tif (Zeny < 100) {\n\t\tmes \"お金が足りません\";\n\t\tbreak;\n\t}\n"
                 u"\tmes \"どうぞ\";\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tif (Zeny < 100) {\n\t\tmes \"お金が足りません\";\n\t\tclose;\n\t}\n"
                 u"\tmes \"どうぞ\";\n\tclose;\n" EXAMPLE_END},
    {Rule::CaseRepeated, u"TW123", Severity::Error, u"この switch には「%1」がもうあります",
     u"switch の case の値や default が重なる",
     u"1つの switch の中に、前の case と同じ値の case があります（「case 1:」と「case 0x1:」のように書き方が"
     u"違っても値が同じもの、同じ定数の名前）。または default が2つあります。",
     u"今のサーバーは読み込むときに誤りとして解析をやめ、このNPCを読み込みません。",
     EXAMPLE_NPC u"\tswitch (select(\"はい:いいえ\")) {\n\tcase 1:\n\t\tmes \"はい\";\n\t\tclose;\n\tcase 0x1:\n"
                 u"\t\tmes \"いいえ\";\n\t\tclose;\n\t}\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tswitch (select(\"はい:いいえ\")) {\n\tcase 1:\n\t\tmes \"はい\";\n\t\tclose;\n\tcase 2:\n"
                 u"\t\tmes \"いいえ\";\n\t\tclose;\n\t}\n" EXAMPLE_END},
    {Rule::DefaultWithBlank, u"TW124", Severity::Warning,
     u"「default :」は default でなく「default」という名前のラベルとして読まれます", u"default と : の間に空白がある",
     u"switch の「default」と「:」の間に空白があります。",
     u"今のサーバーはこれを default でなく「default」という名前の普通のラベルとして黙って読み込みます。switch には"
     u"default がないことになり、どの case にも合わないときは default の後でなく switch の後へ進みます。",
     EXAMPLE_NPC u"\tswitch (select(\"はい:いいえ\")) {\n\tcase 1:\n\t\tmes \"はい\";\n\t\tclose;\n\tdefault :\n"
                 u"\t\tmes \"いいえ\";\n\t\tclose;\n\t}\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tswitch (select(\"はい:いいえ\")) {\n\tcase 1:\n\t\tmes \"はい\";\n\t\tclose;\n\tdefault:\n"
                 u"\t\tmes \"いいえ\";\n\t\tclose;\n\t}\n" EXAMPLE_END},
    {Rule::NumberUnderscore, u"TW125", Severity::Error, u"数「%1」の「_」は数字の間に1つずつ書きます",
     u"数の末尾の _ や続けて2つの _",
     u"数の中の「_」は数字を区切るためだけに使えます。末尾の「_」（12_）や続けて2つの「_」（1__000）は書けません。"
     u"「_」で始まる語や、「_」の後に英字が続く語（2019_cap）は名前です。",
     u"今のサーバーは読み込むときに誤りとして解析をやめ、このNPCを読み込みません。古いサーバーは「_」の入った数を"
     u"読めません。",
     EXAMPLE_NPC u"\t.@fee = 1__000;\n\tmes \"料金は \" + .@fee + \" です\";\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\t.@fee = 1000;\n\tmes \"料金は \" + .@fee + \" です\";\n\tclose;\n" EXAMPLE_END},
    {Rule::MenuPairs, u"TW205", Severity::Error, u"menu は「選択肢,ラベル」の組で書きます",
     u"menu の選択肢とラベルが組にならない",
     u"menu は「選択肢,ラベル」の組を並べます。数が奇数か、ラベルの所に文字列があります。"
     u"ラベルを「-」にすると、次の命令へ進みます。",
     u"サーバーは読み込みますが、プレイヤーがその選択肢を選んだときに飛び先が読めず、スクリプトが止まります。",
     EXAMPLE_NPC u"\tmenu \"はい\",L_Yes,\"いいえ\";\nL_Yes:\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tmenu \"はい\",L_Yes,\"いいえ\",-;\n\tclose;\nL_Yes:\n\tclose;\n" EXAMPLE_END},
    {Rule::EventLabelTooLong, u"TW209", Severity::Error, u"イベントラベル「%1」が長すぎます（%2バイト、%3バイトまで）",
     u"イベントラベル（On...）が24バイトを超える",
     u"On で始まるイベントラベルが24バイトを超えています（全角文字は1文字2バイト）。"
     u"イベントは24バイトの名前で登録されます。",
     u"サーバーは読み込みの途中でこのイベントを登録できず、止まります。",
     EXAMPLE_NPC u"OnTimerForTheGreatHarborX:\n\tend;\n" EXAMPLE_END,
     EXAMPLE_NPC u"OnTimerHarbor:\n\tend;\n" EXAMPLE_END},
};

static_assert(RuleDeclarations::areSound(kStatementRules), "each rule declared once, with a code and a whole page");

} // namespace

RuleTable RuleTables::statements()
{
    return tableOf(kStatementRules);
}
