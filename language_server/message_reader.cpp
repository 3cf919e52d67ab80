#include "language_server/message_reader.h"

#include <QList>

namespace Lsp {

namespace {

constexpr char kHeaderEnd[] = "\r\n\r\n";

// A decimal number of at most 18 digits, or -1.
qint64 lengthOf(QByteArrayView value)
{
    value = value.trimmed();
    if (value.isEmpty() || value.size() > 18)
        return -1;
    qint64 length = 0;
    for (char c : value) {
        if (c < '0' || c > '9')
            return -1;
        length = length * 10 + (c - '0');
    }
    return length;
}

} // namespace

void MessageReader::feed(QByteArrayView bytes)
{
    if (skipping_ > 0) {
        const qint64 skipped = std::min<qint64>(skipping_, bytes.size());
        skipping_ -= skipped;
        bytes = bytes.sliced(skipped);
    }
    buffer_.append(bytes);
}

std::optional<MessageReader::Item> MessageReader::next()
{
    if (contentLength_ < 0) {
        std::optional<Item> problem = readHeader();
        if (problem || contentLength_ < 0) {
            compact();
            return problem;
        }
    }
    if (pending() < contentLength_)
        return std::nullopt;
    Item item;
    item.content = buffer_.mid(start_, qsizetype(contentLength_));
    start_ += qsizetype(contentLength_);
    contentLength_ = -1;
    compact();
    return item;
}

// Reads the header block at the start of the unread bytes, if it is whole.
std::optional<MessageReader::Item> MessageReader::readHeader()
{
    if (resyncing_ && !resync())
        return std::nullopt;
    const qsizetype from = std::max(start_, searchedTo_ - 3);
    const qsizetype end = buffer_.indexOf(kHeaderEnd, from);
    if (end < 0) {
        searchedTo_ = buffer_.size();
        if (pending() <= kMaxHeaderBytes)
            return std::nullopt;
        // No blank line where one should long have come: what came is not a header.
        start_ = buffer_.size() - 3;
        searchedTo_ = start_;
        resyncing_ = true;
        return Item{{}, QStringLiteral("header without an end (more than %1 bytes)").arg(kMaxHeaderBytes)};
    }
    const QByteArrayView header = QByteArrayView(buffer_).sliced(start_, end - start_);
    start_ = end + 4;
    searchedTo_ = start_;
    QString problem;
    qint64 length = -1;
    if (header.size() > kMaxHeaderBytes)
        problem = QStringLiteral("header longer than %1 bytes").arg(kMaxHeaderBytes);
    for (const QByteArray &line : header.toByteArray().split('\n')) {
        const QByteArray field = line.endsWith('\r') ? line.chopped(1) : line;
        if (field.isEmpty())
            continue;
        const qsizetype colon = field.indexOf(':');
        if (colon <= 0) {
            problem = QStringLiteral("header line without a name: %1").arg(QString::fromLatin1(field.left(80)));
            continue;
        }
        if (field.left(colon).trimmed().compare("Content-Length", Qt::CaseInsensitive) == 0) {
            length = lengthOf(QByteArrayView(field).sliced(colon + 1));
            if (length < 0)
                problem = QStringLiteral("Content-Length is not a number");
        }
        // Content-Type and any other header are read past: the content is UTF-8.
    }
    if (length < 0) {
        // Where the content ends is unknown: the next message begins at the next Content-Length.
        resyncing_ = true;
        return Item{{}, problem.isEmpty() ? QStringLiteral("header without Content-Length") : problem};
    }
    if (length > kMaxContentBytes && problem.isEmpty())
        problem = QStringLiteral("message of %1 bytes is larger than %2").arg(length).arg(kMaxContentBytes);
    if (!problem.isEmpty()) {
        // A message that is not read is passed over whole, without being kept.
        const qint64 here = std::min<qint64>(length, pending());
        start_ += qsizetype(here);
        searchedTo_ = start_;
        skipping_ = length - here;
        return Item{{}, problem};
    }
    contentLength_ = length;
    return std::nullopt;
}

// Passes over bytes up to the next "Content-Length"; false while none has come.
bool MessageReader::resync()
{
    static const QByteArray kField = QByteArrayLiteral("content-length");
    const qsizetype found = buffer_.sliced(start_).toLower().indexOf(kField);
    if (found < 0) {
        start_ = std::max(start_, buffer_.size() - (kField.size() - 1)); // it may be cut across pieces
        searchedTo_ = start_;
        compact();
        return false;
    }
    start_ += found;
    searchedTo_ = start_;
    resyncing_ = false;
    return true;
}

void MessageReader::compact()
{
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = searchedTo_ = 0;
    } else if (start_ > 64 * 1024 && start_ > buffer_.size() / 2) {
        buffer_.remove(0, start_);
        searchedTo_ -= start_;
        start_ = 0;
    }
}

} // namespace Lsp
