#include "check_tool/fix_diff.h"

#include "common/code_page.h"

#include <QMap>

#include <algorithm>

namespace FixDiff {

namespace {

constexpr int kContext = 3;

// A line's bytes, its line end apart, split where the checker splits lines.
struct ByteLine
{
    QByteArrayView text;
    QByteArrayView end; // "\r\n", "\n", "\r", or empty on a last line without one
};

QVector<ByteLine> byteLines(QByteArrayView bytes)
{
    QVector<ByteLine> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes.at(i) != '\n' && bytes.at(i) != '\r')
            continue;
        const qsizetype endLength = bytes.at(i) == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n' ? 2 : 1;
        lines.append({bytes.sliced(start, i - start), bytes.sliced(i, endLength)});
        i += endLength - 1;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.append({bytes.sliced(start), {}});
    return lines;
}

bool overlap(const Diagnostic::Edit &a, const Diagnostic::Edit &b)
{
    if (a.length == 0 && b.length == 0)
        return a.column == b.column;
    return a.column < b.column + b.length && b.column < a.column + a.length;
}

// One line's text and the edits taken for it so far.
struct LineChange
{
    QString text;
    bool readable = false;
    QVector<Diagnostic::Edit> edits;
};

bool fits(const Diagnostic::Fix &fix, const LineChange &change)
{
    QVector<Diagnostic::Edit> taken = change.edits;
    for (const Diagnostic::Edit &edit : fix.edits) {
        if (edit.column < 0 || edit.length < 0 || edit.column + edit.length > change.text.size() ||
            edit.text.contains(u'\n') || edit.text.contains(u'\r'))
            return false;
        if (std::any_of(taken.cbegin(), taken.cend(),
                        [&](const Diagnostic::Edit &other) { return overlap(edit, other); }))
            return false;
        taken.append(edit);
    }
    return !fix.edits.isEmpty();
}

// The changed lines' new bytes, by line number.
QMap<int, QByteArray> changedLines(const QVector<ByteLine> &lines, const Diagnostics &diagnostics)
{
    QMap<int, LineChange> changes;
    for (const Diagnostic &diagnostic : diagnostics) {
        if (diagnostic.fixes.isEmpty() || diagnostic.line < 0 || diagnostic.line >= lines.size())
            continue;
        const auto found = changes.find(diagnostic.line);
        LineChange &change = found != changes.end() ? *found : changes[diagnostic.line];
        if (found == changes.end())
            change.text = CodePage932::decode(lines.at(diagnostic.line).text, &change.readable);
        if (change.readable && fits(diagnostic.fixes.front(), change))
            change.edits += diagnostic.fixes.front().edits;
    }
    QMap<int, QByteArray> changed;
    for (auto it = changes.begin(); it != changes.end(); ++it) {
        QVector<Diagnostic::Edit> edits = it->edits;
        // From the right, so that each edit's column still holds; a replacement
        // before an insertion at the same column.
        std::sort(edits.begin(), edits.end(), [](const Diagnostic::Edit &a, const Diagnostic::Edit &b) {
            return a.column != b.column ? a.column > b.column : a.length > b.length;
        });
        QString text = it->text;
        for (const Diagnostic::Edit &edit : std::as_const(edits))
            text.replace(edit.column, edit.length, edit.text);
        bool encodable = false;
        const QByteArray bytes = CodePage932::encode(text, &encodable);
        if (encodable && bytes != lines.at(it.key()).text)
            changed.insert(it.key(), bytes);
    }
    return changed;
}

void appendLine(QByteArray &out, char mark, QByteArrayView text, QByteArrayView end)
{
    out += mark;
    out += text;
    if (end.isEmpty())
        out += "\n\\ No newline at end of file\n";
    else
        out += end;
}

void appendHunk(QByteArray &out, const QVector<ByteLine> &lines, const QMap<int, QByteArray> &changed, int first,
                int last)
{
    const QByteArray count = QByteArray::number(last - first + 1);
    const QByteArray start = QByteArray::number(first + 1);
    out += "@@ -" + start + ',' + count + " +" + start + ',' + count + " @@\n";
    for (int i = first; i <= last; ++i) {
        const auto found = changed.constFind(i);
        if (found == changed.cend()) {
            appendLine(out, ' ', lines.at(i).text, lines.at(i).end);
            continue;
        }
        appendLine(out, '-', lines.at(i).text, lines.at(i).end);
        appendLine(out, '+', *found, lines.at(i).end);
    }
}

} // namespace

QByteArray diff(const QString &path, QByteArrayView bytes, const Diagnostics &diagnostics)
{
    const QVector<ByteLine> lines = byteLines(bytes);
    const QMap<int, QByteArray> changed = changedLines(lines, diagnostics);
    if (changed.isEmpty())
        return {};
    QByteArray out = "--- a/" + path.toUtf8() + "\n+++ b/" + path.toUtf8() + '\n';
    const QList<int> numbers = changed.keys();
    for (qsizetype i = 0; i < numbers.size();) {
        // Changes whose contexts meet share a hunk.
        qsizetype j = i;
        while (j + 1 < numbers.size() && numbers.at(j + 1) - numbers.at(j) <= 2 * kContext + 1)
            ++j;
        appendHunk(out, lines, changed, std::max(0, numbers.at(i) - kContext),
                   std::min(int(lines.size()) - 1, numbers.at(j) + kContext));
        i = j + 1;
    }
    return out;
}

} // namespace FixDiff
