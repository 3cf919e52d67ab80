#include "checker/script_check.h"

#include "checker/language.h"
#include "checker/script_line.h"

#include <algorithm>

// What each line defines and asks of the other files a server loads, read from
// what the line already holds: its definition, its calls and its steps.

namespace {

using DefinitionLine::Kind;

bool namesNpc(Kind kind)
{
    return kind == Kind::Script || kind == Kind::Shop || kind == Kind::Duplicate || kind == Kind::Warp;
}

// The word that ends before `column` of `text`, blanks skipped; empty when none.
QStringView wordBefore(QStringView text, qsizetype column)
{
    qsizetype end = std::min(column, text.size());
    while (end > 0 && (text.at(end - 1) == u' ' || text.at(end - 1) == u'\t'))
        --end;
    qsizetype start = end;
    while (start > 0 && (text.at(start - 1).isLetterOrNumber() || text.at(start - 1) == u'_'))
        --start;
    return text.sliced(start, end - start);
}

// "public function Name": the words before the function's name on its line.
bool markedPublic(QStringView text, int nameColumn)
{
    const QStringView function = wordBefore(text, nameColumn);
    if (function.isEmpty())
        return false;
    return Language::marksPublic(wordBefore(text, function.data() - text.data()));
}

// A string written as one literal, without escapes: its text, or a null string.
QString plainString(QStringView text, const Expression &node)
{
    if (node.kind != Expression::Kind::Text || node.first >= 0 || node.length < 2 ||
        node.token.column + node.length > text.size())
        return {};
    const QStringView quoted = text.sliced(node.token.column, node.length);
    if (quoted.front() != u'"' || quoted.back() != u'"' || quoted.contains(u'\\'))
        return {};
    return quoted.sliced(1, quoted.size() - 2).toString();
}

} // namespace

void ScriptCheck::addLoadUses(int number, LoadOrderRules::Uses &uses) const
{
    const Line &line = *lines_[size_t(number)];
    if (const DefinitionLine::Definition *definition = definitionOn(number)) {
        const quint64 body = definition->hasBody() ? line.id : 0;
        if (line.definesFunction) {
            const FunctionUse function = functionDefinedOn(number);
            uses.fileFunctions.append({function.name, number, function.column, function.length, line.id});
        } else if (namesNpc(definition->kind) && !definition->name.isEmpty()) {
            const QString unique = DefinitionLine::uniqueName(definition->name).toString();
            uses.npcs.append({unique, number, definition->nameColumn, definition->nameLength, body});
        }
        const auto [column, length] = definition->kind == Kind::Duplicate ? DefinitionLine::duplicateSource(line.text)
                                                                           : std::pair<int, int>{-1, 0};
        if (column >= 0)
            uses.duplicateSources.append({line.text.mid(column, length), number, column, length, 0});
    }
    for (const LabelRules::FunctionCall &call : line.functionCalls) {
        const LabelRules::Index::Group *group = labels_.group(line.body, call.label);
        if (!group || (group->functionCount == 0 && group->declarationCount == 0))
            uses.callsByName.append({call.label, number, call.column, call.length, line.body});
    }
    for (const FlowStep &step : line.steps) {
        if (step.kind == FlowStep::Kind::FunctionDefinition)
            uses.localFunctions.append({{step.text, number, step.column, step.length, line.body},
                                        markedPublic(line.text, step.column)});
        if (!step.expressions.empty())
            addNpcCalls(number, step, uses);
    }
}

// The calls of other NPCs' functions in `step`: "\"NPC\"::Name(...)" anywhere in
// its expressions, and callfunctionofnpc as a statement or a function.
void ScriptCheck::addNpcCalls(int number, const FlowStep &step, LoadOrderRules::Uses &uses) const
{
    const auto textAt = [&](const Expression::Place &place) -> const QString & { return text(number + place.line); };
    const auto add = [&](const Expression &npc, const Expression &function, const QString &name) {
        const QString npcName = plainString(textAt(npc.token), npc);
        if (!npcName.isEmpty() && !name.isEmpty())
            uses.npcCalls.append(
                {{name, number + function.token.line, function.token.column, function.length, 0}, npcName});
    };
    // callfunctionofnpc's first two arguments, from the first of them.
    const auto byCommand = [&](int first) {
        if (first < 0 || step.expressions[size_t(first)].next < 0)
            return;
        const Expression &npc = step.expressions[size_t(first)];
        const Expression &function = step.expressions[size_t(npc.next)];
        const QString name = plainString(textAt(function.token), function);
        add(npc, function, name);
    };
    if (step.kind == FlowStep::Kind::Command && Language::callsFunctionOfNpc(step.text))
        byCommand(step.root);
    for (const Expression &node : step.expressions) {
        if (node.kind != Expression::Kind::Call || node.token.column + node.length > textAt(node.token).size())
            continue;
        const QStringView word = QStringView(textAt(node.token)).sliced(node.token.column, node.length);
        if (Language::callsFunctionOfNpc(word)) {
            byCommand(node.first);
        } else if (!(node.start == node.token) && node.first >= 0) {
            // "\"Ferryman\"::Fare(1)": the call begins at the NPC's name.
            const Expression &npc = step.expressions[size_t(node.first)];
            if (npc.token == node.start)
                add(npc, node, word.toString());
        }
    }
}

LoadOrderRules::Uses ScriptCheck::loadUsesOn(int number) const
{
    LoadOrderRules::Uses uses;
    if (number >= 0 && number < lineCount())
        addLoadUses(number, uses);
    return uses;
}

LoadOrderRules::Uses ScriptCheck::loadUses() const
{
    LoadOrderRules::Uses uses;
    for (int number = 0; number < lineCount(); ++number)
        addLoadUses(number, uses);
    return uses;
}
