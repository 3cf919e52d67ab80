#include "checker/explanations.h"

#include <QStringList>

#include <algorithm>
#include <iterator>

namespace Explanations {

namespace {

// The definition line most examples begin with, and the end of its body.
#define NPC u"harbor01.tsg,150,120,4\tscript\t案内\t56,{\n"
#define END u"}\n"

constexpr Explanation kExplanations[] = {
    {Rule::OpenString,
     u"文字列は「\"」で始まり、同じ行の「\"」で終わります。行の終わりまでに閉じる「\"」がありません。"
     u"文字列の中の「\\\"」は閉じる「\"」になりません。",
     u"サーバーは本体を読む途中で文字列の誤りとして解析をやめ、このNPCを読み込みません。",
     NPC u"\tmes \"いらっしゃいませ;\n\tclose;\n" END, NPC u"\tmes \"いらっしゃいませ\";\n\tclose;\n" END},
    {Rule::MissingSemicolon, u"命令は「;」で終わります。命令の後に「;」がないまま、次の命令か「}」が来ています。",
     u"次の行の命令がこの命令の続き（余分な引数）として読まれることがあり、そのときは2つ目の命令が実行されません。"
     u"続きとして読めなければ、サーバーは解析をやめてNPCを読み込みません。",
     NPC u"\tmes \"こんにちは\"\n\tclose;\n" END, NPC u"\tmes \"こんにちは\";\n\tclose;\n" END},
    {Rule::UnknownCommand,
     u"命令表にない語が命令として書かれています。綴りの近い命令があれば、メッセージに示します。"
     u"サーバー独自の命令なら --commands で命令表に加えます。",
     u"サーバーは読み込むときにこの語を知らない命令として報告し、NPCを読み込みません。",
     NPC u"\twrap \"harbor02.tsg\",120,85;\n" END, NPC u"\twarp \"harbor02.tsg\",120,85;\n" END},
    {Rule::ArgumentCount, u"命令に渡す引数の数が、命令表の最小と最大の範囲に入っていません。",
     u"サーバーは読み込むときに警告を出すだけでNPCを読み込みます。実行すると、足りない引数や余分な引数のせいで"
     u"命令が思った通りに動きません。",
     NPC u"\twarp \"harbor02.tsg\",120;\n" END, NPC u"\twarp \"harbor02.tsg\",120,85;\n" END},
    {Rule::MissingComma, u"引数と引数の間に「,」がありません。",
     u"サーバーは警告を出して読み込み、2つを別の引数として扱います。多くは「,」か、前の行の「;」の書き忘れです。",
     NPC u"\theal 100 50;\n\tclose;\n" END, NPC u"\theal 100,50;\n\tclose;\n" END},
    {Rule::UnexpectedToken, u"文や式の途中に、そこでは読めない記号や語があります。",
     u"サーバーは本体を読む途中で構文の誤りとして解析をやめ、このNPCを読み込みません。",
     NPC u"\tset @count,@count + * 2;\n\tclose;\n" END, NPC u"\tset @count,@count * 2;\n\tclose;\n" END},
    {Rule::MissingParenthesis, u"「(」を閉じる「)」がありません。",
     u"サーバーは本体を読む途中で構文の誤りとして解析をやめ、このNPCを読み込みません。",
     NPC u"\tif (Zeny < 500 goto L_Poor;\n\tclose;\nL_Poor:\n\tmes \"お金が足りません\";\n\tclose;\n" END,
     NPC u"\tif (Zeny < 500) goto L_Poor;\n\tclose;\nL_Poor:\n\tmes \"お金が足りません\";\n\tclose;\n" END},
    {Rule::MissingBracket, u"配列の要素を指す「[」を閉じる「]」がありません。",
     u"サーバーは本体を読む途中で構文の誤りとして解析をやめ、このNPCを読み込みません。",
     NPC u"\tset @item,@list[1;\n\tclose;\n" END, NPC u"\tset @item,@list[1];\n\tclose;\n" END},
    {Rule::OpenComment, u"「/*」で始めた注釈を閉じる「*/」がありません。",
     u"本体の終わりの「}」まで注釈として読まれるため、本体が閉じられず、サーバーはこのNPCを読み込みません。",
     NPC u"\t/* 古い会話\n\tclose;\n" END, NPC u"\t/* 古い会話 */\n\tclose;\n" END},
    {Rule::EmptyValue, u"set の値が空です。エディタのボタンで値の欄を空のまま書いたときにできる形です。",
     u"サーバーは空の値を0として読み込むため、変数は思った値になりません。", NPC u"\tset Zeny = ,0;\n\tclose;\n" END,
     NPC u"\tset Zeny = 1000,0;\n\tclose;\n" END},
    {Rule::TooDeep, u"式の括弧や呼び出し、if の中の if などの入れ子が深すぎます（256段まで）。",
     u"サーバーの解析はこれほど深い入れ子を想定しておらず、読み込みが止まるおそれがあります。"
     u"式を変数に分けて浅くします。",
     NPC u"\tset @a,((((…(1)…))));  // 「(」が300個\n" END, NPC u"\tset @a,1;\n" END},
    {Rule::UndeclaredFunctionCall,
     u"本体の中の関数（function 名前 { … }）を、その宣言や定義より前で呼んでいます。"
     u"本体は上から一度だけ読まれるため、呼ぶ前に「function 名前;」で宣言しておきます。",
     u"サーバーは本体を読むときに「calling undeclared function」と出して解析をやめ、このNPCを読み込みません。",
     NPC u"\tSF_Greet;\n\tclose;\nfunction SF_Greet {\n\tmes \"ようこそ\";\n\treturn;\n}\n" END,
     NPC u"\tfunction SF_Greet;\n\tSF_Greet;\n\tclose;\nfunction SF_Greet {\n\tmes \"ようこそ\";\n\treturn;\n}\n" END},

    {Rule::UnclosedBody, u"本体を始めた「{」を閉じる「}」がありません。",
     u"サーバーは閉じる「}」を探して後の行をすべてこの本体に取り込み、次のNPCの定義行まで飲み込んで解析に失敗します。"
     u"このNPCも、飲み込まれたNPCも読み込まれません。",
     NPC u"\tmes \"こんにちは\";\n\tclose;\n", NPC u"\tmes \"こんにちは\";\n\tclose;\n" END},
    {Rule::BodyRunsIntoDefinition,
     u"前のNPCの本体が閉じられないまま、次のNPCの定義行が来ています。誤りは前の本体の「}」の書き忘れです。",
     u"サーバーはこの定義行を前の本体の中身として読み、解析に失敗します。2つのNPCとも読み込まれません。",
     NPC u"\tclose;\nharbor01.tsg,160,120,4\tscript\t船頭\t57,{\n\tclose;\n" END,
     NPC u"\tclose;\n" END u"harbor01.tsg,160,120,4\tscript\t船頭\t57,{\n\tclose;\n" END},
    {Rule::StrayCloseBrace, u"閉じるものがない「}」です。本体はすでに閉じられています。",
     u"サーバーはこの行を読み飛ばします。「}」の数が合っていないのは、本体を思った所で閉じていない印です。",
     NPC u"\tclose;\n" END END, NPC u"\tclose;\n" END},
    {Rule::OutsideBody, u"命令やラベルが、どの本体にも入っていません（本体の「}」の後か、「{」の前）。",
     u"本体の外では、サーバーは定義行しか読みません。この行は黙って読み飛ばされ、実行されません。",
     NPC u"\tmes \"こんにちは\";\n" END u"\tclose;\n", NPC u"\tmes \"こんにちは\";\n\tclose;\n" END},
    {Rule::MenuPairs,
     u"menu は「選択肢,ラベル」の組を並べます。数が奇数か、ラベルの所に文字列があります。"
     u"ラベルを「-」にすると、次の命令へ進みます。",
     u"サーバーは読み込みますが、プレイヤーがその選択肢を選んだときに飛び先が読めず、スクリプトが止まります。",
     NPC u"\tmenu \"はい\",L_Yes,\"いいえ\";\nL_Yes:\n\tclose;\n" END,
     NPC u"\tmenu \"はい\",L_Yes,\"いいえ\",-;\n\tclose;\nL_Yes:\n\tclose;\n" END},
    {Rule::UndefinedLabel, u"goto、menu、callsub などの飛び先のラベルが、同じNPCの本体にありません。",
     u"サーバーはラベルを飛ぶときに初めて探すため、読み込みは通ります。プレイヤーがそこへ来たときにラベルが見つからず、"
     u"スクリプトが止まります（会話の窓が開いたまま残ることもあります）。",
     NPC u"\tgoto L_Shop;\n" END, NPC u"\tgoto L_Shop;\nL_Shop:\n\tclose;\n" END},
    {Rule::UndefinedLabelOtherCase,
     u"飛び先のラベルが、大文字・小文字だけ違う形でしかありません。ラベルは大文字・小文字を区別して比べます"
     u"（全部小文字のラベルだけは、どの書き方でも見つかります）。",
     u"サーバーは読み込みますが、プレイヤーがそこへ来たときにラベルが見つからず、スクリプトが止まります。",
     NPC u"\tmenu \"はい\",L_yes;\nL_Yes:\n\tclose;\n" END, NPC u"\tmenu \"はい\",L_Yes;\nL_Yes:\n\tclose;\n" END},
    {Rule::DuplicateLabel, u"同じ名前のラベルが、1つの本体に2回以上あります。",
     u"サーバーは本体を読むときにラベルの重複として拒み、このNPCを読み込みません。",
     NPC u"\tgoto L_End;\nL_End:\n\tmes \"さようなら\";\nL_End:\n\tclose;\n" END,
     NPC u"\tgoto L_End;\nL_End:\n\tmes \"さようなら\";\n\tclose;\n" END},
    {Rule::EventLabelTooLong,
     u"On で始まるイベントラベルが24バイトを超えています（全角文字は1文字2バイト）。"
     u"イベントは24バイトの名前で登録されます。",
     u"サーバーは読み込みの途中でこのイベントを登録できず、止まります。",
     NPC u"OnTimerForTheGreatHarborX:\n\tend;\n" END, NPC u"OnTimerHarbor:\n\tend;\n" END},
    {Rule::UnusedLabel, u"このラベルへ飛ぶ命令（goto、menu、callsub、if … goto）が本体のどこにもありません。",
     u"サーバーは問題なく読み込み、実行にも影響しません。飛び先の綴りの誤りや、消し忘れの印であることが多いです。",
     NPC u"\tclose;\nL_Old:\n\tmes \"昔の話\";\n\tclose;\n" END, NPC u"\tclose;\n" END},
    {Rule::MissingBody, u"script の定義行の後に、本体を始める「{」がありません。",
     u"サーバーは本体を見つけられず、このNPCを読み込みません。後の行は本体の外の行として読み飛ばされます。",
     u"harbor01.tsg,150,120,4\tscript\t案内\t56\n\tclose;\n" END, NPC u"\tclose;\n" END},
    {Rule::UndefinedFunction,
     u"callfunc で呼ぶ関数が、一緒に調べたファイルのどれにも定義されていません。"
     u"サーバーが別のファイルで読み込む関数なら、そのファイルも一緒に調べます。",
     u"サーバーは読み込みますが、呼んだときに関数が見つからず、スクリプトが止まります。",
     NPC u"\tcallfunc \"F_Greet\";\n\tclose;\n" END,
     NPC u"\tcallfunc "
         u"\"F_Greet\";\n\tclose;\n" END u"function\tscript\tF_Greet\t{\n\tmes \"ようこそ\";\n\treturn;\n" END},
    {Rule::FunctionNeverDefined, u"本体の中の関数が「function 名前;」で宣言されていますが、中身の定義がありません。",
     u"サーバーは読み込みますが、その関数を呼んだときに中身がなく、スクリプトが止まります。",
     NPC u"\tfunction SF_Greet;\n\tSF_Greet;\n\tclose;\n" END,
     NPC u"\tfunction SF_Greet;\n\tSF_Greet;\n\tclose;\nfunction SF_Greet {\n\tmes \"ようこそ\";\n\treturn;\n}\n" END},
    {Rule::FunctionDefinedTwice, u"本体の中の同じ名前の関数が、2回以上定義されています。",
     u"サーバーは本体を読むときに2つ目の定義を拒み、このNPCを読み込みません。",
     NPC u"\tfunction SF_Greet;\n\tSF_Greet;\n\tclose;\nfunction SF_Greet {\n\tmes \"ようこそ\";\n\treturn;\n}\n"
         u"function SF_Greet {\n\tmes \"いらっしゃい\";\n\treturn;\n}\n" END,
     NPC u"\tfunction SF_Greet;\n\tSF_Greet;\n\tclose;\nfunction SF_Greet {\n\tmes \"ようこそ\";\n\treturn;\n}\n" END},
    {Rule::EmptyLabel, u"「:」だけの行は、名前のないラベルとして読まれます。どこからも飛べません。",
     u"サーバーは名前の空のラベルとして読み込み、実行には影響しません。ラベル名の書き忘れか、消し残しです。",
     NPC u"\tgoto L_End;\n:\nL_End:\n\tclose;\n" END, NPC u"\tgoto L_End;\nL_End:\n\tclose;\n" END},

    {Rule::DefinitionFields,
     u"定義行は、場所・種類・名前・4つ目の欄をタブで区切って書きます。種類に要る欄が足りません。",
     u"サーバーは欄の足りない行を黙って読み飛ばすか読み違えるため、このNPCは現れません。",
     u"harbor01.tsg,150,120,4\tshop\t道具屋\n", u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50,502:200\n"},
    {Rule::SpaceForTab,
     u"定義行の欄の区切りがタブでなく空白です。欄に空白がなければ、サーバーは空白で区切って読めます。",
     u"サーバーは空白で区切り直して読み込みます。ただし名前に空白を入れると読めなくなるので、タブに直しておきます。",
     u"harbor01.tsg,150,120,4 script 案内 56,{\n\tclose;\n" END, NPC u"\tclose;\n" END},
    {Rule::SpaceForTabUnreadable,
     u"定義行のタブのはずの所に空白があり、ほかの所はタブのため、サーバーは空白で区切り直しません。",
     u"タブで区切ると種類の欄に名前が来るため、サーバーは知らない種類の行として黙って読み飛ばし、NPCは現れません。",
     u"harbor01.tsg,150,120,4 shop\t道具屋\t83,501:50\n", u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50\n"},
    {Rule::KindMisspelt, u"定義の種類（script、shop、warp など）の綴りが違います。",
     u"サーバーは知らない種類の行として黙って読み飛ばし、本体の行も読み飛ばします。NPCは現れません。",
     u"harbor01.tsg,150,120,4\tscirpt\t案内\t56,{\n\tclose;\n" END, NPC u"\tclose;\n" END},
    {Rule::PlaceFormat, u"場所の欄は「マップ,x,y,向き」（warp と monster は「マップ,x,y」）の形で、x と y は数字です。",
     u"サーバーは場所を読めず、この行を読み飛ばします。NPCは現れません。",
     u"harbor01.tsg,150.120,4\tshop\t道具屋\t83,501:50\n", u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50\n"},
    {Rule::FacingRange, u"向きは0（北）から反時計回りに7までの数字です。",
     u"サーバーは範囲を確かめずに読み込むため、NPCは思わぬ向きで現れます。",
     u"harbor01.tsg,150,120,9\tshop\t道具屋\t83,501:50\n", u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50\n"},
    {Rule::EmptyName, u"定義行の名前の欄が空です。",
     u"サーバーは名前のないNPCを正しく登録できず、このNPCは使えません。",
     u"harbor01.tsg,150,120,4\tshop\t \t83,501:50\n", u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50\n"},
    {Rule::ShopItem,
     u"shop の商品は「アイテムID:値段」を「,」で区切って並べます（値段 -1 はアイテムの元の値段）。"
     u"区切りの誤りや、値段のない商品があります。",
     u"サーバーは読めない所で商品の読み込みをやめ、それより後の商品は黙って失われます。",
     u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50,502,503:-1\n",
     u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50,502:200,503:-1\n"},
    {Rule::SpriteFormat,
     u"4つ目の欄は、見た目の番号の後に「,{」（script）か、見た目の番号だけ（duplicate）です。"
     u"場所のあるNPCには見た目の番号が要ります。",
     u"サーバーは見た目を読めず、このNPCを読み込みません。",
     u"harbor01.tsg,150,120,4\tscript\t案内\t,{\n\tclose;\n" END, NPC u"\tclose;\n" END},
    {Rule::WarpFormat, u"warp の4つ目の欄は「xs,ys,行き先のマップ,x,y」です。",
     u"サーバーは行き先を読めず、このワープを読み込みません。",
     u"harbor01.tsg,50,10\twarp\t出口\t1,1,harbor02.tsg,120\n",
     u"harbor01.tsg,50,10\twarp\t出口\t1,1,harbor02.tsg,120,85\n"},
    {Rule::MonsterFormat, u"monster の4つ目の欄は「種類,数」で、その後に「,時間1,時間2,イベント」を続けられます。",
     u"サーバーは種類や数を読めず、このモンスターを出しません。", u"harbor01.tsg,0,0\tmonster\tスライム\t1002\n",
     u"harbor01.tsg,0,0\tmonster\tスライム\t1002,10\n"},
    {Rule::DuplicateSource, u"duplicate( ) の括弧の中に、スクリプトを借りる元のNPCの名前がありません。",
     u"サーバーは元のNPCを見つけられず、このNPCを読み込みません。",
     u"harbor01.tsg,160,120,4\tduplicate()\t案内#2\t56\n", u"harbor01.tsg,160,120,4\tduplicate(案内)\t案内#2\t56\n"},
    {Rule::IgnoredText,
     u"サーバーが読む欄の後に、余分な文字があります。サーバーは決まった形で欄を読むため、その後は読みません。",
     u"サーバーは余分な文字を黙って読み飛ばして読み込みます。書いたつもりの値が使われていないことがあります。",
     u"harbor01.tsg,50,10\twarp\t出口\t1,1,harbor02.tsg,120,85,3\n",
     u"harbor01.tsg,50,10\twarp\t出口\t1,1,harbor02.tsg,120,85\n"},
    {Rule::LeadingBlank, u"定義行が空白かタブで始まっています。定義行は行の頭から書きます。",
     u"タブで区切ると最初の欄が空になり、空白で区切ると名前が切れるため、サーバーはこの行を読み飛ばすか読み違えます。",
     u" harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50\n", u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,501:50\n"},
    {Rule::MissingKind, u"本体を開く定義行に、種類（script など）の欄がありません。",
     u"サーバーは知らない種類の行として黙って読み飛ばし、本体の行も1行ずつ読み飛ばします。NPCは現れません。",
     u"harbor01.tsg,150,120,4\t案内\t56,{\n\tclose;\n" END, NPC u"\tclose;\n" END},

    {Rule::Unencodable, u"Shift_JIS で表せない文字（絵文字、ハングル、一部の記号など）があります。",
     u"スクリプトは Shift_JIS で保存するため、この文字は保存できません。サーバーにも届きません。",
     NPC u"\tmes \"ようこそ😀\";\n\tclose;\n" END, NPC u"\tmes \"ようこそ★\";\n\tclose;\n" END},
    {Rule::Undecodable,
     u"ファイルに Shift_JIS として読めないバイトがあります。別の文字コード（UTF-8 など）で保存したときによく起きます。"
     u"例の〔FF〕は、そのバイトを表します。",
     u"サーバーは名前や命令を読み違え、NPCを読み込まないか、別の名前で登録します。ファイルを Shift_JIS "
     u"で保存し直します。",
     u"harbor01.tsg,150,120,4\tscript\t案内〔FF〕\t56,{\n\tclose;\n" END, NPC u"\tclose;\n" END},
    {Rule::UndecodableInText,
     u"注釈か文字列の中に、Shift_JIS として読めないバイトがあります。例の〔FF〕は、そのバイトを表します。",
     u"注釈はサーバーが読まないので害はありません。文字列ならそのままプレイヤーに表示され、文字化けします。",
     NPC u"\tmes \"ようこそ〔FF〕\";\n\tclose;\n" END, NPC u"\tmes \"ようこそ\";\n\tclose;\n" END},

    {Rule::PlayerStuck,
     u"会話の窓が開いたまま（文を表示した後、next や選択肢の後）で、end; や本体の } に着く道筋があります。"
     u"close; のない分岐を忘れたときによく起きます。",
     u"サーバーは何も言わずにスクリプトを終えます。プレイヤーの画面にはボタンのない窓が残り、"
     u"ログアウトするまで動けません。",
     NPC u"\tmes \"またね。\";\n\tend;\n" END, NPC u"\tmes \"またね。\";\n\tclose;\n" END},

    {Rule::EmptyWindow, u"窓が閉じてから何も表示していない道筋で close; を実行しています。",
     u"プレイヤーには、文のない空の窓に「閉じる」ボタンだけが出ます。", NPC u"\tgetitem 501,1;\n\tclose;\n" END,
     NPC u"\tgetitem 501,1;\n\tend;\n" END},

    {Rule::CloseAfterOtherWindow,
     u"callshop、openstorage、guildopenstorage で別の窓を開いた後に close; や next; があります。",
     u"店や倉庫の窓が前に出たまま、会話の窓がボタン待ちになり、プレイヤーは動けなくなります。end; で終えます。",
     NPC u"\tmes \"倉庫をどうぞ。\";\n\tclose2;\n\topenstorage;\n\tclose;\n" END,
     NPC u"\tmes \"倉庫をどうぞ。\";\n\tclose2;\n\topenstorage;\n\tend;\n" END},

    {Rule::Unreachable,
     u"goto、close、end、return の後にあり、前にラベルもないため、どの道筋からも実行されない文です。",
     u"サーバーは読み込みますが、決して実行しません。ラベルを書き忘れたか、消し忘れた文です。",
     NPC u"\tmes \"やあ。\";\n\tclose;\n\tmes \"届かない\";\n\tclose;\n" END, NPC u"\tmes \"やあ。\";\n\tclose;\n" END},

    {Rule::WindowWithoutPlayer,
     u"OnInit、OnClock…、OnHour…、OnMinute…、OnDay…、OnAgit… はプレイヤーのいないイベントです。"
     u"そこで mes、next、menu、select、input を使っています。",
     u"話しかけているプレイヤーがいないので、窓はどこにも表示されません。",
     u"-\tscript\t時報\t-1,{\nOnClock1200:\n\tmes \"正午です。\";\n\tend;\n}\n",
     u"-\tscript\t時報\t-1,{\nOnClock1200:\n\tannounce \"正午です。\",0;\n\tend;\n}\n"},

    {Rule::VariableNeverSet,
     u"スコープ変数（.@名前）を読んでいますが、この本体のどこでも値を入れていません。多くは綴りの誤りです。"
     u"プレイヤー変数（@名前）は、いっしょに調べたファイルのどれでも値を入れていないときに知らせます"
     u"（@menu は menu と select が入れます）。永続変数・アカウント変数・グローバル変数は調べません。",
     u"サーバーは何も言わず、値は 0（文字列なら空）になります。",
     NPC u"\tset .@count, 3;\n\tmes \"残り\" + .@cuont + \"回\";\n\tclose;\n" END,
     NPC u"\tset .@count, 3;\n\tmes \"残り\" + .@count + \"回\";\n\tclose;\n" END},

    {Rule::LiteralOfOtherType,
     u"数の変数（名前が $ で終わらない）に文字列を、文字列の変数（$ で終わる）に数を入れています。",
     u"サーバーは型の合わない値を入れようとして、エラーを出すか 0 や空の値にします。",
     NPC u"\tset .@name$, 5;\n\tmes .@name$;\n\tclose;\n" END,
     NPC u"\tset .@name$, \"5\";\n\tmes .@name$;\n\tclose;\n" END},

    {Rule::UnknownDirectiveCode,
     u"「// talewick-check disable=…」の指示に、規則のコードでない語があります。"
     u"コードは talewick-check --help で一覧できます。",
     u"サーバーにとってはただの注釈です。talewick-check はその語では何も黙らせません。",
     NPC u"\tclose;\n// talewick-check disable=TW21O\nL_Old:\n\tclose;\n" END,
     NPC u"\tclose;\n// talewick-check disable=TW210\nL_Old:\n\tclose;\n" END},
};

#undef NPC
#undef END

static_assert(std::size(kExplanations) == size_t(Rule::UnknownDirectiveCode) + 1, "one explanation per rule");

// An example indented under its heading, its tabs kept.
QString indented(const char16_t *example)
{
    QString text;
    for (const QString &line : QString::fromUtf16(example).split(u'\n', Qt::SkipEmptyParts))
        text += QStringLiteral("    ") + line + u'\n';
    return text;
}

} // namespace

const Explanation *begin()
{
    return std::begin(kExplanations);
}

const Explanation *end()
{
    return std::end(kExplanations);
}

const Explanation *find(Rule rule)
{
    const auto found = std::find_if(std::begin(kExplanations), std::end(kExplanations),
                                    [&](const Explanation &explanation) { return explanation.rule == rule; });
    return found == std::end(kExplanations) ? nullptr : found;
}

QString text(Rule rule)
{
    const Rules::Row &row = Rules::row(rule);
    const bool error = row.severity == Diagnostic::Severity::Error;
    QString page = QStringLiteral("%1 (%2) %3\n")
                       .arg(QString::fromUtf16(row.code), error ? QStringLiteral("error") : QStringLiteral("warning"),
                            QString::fromUtf16(row.summary));
    const Explanation *explanation = find(rule);
    if (!explanation)
        return page;
    page += QStringLiteral("\nどんな誤りか:\n  %1\n").arg(QString::fromUtf16(explanation->meaning));
    page += QStringLiteral("\nサーバーでは:\n  %1\n").arg(QString::fromUtf16(explanation->server));
    page += QStringLiteral("\n誤りの例:\n") + indented(explanation->wrong);
    page += QStringLiteral("\n直した例:\n") + indented(explanation->mended);
    return page;
}

} // namespace Explanations
