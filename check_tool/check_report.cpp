#include "check_tool/check_report.h"

#include "checker/rules.h"
#include "checker/script_check.h"
#include "common/code_page.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace CheckReport {

namespace {

// Characters before `index`, a surrogate pair counting once.
int characterColumn(QStringView text, int index)
{
    int column = 0;
    for (int i = 0; i < index && i < text.size(); ++i) {
        if (!(text.at(i).isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate()))
            ++column;
    }
    return column;
}

} // namespace

QString formatDiagnostic(const QString &fileName, const Diagnostic &diagnostic, QStringView lineText)
{
    const QString severity =
        diagnostic.severity == Diagnostic::Severity::Error ? QStringLiteral("error") : QStringLiteral("warning");
    return QStringLiteral("%1:%2:%3: %4: %5")
        .arg(fileName, QString::number(diagnostic.line + 1),
             QString::number(characterColumn(lineText, diagnostic.column) + 1), severity, diagnostic.message);
}

FileResult checkBytes(const QString &fileName, QByteArrayView bytes)
{
    // A line ends at LF, CR LF or a lone CR. LF and CR never occur inside a
    // double-byte character of the code page, so the bytes can be split first.
    QStringList lines;
    QVector<int> undecodable;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes.at(i) != '\n' && bytes.at(i) != '\r')
            continue;
        bool ok = true;
        lines.append(CodePage932::decode(bytes.sliced(start, i - start), &ok));
        if (!ok)
            undecodable.append(int(lines.size()) - 1);
        if (i + 1 < bytes.size() && bytes.at(i) == '\r' && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    ScriptCheck check;
    check.replaceLines(0, 0, lines);
    Diagnostics found = check.allDiagnostics();
    for (const int line : undecodable) {
        Diagnostic diagnostic{line, 0, 1, Diagnostic::Severity::Error,
                              QStringLiteral("Shift_JIS として読めないバイトがあります")};
        // Column 1 goes first on its line, keeping the report in line and column order.
        const auto at = std::find_if(found.begin(), found.end(), [&](const Diagnostic &d) { return d.line >= line; });
        found.insert(at, diagnostic);
    }

    FileResult result;
    for (const Diagnostic &diagnostic : found) {
        result.report += formatDiagnostic(fileName, diagnostic, lines.at(diagnostic.line)) + u'\n';
        if (diagnostic.severity == Diagnostic::Severity::Error)
            ++result.errors;
        else
            ++result.warnings;
    }
    return result;
}

FileResult checkFile(const QString &path)
{
    FileResult result;
    const QFileInfo info(path);
    // Anything but a regular file (a folder, a named pipe) is refused before it is opened.
    if (!info.exists()) {
        result.failure = QStringLiteral("%1: ファイルがありません").arg(path);
        return result;
    }
    if (!info.isFile()) {
        result.failure = QStringLiteral("%1: 普通のファイルではありません").arg(path);
        return result;
    }
    if (info.size() > kMaxBytes) {
        result.failure = QStringLiteral("%1: 大きすぎます（256 MiB まで）").arg(path);
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.failure = QStringLiteral("%1: 読めません（%2）").arg(path, file.errorString());
        return result;
    }
    const QByteArray bytes = file.read(kMaxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        result.failure = QStringLiteral("%1: 読めません（%2）").arg(path, file.errorString());
        return result;
    }
    return checkBytes(path, bytes);
}

} // namespace CheckReport
