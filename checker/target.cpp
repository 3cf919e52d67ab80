#include "checker/target.h"

#include <array>
#include <utility>

namespace {

struct Named
{
    QStringView word;
    Target::Servers servers;
};

constexpr std::array<Named, 5> kNames = {{
    {u"older", Target::Older},
    {u"later", Target::Later},
    {u"today", Target::kToday},
    {u"today-strict", Target::TodayStrict},
    {u"today-anycase", Target::TodayAnyCase},
}};

const QString kRenewal = QStringLiteral("RENEWAL");
const QString kPreRenewal = QStringLiteral("PRERENEWAL");

} // namespace

std::optional<Target> Target::fromName(QStringView name)
{
    name = name.trimmed();
    if (name.isEmpty())
        return Target();
    for (const Named &named : kNames) {
        if (name.compare(named.word, Qt::CaseInsensitive) == 0)
            return Target(named.servers);
    }
    return std::nullopt;
}

QString Target::name() const
{
    for (const Named &named : kNames) {
        if (named.servers == servers_)
            return named.word.toString();
    }
    return QString();
}

std::optional<Target::Servers> Target::serversOfWord(QStringView word)
{
    for (const Named &named : kNames) {
        if (word == named.word)
            return named.servers;
    }
    return std::nullopt;
}

QStringList Target::defaultFlags()
{
    // What a server built as it comes defines; the family's own name included.
    return {QStringLiteral("TRUE"), QStringLiteral("HERCULES"), QStringLiteral("LOADGMSCRIPTS"), kRenewal};
}

bool Target::isFlagWord(QStringView word)
{
    if (word.size() < 3 || word.front() < u'A' || word.front() > u'Z')
        return false;
    for (const QChar c : word) {
        const char16_t u = c.unicode();
        if (!((u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_'))
            return false;
    }
    return true;
}

bool Target::defines(QStringView flag) const
{
    for (const QString &defined : flags_) {
        if (defined.startsWith(flag))
            return true;
    }
    return false;
}

bool Target::setFlag(QStringView word)
{
    word = word.trimmed();
    const bool remove = word.startsWith(u'!') || word.startsWith(u'-');
    if (remove)
        word = word.sliced(1);
    if (!isFlagWord(word))
        return false;
    const QString flag = word.toString();
    flags_.removeAll(flag);
    if (remove)
        return true;
    if (flag == kRenewal)
        flags_.removeAll(kPreRenewal);
    if (flag == kPreRenewal)
        flags_.removeAll(kRenewal);
    flags_.append(flag);
    return true;
}

QString Target::serversPhrase(Servers servers)
{
    servers &= kEveryServer;
    if ((servers & kToday) == kToday && (servers & (Older | Later)) == 0)
        return QStringLiteral("今のサーバー");
    QStringList parts;
    if (servers & Older)
        parts << QStringLiteral("古いサーバー");
    if (servers & Later)
        parts << QStringLiteral("2006年ごろのサーバー");
    if ((servers & kToday) == kToday)
        parts << QStringLiteral("今のサーバー");
    else if (servers & TodayStrict)
        parts << QStringLiteral("大文字小文字を区別する今のサーバー");
    else if (servers & TodayAnyCase)
        parts << QStringLiteral("大文字小文字を区別しない今のサーバー");
    return parts.join(QStringLiteral("と"));
}
