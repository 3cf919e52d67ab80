// Cutting the byte stream into messages: whole messages however the bytes are
// split, and a bad header skipped without losing the messages after it.
#include "language_server/message_reader.h"
#include "language_server/protocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using Lsp::MessageReader;

namespace {

QByteArray framed(const QByteArray &content)
{
    return "Content-Length: " + QByteArray::number(content.size()) + "\r\n\r\n" + content;
}

// What the reader makes of `stream` fed in pieces of `piece` bytes: each message
// as its content, each problem as "!".
QByteArrayList readAll(const QByteArray &stream, int piece)
{
    MessageReader reader;
    QByteArrayList items;
    for (qsizetype at = 0; at < stream.size(); at += piece) {
        reader.feed(QByteArrayView(stream).sliced(at, std::min<qsizetype>(piece, stream.size() - at)));
        while (std::optional<MessageReader::Item> item = reader.next())
            items.append(item->problem.isEmpty() ? item->content : QByteArray("!"));
    }
    return items;
}

} // namespace

class TestLspFraming : public QObject
{
    Q_OBJECT

private slots:
    void reader_givesEachMessageWhole_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QByteArrayList>("expected");
        const QByteArray a = R"({"jsonrpc":"2.0","method":"a"})";
        const QByteArray japanese = QStringLiteral(R"({"text":"表示😀"})").toUtf8();
        QTest::newRow("two messages") << framed(a) + framed("{}") << QByteArrayList{a, "{}"};
        QTest::newRow("UTF-8 counted in bytes") << framed(japanese) << QByteArrayList{japanese};
        QTest::newRow("header names in any case, other headers passed over")
            << QByteArray("content-type: application/vscode-jsonrpc; charset=utf-8\r\ncontent-length: 2\r\n\r\n{}")
            << QByteArrayList{"{}"};
        QTest::newRow("empty content") << QByteArray("Content-Length: 0\r\n\r\n") + framed("{}")
                                       << QByteArrayList{"", "{}"};
        QTest::newRow("no Content-Length, then a good message")
            << QByteArray("Content-Type: x\r\n\r\n") + framed("{}") << QByteArrayList{"!", "{}"};
        QTest::newRow("length not a number")
            << QByteArray("Content-Length: 1e3\r\n\r\n") + framed("{}") << QByteArrayList{"!", "{}"};
        QTest::newRow("negative length") << QByteArray("Content-Length: -4\r\n\r\n") + framed("{}")
                                         << QByteArrayList{"!", "{}"};
        QTest::newRow("a header line without a name")
            << QByteArray("garbage\r\n\r\n") + framed("{}") << QByteArrayList{"!", "{}"};
        QTest::newRow("a bad line beside a good length: its content passed over")
            << QByteArray("Content-Length: 7\r\nX-Bad\r\n\r\n{\"a\":1}") + framed("{}") << QByteArrayList{"!", "{}"};
        QTest::newRow("no length, content after it: read again from the next Content-Length")
            << QByteArray("Content-Length: abc\r\n\r\n{\"a\":1}") + framed("{}") + framed("[]")
            << QByteArrayList{"!", "{}", "[]"};
        QTest::newRow("junk before a header")
            << framed("{}") + QByteArray("xyz") + framed("[]") + framed("1") << QByteArrayList{"{}", "!", "[]", "1"};
        QTest::newRow("a longer field name ending in Content-Length")
            << QByteArray("X-Content-Length: 10\r\n\r\n") + framed("[]") + framed("1")
            << QByteArrayList{"!", "[]", "1"};
        QTest::newRow("header as long as allowed, its end cut across reads")
            << QByteArray("Content-Length: 2\r\nX-Pad: ") + QByteArray(8192 - 26, 'a') + "\r\n\r\n[]" + framed("1")
            << QByteArrayList{"[]", "1"};
        QTest::newRow("Content-Length inside what is passed over")
            << QByteArray("X: 1\r\n\r\n{\"t\":\"Content-Length: 3\"}") + framed("[]") + framed("1")
            << QByteArrayList{"!", "!", "[]", "1"};
        QTest::newRow("header ended by LF alone, then good messages")
            << QByteArray("Content-Length: 2\n\n{}") + framed("[]") + framed("1") << QByteArrayList{"!", "[]", "1"};
        QTest::newRow("a long run of junk, then good messages")
            << QByteArray(9000, 'x') + framed("[]") + framed("1") << QByteArrayList{"!", "[]", "1"};
        QTest::newRow("too large, passed over unread")
            << QByteArray("Content-Length: 99999999999\r\n\r\n") << QByteArrayList{"!"};
        QTest::newRow("header that never ends") << QByteArray(9000, 'x') << QByteArrayList{"!"};
    }
    void reader_givesEachMessageWhole()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QByteArrayList, expected);
        for (int piece : {1, 3, 7, 1000, 100000})
            QCOMPARE(readAll(stream, piece), expected);
    }

    void reader_largeMessageInPieces_isReadOnce()
    {
        const QByteArray content = "{\"text\":\"" + QByteArray(3 * 1024 * 1024, 'a') + "\"}";
        QCOMPARE(readAll(framed(content) + framed("{}"), 64 * 1024), (QByteArrayList{content, "{}"}));
    }

    void reader_oversizeMessage_skipsItsBodyAndReadsTheNext()
    {
        MessageReader reader;
        const qint64 size = MessageReader::kMaxContentBytes + 10;
        reader.feed("Content-Length: " + QByteArray::number(size) + "\r\n\r\n");
        QVERIFY(!reader.next()->problem.isEmpty());
        const QByteArray block(1024 * 1024, ' ');
        for (qint64 left = size; left > 0; left -= block.size())
            reader.feed(QByteArrayView(block).first(std::min<qint64>(left, block.size())));
        QCOMPARE(reader.pending(), 0);
        reader.feed(framed("{}"));
        QCOMPARE(reader.next()->content, QByteArray("{}"));
    }

    void classify_tellsMessageKinds_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("kind");
        using Kind = Lsp::Incoming::Kind;
        QTest::newRow("request, number id") << QByteArray(R"({"id":1,"method":"m"})") << int(Kind::Request);
        QTest::newRow("request, string id") << QByteArray(R"({"id":"x","method":"m"})") << int(Kind::Request);
        QTest::newRow("notification") << QByteArray(R"({"method":"m"})") << int(Kind::Notification);
        QTest::newRow("response") << QByteArray(R"({"id":1,"result":null})") << int(Kind::Response);
        QTest::newRow("null id") << QByteArray(R"({"id":null,"method":"m"})") << int(Kind::Invalid);
        QTest::newRow("object id") << QByteArray(R"({"id":{},"method":"m"})") << int(Kind::Invalid);
        QTest::newRow("method not a string") << QByteArray(R"({"id":1,"method":3})") << int(Kind::Invalid);
        QTest::newRow("neither") << QByteArray(R"({"id":1})") << int(Kind::Invalid);
        QTest::newRow("a batch") << QByteArray(R"([{"method":"m"}])") << int(Kind::Invalid);
    }
    void classify_tellsMessageKinds()
    {
        QFETCH(QByteArray, json);
        QFETCH(int, kind);
        const QJsonDocument document = QJsonDocument::fromJson(json);
        const QJsonValue value = document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
        QCOMPARE(int(Lsp::classify(value).kind), kind);
    }

    void positionFromJson_refusesWhatIsNotAPosition_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("read");
        QTest::newRow("good") << QByteArray(R"({"line":1,"character":2})") << true;
        QTest::newRow("largest unsigned") << QByteArray(R"({"line":4294967295,"character":0})") << true;
        QTest::newRow("negative") << QByteArray(R"({"line":-1,"character":2})") << false;
        QTest::newRow("fraction") << QByteArray(R"({"line":1.5,"character":2})") << false;
        QTest::newRow("string") << QByteArray(R"({"line":"1","character":2})") << false;
        QTest::newRow("missing") << QByteArray(R"({"line":1})") << false;
    }
    void positionFromJson_refusesWhatIsNotAPosition()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, read);
        QCOMPARE(Lsp::Position::fromJson(QJsonDocument::fromJson(json).object()).has_value(), read);
    }
};

QTEST_GUILESS_MAIN(TestLspFraming)
#include "test_lsp_framing.moc"
