#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace Lsp {

// Cuts a byte stream into the protocol's messages: header lines ("Content-Length: N"
// and others) ended by a blank line, then N bytes of content. Bytes may arrive in
// pieces of any size. What cannot be read as a header is reported and passed over
// up to the next "Content-Length", where reading begins again; a message too
// large to keep is passed over whole. One bad message does not end the conversation.
class MessageReader
{
public:
    static constexpr qsizetype kMaxHeaderBytes = 8 * 1024;
    // Larger than any script the checker takes (16 MB of code page 932 grows to
    // about 24 MB as UTF-8, more with escapes).
    static constexpr qint64 kMaxContentBytes = 64LL * 1024 * 1024;

    struct Item
    {
        QByteArray content; // a whole message's content
        QString problem;    // set instead when the framing could not be read
    };

    void feed(QByteArrayView bytes);
    // The next message or framing problem, when one is complete.
    std::optional<Item> next();

    // Bytes held that belong to no finished message yet.
    qsizetype pending() const { return buffer_.size() - start_; }

private:
    std::optional<Item> readHeader();
    bool resync();
    Item lost(const QString &problem);
    void compact();

    QByteArray buffer_;
    qsizetype start_ = 0;       // where the unread bytes begin
    qsizetype searchedTo_ = 0;  // header end looked for up to here
    qint64 contentLength_ = -1; // of the message whose content is awaited
    qint64 skipping_ = 0;       // bytes of a refused message still to pass over
    bool resyncing_ = false;    // looking for the next message after one whose length is unknown
};

} // namespace Lsp
