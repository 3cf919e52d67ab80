#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// The pieces of the Language Server Protocol this server speaks: error codes,
// positions and ranges (lines from 0, characters in UTF-16 code units, as Qt
// strings count them), and the shape of JSON-RPC messages.
namespace Lsp {

namespace ErrorCode {
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;
constexpr int kRequestFailed = -32803;
} // namespace ErrorCode

struct Position
{
    int line = 0;
    int character = 0;
    friend bool operator<(const Position &a, const Position &b)
    {
        return a.line < b.line || (a.line == b.line && a.character < b.character);
    }
    friend bool operator==(const Position &a, const Position &b)
    {
        return a.line == b.line && a.character == b.character;
    }
};

// Reads {"line": L, "character": C}; false when either is missing or not a
// whole number from 0.
bool readPosition(const QJsonValue &value, Position *position);
bool readRange(const QJsonValue &value, Position *start, Position *end);

QJsonObject position(int line, int character);
QJsonObject range(int line, int startCharacter, int endLine, int endCharacter);
QJsonObject range(int line, int column, int length);
QJsonObject location(const QString &uri, int line, int column, int length);

// A message as it came: its kind, and for requests and notifications the method.
struct Incoming
{
    enum class Kind
    {
        Request,
        Notification,
        Response, // to a request of the server's; it sends none that need an answer
        Invalid,
    };
    Kind kind = Kind::Invalid;
    QJsonValue id; // a number or a string for requests; null when it cannot be read
    QString method;
    QJsonValue params;
};

Incoming classify(const QJsonValue &message);

QJsonObject response(const QJsonValue &id, const QJsonValue &result);
QJsonObject errorResponse(const QJsonValue &id, int code, const QString &message);
QJsonObject notification(const QString &method, const QJsonValue &params);

// "Content-Length: N\r\n\r\n" and the message as compact UTF-8.
QByteArray frame(const QJsonObject &message);
// "Content-Length: N\r\n\r\n" and content already written as JSON.
QByteArray frame(const QByteArray &content);

} // namespace Lsp
