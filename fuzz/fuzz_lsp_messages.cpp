// What the language server does with whatever a client sends. The first byte
// chooses how the rest is read: even, as the raw byte stream (headers and all);
// odd, as message contents separated by NUL bytes, each framed with its true
// length, so that the fuzzer can change the JSON itself. Nothing may crash or
// hang, every answer must be framed as it should, and a diagnostic must lie on a
// line of its script.
#include "language_server/message_reader.h"
#include "language_server/server.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "fuzz_lsp_messages: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArrayView input(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    Lsp::MessageReader answers;
    Lsp::Server server({nullptr, QStringLiteral("fuzz")}, [&](const QByteArray &bytes) { answers.feed(bytes); });
    if (data[0] % 2 == 0) {
        server.receive(input);
        server.idle();
    } else {
        for (const QByteArray &content : QByteArray::fromRawData(input.data(), input.size()).split('\0')) {
            server.receive("Content-Length: " + QByteArray::number(content.size()) + "\r\n\r\n" + content);
            server.idle();
        }
    }
    while (std::optional<Lsp::MessageReader::Item> item = answers.next()) {
        if (!item->problem.isEmpty())
            fail("an answer that is not framed");
        const QJsonObject message = QJsonDocument::fromJson(item->content).object();
        if (message.value(QLatin1String("jsonrpc")) != QLatin1String("2.0"))
            fail("an answer that is not JSON-RPC 2.0");
        for (const QJsonValue diagnostic :
             message.value(QLatin1String("params")).toObject().value(QLatin1String("diagnostics")).toArray()) {
            const QJsonObject start =
                diagnostic.toObject().value(QLatin1String("range")).toObject().value(QLatin1String("start")).toObject();
            if (start.value(QLatin1String("line")).toInt(-1) < 0 ||
                start.value(QLatin1String("character")).toInt(-1) < 0)
                fail("a diagnostic outside its script");
        }
    }
    if (answers.pending() != 0)
        fail("an answer cut short");
    return 0;
}
