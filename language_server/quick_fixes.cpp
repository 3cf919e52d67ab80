#include "language_server/quick_fixes.h"

#include "checker/rules.h"
#include "language_server/diagnostics_json.h"
#include "language_server/labels.h"

#include <QJsonObject>

namespace Lsp {

namespace {

QJsonObject fix(const QString &title, const QString &uri, const Diagnostic &diagnostic, const QJsonObject &place,
                const QString &newText)
{
    const QJsonObject edit{{QLatin1String("range"), place}, {QLatin1String("newText"), newText}};
    return QJsonObject{
        {QLatin1String("title"), title},
        {QLatin1String("kind"), QLatin1String("quickfix")},
        {QLatin1String("isPreferred"), true},
        {QLatin1String("diagnostics"), QJsonArray{diagnosticJson(diagnostic)}},
        {QLatin1String("edit"), QJsonObject{{QLatin1String("changes"), QJsonObject{{uri, QJsonArray{edit}}}}}}};
}

// The spelling the jump's label is defined in, when only the case differs.
QString definedSpelling(const ScriptCheck &check, const Diagnostic &diagnostic)
{
    const std::optional<Labels::Site> jump = Labels::at(check, Position{diagnostic.line, diagnostic.column});
    if (!jump || jump->definition)
        return QString();
    QString spelling;
    for (const Labels::Site &site : Labels::inBody(check, jump->line, jump->label)) {
        if (site.definition && (spelling.isEmpty() || site.label < spelling))
            spelling = site.label; // the one the message names
    }
    return spelling;
}

} // namespace

QJsonArray quickFixes(const TextDocument &document, const QString &uri, Position start, Position end,
                      const Commands::Table &commands)
{
    start = document.clamped(start);
    end = document.clamped(end);
    if (end < start)
        std::swap(start, end);
    const ScriptCheck &check = document.check();
    QJsonArray fixes;
    for (int line = start.line; line <= end.line; ++line) {
        for (const Diagnostic &diagnostic : check.diagnostics(line)) {
            const QString word = document.line(line).mid(diagnostic.column, diagnostic.length);
            switch (diagnostic.rule) {
            case Rule::UnknownCommand: {
                const QString nearest = commands.nearest(word);
                if (!nearest.isEmpty())
                    fixes.append(fix(QStringLiteral("「%1」に直す").arg(nearest), uri, diagnostic,
                                     range(line, diagnostic.column, diagnostic.length), nearest));
                break;
            }
            case Rule::UndefinedLabelOtherCase: {
                const QString spelling = definedSpelling(check, diagnostic);
                if (!spelling.isEmpty())
                    fixes.append(fix(QStringLiteral("「%1」に直す").arg(spelling), uri, diagnostic,
                                     range(line, diagnostic.column, diagnostic.length), spelling));
                break;
            }
            case Rule::MissingSemicolon:
                fixes.append(fix(QStringLiteral("「;」を加える"), uri, diagnostic,
                                 range(line, diagnostic.column + diagnostic.length, 0), QStringLiteral(";")));
                break;
            default:
                break;
            }
        }
    }
    return fixes;
}

} // namespace Lsp
