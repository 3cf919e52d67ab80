#include "checker/explanations.h"

#include <QStringList>

namespace Explanations {

namespace {

// An example indented under its heading, its tabs kept.
QString indented(const char16_t *example)
{
    QString text;
    for (const QString &line : QString::fromUtf16(example).split(u'\n', Qt::SkipEmptyParts))
        text += QStringLiteral("    ") + line + u'\n';
    return text;
}

} // namespace

const Explanation *begin()
{
    return Rules::begin();
}

const Explanation *end()
{
    return Rules::end();
}

const Explanation *find(Rule rule)
{
    return std::size_t(rule) < kRuleCount ? &Rules::row(rule) : nullptr;
}

QString text(Rule rule)
{
    const Rules::Row &row = Rules::row(rule);
    const bool error = row.severity == Diagnostic::Severity::Error;
    QString page = QStringLiteral("%1 (%2) %3\n")
                       .arg(QString::fromUtf16(row.code), error ? QStringLiteral("error") : QStringLiteral("warning"),
                            QString::fromUtf16(row.summary));
    page += QStringLiteral("\nどんな誤りか:\n  %1\n").arg(QString::fromUtf16(row.meaning));
    page += QStringLiteral("\nサーバーでは:\n  %1\n").arg(QString::fromUtf16(row.server));
    page += QStringLiteral("\n誤りの例:\n") + indented(row.wrong);
    page += QStringLiteral("\n直した例:\n") + indented(row.mended);
    return page;
}

} // namespace Explanations
