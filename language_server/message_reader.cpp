#include "language_server/message_reader.h"

#include <QList>

#include <algorithm>

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

// A header field's name: letters, digits and "-".
bool isToken(QByteArrayView name)
{
    return !name.isEmpty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    });
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
        // Up to three bytes of a header end may have come already.
        if (pending() <= kMaxHeaderBytes + 3)
            return std::nullopt;
        return lost(QStringLiteral("header without an end (more than %1 bytes)").arg(kMaxHeaderBytes));
    }
    if (end - start_ > kMaxHeaderBytes)
        return lost(QStringLiteral("header longer than %1 bytes").arg(kMaxHeaderBytes));
    const QByteArrayView header = QByteArrayView(buffer_).sliced(start_, end - start_);
    qint64 length = -1;
    for (const QByteArray &line : header.toByteArray().split('\n')) {
        const QByteArray field = line.endsWith('\r') ? line.chopped(1) : line;
        const qsizetype colon = field.indexOf(':');
        if (colon <= 0 || !isToken(QByteArrayView(field).first(colon)))
            return lost(QStringLiteral("not a header line: %1").arg(QString::fromLatin1(field.left(80))));
        if (field.first(colon).compare("Content-Length", Qt::CaseInsensitive) == 0) {
            length = lengthOf(QByteArrayView(field).sliced(colon + 1));
            if (length < 0)
                return lost(QStringLiteral("Content-Length is not a number"));
        }
        // Content-Type and any other header are read past: the content is UTF-8.
    }
    if (length < 0)
        return lost(QStringLiteral("header without Content-Length"));
    start_ = end + 4;
    searchedTo_ = start_;
    if (length > kMaxContentBytes) {
        // Passed over whole, without being kept.
        const qint64 here = std::min<qint64>(length, pending());
        start_ += qsizetype(here);
        searchedTo_ = start_;
        skipping_ = length - here;
        return Item{{}, QStringLiteral("message of %1 bytes is larger than %2").arg(length).arg(kMaxContentBytes)};
    }
    contentLength_ = length;
    return std::nullopt;
}

// What lies at the start of the unread bytes is no header, or one whose content
// cannot be found: reading goes on at the next "Content-Length" after its first
// byte, which may be the header of a message that follows.
MessageReader::Item MessageReader::lost(const QString &problem)
{
    start_ += 1;
    searchedTo_ = start_;
    resyncing_ = true;
    return Item{{}, problem};
}

// Passes over bytes up to the next "Content-Length" that is not the end of a
// longer field name ("X-Content-Length"); false while none has come.
bool MessageReader::resync()
{
    static const QByteArray kField = QByteArrayLiteral("content-length");
    const QByteArray unread = buffer_.sliced(start_).toLower();
    for (qsizetype found = unread.indexOf(kField); found >= 0; found = unread.indexOf(kField, found + 1)) {
        if (found > 0 && unread.at(found - 1) == '-')
            continue;
        start_ += found;
        searchedTo_ = start_;
        resyncing_ = false;
        return true;
    }
    start_ = std::max(start_, buffer_.size() - kField.size()); // it may be cut across pieces
    searchedTo_ = start_;
    compact();
    return false;
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
