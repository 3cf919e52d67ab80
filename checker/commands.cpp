#include "checker/commands.h"

#include "checker/command_source.h"
#include "checker/server_names.h"
#include "checker/spelling.h"

#include "common/failure.h"
#include "common/fnv_hash.h"
#include "common/regular_file.h"

#include <QFile>
#include <QStringList>

#include <algorithm>

namespace Commands {

namespace {

// Forms the buttons write that the servers' own table spells otherwise or lacks.
constexpr const char16_t *kButtonRows = u"emote\t1\t1\te\t-\t-\t-\tエモーション {1}\n"
                                        u"option\t1\t2\tee\n"
                                        u"jobchage\t1\t1\te\t-\t-\t-\t職業を {1} に変える\n"
                                        u"additem\t2\t2\tee\t-\t-\t-\tアイテム {1} を {2} 個もらう\n";

// The columns after the arguments, in order.
enum Column
{
    kWindowColumn = 4,
    kStoresColumn,
    kResultColumn,
    kEffectColumn,
    kServersColumn,
    kCountsColumn,
    kColumns,
};

char16_t lowerAscii(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

// The hash of a command word is that of its lower case.
quint32 hashStep(quint32 hash, char16_t c)
{
    return FnvHash::step(hash, lowerAscii(c));
}

bool readWindow(QStringView text, Window *window)
{
    static constexpr std::pair<QStringView, Window> kWindows[] = {
        {u"-", Window::None},        {u"shows", Window::Shows},        {u"waits", Window::Waits},
        {u"closes", Window::Closes}, {u"closes_on", Window::ClosesOn}, {u"ends", Window::Ends},
        {u"moves", Window::Moves},   {u"opens", Window::Opens},        {u"runs", Window::Runs},
    };
    for (const auto &[name, value] : kWindows) {
        if (text == name) {
            *window = value;
            return true;
        }
    }
    return false;
}

// "-", "*", "?" or argument numbers from 1 joined by ",".
bool readStores(QStringView text, Command *command)
{
    command->storedArguments = 0;
    if (text == u"-" || text == u"*" || text == u"?") {
        command->stores = text == u"-" ? Stores::None : text == u"*" ? Stores::Any : Stores::Unsaid;
        return true;
    }
    for (QStringView number : text.split(u',')) {
        bool ok = false;
        const int argument = number.trimmed().toInt(&ok);
        if (!ok || argument < 1 || argument > 32)
            return false;
        command->storedArguments |= 1u << (argument - 1);
    }
    command->stores = Stores::Listed;
    return true;
}

// "0", "-1", "n", "n-1", "choices", "choices+1".
bool readBound(QStringView text, Bound *bound)
{
    bound->base = Bound::Base::Number;
    for (const auto &[name, base] : {std::pair{QStringView(u"n"), Bound::Base::FirstArgument},
                                     std::pair{QStringView(u"choices"), Bound::Base::Choices}}) {
        if (text.startsWith(name)) {
            bound->base = base;
            text = text.sliced(name.size());
        }
    }
    if (text.isEmpty() && bound->base != Bound::Base::Number) {
        bound->offset = 0;
        return true;
    }
    if (bound->base != Bound::Base::Number && !text.startsWith(u'+') && !text.startsWith(u'-'))
        return false;
    bool ok = false;
    bound->offset = text.toInt(&ok);
    return ok;
}

// "-" or "low..high".
bool readResult(QStringView text, Result *result)
{
    *result = Result();
    if (text == u"-")
        return true;
    const qsizetype dots = text.indexOf(u"..");
    result->known =
        dots > 0 && readBound(text.first(dots), &result->low) && readBound(text.sliced(dots + 2), &result->high);
    return result->known;
}

// "older,later,today": the servers that have the command.
bool readServers(QStringView text, Command *command)
{
    Target::Servers servers = 0;
    for (QStringView word : text.split(u',')) {
        const std::optional<Target::Servers> named = Target::serversOfWord(word.trimmed());
        if (!named)
            return false;
        servers |= *named;
    }
    command->servers = servers;
    return servers != 0;
}

// "3", "2-3" or "2+".
bool readRange(QStringView text, Command::Range *range)
{
    bool minOk = false;
    bool maxOk = true;
    if (text.endsWith(u'+')) {
        range->min = text.chopped(1).toInt(&minOk);
        range->max = -1;
    } else if (const qsizetype dash = text.indexOf(u'-'); dash > 0) {
        range->min = text.first(dash).toInt(&minOk);
        range->max = text.sliced(dash + 1).toInt(&maxOk);
    } else {
        range->min = text.toInt(&minOk);
        range->max = range->min;
    }
    return minOk && maxOk && range->min >= 0 && (range->max < 0 || range->max >= range->min);
}

// "older,later=1;today-strict=0-1": narrower counts for some servers; the others
// take min to max.
bool readCounts(QStringView text, Command *command)
{
    for (Command::Range &range : command->counts)
        range = {command->min, command->max};
    if (text == u"-")
        return true;
    for (QStringView part : text.split(u';')) {
        const qsizetype equals = part.indexOf(u'=');
        Command scratch;
        Command::Range range;
        if (equals <= 0 || !readServers(part.first(equals), &scratch) || !readRange(part.sliced(equals + 1), &range))
            return false;
        for (int bit = 0; bit < 4; ++bit) {
            if (scratch.servers & (1u << bit))
                command->counts[bit] = range;
        }
    }
    return true;
}

// Reads the columns after the arguments that the row gives; the others, and those
// left empty, keep what `command` holds. Returns the number (from 1) of the first
// column it cannot read, or 0.
int readColumns(const QList<QStringView> &fields, Command *command)
{
    const auto given = [&](int column) { return fields.value(column).trimmed(); };
    if (!given(kWindowColumn).isEmpty() && !readWindow(given(kWindowColumn), &command->window))
        return kWindowColumn + 1;
    if (!given(kStoresColumn).isEmpty() && !readStores(given(kStoresColumn), command))
        return kStoresColumn + 1;
    if (!given(kResultColumn).isEmpty() && !readResult(given(kResultColumn), &command->result))
        return kResultColumn + 1;
    if (!given(kEffectColumn).isEmpty())
        command->effect = given(kEffectColumn) == u"-" ? QString() : given(kEffectColumn).toString();
    if (!given(kServersColumn).isEmpty() && !readServers(given(kServersColumn), command))
        return kServersColumn + 1;
    if (!readCounts(given(kCountsColumn).isEmpty() ? QStringView(u"-") : given(kCountsColumn), command))
        return kCountsColumn + 1;
    for (int column = kColumns; column < fields.size(); ++column) {
        if (!given(column).isEmpty())
            return column + 1;
    }
    return 0;
}

QString tableText()
{
    QFile file(QStringLiteral(":/talewick/checker/script-commands.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

Target::Servers Command::refusersOfCount(int count, Target::Servers *warners) const
{
    Target::Servers refusers = 0;
    for (int bit = 0; bit < 4; ++bit) {
        const Range &range = counts[bit];
        if (count >= range.min && (range.max < 0 || count <= range.max))
            continue;
        const auto server = Target::Servers(1u << bit);
        if (server & (Target::Older | Target::Later))
            *warners |= server;
        else
            refusers |= server;
    }
    return refusers;
}

bool Command::labelAt(int argument) const
{
    if (argument < 0)
        return false;
    return argument < shapedArguments && shape.at(argument) == u'l';
}

std::shared_ptr<const Table> Table::builtIn()
{
    static const std::shared_ptr<const Table> table = [] {
        auto built = std::make_shared<Table>();
        built->addRows(tableText());
        built->addRows(QStringView(kButtonRows));
        return std::shared_ptr<const Table>(std::move(built));
    }();
    return table;
}

Table::Table(const Table &other)
    : target_(other.target_), serverFacts_(other.serverFacts_), serverNames_(other.serverNames_),
      commands_(other.commands_)
{
    index();
}

Table &Table::operator=(const Table &other)
{
    target_ = other.target_;
    serverFacts_ = other.serverFacts_;
    serverNames_ = other.serverNames_;
    commands_ = other.commands_;
    index();
    return *this;
}

void Table::setServerFacts(std::shared_ptr<const ServerFolder::Facts> facts)
{
    serverNames_ = facts ? std::make_shared<const ServerNames>(facts) : nullptr;
    serverFacts_ = std::move(facts);
}

bool Table::addRows(QStringView text, QString *error)
{
    int number = 0;
    for (QStringView line : text.split(u'\n')) {
        ++number;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(u'#'))
            continue;
        if (!addRow(line, number, error)) {
            index();
            return false;
        }
    }
    index();
    return true;
}

// Reads one row into the table; false, with `error` set, when it cannot.
bool Table::addRow(QStringView line, int number, QString *error)
{
    const QList<QStringView> fields = line.split(u'\t');
    Command command;
    bool minOk = false;
    bool maxOk = fields.size() >= 3 && fields.at(2).trimmed() == u"-";
    if (fields.size() >= 3) {
        command.word = fields.at(0).trimmed().toString();
        command.min = fields.at(1).trimmed().toInt(&minOk);
        command.max = maxOk ? -1 : fields.at(2).trimmed().toInt(&maxOk);
        command.shape = fields.size() >= 4 ? fields.at(3).trimmed().toString() : QString();
    }
    // A word of ASCII letters, digits and "_", with a "$" at the end for one that
    // gives a text ("_$").
    const QStringView stem = QStringView(command.word).chopped(command.word.endsWith(u'$') ? 1 : 0);
    const bool wordOk = !stem.isEmpty() && std::all_of(stem.cbegin(), stem.cend(), [](QChar c) {
        return c == u'_' || (c.unicode() < 0x80 && c.isLetterOrNumber());
    });
    if (!wordOk || !minOk || !maxOk || command.min < 0 || (command.max >= 0 && command.max < command.min)) {
        if (error)
            *error = QStringLiteral("%1行目は「命令<TAB>最小<TAB>最大<TAB>引数」の形ではありません").arg(number);
        return false;
    }
    const QString key = command.word.toLower();
    const std::u16string slot(reinterpret_cast<const char16_t *>(key.utf16()), size_t(key.size()));
    // A row that leaves the later columns out keeps what the table said of the word.
    if (const auto known = commands_.find(slot); known != commands_.end()) {
        command.window = known->second.window;
        command.stores = known->second.stores;
        command.storedArguments = known->second.storedArguments;
        command.result = known->second.result;
        command.effect = known->second.effect;
    }
    if (const int bad = readColumns(fields, &command)) {
        if (error)
            *error = QStringLiteral("%1行目の%2列目「%3」は読めません")
                         .arg(number)
                         .arg(bad)
                         .arg(fields.value(bad - 1).trimmed().toString());
        return false;
    }
    command.lower = key;
    const qsizetype repeat = command.shape.indexOf(u'…');
    command.shapedArguments = int(repeat < 0 ? command.shape.size() : repeat);
    commands_[slot] = command;
    return true;
}

void Table::index()
{
    size_t size = 16;
    while (size < commands_.size() * 2)
        size *= 2;
    slots_.assign(size, Slot{});
    entries_.clear();
    entries_.reserve(commands_.size());
    const size_t mask = size - 1;
    for (const auto &[key, command] : commands_) {
        Entry entry;
        entry.length = int(key.size());
        quint32 hash = FnvHash::kBasis;
        for (size_t k = 0; k < key.size(); ++k) {
            hash = hashStep(hash, key[k]);
            if (k < size_t(Entry::kKept))
                entry.lower[k] = char(key[k]);
        }
        entry.command = &command;
        size_t i = hash & mask;
        while (slots_[i].entry >= 0)
            i = (i + 1) & mask;
        slots_[i] = Slot{hash, qint32(entries_.size())};
        entries_.push_back(entry);
    }
}

QVector<const Command *> Table::all() const
{
    QVector<const Command *> commands;
    commands.reserve(qsizetype(commands_.size()));
    for (const auto &entry : commands_)
        commands.append(&entry.second);
    std::sort(commands.begin(), commands.end(),
              [](const Command *a, const Command *b) { return a->word.compare(b->word, Qt::CaseInsensitive) < 0; });
    return commands;
}

bool Table::matches(QStringView word, const Entry &entry) const
{
    if (word.size() != entry.length)
        return false;
    if (word.size() > Entry::kKept)
        return QStringView(entry.command->lower).compare(word, Qt::CaseInsensitive) == 0;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (lowerAscii(word.at(i).unicode()) != char16_t(entry.lower[i]))
            return false;
    }
    return true;
}

const Command *Table::find(QStringView word) const
{
    if (slots_.empty())
        return nullptr;
    // Command words are ASCII: a word with any other character is none of them.
    quint32 hash = FnvHash::kBasis;
    for (const QChar c : word) {
        if (c.unicode() >= 0x80)
            return nullptr;
        hash = hashStep(hash, c.unicode());
    }
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask; slots_[i].entry >= 0; i = (i + 1) & mask) {
        if (slots_[i].hash != hash)
            continue;
        const Entry &entry = entries_[size_t(slots_[i].entry)];
        if (matches(word, entry))
            return entry.command;
    }
    return nullptr;
}

QString Table::nearest(QStringView word) const
{
    const QString lower = word.toString().toLower();
    const int limit = lower.size() <= 3 ? 1 : 2;
    const Command *best = nullptr;
    QString bestKey;
    int bestDistance = limit + 1;
    for (const auto &[key, command] : commands_) {
        const QString candidate = QString::fromUtf16(key.data(), qsizetype(key.size()));
        const int d = Spelling::distance(lower, candidate, limit);
        // Ties go to the shorter word, then the first in spelling order, so that
        // the hint does not depend on the order of the table.
        if (d < bestDistance ||
            (d == bestDistance && d <= limit &&
             (candidate.size() < bestKey.size() || (candidate.size() == bestKey.size() && candidate < bestKey)))) {
            bestDistance = d;
            bestKey = candidate;
            best = &command;
        }
    }
    return bestDistance <= limit && best ? best->word : QString();
}

std::shared_ptr<const Table> withFile(const QString &path)
{
    if (path.isEmpty())
        return Table::builtIn();
    const QByteArray bytes = RegularFile::read(path, RegularFile::kDefaultMaxBytes);
    auto table = std::make_shared<Table>(*Table::builtIn());
    QString text = QString::fromUtf8(bytes);
    QString error;
    if (CommandSource::looksLikeSource(text))
        text = CommandSource::tableRows(text, &error);
    if (!error.isEmpty() || !table->addRows(text, &error))
        throw Failure(QStringLiteral("%1: %2").arg(path, error));
    return table;
}

} // namespace Commands
