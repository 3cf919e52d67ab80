#include "language_server/hover.h"

#include "language_server/completion.h"
#include "language_server/labels.h"

#include <QJsonObject>

namespace Lsp {

namespace {

QString labelText(const ScriptCheck &check, const Labels::Site &site)
{
    const QVector<Labels::Site> sites = Labels::occurrences(check, site);
    const QString label = Labels::target(check, site);
    if (label.isEmpty())
        return QStringLiteral("ラベル **%1** はこのNPCの中にありません").arg(site.label);
    QStringList lines;
    int jumps = 0;
    for (const Labels::Site &other : sites) {
        if (other.definition)
            lines.append(QString::number(other.line + 1));
        else
            ++jumps;
    }
    return QStringLiteral("ラベル **%1**: %2行目で定義、ここへ飛ぶ命令 %3個")
        .arg(label, lines.join(QStringLiteral("・")))
        .arg(jumps);
}

} // namespace

QJsonObject markdownHover(const QString &text, const QJsonObject &place)
{
    return QJsonObject{{QLatin1String("contents"), QJsonObject{{QLatin1String("kind"), QLatin1String("markdown")},
                                                               {QLatin1String("value"), text}}},
                       {QLatin1String("range"), place}};
}

QJsonValue hover(const TextDocument &document, Position position, const Commands::Table &commands)
{
    position = document.clamped(position);
    const ScriptCheck &check = document.check();
    if (const std::optional<Labels::Site> site = Labels::at(check, position))
        return markdownHover(labelText(check, *site), range(site->line, site->column, site->length));
    for (const Colour &colour : check.colours(position.line)) {
        if (colour.kind != Colour::Kind::Command || position.character < colour.column ||
            position.character > colour.column + colour.length)
            continue;
        const QString word = document.line(position.line).mid(colour.column, colour.length);
        const Commands::Command *command = commands.find(word);
        if (!command)
            continue;
        return markdownHover(QStringLiteral("**%1** — %2").arg(command->word, argumentsOf(*command)),
                             range(position.line, colour.column, colour.length));
    }
    return QJsonValue(QJsonValue::Null);
}

} // namespace Lsp
