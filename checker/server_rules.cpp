#include "checker/server_rules.h"

#include "checker/body_tokens.h"
#include "checker/call_sites.h"
#include "checker/language.h"
#include "checker/rule_examples.h"
#include "checker/rule_tables.h"
#include "checker/rules.h"
#include "checker/server_names.h"

#include <optional>

namespace ServerRules {

namespace {

using Kind = DefinitionLine::Kind;

// A piece of a line and where it begins.
struct Field
{
    QStringView text;
    int column = 0;
};

// The pieces of `text` (which begins at `column`) between `separator`s; runs of
// separators count as one when `skipEmpty`.
QVector<Field> split(QStringView text, int column, char16_t separator, bool skipEmpty)
{
    QVector<Field> fields;
    qsizetype from = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text.at(i) != separator)
            continue;
        if (!skipEmpty || i > from)
            fields.append({text.sliced(from, i - from), column + int(from)});
        from = i + 1;
    }
    return fields;
}

// The fields of a definition line as the loader splits them: on tabs, or on blanks
// when tabs give fewer than three.
QVector<Field> definitionFields(QStringView line)
{
    qsizetype start = 0;
    while (start < line.size() && (line.at(start) == u' ' || line.at(start) == u'\t'))
        ++start;
    QVector<Field> fields = split(line.sliced(start), int(start), u'\t', true);
    if (fields.size() < 3)
        fields = split(line.sliced(start), int(start), u' ', true);
    return fields;
}

Diagnostic finding(Rule rule, const Field &field, const QStringList &arguments)
{
    return Rules::make(rule, 0, field.column, int(field.text.size()), arguments);
}

void checkMap(const Field &map, const ServerNames &names, Diagnostics &found)
{
    if (names.judgesMaps() && !map.text.isEmpty() && map.text != u"-" && !names.isMap(map.text))
        found.append(finding(Rule::UnknownMap, map, {map.text.toString()}));
}

// "sprite,id:price,...": each id the item table lacks.
void checkShopItems(const Field &field, const ServerNames &names, Diagnostics &found)
{
    const QVector<Field> pieces = split(field.text, field.column, u',', false);
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        const Field id{pieces.at(i).text.left(pieces.at(i).text.indexOf(u':')), pieces.at(i).column};
        const std::optional<qint64> number = CallSites::integerOf(id.text);
        if (number && names.judgesItems() && !names.item(*number))
            found.append(finding(Rule::UnknownShopItem, id, {QString::number(*number)}));
    }
}

// The sprite of an NPC or a shop standing on a map: a number, or a name the server
// must know (TW332) and should not call deprecated (TW606). A floating NPC's
// sprite is not read at all.
void checkSprite(Kind kind, const Field &place, const Field &fourth, const ServerNames &names, Diagnostics &found)
{
    if ((kind != Kind::Script && kind != Kind::Duplicate && kind != Kind::Shop) || place.text.trimmed() == u"-")
        return;
    QStringView sprite = fourth.text.left(fourth.text.indexOf(u','));
    const qsizetype brace = sprite.indexOf(u'{');
    if (brace >= 0)
        sprite = sprite.first(brace);
    qsizetype lead = 0;
    while (lead < sprite.size() && sprite.at(lead).isSpace())
        ++lead;
    const Field name{sprite.sliced(lead).trimmed(), fourth.column + int(lead)};
    if (name.text.isEmpty() || CallSites::integerOf(name.text) || !BodyTokens::isLabelName(name.text))
        return;
    if (names.isDeprecatedConstant(name.text))
        found.append(finding(Rule::DeprecatedConstant, name, {name.text.toString()}));
    else if (names.isUnknownSprite(name.text))
        found.append(finding(Rule::UnknownSprite, name,
                             {name.text.toString(), Language::nearestCommandHint(names.nearestSprite(name.text))}));
}

void checkFourthField(Kind kind, const Field &field, const ServerNames &names, Diagnostics &found)
{
    const QVector<Field> pieces = split(field.text, field.column, u',', false);
    if (kind == Kind::Warp && pieces.size() >= 3) {
        checkMap({pieces.at(2).text.trimmed(), pieces.at(2).column}, names, found);
    } else if (kind == Kind::Shop) {
        checkShopItems(field, names, found);
    } else if (kind == Kind::Monster && !pieces.isEmpty()) {
        const std::optional<qint64> id = CallSites::integerOf(pieces.front().text);
        if (id && names.judgesMonsters() && !names.monster(*id))
            found.append(finding(Rule::UnknownMonster, pieces.front(), {QString::number(*id)}));
    }
}

// Names a warp or a save point may give instead of a map.
bool isSpecialPlace(QStringView name)
{
    return Language::equalsIgnoringCase(name, u"random") || Language::equalsIgnoringCase(name, u"savepoint") ||
           Language::equalsIgnoringCase(name, u"save");
}

