#include "language_server/token_lines.h"

#include "language_server/semantic_tokens.h"

#include <numeric>

namespace Lsp {

TokenLines::Line TokenLines::read(const ScriptCheck &check, int number, std::vector<quint32> &pool)
{
    const QVector<Colour> &pieces = check.colours(number);
    Line line{quint32(pool.size()), 0};
    appendLineTokens(pool, check.text(number), pieces);
    line.size = quint32(pool.size() - line.start);
    return line;
}

void TokenLines::prefetch(const ScriptCheck &check, size_t number, size_t count)
{
    // Two steps: a line's own record first, then what it points at, which can only
    // be asked for once the record has arrived.
    constexpr size_t kRecordAhead = 16;
    constexpr size_t kDataAhead = 8;
    if (number + kRecordAhead < count) {
        __builtin_prefetch(&check.colours(int(number + kRecordAhead)));
        __builtin_prefetch(&check.text(int(number + kRecordAhead)));
    }
    if (number + kDataAhead < count) {
        // Both ends: a line's text and pieces often straddle two cache lines.
        const QVector<Colour> &colours = check.colours(int(number + kDataAhead));
        const QString &text = check.text(int(number + kDataAhead));
        if (!colours.isEmpty()) {
            __builtin_prefetch(colours.constData());
            __builtin_prefetch(&colours.constLast());
        }
        __builtin_prefetch(text.constData());
        __builtin_prefetch(text.constData() + text.size()); // its closing null
    }
}

int TokenLines::lineOfTokenBefore(size_t number) const
{
    while (number > 0) {
        --number;
        if (lines_[number].size > 0)
            return int(number);
    }
    return 0;
}

void TokenLines::append(std::vector<quint32> &out, const std::vector<quint32> &pool, const std::vector<Line> &lines,
                        int firstNumber, int lineBefore)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].size == 0)
            continue;
        const int number = firstNumber + int(i);
        const size_t start = out.size();
        const auto first = pool.begin() + qsizetype(lines[i].start);
        out.insert(out.end(), first, first + qsizetype(lines[i].size));
        out[start] = quint32(number - lineBefore);
        lineBefore = number;
    }
}

const std::vector<quint32> &TokenLines::readAll(const TextDocument &document)
{
    const ScriptCheck &check = document.check();
    const size_t count = size_t(check.lineCount());
    lines_.clear();
    lines_.reserve(count);
    pool_.clear();
    // Sized from the first lines, a long script's pool is not copied at every doubling.
    const size_t sample = std::min<size_t>(count, 1024);
    for (size_t number = 0; number < count; ++number) {
        if (number == sample)
            pool_.reserve(pool_.size() * count / sample + pool_.size() / 4);
        prefetch(check, number, count);
        lines_.push_back(read(check, int(number), pool_));
    }
    live_ = pool_.size();
    editCount_ = document.editCount();
    documentId_ = document.id();
    // Read in order, the pool is the list itself once each line's first token is
    // placed: not copied, which for a long script costs as much as reading it.
    int lineBefore = 0;
    for (size_t number = 0; number < count; ++number) {
        if (lines_[number].size == 0)
            continue;
        pool_[lines_[number].start] = quint32(int(number) - lineBefore);
        lineBefore = int(number);
    }
    inOrder_ = true;
    return pool_;
}

void TokenLines::compact()
{
    if (pool_.size() <= 2 * live_ + 4096)
        return;
    std::vector<quint32> pool;
    pool.reserve(live_);
    for (Line &line : lines_) {
        const auto first = pool_.begin() + qsizetype(line.start);
        line.start = quint32(pool.size());
        pool.insert(pool.end(), first, first + qsizetype(line.size));
    }
    pool_ = std::move(pool);
}

