#include "language_server/text_document.h"

#include <QStringList>

#include <algorithm>
#include <atomic>
#include <limits>

namespace Lsp {

namespace {
quint64 nextDocumentId()
{
    static std::atomic<quint64> last{0};
    return ++last;
}
} // namespace

TextDocument::TextDocument(const QString &text, std::shared_ptr<const Commands::Table> commands,
                           FindingPolicy findings)
    : commands_(commands), check_(std::move(commands)), findings_(std::move(findings)), id_(nextDocumentId())
{
    breaks_.push_back(Break::None);
    check_.replaceLines(0, 0, {QString()});
    replaceAll(text);
}

Diagnostics TextDocument::diagnostics(int line) const
{
    Diagnostics found = check_.diagnostics(line);
    findings_.apply(found);
    return found;
}

QString TextDocument::breakText(Break lineBreak)
{
    switch (lineBreak) {
    case Break::Lf:
        return QStringLiteral("\n");
    case Break::CrLf:
        return QStringLiteral("\r\n");
    case Break::Cr:
        return QStringLiteral("\r");
    case Break::None:
        break;
    }
    return QString();
}

QString TextDocument::text() const
{
    QString whole;
    for (int i = 0; i < lineCount(); ++i)
        whole += line(i) + breakText(breaks_[size_t(i)]);
    return whole;
}

Position TextDocument::clamped(Position position) const
{
    if (position.line >= lineCount())
        return Position{lineCount() - 1, int(line(lineCount() - 1).size())};
    position.character = std::min(position.character, int(line(position.line).size()));
    return position;
}

int TextDocument::lineCountOf(QStringView text)
{
    qsizetype lines = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' || (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n')))
            ++lines;
    }
    return int(std::min<qsizetype>(lines, std::numeric_limits<int>::max()));
}

qsizetype TextDocument::charactersBetween(Position start, Position end) const
{
    start = clamped(start);
    end = clamped(end);
    if (end < start)
        std::swap(start, end);
    qsizetype characters = end.character - start.character;
    for (int i = start.line; i < end.line; ++i)
        characters += line(i).size() + breakText(breaks_[size_t(i)]).size();
    return characters;
}

TextDocument::Edit TextDocument::replaceAll(const QString &text)
{
    return replaceLines(0, lineCount() - 1, text);
}

TextDocument::Edit TextDocument::replace(Position start, Position end, const QString &text)
{
    start = clamped(start);
    end = clamped(end);
    if (end < start)
        std::swap(start, end);
    const QString &last = line(end.line);
    QString region =
        line(start.line).left(start.character) + text + last.mid(end.character) + breakText(breaks_[size_t(end.line)]);
    int first = start.line;
    int lastLine = end.line;
    // A "\r" ending the line before and a "\n" beginning the region are one break.
    if (region.startsWith(u'\n') && first > 0 && breaks_[size_t(first - 1)] == Break::Cr) {
        --first;
        region.prepend(line(first) + u'\r');
    }
    // A "\r" ending the region and an empty line's "\n" after it, likewise.
    if (region.endsWith(u'\r') && lastLine + 1 < lineCount() && line(lastLine + 1).isEmpty() &&
        breaks_[size_t(lastLine + 1)] == Break::Lf) {
        ++lastLine;
        region += u'\n';
    }
    // The region replaces whole lines, the break of the last one included.
    return replaceLines(first, lastLine, region);
}

// Puts the lines of `text` in place of lines `first` to `last`. `text` ends with
// the break of line `last`, or with no break when that is the document's last line.
TextDocument::Edit TextDocument::replaceLines(int first, int last, const QString &text)
{
    QStringList lines;
    std::vector<Break> breaks;
    qsizetype begin = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != u'\n' && c != u'\r')
            continue;
        lines.append(text.mid(begin, i - begin));
        if (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n') {
            breaks.push_back(Break::CrLf);
            ++i;
        } else {
            breaks.push_back(c == u'\r' ? Break::Cr : Break::Lf);
        }
        begin = i + 1;
    }
    // What follows the last break is a line of its own only at the document's end.
    const bool atEnd = last == lineCount() - 1;
    if (atEnd) {
        lines.append(text.mid(begin));
        breaks.push_back(Break::None);
    }
    for (int i = first; i <= last; ++i)
        characters_ -= line(i).size() + breakText(breaks_[size_t(i)]).size();
    characters_ += text.size();
    Edit edit;
    edit.first = first;
    edit.removed = last - first + 1;
    edit.added = int(lines.size());
    edit.alsoChanged = check_.replaceLines(first, edit.removed, lines);
    // Breaks rewritten in place where the line count stays, so that typing moves none.
    const size_t kept = std::min(breaks.size(), size_t(edit.removed));
    std::copy(breaks.begin(), breaks.begin() + kept, breaks_.begin() + first);
    const auto tail = breaks_.begin() + first + kept;
    breaks_.erase(tail, tail + (size_t(edit.removed) - kept));
    breaks_.insert(breaks_.begin() + first + kept, breaks.begin() + kept, breaks.end());
    ++editCount_;
    recentEdits_.push_back(edit);
    if (recentEdits_.size() > kKeptEdits)
        recentEdits_.pop_front();
    return edit;
}

std::optional<std::vector<TextDocument::Edit>> TextDocument::editsSince(quint64 count) const
{
    if (count > editCount_ || editCount_ - count > recentEdits_.size())
        return std::nullopt;
    return std::vector<Edit>(recentEdits_.end() - qsizetype(editCount_ - count), recentEdits_.end());
}

} // namespace Lsp