// Bare names of the statement that the folder's constants call deprecated (TW606).
template <typename LineText>
void checkDeprecatedNames(const FlowStep &step, const LineText &lineText, const ServerNames &names,
                          const QVector<LineStore::Line *> &unit, int first)
{
    if (!names.hasDeprecatedConstants())
        return;
    for (const Expression &node : step.expressions) {
        if (node.kind != Expression::Kind::Variable)
            continue;
        const QStringView token = CallSites::tokenOf(node, lineText);
        if (!BodyTokens::isLabelName(token) || !names.isDeprecatedConstant(token))
            continue;
        unit.at(first + node.token.line)
            ->found.append(finding(Rule::DeprecatedConstant, {token, node.token.column}, {token.toString()}));
    }
}

template <typename LineText>
void checkArgument(Language::NamedThing thing, const Expression &node, const LineText &lineText,
                   const ServerNames &names, Diagnostic *found)
{
    using Thing = Language::NamedThing;
    const QStringView token = CallSites::tokenOf(node, lineText);
    const Field field{token, node.token.column};
    if (node.kind == Expression::Kind::Number) {
        const std::optional<qint64> id = CallSites::integerOf(token);
        if (!id || *id <= 0)
            return;
        if (thing == Thing::Item && names.judgesItems() && !names.item(*id))
            *found = finding(Rule::UnknownItem, field, {QString::number(*id), QString()});
        else if (thing == Thing::Monster && names.judgesMonsters() && !names.monster(*id))
            *found = finding(Rule::UnknownMonster, field, {QString::number(*id)});
        return;
    }
    if (node.kind != Expression::Kind::Text || token.size() < 2)
        return;
    const QStringView name = token.sliced(1, token.size() - 2);
    if (thing == Thing::Map && names.judgesMaps() && !name.isEmpty() && !isSpecialPlace(name) && !names.isMap(name))
        *found = finding(Rule::UnknownMap, field, {name.toString()});
    else if (thing == Thing::Item && names.judgesItems() && !names.itemNamed(name))
        *found =
            finding(Rule::UnknownItem, field, {name.toString(), Language::nearestCommandHint(names.nearestItem(name))});
}

} // namespace

void checkDefinition(LineStore::Line &line, const Commands::Table &commands)
{
    const ServerNames *names = commands.serverNames();
    const Kind kind = line.definition.kind;
    if (!names || kind == Kind::None || kind == Kind::Other)
        return;
    const QVector<Field> fields = definitionFields(line.text);
    if (fields.isEmpty())
        return;
    const Field &place = fields.front();
    // "function<TAB>script<TAB>Name<TAB>{" stands on no map.
    if (kind != Kind::Function)
        checkMap({place.text.left(place.text.indexOf(u',')), place.column}, *names, line.found);
    if (fields.size() >= 4) {
        checkSprite(kind, place, fields.at(3), *names, line.found);
        checkFourthField(kind, fields.at(3), *names, line.found);
    }
}

std::optional<DefinitionId> definitionIdAt(QStringView line, const DefinitionLine::Definition &definition, int column)
{
    const QVector<Field> fields = definitionFields(line);
    const bool monster = definition.kind == Kind::Monster;
    if (fields.size() < 4 || (!monster && definition.kind != Kind::Shop))
        return std::nullopt;
    const QVector<Field> pieces = split(fields.at(3).text, fields.at(3).column, u',', false);
    // A monster line's id comes first; a shop's items follow its sprite.
    for (qsizetype i = monster ? 0 : 1; i < (monster ? std::min<qsizetype>(1, pieces.size()) : pieces.size()); ++i) {
        const QStringView id = pieces.at(i).text.left(pieces.at(i).text.indexOf(u':'));
        const int start = pieces.at(i).column;
        const std::optional<qint64> number = CallSites::integerOf(id);
        if (number && column >= start && column <= start + id.size())
            return DefinitionId{monster, *number, start, int(id.size())};
    }
    return std::nullopt;
}

void checkStep(const FlowStep &step, const Commands::Table &commands, const QVector<LineStore::Line *> &unit, int first)
{
    const ServerNames *names = commands.serverNames();
    if (!names || step.expressions.empty())
        return;
    const auto lineText = [&](int k) -> const QString & { return unit.at(first + k)->text; };
    checkDeprecatedNames(step, lineText, *names, unit, first);
    for (const CallSites::Site &site : CallSites::of(step, lineText)) {
        for (int i = 0; i < site.arguments.size(); ++i) {
            const Language::NamedThing thing = Language::namedBy(site.word, i);
            if (thing == Language::NamedThing::None)
                continue;
            const Expression &node = step.expressions[size_t(site.arguments.at(i))];
            Diagnostic found;
            checkArgument(thing, node, lineText, *names, &found);
            if (!found.code.isEmpty())
                unit.at(first + node.token.line)->found.append(std::move(found));
        }
    }
}

} // namespace ServerRules

