#include "language_server/named_entries.h"

#include "checker/call_sites.h"
#include "checker/server_names.h"
#include "checker/server_rules.h"

#include <algorithm>

namespace Lsp {

namespace {

using Thing = Language::NamedThing;

// A statement's arguments may run over the lines below its first.
constexpr int kLinesBack = 4;

const ServerFolder::Entry *entryOf(Thing thing, const Expression &node, QStringView token, const ServerNames &names)
{
    const bool item = thing == Thing::Item;
    if (node.kind == Expression::Kind::Number) {
        const std::optional<qint64> id = CallSites::integerOf(token);
        return !id ? nullptr : item ? names.item(*id) : names.monster(*id);
    }
    if (node.kind == Expression::Kind::Text && token.size() >= 2)
        token = token.sliced(1, token.size() - 2);
    else if (node.kind != Expression::Kind::Variable)
        return nullptr;
    return item ? names.itemNamed(token) : names.monsterNamed(token);
}

// The argument of a command or call under the cursor that names an item or a monster.
template <typename LineText>
std::optional<NamedEntry> argumentAt(const FlowStep &step, int first, Position position, const LineText &lineText,
                                     const ServerNames &names)
{
    const auto under = [&](const Expression &node) {
        return first + node.token.line == position.line && position.character >= node.token.column &&
               position.character <= node.token.column + node.length;
    };
    for (const CallSites::Site &site : CallSites::of(step, lineText)) {
        for (int i = 0; i < site.arguments.size(); ++i) {
            const Thing thing = Language::namedBy(site.word, i);
            const Expression &node = step.expressions[size_t(site.arguments.at(i))];
            if ((thing != Thing::Item && thing != Thing::Monster) || !under(node))
                continue;
            if (const ServerFolder::Entry *entry = entryOf(thing, node, CallSites::tokenOf(node, lineText), names))
                return NamedEntry{thing, entry, position.line, node.token.column, node.length};
        }
    }
    // A bare name anywhere that is an item's or a monster's script name.
    for (const Expression &node : step.expressions) {
        if (node.kind != Expression::Kind::Variable || !under(node))
            continue;
        const QStringView token = CallSites::tokenOf(node, lineText);
        for (const Thing thing : {Thing::Item, Thing::Monster}) {
            if (const ServerFolder::Entry *entry = entryOf(thing, node, token, names))
                return NamedEntry{thing, entry, position.line, node.token.column, node.length};
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<NamedEntry> namedEntryAt(const TextDocument &document, Position position)
{
    const ServerNames *names = document.commands().serverNames();
    if (!names)
        return std::nullopt;
    const ScriptCheck &check = document.check();
    if (const DefinitionLine::Definition *definition = check.definitionOn(position.line)) {
        const std::optional<ServerRules::DefinitionId> id =
            ServerRules::definitionIdAt(check.text(position.line), *definition, position.character);
        const ServerFolder::Entry *entry = !id ? nullptr : id->monster ? names->monster(id->id) : names->item(id->id);
        if (!entry)
            return std::nullopt;
        return NamedEntry{id->monster ? Thing::Monster : Thing::Item, entry, position.line, id->column, id->length};
    }
    for (int first = position.line; first >= std::max(0, position.line - kLinesBack); --first) {
        const auto lineText = [&](int k) -> const QString & { return check.text(first + k); };
        for (const FlowStep &step : check.stepsOn(first)) {
            if (!step.isStatement())
                continue;
            if (const std::optional<NamedEntry> found = argumentAt(step, first, position, lineText, *names))
                return found;
        }
    }
    return std::nullopt;
}

QString describe(const NamedEntry &named)
{
    const ServerFolder::Entry &entry = *named.entry;
    const QString kind = named.thing == Thing::Item ? QStringLiteral("アイテム") : QStringLiteral("モンスター");
    const QString shown = entry.name.isEmpty() ? QString() : QStringLiteral("（%1）").arg(entry.name);
    return QStringLiteral("%1 **%2**%3 ID %4").arg(kind, entry.scriptName, shown).arg(entry.id);
}

} // namespace Lsp
