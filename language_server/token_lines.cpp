#include "language_server/token_lines.h"

#include "language_server/semantic_tokens.h"

#include <numeric>

namespace Lsp {

TokenLines::Line TokenLines::read(const ScriptCheck &check, int number)
{
    const QVector<Colour> pieces = check.colours(number);
    Line line;
    line.data.reserve(size_t(pieces.size()) * 5); // one allocation, unless pieces overlap
    appendLineTokens(line.data, check.text(number), pieces);
    return line;
}

int TokenLines::lineOfTokenBefore(size_t number) const
{
    while (number > 0) {
        --number;
        if (!lines_[number].data.empty())
            return int(number);
    }
    return 0;
}

void TokenLines::append(std::vector<quint32> &out, const std::vector<Line> &lines, int firstNumber, int lineBefore)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].data.empty())
            continue;
        const int number = firstNumber + int(i);
        const size_t start = out.size();
        out.insert(out.end(), lines[i].data.begin(), lines[i].data.end());
        out[start] = quint32(number - lineBefore);
        lineBefore = number;
    }
}

std::vector<quint32> TokenLines::readAll(const TextDocument &document)
{
    const ScriptCheck &check = document.check();
    lines_.clear();
    lines_.reserve(size_t(check.lineCount()));
    sizes_.clear();
    sizes_.reserve(size_t(check.lineCount()));
    size_t total = 0;
    for (int number = 0; number < check.lineCount(); ++number) {
        lines_.push_back(read(check, number));
        sizes_.push_back(quint32(lines_.back().data.size()));
        total += sizes_.back();
    }
    editCount_ = document.editCount();
    std::vector<quint32> data;
    data.reserve(total); // grown step by step, a long script's list would be copied many times over
    append(data, lines_, 0, 0);
    return data;
}

// Each edit moves the span of the ones before it, and adds its own lines and those
// it changed besides.
std::optional<std::optional<TokenLines::Span>> TokenLines::editedSpan(const TextDocument &document) const
{
    const std::optional<std::vector<TextDocument::Edit>> edits = document.editsSince(editCount_);
    if (!edits)
        return std::nullopt;
    std::optional<Span> span;
    for (const TextDocument::Edit &edit : *edits) {
        const qint64 first = edit.first;
        const qint64 removedEnd = first + edit.removed;
        const qint64 moved = edit.added - edit.removed;
        qint64 begin = first;
        qint64 end = first + edit.added;
        if (span) {
            const qint64 oldBegin = qint64(span->first);
            const qint64 oldEnd = qint64(span->end);
            begin = std::min(begin, oldBegin < first ? oldBegin : oldBegin >= removedEnd ? oldBegin + moved : first);
            end = std::max(end, oldEnd <= first ? oldEnd : oldEnd >= removedEnd ? oldEnd + moved : first + edit.added);
        }
        for (const int line : edit.alsoChanged) {
            begin = std::min<qint64>(begin, line);
            end = std::max<qint64>(end, line + 1);
        }
        span = Span{size_t(std::max<qint64>(begin, 0)), size_t(std::max<qint64>(end, 0))};
    }
    return span;
}

TokenLines::Span TokenLines::scannedSpan(const ScriptCheck &check) const
{
    const size_t oldCount = lines_.size();
    const size_t newCount = size_t(check.lineCount());
    const size_t shorter = std::min(oldCount, newCount);
    std::vector<Line> fresh;
    fresh.reserve(newCount);
    for (size_t number = 0; number < newCount; ++number)
        fresh.push_back(read(check, int(number)));
    size_t prefix = 0;
    while (prefix < shorter && fresh[prefix].data == lines_[prefix].data)
        ++prefix;
    size_t suffix = 0;
    while (suffix < shorter - prefix && fresh[newCount - 1 - suffix].data == lines_[oldCount - 1 - suffix].data)
        ++suffix;
    return Span{prefix, newCount - suffix};
}

std::optional<TokensEdit> TokenLines::update(const TextDocument &document)
{
    const std::optional<std::optional<Span>> edited = editedSpan(document);
    editCount_ = document.editCount();
    if (edited && !*edited)
        return std::nullopt;
    return readAgain(document.check(), edited ? **edited : scannedSpan(document.check()));
}

std::optional<TokensEdit> TokenLines::readAgain(const ScriptCheck &check, Span span)
{
    const size_t oldCount = lines_.size();
    const size_t newCount = size_t(check.lineCount());
    if (span.end > newCount || span.first > span.end || span.first + (newCount - span.end) > oldCount)
        span = Span{0, newCount}; // not a span of these lines: all of them
    const size_t prefix = span.first;
    size_t suffix = newCount - span.end;
    // The first token after the lines read again is placed after the token before
    // it, which may have moved: its line is read again with them.
    while (suffix > 0 && lines_[oldCount - suffix].data.empty())
        --suffix;
    if (suffix > 0)
        --suffix;

    std::vector<Line> read;
    for (size_t number = prefix; number < newCount - suffix; ++number)
        read.push_back(TokenLines::read(check, int(number)));
    const size_t start = std::accumulate(sizes_.begin(), sizes_.begin() + qsizetype(prefix), size_t(0));
    const size_t replaced = oldCount - suffix - prefix;
    size_t removed = 0;
    for (size_t number = prefix; number < prefix + replaced; ++number)
        removed += lines_[number].data.size();
    TokensEdit edit{int(start), int(removed), {}};
    append(edit.data, read, int(prefix), lineOfTokenBefore(prefix));

    std::vector<quint32> readSizes;
    for (const Line &line : read)
        readSizes.push_back(quint32(line.data.size()));
    if (replaced == read.size()) { // a keystroke: the lines after stay where they are
        std::move(read.begin(), read.end(), lines_.begin() + qsizetype(prefix));
        std::copy(readSizes.begin(), readSizes.end(), sizes_.begin() + qsizetype(prefix));
    } else {
        const auto first = lines_.begin() + qsizetype(prefix);
        lines_.erase(first, first + qsizetype(replaced));
        lines_.insert(lines_.begin() + qsizetype(prefix), std::make_move_iterator(read.begin()),
                      std::make_move_iterator(read.end()));
        const auto firstSize = sizes_.begin() + qsizetype(prefix);
        sizes_.erase(firstSize, firstSize + qsizetype(replaced));
        sizes_.insert(sizes_.begin() + qsizetype(prefix), readSizes.begin(), readSizes.end());
    }
    if (edit.deleteCount == 0 && edit.data.empty())
        return std::nullopt;
    return edit;
}

} // namespace Lsp
