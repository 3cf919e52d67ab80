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
        bool encodable = false;
        CodePage932::encode(edit.text, &encodable);
        if (!encodable)
            return false;
        if (std::any_of(taken.cbegin(), taken.cend(),
                        [&](const Diagnostic::Edit &other) { return overlap(edit, other); }))
            return false;
        taken.append(edit);
    }
    return !fix.edits.isEmpty();
}

// Where each character of a line starts among its bytes, and where the line
// ends: every character of the code page is one code unit, of one or two bytes.
// Empty when the bytes do not split into the characters of `text`.
QVector<qsizetype> characterStarts(QByteArrayView bytes, const QString &text)
{
    QVector<qsizetype> starts;
    starts.reserve(text.size() + 1);
    for (qsizetype i = 0; i < bytes.size();) {
        starts.append(i);
        const auto byte = quint8(bytes.at(i));
        const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        i += lead && i + 1 < bytes.size() ? 2 : 1;
    }
    starts.append(bytes.size());
    if (starts.size() != text.size() + 1)
        return {};
    return starts;
}

// The line's bytes with `edits` made, every byte outside them kept as it was;
// a null array when the line's bytes cannot be matched to its characters.
QByteArray applied(QByteArrayView bytes, const QString &text, QVector<Diagnostic::Edit> edits)
{
    const QVector<qsizetype> starts = characterStarts(bytes, text);
    if (starts.isEmpty())
        return {};
    // From the right, so that each edit's column still holds; a replacement
    // before an insertion at the same column.
    std::sort(edits.begin(), edits.end(), [](const Diagnostic::Edit &a, const Diagnostic::Edit &b) {
        return a.column != b.column ? a.column > b.column : a.length > b.length;
    });
    QByteArray result = bytes.toByteArray();
    for (const Diagnostic::Edit &edit : std::as_const(edits)) {
        const qsizetype from = starts.at(edit.column);
        result.replace(from, starts.at(edit.column + edit.length) - from, CodePage932::encode(edit.text));
    }
    return result;
}

// The changed lines' new bytes, by line number.
QMap<int, QByteArray> changedLines(const QVector<ByteLine> &lines, const Diagnostics &diagnostics)
{
    QMap<int, LineChange> changes;
    for (const Diagnostic &diagnostic : diagnostics) {
        if (diagnostic.fixes.isEmpty() || diagnostic.line < 0 || diagnostic.line >= lines.size())
            continue;
        auto change = changes.find(diagnostic.line);
        if (change == changes.end()) {
            LineChange read;
            read.text = CodePage932::decode(lines.at(diagnostic.line).text, &read.readable);
            change = changes.insert(diagnostic.line, read);
        }
        if (change->readable && fits(diagnostic.fixes.front(), *change))
            change->edits += diagnostic.fixes.front().edits;
    }
    QMap<int, QByteArray> changed;
    for (auto it = changes.begin(); it != changes.end(); ++it) {
        const QByteArray bytes = applied(lines.at(it.key()).text, it->text, it->edits);
        if (!bytes.isNull() && bytes != lines.at(it.key()).text)
            changed.insert(it.key(), bytes);
    }
    return changed;
}

// The file with the changed lines in place of the old ones.
QByteArray withChanges(const QVector<ByteLine> &lines, const QMap<int, QByteArray> &changed)
{
    QByteArray result;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto found = changed.constFind(int(i));
        result += found == changed.cend() ? lines.at(i).text : QByteArrayView(*found);
        result += lines.at(i).end;
    }
    return result;
}

// The lines as patch reads them: each up to and with its "\n". A lone CR ends a
// line for the server but not for patch, so the diff is made of these.
QList<QByteArrayView> patchLines(QByteArrayView bytes)
{
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', start);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        lines.append(bytes.sliced(start, next - start));
        start = next;
    }
    return lines;
}

void appendLine(QByteArray &out, char mark, QByteArrayView line)
{
    out += mark;
    out += line;
    if (!line.endsWith('\n'))
        out += "\n\\ No newline at end of file\n";
}

// Lines `first` to `last` of both versions, which have as many lines.
void appendHunk(QByteArray &out, const QList<QByteArrayView> &before, const QList<QByteArrayView> &after,
                qsizetype first, qsizetype last)
{
    const QByteArray count = QByteArray::number(last - first + 1);
    const QByteArray start = QByteArray::number(first + 1);
    out += "@@ -" + start + ',' + count + " +" + start + ',' + count + " @@\n";
    for (qsizetype i = first; i <= last; ++i) {
        if (before.at(i) == after.at(i)) {
            appendLine(out, ' ', before.at(i));
        } else {
            appendLine(out, '-', before.at(i));
            appendLine(out, '+', after.at(i));
        }
    }
}

} // namespace

QByteArray diff(const QString &path, QByteArrayView bytes, const Diagnostics &diagnostics)
{
    const QVector<ByteLine> lines = byteLines(bytes);
    const QMap<int, QByteArray> changed = changedLines(lines, diagnostics);
    if (changed.isEmpty())
        return {};
    // Fixes neither add nor remove a line end, so both versions have as many lines.
    const QByteArray fixed = withChanges(lines, changed);
    const QList<QByteArrayView> before = patchLines(bytes);
    const QList<QByteArrayView> after = patchLines(fixed);
    QList<qsizetype> numbers;
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (before.at(i) != after.at(i))
            numbers.append(i);
    }
    QByteArray out = "--- a/" + path.toUtf8() + "\n+++ b/" + path.toUtf8() + '\n';
    for (qsizetype i = 0; i < numbers.size();) {
        // Changes whose contexts meet share a hunk.
        qsizetype j = i;
        while (j + 1 < numbers.size() && numbers.at(j + 1) - numbers.at(j) <= 2 * kContext + 1)
            ++j;
        appendHunk(out, before, after, std::max<qsizetype>(0, numbers.at(i) - kContext),
                   std::min(before.size() - 1, numbers.at(j) + kContext));
        i = j + 1;
    }
    return out;
}

} // namespace FixDiff
