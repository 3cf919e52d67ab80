#include "language_server/labels.h"

#include "checker/body_tokens.h"

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

bool definedAs(const QVector<Site> &sites, const QString &label)
{
    return std::any_of(sites.cbegin(), sites.cend(),
                       [&](const Site &site) { return site.definition && site.label == label; });
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
            if (use.key == key)
                sites.append(Site{number, use.column, use.length, use.label, true});
        }
        for (const LabelRules::LabelUse &use : check.labelJumps(number)) {
            if (use.key == key)
                sites.append(Site{number, use.column, use.length, use.label, false});
        }
    }
    return sites;
}

QString reached(const QVector<Site> &sites, const QString &jump)
{
    if (definedAs(sites, jump))
        return jump;
    const QString lower = jump.toLower();
    return definedAs(sites, lower) ? lower : QString();
}

QString target(const ScriptCheck &check, const Site &site)
{
    return site.definition ? site.label : reached(inBody(check, site.line, site.label), site.label);
}

QVector<Site> occurrences(const ScriptCheck &check, const Site &site)
{
    const QVector<Site> sites = inBody(check, site.line, site.label);
    const QString label = site.definition ? site.label : reached(sites, site.label);
    QVector<Site> found;
    for (const Site &other : sites) {
        const bool belongs = label.isEmpty()    ? !other.definition && other.label == site.label
                             : other.definition ? other.label == label
                                                : reached(sites, other.label) == label;
        if (belongs)
            found.append(other);
    }
    return found;
}

bool isValidName(const QString &name)
{
    return !name.isEmpty() && !name.front().isDigit() && BodyTokens::isPlainName(name);
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
