#include "language_server/hover.h"

#include "language_server/completion.h"
#include "language_server/definition.h"
#include "language_server/labels.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

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

// Where a called function is defined, as far as the workspace tells.
QString functionText(const Context &context, const QString &name)
{
    QStringList places;
    for (const Location &place : context.functionDefinitions(name)) {
        const QUrl url(place.uri);
        const QString file = url.isLocalFile() ? QFileInfo(QDir::cleanPath(url.toLocalFile())).fileName() : place.uri;
        places.append(QStringLiteral("%1 %2行目").arg(file).arg(place.range.start.line + 1));
    }
    if (!places.isEmpty())
        return QStringLiteral("関数 **%1**: %2").arg(name, places.join(QStringLiteral("、")));
    if (context.workspaceComplete())
        return QStringLiteral("関数 **%1** はどのファイルにも定義されていません").arg(name);
    return QStringLiteral("関数 **%1** の定義はまだ見つかっていません").arg(name);
}

} // namespace

std::optional<Hover> hover(const Context &context, const PositionParams &params)
{
    const TextDocument &document = context.document(params.uri);
    const Position position = document.clamped(params.position);
    const ScriptCheck &check = document.check();
    if (const std::optional<LabelRules::LabelUse> call = callAt(check, position))
        return Hover{functionText(context, call->label), Range::onLine(position.line, call->column, call->length)};
    if (const std::optional<Labels::Site> site = Labels::at(check, position))
        return Hover{labelText(check, *site), Range::onLine(site->line, site->column, site->length)};
    for (const Colour &colour : check.colours(position.line)) {
        if (colour.kind != Colour::Kind::Command || position.character < colour.column ||
            position.character > colour.column + colour.length)
            continue;
        const QString word = document.line(position.line).mid(colour.column, colour.length);
        const Commands::Command *command = context.commands().find(word);
        if (!command)
            continue;
        return Hover{QStringLiteral("**%1** — %2").arg(command->word, argumentsOf(*command)),
                     Range::onLine(position.line, colour.column, colour.length)};
    }
    return std::nullopt;
}

void Features::register_hover(FeatureTable &table)
{
    table.add(QStringLiteral("textDocument/hover"), &hover);
    table.offer([](ServerCapabilities &server, const ClientCapabilities &) { server.hover = true; });
}

} // namespace Lsp
