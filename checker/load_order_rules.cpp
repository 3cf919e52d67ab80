#include "checker/load_order_rules.h"

#include "checker/rules.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace LoadOrderRules {

void Uses::append(const Uses &other)
{
    fileFunctions += other.fileFunctions;
    callsByName += other.callsByName;
    npcs += other.npcs;
    duplicateSources += other.duplicateSources;
    localFunctions += other.localFunctions;
    npcCalls += other.npcCalls;
}

namespace {

// Where something stands among the files loaded together.
struct Place
{
    int file = 0;
    const Use *use = nullptr;
};

// The places of each name, by name as the server looks it up (case and all).
using Places = std::map<QString, std::vector<Place>>;

enum class Order : quint8
{
    Before,  // surely loaded before
    After,   // surely not
    Unknown, // in files whose order is not known
};

// How what is defined at `defined` stands to what asks for it at `asking`. In one
// file the server loads from the top, and what a body defines is not loaded while
// that body is read: a function calling itself by name finds itself missing.
Order orderOf(const World &world, const Place &defined, const Place &asking)
{
    if (defined.file == asking.file) {
        const bool sameBody = defined.use->body != 0 && defined.use->body == asking.use->body;
        return defined.use->line < asking.use->line && !sameBody ? Order::Before : Order::After;
    }
    const int definedAt = world.files[size_t(defined.file)]->loadPosition;
    const int askingAt = world.files[size_t(asking.file)]->loadPosition;
    if (definedAt < 0 || askingAt < 0)
        return Order::Unknown;
    return definedAt < askingAt ? Order::Before : Order::After;
}

enum class Loaded : quint8
{
    Nowhere,
    Before,
    Perhaps,   // only in files of unknown order
    OnlyLater, // every place is loaded after
};

Loaded loadedBefore(const World &world, const Places &places, const QString &name, const Place &asking)
{
    const auto found = places.find(name);
    if (found == places.end())
        return Loaded::Nowhere;
    Loaded loaded = Loaded::OnlyLater;
    for (const Place &defined : found->second) {
        const Order order = orderOf(world, defined, asking);
        if (order == Order::Before)
            return Loaded::Before;
        if (order == Order::Unknown)
            loaded = Loaded::Perhaps;
    }
    return loaded;
}

template <typename Member> Places placesOf(const World &world, Member member)
{
    Places places;
    for (size_t file = 0; file < world.files.size(); ++file) {
        for (const Use &use : world.files[file]->uses.*member)
            places[use.name].push_back({int(file), &use});
    }
    return places;
}

// "12行目" in the same file, "npc/harbor.txt の12行目" in another.
QString placeText(const World &world, const Place &place, int fromFile)
{
    const QString line = QStringLiteral("%1行目").arg(place.use->line + 1);
    return place.file == fromFile ? line
                                  : QStringLiteral("%1 の%2").arg(world.files[size_t(place.file)]->name, line);
}

void add(Diagnostics &into, Diagnostic found)
{
    if (!found.code.isEmpty())
        into.append(std::move(found));
}

class Judge
{
public:
    explicit Judge(const World &world)
        : world_(world), found_(world.files.size()), functions_(placesOf(world, &Uses::fileFunctions)),
          npcs_(placesOf(world, &Uses::npcs)), localFunctions_(localFunctionsOf(world))
    {
    }

    std::vector<Diagnostics> run()
    {
        for (size_t file = 0; file < world_.files.size(); ++file) {
            judgeCallsByName(int(file));
            judgeDuplicateSources(int(file));
            judgeUniqueNames(int(file));
            judgeNpcCalls(int(file));
        }
        return std::move(found_);
    }

private:
    const File &file(int index) const { return *world_.files[size_t(index)]; }

    void judgeCallsByName(int index)
    {
        for (const Use &call : file(index).uses.callsByName) {
            if (loadedBefore(world_, functions_, call.name, {index, &call}) != Loaded::OnlyLater)
                continue;
            add(found_[size_t(index)], Rules::judged(Rule::FunctionLoadedLater, file(index).target, Target::kToday, 0,
                                                     call.line, call.column, call.length, {call.name}));
        }
    }

