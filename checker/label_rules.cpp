#include "checker/label_rules.h"

#include "checker/language.h"
#include "checker/rule_examples.h"
#include "checker/rule_tables.h"
#include "checker/rules.h"

#include <QVarLengthArray>

#include <algorithm>

namespace LabelRules {

namespace {

const Index::Group kNoGroup;

// Each key the line holds, once.
template <typename Visit> void forEachKey(const IndexedLine &line, Visit visit)
{
    QVarLengthArray<const QString *, 8> seen;
    const auto once = [&](const LabelUse &use) {
        if (std::none_of(seen.cbegin(), seen.cend(), [&](const QString *key) { return *key == use.key; })) {
            seen.append(&use.key);
            visit(use.key);
        }
    };
    for (const QVector<LabelUse> *uses : {&line.defines, &line.jumps, &line.declarations}) {
        for (const LabelUse &use : *uses)
            once(use);
    }
    for (const FunctionCall &call : line.functionCalls)
        once(call);
}

// `use`'s label in lower case, as jumps are looked up: the key already is, for a
// label written in ASCII.
QString loweredLabel(const LabelUse &use)
{
    const bool ascii = std::all_of(use.label.cbegin(), use.label.cend(), [](QChar c) { return c.unicode() < 0x80; });
    return ascii ? use.key : Language::lowered(use.label);
}

template <typename Use> bool holdsKey(const QVector<Use> &uses, const QString &key)
{
    return std::any_of(uses.cbegin(), uses.cend(), [&](const LabelUse &use) { return use.key == key; });
}

bool usesFunctions(const IndexedLine &line, const QString &key)
{
    return holdsKey(line.declarations, key) || holdsKey(line.functionCalls, key);
}

} // namespace

QString keyOf(const QString &label)
{
    // Labels are mostly ASCII, which folds without the Unicode tables.
    const bool ascii = std::all_of(label.cbegin(), label.cend(), [](QChar c) { return c.unicode() < 0x80; });
    return ascii ? Language::lowered(label) : label.toCaseFolded();
}

namespace {

// Where `spelling` stands, or would stand, among counts kept in spelling order.
template <typename Iterator> Iterator placeOf(Iterator begin, Iterator end, const QString &spelling)
{
    return std::lower_bound(begin, end, spelling,
                            [](const std::pair<QString, int> &entry, const QString &s) { return entry.first < s; });
}

} // namespace

const std::pair<QString, int> *SpellingCounts::find(const QString &spelling) const
{
    const auto at = placeOf(counts_.cbegin(), counts_.cend(), spelling);
    return at != counts_.cend() && at->first == spelling ? &*at : nullptr;
}

int SpellingCounts::value(const QString &spelling) const
{
    const std::pair<QString, int> *entry = find(spelling);
    return entry ? entry->second : 0;
}

void SpellingCounts::add(const QString &spelling, int by)
{
    const auto at = placeOf(counts_.begin(), counts_.end(), spelling);
    if (at == counts_.end() || at->first != spelling) {
        if (by > 0)
            counts_.insert(at, {spelling, by});
        return;
    }
    at->second += by;
    if (at->second <= 0)
        counts_.erase(at);
}

namespace {

// Adds (by 1) or takes away (by -1) what `line` holds under `key` from `group`.
void tally(Index::Group &group, const IndexedLine &line, const QString &key, int by)
{
    for (const LabelUse &use : line.defines) {
        if (use.key == key)
            group.definedCount.add(use.label, by);
    }
    for (const LabelUse &use : line.jumps) {
        if (use.key == key) {
            group.jumpCount.add(use.label, by);
            group.lowerJumpCount.add(loweredLabel(use), by);
        }
    }
    for (const LabelUse &use : line.functions)
        group.functionCount += use.key == key ? by : 0;
    for (const LabelUse &use : line.declarations)
        group.declarationCount += use.key == key ? by : 0;
}

void removeFrom(Index::Lines &lines, const IndexedLine *line)
{
    const auto at = std::find(lines.begin(), lines.end(), line);
    if (at != lines.end())
        lines.erase(at);
}

} // namespace

// Files the functions a line defines for the whole file, and its calls by name
// beside them, so that a definition added or removed judges those calls again.
void Index::fileFunctionsOf(IndexedLine *line, const IndexedLine &holding, int by)
{
    const auto file = [&](const LabelUse &use, bool definition) {
        const Key key{kFileFunctions, use.key};
        Group &group = groups_[key];
        Lines &lines = definition ? group.definitions : group.functionUses;
        if (by > 0 && !lines.contains(line))
            lines.append(line);
        if (by < 0)
            removeFrom(lines, line);
        group.functionCount += definition ? by : 0;
        touched_.push_back(key);
        if (group.definitions.isEmpty() && group.functionUses.isEmpty())
            groups_.erase(key);
    };
    for (const LabelUse &use : holding.fileFunctions)
        file(use, true);
    for (const FunctionCall &call : holding.functionCalls)
        file(call, false);
}

void Index::add(IndexedLine *line)
{
    if (line->indexed)
        remove(line);
    line->indexed = true;
    fileFunctionsOf(line, *line, 1);
    if (line->body == 0 || !line->holdsUses())
        return;
    forEachKey(*line, [&](const QString &label) {
        const Key key{line->body, label};
        Group &group = groups_[key];
        if (holdsKey(line->defines, label))
            group.definitions.append(line);
        if (holdsKey(line->jumps, label))
            group.jumps.append(line);
        if (usesFunctions(*line, label))
            group.functionUses.append(line);
        tally(group, *line, label, 1);
        touched_.push_back(key);
    });
}

void Index::remove(IndexedLine *line, const IndexedLine &indexedAs)
{
    if (!line->indexed)
        return;
    line->indexed = false;
    fileFunctionsOf(line, indexedAs, -1);
    if (indexedAs.body == 0 || !indexedAs.holdsUses())
        return;
    forEachKey(indexedAs, [&](const QString &label) {
        const Key key{indexedAs.body, label};
        const auto entry = groups_.find(key);
        if (entry == groups_.end())
            return;
        Group &group = entry->second;
        removeFrom(group.definitions, line);
        removeFrom(group.jumps, line);
        removeFrom(group.functionUses, line);
        tally(group, indexedAs, label, -1);
        if (group.definitions.isEmpty() && group.jumps.isEmpty() && group.functionUses.isEmpty())
            groups_.erase(entry);
        touched_.push_back(key);
    });
}

QVector<IndexedLine *> Index::takeTouched(const QVector<IndexedLine *> &also)
{
    QVector<IndexedLine *> lines(also);
    std::sort(touched_.begin(), touched_.end(), KeyOrder());
    touched_.erase(std::unique(touched_.begin(), touched_.end()), touched_.end());
    for (const Key &key : touched_) {
        const auto entry = groups_.find(key);
        if (entry == groups_.cend())
            continue;
        const Group &group = entry->second;
        for (const Lines *uses : {&group.definitions, &group.jumps, &group.functionUses})
            std::copy(uses->cbegin(), uses->cend(), std::back_inserter(lines));
    }
    touched_.clear();
    // Each once; sorted by address, which no caller depends on.
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return lines;
}

const Index::Group *Index::group(quint64 body, const QString &label) const
{
    const auto found = groups_.find(Key{body, keyOf(label)});
    return found == groups_.cend() ? nullptr : &found->second;
}

const Index::Group &Index::groupOf(quint64 body, const QString &key) const
{
    const auto entry = groups_.find(Key{body, key});
    return entry == groups_.cend() ? kNoGroup : entry->second;
}

void Index::judgeDefinition(const IndexedLine &line, const LabelUse &definition, Diagnostics &found) const
{
    const Group &group = groupOf(line.body, definition.key);
    const bool function = std::any_of(line.functions.cbegin(), line.functions.cend(), [&](const LabelUse &use) {
        return use.column == definition.column && use.label == definition.label;
    });
    if (function) {
        if (group.functionCount > 1)
            found.append(
                Rules::make(Rule::FunctionDefinedTwice, 0, definition.column, definition.length, {definition.label}));
        else if (group.definedCount.value(definition.label) > 1)
            found.append(
                Rules::make(Rule::DuplicateLabel, 0, definition.column, definition.length, {definition.label}));
        return; // a function is reached by its calls
    }
    if (group.definedCount.value(definition.label) > 1)
        found.append(Rules::make(Rule::DuplicateLabel, 0, definition.column, definition.length, {definition.label}));
    if (Language::isEventLabel(definition.label))
        return;
    // A jump is looked up in lower case first: any spelling reaches a label written
    // all in lower case, and a label spelt otherwise only a jump spelt as it is,
    // when no lower-case label takes that jump first.
    const QString lower = loweredLabel(definition);
    const bool used = definition.label == lower
                          ? group.lowerJumpCount.contains(lower)
                          : group.jumpCount.contains(definition.label) && !group.definedCount.contains(lower);
    if (!used)
        found.append(Rules::make(Rule::UnusedLabel, 0, definition.column, definition.length, {definition.label}));
}

void Index::judgeJump(const IndexedLine &line, const LabelUse &jump, Diagnostics &found) const
{
    // "goto 1000;": the server reads the word as a number, which is no label, and
    // stops the script when the jump runs, whether or not a "1000:" exists.
    if (std::all_of(jump.label.cbegin(), jump.label.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        found.append(Rules::make(Rule::JumpToDigits, 0, jump.column, jump.length, {jump.label}));
        return;
    }
    const Group &group = groupOf(line.body, jump.key);
    if (group.definedCount.contains(jump.label))
        return;
    if (group.definedCount.isEmpty()) {
        found.append(Rules::make(Rule::UndefinedLabel, 0, jump.column, jump.length, {jump.label}));
        return;
    }
    // Servers that match words in any case find a label in any case; older ones
    // find one written all in lower case; the strict family only the exact spelling.
    const bool reachedInLowerCase = !Language::reachedLabel(jump.label, [&](const QString &label) {
                                         return group.definedCount.contains(label);
                                     }).isEmpty();
    const Target::Servers refusers =
        reachedInLowerCase ? Target::Servers(Target::TodayStrict) : Target::Servers(Target::kEveryServer & ~Target::TodayAnyCase);
    const QString &otherCase = group.definedCount.first();
    Diagnostic diagnostic = Rules::judged(Rule::UndefinedLabelOtherCase, target_, refusers, 0, 0, jump.column,
                                          jump.length, {jump.label, otherCase});
    if (diagnostic.code.isEmpty())
        return;
    diagnostic.fixes.append({QStringLiteral("「%1」に直す").arg(otherCase), {{jump.column, jump.length, otherCase}}});
    found.append(diagnostic);
}

void Index::judgeFunctionUses(const IndexedLine &line, Diagnostics &found) const
{
    for (const LabelUse &declaration : line.declarations) {
        if (groupOf(line.body, declaration.key).functionCount == 0)
            found.append(Rules::make(Rule::FunctionNeverDefined, 0, declaration.column, declaration.length,
                                     {declaration.label}));
    }
    for (const FunctionCall &call : line.functionCalls) {
        const Group &group = groupOf(line.body, call.key);
        if (group.functionCount > 0 || group.declarationCount > 0) {
            if (!call.declaredBefore)
                found.append(Rules::make(Rule::UndeclaredFunctionCall, 0, call.column, call.length, {call.label}));
            continue;
        }
        judgeCallByName(call, found);
    }
}

// A call of a name that no command and no function of the body has: today's
// servers call a function of the file, or of a file loaded before, by its name.
void Index::judgeCallByName(const FunctionCall &call, Diagnostics &found) const
{
    const Target::Servers older = Target::Older | Target::Later;
    if (groupOf(kFileFunctions, call.key).functionCount > 0) {
        Diagnostic judged = Rules::judged(Rule::CallByName, target_, older, 0, 0, call.column, call.length, {call.label});
        if (!judged.code.isEmpty())
            found.append(std::move(judged));
        return;
    }
    // A near command is a typo on any server, and function names are ASCII; where
    // only older servers are the target, an unknown name is an unknown command.
    const bool ascii = std::all_of(call.label.cbegin(), call.label.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (!call.nearestCommand.isEmpty() || !ascii || target_.isOnly(older)) {
        found.append(unknownCommand(call.label, call.column, call.length, call.nearestCommand));
        return;
    }
    found.append(Rules::make(Rule::UnknownFunctionByName, 0, call.column, call.length, {call.label}));
}

Diagnostics Index::diagnostics(const IndexedLine &line) const
{
    Diagnostics found;
    if (line.body == 0)
        return found;
    for (const LabelUse &definition : line.defines)
        judgeDefinition(line, definition, found);
    for (const LabelUse &jump : line.jumps)
        judgeJump(line, jump, found);
    judgeFunctionUses(line, found);
    // The server keeps the function of that name it loads last.
    for (const LabelUse &function : line.fileFunctions) {
        if (groupOf(kFileFunctions, function.key).functionCount > 1)
            found.append(Rules::make(Rule::FileFunctionDefinedAgain, 0, function.column, function.length,
                                     {function.label}));
    }
    return found;
}

Diagnostic unknownCommand(const QString &word, int column, int length, const QString &nearest)
{
    Diagnostic diagnostic =
        Rules::make(Rule::UnknownCommand, 0, column, length, {word, Language::nearestCommandHint(nearest)});
    if (!nearest.isEmpty())
        diagnostic.fixes.append({QStringLiteral("「%1」に直す").arg(nearest), {{column, length, nearest}}});
    return diagnostic;
}

} // namespace LabelRules

namespace {

using Severity = Diagnostic::Severity;

constexpr RuleDeclaration kLabelRules[] = {
    {Rule::UnknownCommand, u"TW103", Severity::Error, u"「%1」は命令ではありません%2",
     u"命令表にない命令（近い命令があれば示す）",
     u"命令表にない語が命令として書かれています。綴りの近い命令があれば、メッセージに示します。"
     u"サーバー独自の命令なら --commands で命令表に加えます。",
     u"サーバーは読み込むときにこの語を知らない命令として報告し、NPCを読み込みません。命令表には、どのサーバーが"
     u"その命令を持つか（古いサーバー、2006年ごろのサーバー、今のサーバーの2つの系統）もあり、対象のサーバー"
     u"（--target）の一部だけが持たない命令は警告になります。",
     EXAMPLE_NPC u"\twrap \"harbor02.tsg\",120,85;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\twarp \"harbor02.tsg\",120,85;\n" EXAMPLE_END},
    {Rule::UndeclaredFunctionCall, u"TW112", Severity::Error,
     u"関数「%1」は呼び出しより前に宣言されていません（前に「function %1;」を書きます）",
     u"本体の関数を宣言より前に呼んでいる",
     u"本体の中の関数（function 名前 { … }）を、その宣言や定義より前で呼んでいます。"
     u"本体は上から一度だけ読まれるため、呼ぶ前に「function 名前;」で宣言しておきます。",
     u"サーバーは本体を読むときに「calling undeclared function」と出して解析をやめ、このNPCを読み込みません。",
     EXAMPLE_NPC u"\tSF_Greet;\n\tclose;\nfunction SF_Greet {\n\tmes \"ようこそ\";\n\treturn;\n}\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tfunction SF_Greet;\n\tSF_Greet;\n\tclose;\nfunction SF_Greet {\n\tmes "
                 u"\"ようこそ\";\n\treturn;\n}\n" EXAMPLE_END},
    {Rule::CallByName, u"TW114", Severity::Warning, u"関数「%1」を名前で呼んでいます",
     u"ファイルの関数を名前で呼んでいる",
     u"「function<TAB>script<TAB>名前<TAB>{」で定義した関数を、callfunc を使わずに名前で呼んでいます。"
     u"今のサーバーだけが読める書き方です。",
     u"今のサーバーは、先に読み込まれた関数なら名前で呼べます。それより古いサーバーは知らない命令として報告し、"
     u"NPCを読み込みません。",
     u"function\tscript\tF_Toll\t{\n\treturn getarg(0) * 2;\n}\n" EXAMPLE_NPC u"\tF_Toll 2;\n\tclose;\n" EXAMPLE_END,
     u"function\tscript\tF_Toll\t{\n\treturn getarg(0) * 2;\n}\n" EXAMPLE_NPC
     u"\tcallfunc \"F_Toll\",2;\n\tclose;\n" EXAMPLE_END},
    {Rule::UnknownFunctionByName, u"TW115", Severity::Warning,
     u"「%1」は命令でも、このファイルで定義された関数でもありません",
     u"命令でもファイルの関数でもない名前を呼んでいる",
     u"命令表にない名前が、命令か関数の呼び出しとして書かれています。今のサーバーなら、先に読み込まれる別のファイルで"
     u"定義された関数かもしれません。",
     u"今のサーバーは、先に読み込まれたファイルの関数なら呼びます。どこにもなければ「calling undeclared function」と"
     u"報告してNPCを読み込みません。古いサーバーは知らない命令として報告します。",
     EXAMPLE_NPC u"\tF_Tolll 2;\n\tclose;\n" EXAMPLE_END,
     u"function\tscript\tF_Toll\t{\n\treturn getarg(0) * 2;\n}\n" EXAMPLE_NPC
     u"\tcallfunc \"F_Toll\",2;\n\tclose;\n" EXAMPLE_END},
    {Rule::JumpToDigits, u"TW217", Severity::Error, u"数字だけの「%1」へは飛べません（ラベルは数字以外の文字を含めます）",
     u"数字だけのラベルへ飛んでいる",
     u"goto、menu、callsub の飛び先が数字だけでできています。「1000:」のようなラベルは書けますが、そこへ飛ぶ命令は"
     u"飛び先を数として読むので、どのラベルにも届きません。",
     u"サーバーは読み込みますが、飛ぶときに「not label」と出してスクリプトを止めます。会話の窓が開いたまま残ることも"
     u"あります。どの世代のサーバーも同じです。",
     EXAMPLE_NPC u"\tgoto 1000;\n1000:\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tgoto L_1000;\nL_1000:\n\tclose;\n" EXAMPLE_END},
    {Rule::FileFunctionDefinedAgain, u"TW219", Severity::Warning, u"関数「%1」はこのファイルで2回以上定義されています",
     u"ファイルの関数が2回以上定義されている",
     u"「function<TAB>script<TAB>名前<TAB>{」で同じ名前の関数が2回以上定義されています。",
     u"サーバーは警告を出して読み込み、後から読んだ定義が前の定義に置き換わります。前の定義を呼ぶつもりの callfunc も"
     u"後の定義を呼びます。",
     u"function\tscript\tF_Fare\t{\n\treturn 300;\n}\nfunction\tscript\tF_Fare\t{\n\treturn 500;\n}\n",
     u"function\tscript\tF_Fare\t{\n\treturn 300;\n}\nfunction\tscript\tF_NightFare\t{\n\treturn 500;\n}\n"},
    {Rule::FunctionLoadedLater, u"TW222", Severity::Error, u"関数「%1」はこの呼び出しより後に読み込まれます",
     u"名前で呼ぶ関数が後から読み込まれる",
     u"「function<TAB>script<TAB>名前<TAB>{」で定義した関数を名前で呼んでいますが、その関数は呼ぶスクリプトより後に"
     u"読み込まれます（同じファイルの下のほう、読み込み順で後のファイル、または呼ぶ関数自身の本体の中）。"
     u"名前で呼ぶ関数は、呼ぶスクリプトより前に読み込まれていなければなりません。関数の定義を前へ移すか、"
     u"呼ぶときに探す callfunc で呼びます。読み込み順は --server のフォルダの npc/scripts*.conf から読みます。",
     u"今のサーバーは読み込むときに「calling undeclared function」と報告し、このNPCを読み込みません。"
     u"callfunc は呼ぶときに関数を探すので、後から読み込まれる関数も呼べます。",
     EXAMPLE_NPC u"\tF_Toll 2;\n\tclose;\n" EXAMPLE_END u"function\tscript\tF_Toll\t{\n\treturn getarg(0) * 2;\n}\n",
     EXAMPLE_NPC u"\tcallfunc \"F_Toll\",2;\n\tclose;\n" EXAMPLE_END
     u"function\tscript\tF_Toll\t{\n\treturn getarg(0) * 2;\n}\n"},
    {Rule::PrivateFunctionOfNpc, u"TW223", Severity::Warning,
     u"「%1」の関数「%2」は public でないため、ほかのNPCからは呼べません", u"ほかのNPCの public でない関数を呼んでいる",
     u"「\"NPC\"::関数()」か callfunctionofnpc で、ほかのNPCの本体の関数を呼んでいますが、その関数は "
     u"public function ではありません（印のない関数は private です）。呼ばれる側で「public function 名前 { … }」と"
     u"書きます。",
     u"今のサーバーは読み込みますが、呼んだときに関数を呼べないと報告し、スクリプトが止まります。",
     u"harbor01.tsg,160,120,4\tscript\t渡し守\t56,{\n\tclose;\nfunction Fare {\n\treturn 300;\n}\n" EXAMPLE_END
     EXAMPLE_NPC u"\t.@fare = \"渡し守\"::Fare();\n\tclose;\n" EXAMPLE_END,
     u"function\tscript\tF_Fare\t{\n\treturn 300;\n}\n" EXAMPLE_NPC
     u"\t.@fare = callfunc(\"F_Fare\");\n\tclose;\n" EXAMPLE_END},
    {Rule::DuplicateLabel, u"TW208", Severity::Error, u"ラベル「%1」がこのNPCの中で2回以上定義されています",
     u"同じラベルが2回以上定義されている", u"同じ名前のラベルが、1つの本体に2回以上あります。",
     u"サーバーは本体を読むときにラベルの重複として拒み、このNPCを読み込みません。",
     EXAMPLE_NPC u"\tgoto L_End;\nL_End:\n\tmes \"さようなら\";\nL_End:\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tgoto L_End;\nL_End:\n\tmes \"さようなら\";\n\tclose;\n" EXAMPLE_END},
    {Rule::UndefinedLabel, u"TW206", Severity::Error, u"ラベル「%1」がこのNPCの中にありません",
     u"飛び先のラベルが同じNPCにない", u"goto、menu、callsub などの飛び先のラベルが、同じNPCの本体にありません。",
     u"サーバーはラベルを飛ぶときに初めて探すため、読み込みは通ります。プレイヤーがそこへ来たときにラベルが見つからず、"
     u"スクリプトが止まります（会話の窓が開いたまま残ることもあります）。",
     EXAMPLE_NPC u"\tgoto L_Shop;\n" EXAMPLE_END, EXAMPLE_NPC u"\tgoto L_Shop;\nL_Shop:\n\tclose;\n" EXAMPLE_END},
    {Rule::UndefinedLabelOtherCase, u"TW207", Severity::Error,
     u"ラベル「%1」がこのNPCの中にありません（大文字・小文字の違う「%2」ならあります）",
     u"飛び先のラベルが大文字・小文字だけ違う",
     u"飛び先のラベルが、大文字・小文字だけ違う形でしかありません。ラベルは大文字・小文字を区別して比べます"
     u"（全部小文字のラベルだけは、どの書き方でも見つかります）。",
     u"サーバーは読み込みますが、プレイヤーがそこへ来たときにラベルが見つからず、スクリプトが止まります。"
     u"大文字小文字を区別しない今のサーバーは、どの書き方のラベルも見つけます。大文字小文字を区別する今のサーバーは"
     u"綴りどおりのラベルしか見つけず、古いサーバーが全部小文字のラベルを探す決まりもありません。",
     EXAMPLE_NPC u"\tmenu \"はい\",L_yes;\nL_Yes:\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tmenu \"はい\",L_Yes;\nL_Yes:\n\tclose;\n" EXAMPLE_END},
    {Rule::UnusedLabel, u"TW210", Severity::Warning, u"ラベル「%1」へ飛ぶ命令（menu、goto、callsub）がありません",
     u"どこからも飛ばないラベル", u"このラベルへ飛ぶ命令（goto、menu、callsub、if … goto）が本体のどこにもありません。",
     u"サーバーは問題なく読み込み、実行にも影響しません。飛び先の綴りの誤りや、消し忘れの印であることが多いです。",
     EXAMPLE_NPC u"\tclose;\nL_Old:\n\tmes \"昔の話\";\n\tclose;\n" EXAMPLE_END, EXAMPLE_NPC u"\tclose;\n" EXAMPLE_END},
    {Rule::FunctionNeverDefined, u"TW213", Severity::Error,
     u"関数「%1」は宣言されていますが、定義（function %1 { … }）がありません", u"本体の関数が宣言だけで定義がない",
     u"本体の中の関数が「function 名前;」で宣言されていますが、中身の定義がありません。",
     u"サーバーは読み込みますが、その関数を呼んだときに中身がなく、スクリプトが止まります。",
     EXAMPLE_NPC u"\tfunction SF_Greet;\n\tSF_Greet;\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tfunction SF_Greet;\n\tSF_Greet;\n\tclose;\nfunction SF_Greet {\n\tmes "
                 u"\"ようこそ\";\n\treturn;\n}\n" EXAMPLE_END},
    {Rule::FunctionDefinedTwice, u"TW214", Severity::Error, u"関数「%1」がこの本体の中で2回以上定義されています",
     u"本体の関数が2回以上定義されている", u"本体の中の同じ名前の関数が、2回以上定義されています。",
     u"サーバーは本体を読むときに2つ目の定義を拒み、このNPCを読み込みません。",
     EXAMPLE_NPC u"\tfunction SF_Greet;\n\tSF_Greet;\n\tclose;\nfunction SF_Greet {\n\tmes "
                 u"\"ようこそ\";\n\treturn;\n}\n"
                 u"function SF_Greet {\n\tmes \"いらっしゃい\";\n\treturn;\n}\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tfunction SF_Greet;\n\tSF_Greet;\n\tclose;\nfunction SF_Greet {\n\tmes "
                 u"\"ようこそ\";\n\treturn;\n}\n" EXAMPLE_END},
    {Rule::UndefinedFunction, u"TW212", Severity::Warning, u"関数「%1」はどのファイルにも定義されていません",
     u"callfunc の関数が調べたファイルのどれにもない",
     u"callfunc で呼ぶ関数が、一緒に調べたファイルのどれにも定義されていません。"
     u"サーバーが別のファイルで読み込む関数なら、そのファイルも一緒に調べます。",
     u"サーバーは読み込みますが、呼んだときに関数が見つからず、スクリプトが止まります。",
     EXAMPLE_NPC u"\tcallfunc \"F_Greet\";\n\tclose;\n" EXAMPLE_END,
     EXAMPLE_NPC u"\tcallfunc "
                 u"\"F_Greet\";\n\tclose;"
                 u"\n" EXAMPLE_END u"function\tscript\tF_Greet\t{\n\tmes \"ようこそ\";\n\treturn;\n" EXAMPLE_END},
};

static_assert(RuleDeclarations::areSound(kLabelRules), "each rule declared once, with a code and a whole page");

} // namespace

RuleTable RuleTables::labels()
{
    return tableOf(kLabelRules);
}
