#include "language_server/labels.h"

#include "checker/body_tokens.h"
#include "checker/language.h"
#include "common/code_page.h"

#include <QSet>

#include <algorithm>

namespace Lsp::Labels {

namespace {

std::optional<Site> siteIn(const QVector<LabelRules::LabelUse> &uses, Position position, bool definition)
{
    for (const LabelRules::LabelUse &use : uses) {
        if (position.character >= use.column && position.character <= use.column + use.length)
            return Site{position.line, use.column, use.length, use.label, definition};
    }
    return std::nullopt;
}

QSet<QString> definitionsOf(const QVector<Site> &sites)
{
    QSet<QString> defined;
    for (const Site &site : sites) {
        if (site.definition)
            defined.insert(site.label);
    }
    return defined;
}

} // namespace

std::optional<Site> at(const ScriptCheck &check, Position position)
{
    if (std::optional<Site> site = siteIn(check.labelDefinitions(position.line), position, true))
        return site;
    return siteIn(check.labelJumps(position.line), position, false);
}

QVector<Site> inBody(const ScriptCheck &check, int line, const QString &label)
{
    QVector<Site> sites;
    const auto [first, last] = check.bodyAround(line);
    if (first < 0)
        return sites;
    const QString key = LabelRules::keyOf(label);
    for (int number = first; number <= last; ++number) {
        for (const LabelRules::LabelUse &use : check.labelDefinitions(number)) {
            if (label.isEmpty() || use.key == key)
                sites.append(Site{number, use.column, use.length, use.label, true});
        }
        for (const LabelRules::LabelUse &use : check.labelJumps(number)) {
            if (label.isEmpty() || use.key == key)
                sites.append(Site{number, use.column, use.length, use.label, false});
        }
    }
    return sites;
}

QString reached(const QSet<QString> &defined, const QString &jump)
{
    return Language::reachedLabel(jump, [&](const QString &label) { return defined.contains(label); });
}

QString target(const ScriptCheck &check, const Site &site)
{
    return site.definition ? site.label : reached(definitionsOf(inBody(check, site.line, site.label)), site.label);
}

QVector<Site> occurrences(const ScriptCheck &check, const Site &site)
{
    const QVector<Site> sites = inBody(check, site.line, site.label);
    const QSet<QString> defined = definitionsOf(sites);
    const QString label = site.definition ? site.label : reached(defined, site.label);
    // Jumps are judged once per spelling, however many there are.
    QHash<QString, bool> reaches;
    QVector<Site> found;
    for (const Site &other : sites) {
        bool belongs;
        if (label.isEmpty()) {
            belongs = !other.definition && other.label == site.label;
        } else if (other.definition) {
            belongs = other.label == label;
        } else {
            auto known = reaches.find(other.label);
            if (known == reaches.end())
                known = reaches.insert(other.label, reached(defined, other.label) == label);
            belongs = *known;
        }
        if (belongs)
            found.append(other);
    }
    return found;
}

bool isValidName(const QString &name)
{
    // A word the parser reads as a statement where a label would stand is no label.
    return BodyTokens::isPlainName(name) && !Language::isKeyword(name, Language::NoLabel) &&
           CodePage932::firstUnencodable(name) < 0;
}

QString renameRefusal(const ScriptCheck &check, const Site &site, const QString &name)
{
    const QString label = target(check, site);
    if (Language::isEventLabel(label.isEmpty() ? site.label : label))
        return QStringLiteral("「%1」はサーバーや他のNPCが名前で呼ぶイベントラベルなので、名前を変えられません")
            .arg(site.label);
    if (!isValidName(name))
        return QStringLiteral("「%1」はラベルの名前にできません").arg(name);
    if (Language::isEventLabel(name))
        return QStringLiteral("「On」で始まる名前はイベントラベルになります");
    const QVector<Site> all = inBody(check, site.line, QString());
    const QSet<QString> before = definitionsOf(all);
    if (name != label && before.contains(name))
        return QStringLiteral("ラベル「%1」はこのNPCの中にもうあります").arg(name);
    if (label.isEmpty()) {
        // Jumps to nothing: under the new name they must still reach nothing.
        const QString caught = reached(before, name);
        if (!caught.isEmpty())
            return QStringLiteral("「%1」にすると、ラベル「%2」へ飛ぶようになります").arg(name, caught);
        return QString();
    }
    // The renamed jumps must reach the renamed label, and every other jump what it reached before.
    QSet<QString> after = before;
    after.remove(label);
    after.insert(name);
    if (reached(after, name) != name)
        return QStringLiteral("「%1」にすると、飛ぶ命令はラベル「%2」へ行きます").arg(name, reached(after, name));
    for (const Site &jump : all) {
        if (jump.definition || reached(before, jump.label) == label)
            continue;
        if (reached(after, jump.label) != reached(before, jump.label))
            return QStringLiteral("「%1」にすると、%2行目の「%3」の飛び先が変わります")
                .arg(name)
                .arg(jump.line + 1)
                .arg(jump.label);
    }
    return QString();
}

QStringList definedAround(const ScriptCheck &check, int line)
{
    QStringList labels;
    const auto [first, last] = check.bodyAround(line);
    for (int number = std::max(first, 0); first >= 0 && number <= last; ++number) {
        for (const LabelRules::LabelUse &use : check.labelDefinitions(number))
            labels.append(use.label);
    }
    std::sort(labels.begin(), labels.end());
    labels.erase(std::unique(labels.begin(), labels.end()), labels.end());
    return labels;
}

} // namespace Lsp::Labels