    // A source defined nowhere is refused only where every file loaded was read.
    void judgeDuplicateSources(int index)
    {
        for (const Use &source : file(index).uses.duplicateSources) {
            const Loaded loaded = loadedBefore(world_, npcs_, source.name, {index, &source});
            if (loaded == Loaded::Before || loaded == Loaded::Perhaps ||
                (loaded == Loaded::Nowhere && !world_.everyFileChecked))
                continue;
            const QString where = loaded == Loaded::Nowhere ? QStringLiteral("どのファイルにもありません")
                                                            : QStringLiteral("後から読み込まれます");
            add(found_[size_t(index)], Rules::judged(Rule::DuplicateSourceNotLoaded, file(index).target,
                                                     Target::kToday, 0, source.line, source.column, source.length,
                                                     {source.name, where}));
        }
    }

    // The NPC loaded first keeps the name. Files whose order is not known may not be
    // loaded together at all (a tree holds the renewal and pre-renewal copies of the
    // same town, and the server loads one): only a clash the order makes sure counts.
    void judgeUniqueNames(int index)
    {
        for (const Use &npc : file(index).uses.npcs) {
            const Place here{index, &npc};
            for (const Place &other : npcs_.at(npc.name)) {
                if (other.use == &npc || orderOf(world_, other, here) != Order::Before)
                    continue;
                Diagnostic found = Rules::judged(Rule::UniqueNameTaken, file(index).target, 0, Target::kToday,
                                                 npc.line, npc.column, npc.length,
                                                 {npc.name, placeText(world_, other, index)});
                if (!found.code.isEmpty() && other.file == index)
                    found.related.append({other.use->line, other.use->column, std::max(1, other.use->length),
                                          QStringLiteral("先にこの名前を使うNPC")});
                add(found_[size_t(index)], std::move(found));
                break;
            }
        }
    }

    void judgeNpcCalls(int index);

    // Whether each local function, by file, body and name, is defined public and private.
    using LocalFunctions = std::map<std::tuple<int, quint64, QString>, std::pair<bool, bool>>;
    static LocalFunctions localFunctionsOf(const World &world);

    const World &world_;
    std::vector<Diagnostics> found_;
    Places functions_;
    Places npcs_;
    LocalFunctions localFunctions_;
};

// A local function another NPC calls runs only when it is public; one the NPC
// does not define at all is left alone.
void Judge::judgeNpcCalls(int index)
{
    for (const NpcCall &call : file(index).uses.npcCalls) {
        const auto npcs = npcs_.find(call.npc);
        if (npcs == npcs_.end())
            continue;
        bool isPrivate = false;
        bool isPublic = false;
        for (const Place &npc : npcs->second) {
            const auto marks = localFunctions_.find({npc.file, npc.use->body, call.name});
            if (npc.use->body == 0 || marks == localFunctions_.end())
                continue;
            isPublic = isPublic || marks->second.first;
            isPrivate = isPrivate || marks->second.second;
        }
        if (isPrivate && !isPublic)
            add(found_[size_t(index)], Rules::judged(Rule::PrivateFunctionOfNpc, file(index).target, 0,
                                                     Target::kToday, call.line, call.column, call.length,
                                                     {call.npc, call.name}));
    }
}

Judge::LocalFunctions Judge::localFunctionsOf(const World &world)
{
    LocalFunctions functions;
    for (size_t file = 0; file < world.files.size(); ++file) {
        for (const LocalFunction &function : world.files[file]->uses.localFunctions) {
            std::pair<bool, bool> &marks = functions[{int(file), function.body, function.name}];
            (function.isPublic ? marks.first : marks.second) = true;
        }
    }
    return functions;
}

} // namespace

Uses placedAt(const Uses &uses, int number, quint64 &body)
{
    const bool opens = !uses.fileFunctions.isEmpty() ||
                       std::any_of(uses.npcs.cbegin(), uses.npcs.cend(), [](const Use &npc) { return npc.body != 0; });
    if (opens)
        body = quint64(number) + 1;
    Uses placed = uses;
    // What a definition line defines names the body it opens; what a body's line
    // asks names the body it stands in.
    const auto move = [&](auto &list, bool ownBody) {
        for (auto &use : list) {
            use.line += number;
            use.body = ownBody ? (use.body != 0 ? body : 0) : body;
        }
    };
    move(placed.fileFunctions, true);
    move(placed.npcs, true);
    move(placed.duplicateSources, true);
    move(placed.callsByName, false);
    move(placed.localFunctions, false);
    move(placed.npcCalls, false);
    return placed;
}

std::vector<Diagnostics> judge(const World &world)
{
    return Judge(world).run();
}

} // namespace LoadOrderRules
