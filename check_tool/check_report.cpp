#include "check_tool/check_report.h"

#include "checker/rules.h"
#include "checker/script_check.h"
#include "common/code_page.h"
#include "main_window/help_file.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace CheckReport {

namespace {

// Column numbers in characters for one line: a surrogate pair counts once.
class CharacterColumns
{
public:
    explicit CharacterColumns(QStringView text)
    {
        if (std::none_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); }))
            return;
        columns_.reserve(text.size() + 1);
        int column = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            columns_.append(column);
            if (!(text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()))
                ++column;
        }
        columns_.append(column);
    }
    int at(int index) const
    {
        return columns_.isEmpty() ? index : columns_.at(std::clamp(index, 0, int(columns_.size()) - 1));
    }

private:
    QVector<int> columns_; // empty when every character is one code unit
};

QString reportLine(const QString &fileName, const Diagnostic &diagnostic, int characterColumn)
{
    const QString severity =
        diagnostic.severity == Diagnostic::Severity::Error ? QStringLiteral("error") : QStringLiteral("warning");
    return QStringLiteral("%1:%2:%3: %4: %5")
        .arg(fileName, QString::number(diagnostic.line + 1), QString::number(characterColumn + 1), severity,
             diagnostic.message);
}

// The lines of `bytes`, and the numbers of those with bytes the code page cannot read.
// A line ends at LF, CR LF or a lone CR. LF and CR never occur inside a double-byte
// character of the code page, so the bytes can be split before they are decoded.
QStringList linesOf(QByteArrayView bytes, QVector<int> &undecodable)
{
    QStringList lines;
    bool ok = true;
    const QString whole = CodePage932::decode(bytes, &ok);
    if (ok) {
        lines = HelpFile::normaliseLineBreaks(whole).split(u'\n');
        return lines;
    }
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes.at(i) != '\n' && bytes.at(i) != '\r')
            continue;
        lines.append(CodePage932::decode(bytes.sliced(start, i - start), &ok));
        if (!ok)
            undecodable.append(int(lines.size()) - 1);
        if (i + 1 < bytes.size() && bytes.at(i) == '\r' && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    return lines;
}

} // namespace

QString formatDiagnostic(const QString &fileName, const Diagnostic &diagnostic, QStringView lineText)
{
    return reportLine(fileName, diagnostic, CharacterColumns(lineText).at(diagnostic.column));
}

FileResult checkBytes(const QString &fileName, QByteArrayView bytes)
{
    FileResult result;
    const qsizetype breaks = std::count_if(bytes.begin(), bytes.end(), [](char c) { return c == '\n' || c == '\r'; });
    if (breaks >= kMaxLines) {
        result.failure = QStringLiteral("%1: 行が多すぎます（%2 行まで）").arg(fileName).arg(kMaxLines);
        return result;
    }
    QVector<int> undecodable;
    const QStringList lines = linesOf(bytes, undecodable);
    ScriptCheck check;
    check.replaceLines(0, 0, lines);
    Diagnostics found;
    for (const int line : undecodable)
        found.append(Rules::make(Rule::Undecodable, line, 0, 1));
    found += check.allDiagnostics();
    // Stable, so that the unreadable bytes stay first on their line.
    std::stable_sort(found.begin(), found.end(), [](const Diagnostic &a, const Diagnostic &b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });

    int columnsLine = -1;
    CharacterColumns columns({});
    for (const Diagnostic &diagnostic : found) {
        if (diagnostic.line != columnsLine) {
            columnsLine = diagnostic.line;
            columns = CharacterColumns(lines.at(diagnostic.line));
        }
        result.report += reportLine(fileName, diagnostic, columns.at(diagnostic.column)) + u'\n';
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
        result.failure = QStringLiteral("%1: 大きすぎます（%2 MiB まで）").arg(path).arg(kMaxBytes / (1024 * 1024));
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
