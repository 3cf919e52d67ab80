#include "checker/rules.h"

#include <algorithm>
#include <iterator>

namespace Rules {

namespace {

using Severity = Diagnostic::Severity;

// An error is what makes the server refuse the script or a part of it, or what
// breaks when a player meets it; a warning is what loads and runs but is most
// likely not what the writer meant.
constexpr Row kRules[] = {
    {Rule::OpenString, u"TW101", Severity::Error, u"「\"」で始まる文字列が行の終わりまでに閉じられていません",
     u"文字列が行の終わりまでに閉じられていない"},
    {Rule::MissingSemicolon, u"TW102", Severity::Error, u"命令の終わりに「;」がありません", u"命令の終わりの ; がない"},
    {Rule::UnknownCommand, u"TW103", Severity::Error, u"「%1」は命令ではありません%2",
     u"命令表にない命令（近い命令があれば示す）"},
    {Rule::ArgumentCount, u"TW104", Severity::Warning, u"「%1」の引数は%2のはずが、%3個あります",
     u"引数の数が命令表と合わない"},
    {Rule::MissingComma, u"TW105", Severity::Warning, u"引数の間に「,」がありません", u"引数の間の , がない"},
    {Rule::UnexpectedToken, u"TW106", Severity::Error, u"ここに「%1」は書けません", u"文や式として読めない"},
    {Rule::MissingParenthesis, u"TW107", Severity::Error, u"「(」を閉じる「)」がありません", u"( を閉じる ) がない"},
    {Rule::MissingBracket, u"TW108", Severity::Error, u"「[」を閉じる「]」がありません", u"[ を閉じる ] がない"},
    {Rule::OpenComment, u"TW109", Severity::Error, u"「/*」で始まる注釈が閉じられていません",
     u"/* の注釈が閉じられていない"},
    {Rule::EmptyValue, u"TW110", Severity::Warning, u"「%1」の値が空です", u"set の値が空"},
    {Rule::TooDeep, u"TW111", Severity::Error, u"式の入れ子が深すぎます（%1段まで）",
     u"式の括弧や呼び出しの入れ子が深すぎる"},
    {Rule::UndeclaredFunctionCall, u"TW112", Severity::Error,
     u"関数「%1」は呼び出しより前に宣言されていません（前に「function %1;」を書きます）",
     u"本体の関数を宣言より前に呼んでいる"},

    {Rule::UnclosedBody, u"TW201", Severity::Error, u"「%1」の「{」を閉じる「}」がありません",
     u"本体の { が閉じられていない"},
    {Rule::BodyRunsIntoDefinition, u"TW202", Severity::Error,
     u"前の本体が閉じられないまま、次の定義行が始まっています（「}」が足りません）",
     u"閉じられていない本体の中に次の定義行がある"},
    {Rule::StrayCloseBrace, u"TW203", Severity::Warning,
     u"この「}」で閉じるものがありません（サーバーは読み飛ばします）", u"閉じる相手のない }"},
    {Rule::OutsideBody, u"TW204", Severity::Warning,
     u"本体の外にある行です。サーバーはこの行を読み飛ばします（「}」の後か、「{」の前）",
     u"本体の外にある命令やラベル"},
    {Rule::MenuPairs, u"TW205", Severity::Error, u"menu は「選択肢,ラベル」の組で書きます",
     u"menu の選択肢とラベルが組にならない"},
    {Rule::UndefinedLabel, u"TW206", Severity::Error, u"ラベル「%1」がこのNPCの中にありません",
     u"飛び先のラベルが同じNPCにない"},
    {Rule::UndefinedLabelOtherCase, u"TW207", Severity::Error,
     u"ラベル「%1」がこのNPCの中にありません（大文字・小文字の違う「%2」ならあります）",
     u"飛び先のラベルが大文字・小文字だけ違う"},
    {Rule::DuplicateLabel, u"TW208", Severity::Error, u"ラベル「%1」がこのNPCの中で2回以上定義されています",
     u"同じラベルが2回以上定義されている"},
    {Rule::EventLabelTooLong, u"TW209", Severity::Error, u"イベントラベル「%1」が長すぎます（%2バイト、%3バイトまで）",
     u"イベントラベル（On...）が24バイトを超える"},
    {Rule::UnusedLabel, u"TW210", Severity::Warning, u"ラベル「%1」へ飛ぶ命令（menu、goto、callsub）がありません",
     u"どこからも飛ばないラベル"},
    {Rule::MissingBody, u"TW211", Severity::Error, u"「%1」の本体を始める「{」がありません",
     u"script の本体の { がない"},
    {Rule::UndefinedFunction, u"TW212", Severity::Warning, u"関数「%1」はどのファイルにも定義されていません",
     u"callfunc の関数が調べたファイルのどれにもない"},
    {Rule::FunctionNeverDefined, u"TW213", Severity::Error,
     u"関数「%1」は宣言されていますが、定義（function %1 { … }）がありません", u"本体の関数が宣言だけで定義がない"},
    {Rule::FunctionDefinedTwice, u"TW214", Severity::Error, u"関数「%1」がこの本体の中で2回以上定義されています",
     u"本体の関数が2回以上定義されている"},
    {Rule::EmptyLabel, u"TW215", Severity::Warning, u"名前のないラベルです（「:」だけ）", u"名前のないラベル"},

    {Rule::DefinitionFields, u"TW301", Severity::Error, u"%1の行はタブで区切った%2つの欄のはずが、%3個あります",
     u"定義行の欄の数が足りない"},
    {Rule::SpaceForTab, u"TW302", Severity::Warning, u"タブのはずの所に空白があります",
     u"タブの代わりに空白（サーバーは読める）"},
    {Rule::SpaceForTabUnreadable, u"TW303", Severity::Error,
     u"タブのはずの所に空白があるため、サーバーはこの行を読み飛ばします", u"タブの代わりに空白（サーバーは読めない）"},
    {Rule::KindMisspelt, u"TW304", Severity::Warning,
     u"定義の種類「%1」は「%2」のはずです（サーバーはこの行を読み飛ばし、NPCは現れません）", u"定義の種類の綴りの誤り"},
    {Rule::PlaceFormat, u"TW305", Severity::Error, u"場所は「%1」の形で書きます", u"場所の欄の形の誤り"},
    {Rule::FacingRange, u"TW306", Severity::Warning, u"向きは0から7の数字です", u"向きが0から7の外"},
    {Rule::EmptyName, u"TW307", Severity::Error, u"名前がありません", u"名前の欄が空"},
    {Rule::ShopItem, u"TW308", Severity::Error, u"商品は「アイテムID:値段」の形で書きます", u"shop の商品の形の誤り"},
    {Rule::SpriteFormat, u"TW309", Severity::Error, u"4つ目の欄は「%1」の形で書きます", u"見た目の欄の形の誤り"},
    {Rule::WarpFormat, u"TW310", Severity::Error, u"warp の4つ目の欄は「xs,ys,マップ,x,y」の形で書きます",
     u"warp の欄の形の誤り"},
    {Rule::MonsterFormat, u"TW311", Severity::Error,
     u"monster の4つ目の欄は「種類,数[,時間1,時間2[,イベント]]」の形で書きます", u"monster の欄の形の誤り"},
    {Rule::DuplicateSource, u"TW312", Severity::Error, u"duplicate( ) に元のNPCの名前がありません",
     u"duplicate の元の名前が空"},
    {Rule::IgnoredText, u"TW313", Severity::Warning, u"「%1」はサーバーに読み飛ばされます",
     u"サーバーが読み飛ばす余分な文字"},
    {Rule::LeadingBlank, u"TW314", Severity::Error,
     u"定義行が空白やタブで始まっているため、サーバーはこの行を正しく読めません", u"定義行の先頭に空白やタブ"},
    {Rule::MissingKind, u"TW315", Severity::Error,
     u"定義の種類（script など）の欄がないため、サーバーはこの行と本体を読み飛ばします（NPCは現れません）",
     u"本体を開く定義行に種類の欄がない"},

    {Rule::Unencodable, u"TW401", Severity::Error, u"文字「%1」(%2) は Shift_JIS で保存できません",
     u"Shift_JIS で保存できない文字"},
    {Rule::Undecodable, u"TW402", Severity::Error, u"Shift_JIS として読めないバイトがあります",
     u"Shift_JIS として読めないバイト"},
    {Rule::UndecodableInText, u"TW403", Severity::Warning,
     u"注釈か文字列の中に Shift_JIS として読めないバイトがあります（文字列ならそのまま表示されます）",
     u"注釈や文字列の中の Shift_JIS でないバイト"},

    {Rule::PlayerStuck, u"TW501", Severity::Error,
     u"会話の窓が開いたまま終わります。プレイヤーはボタンのない窓の前で動けなくなります（前に「close;」が要ります）",
     u"窓が開いたまま会話が終わる"},
    {Rule::EmptyWindow, u"TW502", Severity::Warning,
     u"何も表示していないのに close があります（空の窓に閉じるボタンだけが出ます）", u"何も表示せずに close"},
    {Rule::CloseAfterOtherWindow, u"TW503", Severity::Warning,
     u"「%1」の後の %2 です。プレイヤーは別の窓の後ろで動けなくなります（「end;」のはずです）",
     u"店や倉庫の窓の後の close や next"},
    {Rule::Unreachable, u"TW504", Severity::Warning, u"ここから先はどの道筋からも実行されません",
     u"どこからも届かない文"},
    {Rule::WindowWithoutPlayer, u"TW505", Severity::Warning,
     u"プレイヤーのいないイベント「%1」の中の %2 です。窓はどこにも表示されません",
     u"プレイヤーのいないイベントの中の会話"},
    {Rule::VariableNeverSet, u"TW506", Severity::Warning,
     u"変数「%1」はどこでも値を入れられていません（常に0か空です）%2",
     u"値を入れていないスコープ変数・プレイヤー変数を読んでいる"},
    {Rule::LiteralOfOtherType, u"TW507", Severity::Warning, u"%1 の変数「%2」に%3を入れています",
     u"数の変数に文字列、文字列の変数に数"},

    {Rule::UnknownDirectiveCode, u"TW901", Severity::Warning, u"指示の「%1」は規則のコードではありません",
     u"talewick-check の指示に知らないコード"},
};

static_assert(std::size(kRules) == size_t(Rule::UnknownDirectiveCode) + 1, "one row per rule");

} // namespace

const Row *begin()
{
    return std::begin(kRules);
}

const Row *end()
{
    return std::end(kRules);
}

const Row *find(QStringView code)
{
    const auto found = std::find_if(std::begin(kRules), std::end(kRules), [&](const Row &row) {
        return code.compare(QStringView(row.code), Qt::CaseInsensitive) == 0;
    });
    return found == std::end(kRules) ? nullptr : found;
}

const Row &row(Rule rule)
{
    // Rows are in the order of the enumerators.
    return kRules[size_t(rule)];
}

QString code(Rule rule)
{
    return QString::fromUtf16(row(rule).code);
}

Diagnostic::Severity severity(Rule rule)
{
    return row(rule).severity;
}

QString message(Rule rule, const QStringList &arguments)
{
    // One pass, so that a "%2" inside a filled-in label stays as written.
    const QString pattern = QString::fromUtf16(row(rule).message);
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
    Diagnostic made;
    made.line = line;
    made.column = qMax(0, column);
    made.length = qMax(1, length);
    made.severity = severity(rule);
    made.rule = rule;
    made.code = code(rule);
    made.message = message(rule, arguments);
    return made;
}

} // namespace Rules