namespace {

using Severity = Diagnostic::Severity;

// The examples are checked against a folder whose map list holds harbor01 and
// hill_town, whose item table holds 601 Green_Herb_Tea and 602 Blue_Tonic, whose
// monster table holds 1100 SAND_CRAB, and whose constants call Harbor_Horn deprecated.
constexpr RuleDeclaration kServerRules[] = {
    {Rule::UnknownMap, u"TW601", Severity::Error, u"マップ「%1」はサーバーのマップ一覧にありません",
     u"サーバーにないマップ（--server のとき）",
     u"定義行の場所、ワープの行き先、または warp などの命令に書いたマップが、サーバーのフォルダの"
     u"マップ一覧（db/map_index.txt）にありません。多くは綴りの誤りです。",
     u"サーバーは定義行を本体ごと読み飛ばし、NPCは現れません。命令のときは、プレイヤーが知らないマップへ"
     u"送られようとしてその場に残ります。",
     u"harbour01.tsg,150,120,4\tscript\t案内\t56,{\n\twarp \"hill_twon.tsg\",20,30;\n\tend;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\twarp \"hill_town.tsg\",20,30;\n\tend;\n" EXAMPLE_END},
    {Rule::UnknownShopItem, u"TW602", Severity::Warning, u"アイテム %1 はサーバーのアイテム表にありません",
     u"店の品がサーバーのアイテム表にない（--server のとき）",
     u"shop の品の番号が、サーバーのフォルダのアイテム表にありません。",
     u"サーバーは警告を出してその品を飛ばし、ほかの品だけを並べます。",
     u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,601:50,6020:40\n",
     u"harbor01.tsg,150,120,4\tshop\t道具屋\t83,601:50,602:40\n"},
    {Rule::UnknownMonster, u"TW603", Severity::Error, u"モンスター %1 はサーバーのモンスター表にありません",
     u"サーバーにないモンスター（--server のとき）",
     u"monster の行や monster 命令のモンスターの番号が、サーバーのフォルダのモンスター表にありません。",
     u"サーバーは monster の行を読み飛ばし、モンスターは現れません。命令のときも何も現れません。",
     u"harbor01.tsg,0,0,0,0\tmonster\tカニ\t1010,5,0,0\n", u"harbor01.tsg,0,0,0,0\tmonster\tカニ\t1100,5,0,0\n"},
    {Rule::UnknownItem, u"TW604", Severity::Warning, u"アイテム「%1」はサーバーのアイテム表にありません%2",
     u"命令に渡したアイテムがサーバーにない（--server のとき）",
     u"getitem、delitem、countitem などに渡したアイテムの番号か名前が、サーバーのフォルダのアイテム表に"
     u"ありません。名前のときは、表にある近い名前を添えます。",
     u"サーバーはエラーを出してその命令を実行しません。アイテムは渡されず、数えると0になります。",
     EXAMPLE_NPC u"\tgetitem \"Blue_Tonik\",1;\n\tend;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tgetitem \"Blue_Tonic\",1;\n\tend;\n" EXAMPLE_END},
    {Rule::LikelyConstantTypo, u"TW605", Severity::Warning,
     u"「%1」はどこでも値を入れておらず、定数でもアイテム・モンスター・スキル・マップの名前でもありません%2",
     u"定数や名前の綴りの誤りらしい語（--server のとき）",
     u"値として書いた裸の名前が、このファイルのどこでも値を入れられておらず、サーバーの定数・アイテム・"
     u"モンスター・スキル・マップのどの名前でもありません。どれかに綴りの近い名前があるので、その綴りの"
     u"誤りと見て知らせます。近い名前がなければ、ほかのファイルの永続変数として何も言いません。",
     u"サーバーはその名前を永続変数として読み、値は 0 になります。",
     EXAMPLE_NPC u"\tgetitem Blue_Tonik,1;\n\tend;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tgetitem Blue_Tonic,1;\n\tend;\n" EXAMPLE_END},
    {Rule::DeprecatedConstant, u"TW606", Severity::Warning, u"定数「%1」はサーバーの定数表で使わないものとされています",
     u"使わなくなった定数（--server のとき）",
     u"値として書いた名前が、サーバーのフォルダの定数表（db/constants.conf）で Deprecated と印を付けられた"
     u"定数です。同じ意味の新しい定数か、数に書き換えます。",
     u"サーバーは読み込むときに警告を出し、値はそのまま使います。後の版ではなくなることがあります。",
     EXAMPLE_NPC u"\tif (Harbor_Horn > 0) close;\n\tend;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tif (Harbor_Bell > 0) close;\n\tend;\n" EXAMPLE_END},
};

static_assert(RuleDeclarations::areSound(kServerRules), "each rule declared once, with a code and a whole page");

} // namespace

RuleTable RuleTables::serverFolder()
{
    return tableOf(kServerRules);
}
