#include "language_server/hover.h"

#include "checker/explanations.h"
#include "language_server/completion.h"
#include "language_server/definition.h"
#include "language_server/labels.h"
#include "language_server/named_entries.h"

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

// A finding with its rule's page: what it means, what the server does, and the
// wrong and mended examples.
QString findingText(const Diagnostic &diagnostic)
{
    QString text = QStringLiteral("**%1** %2").arg(diagnostic.code, diagnostic.message);
    const Explanations::Explanation *page = Explanations::find(diagnostic.rule);
    if (!page)
        return text;
    text += QStringLiteral("\n\n%1\n\n%2").arg(QString::fromUtf16(page->meaning), QString::fromUtf16(page->server));
    text += QStringLiteral("\n\n誤りの例:\n```\n%1\n```\n直した例:\n```\n%2\n```")
                .arg(QString::fromUtf16(page->wrong), QString::fromUtf16(page->mended));
    return text;
}

// What the place under the cursor is: a called function, a label, or a command word.
std::optional<Hover> placeHover(const Context &context, const TextDocument &document, Position position)
{
    const ScriptCheck &check = document.check();
    if (const std::optional<CallfuncSite> call = callAt(check, position))
        return Hover{functionText(context, call->name), Range::onLine(position.line, call->column, call->length)};
    if (const std::optional<Labels::Site> site = Labels::at(check, position))
        return Hover{labelText(check, *site), Range::onLine(site->line, site->column, site->length)};
    if (const std::optional<NamedEntry> named = namedEntryAt(document, position))
        return Hover{describe(*named), Range::onLine(position.line, named->column, named->length)};
    const auto [column, length] = check.commandWordAt(position.line, position.character);
    if (column < 0)
        return std::nullopt;
    const Commands::Command *command = context.commands().find(document.line(position.line).mid(column, length));
    if (!command)
        return std::nullopt;
    return Hover{QStringLiteral("**%1** — %2").arg(command->word,
                                                   argumentsOf(*command, context.commands().target().servers())),
                 Range::onLine(position.line, column, length)};
}

} // namespace

std::optional<Hover> hover(const Context &context, const PositionParams &params)
{
    const TextDocument &document = context.document(params.uri);
    const Position position = document.clamped(params.position);
    std::optional<Hover> found = placeHover(context, document, position);
    // An underlined place shows what is wrong there above what the place is.
    QStringList findings;
    std::optional<Range> underlined;
    for (const Diagnostic &diagnostic : document.diagnostics(position.line)) {
        if (position.character < diagnostic.column || position.character > diagnostic.column + diagnostic.length)
            continue;
        findings.append(findingText(diagnostic));
        if (!underlined)
            underlined = Range::onLine(position.line, diagnostic.column, diagnostic.length);
    }
    if (findings.isEmpty())
        return found;
    if (found)
        findings.append(found->markdown);
    return Hover{findings.join(QStringLiteral("\n\n---\n\n")), found ? found->range : *underlined};
}

void Features::register_hover(FeatureTable &table)
{
    table.add(QStringLiteral("textDocument/hover"), &hover);
    table.offer([](ServerCapabilities &server, const ClientCapabilities &) { server.hover = true; });
}

} // namespace Lsp