// Each edit moves the span of the ones before it, and adds its own lines and those
// it changed besides.
std::optional<std::optional<TokenLines::Span>> TokenLines::editedSpan(const TextDocument &document) const
{
    if (document.id() != documentId_)
        return std::nullopt;
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

const std::vector<quint32> &TokenLines::current(const TextDocument &document)
{
    // Another document, or edits no longer on record: comparing every line would
    // read each twice.
    if (!editedSpan(document))
        return readAll(document);
    update(document);
    if (!inOrder_)
        putInOrder();
    return pool_;
}

void TokenLines::putInOrder()
{
    std::vector<quint32> pool;
    pool.reserve(live_);
    append(pool, pool_, lines_, 0, 0);
    quint32 start = 0;
    for (Line &line : lines_) {
        line.start = start;
        start += line.size;
    }
    pool_ = std::move(pool);
    live_ = pool_.size();
    inOrder_ = true;
}

TokenLines::Span TokenLines::scannedSpan(const ScriptCheck &check) const
{
    const size_t oldCount = lines_.size();
    const size_t newCount = size_t(check.lineCount());
    const size_t shorter = std::min(oldCount, newCount);
    std::vector<quint32> pool;
    std::vector<Line> fresh;
    fresh.reserve(newCount);
    for (size_t number = 0; number < newCount; ++number) {
        prefetch(check, number, newCount);
        fresh.push_back(read(check, int(number), pool));
    }
    // A line's first number says where it lies after the line before, not what it holds.
    const auto same = [&](const Line &now, const Line &then) {
        if (now.size != then.size)
            return false;
        const auto nowFirst = pool.begin() + qsizetype(now.start);
        const auto thenFirst = pool_.begin() + qsizetype(then.start);
        return now.size == 0 || std::equal(nowFirst + 1, nowFirst + qsizetype(now.size), thenFirst + 1);
    };
    size_t prefix = 0;
    while (prefix < shorter && same(fresh[prefix], lines_[prefix]))
        ++prefix;
    size_t suffix = 0;
    while (suffix < shorter - prefix && same(fresh[newCount - 1 - suffix], lines_[oldCount - 1 - suffix]))
        ++suffix;
    return Span{prefix, newCount - suffix};
}

std::optional<TokensEdit> TokenLines::update(const TextDocument &document)
{
    const std::optional<std::optional<Span>> edited = editedSpan(document);
    editCount_ = document.editCount();
    documentId_ = document.id();
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
    while (suffix > 0 && lines_[oldCount - suffix].size == 0)
        --suffix;
    if (suffix > 0)
        --suffix;

    std::vector<Line> read;
    read.reserve(newCount - suffix - prefix);
    for (size_t number = prefix; number < newCount - suffix; ++number)
        read.push_back(TokenLines::read(check, int(number), pool_));
    const auto sizeOf = [](size_t sum, const Line &line) { return sum + line.size; };
    const auto first = lines_.begin() + qsizetype(prefix);
    const size_t replaced = oldCount - suffix - prefix;
    const size_t start = std::accumulate(lines_.begin(), first, size_t(0), sizeOf);
    const size_t removed = std::accumulate(first, first + qsizetype(replaced), size_t(0), sizeOf);
    TokensEdit edit{int(start), int(removed), {}};
    append(edit.data, pool_, read, int(prefix), lineOfTokenBefore(prefix));
    live_ = live_ - removed + std::accumulate(read.begin(), read.end(), size_t(0), sizeOf);
    replaceLines(prefix, replaced, read);
    inOrder_ = false;
    compact();
    if (edit.deleteCount == 0 && edit.data.empty())
        return std::nullopt;
    return edit;
}

void TokenLines::replaceLines(size_t first, size_t replaced, const std::vector<Line> &read)
{
    const auto at = lines_.begin() + qsizetype(first);
    if (replaced == read.size()) { // a keystroke: the lines after stay where they are
        std::copy(read.begin(), read.end(), at);
        return;
    }
    lines_.erase(at, at + qsizetype(replaced));
    lines_.insert(lines_.begin() + qsizetype(first), read.begin(), read.end());
}

} // namespace Lsp
