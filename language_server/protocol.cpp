#include "language_server/protocol.h"

#include <QJsonDocument>

#include <cmath>

namespace Lsp {

namespace {

bool readCount(const QJsonValue &value, int *count)
{
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    // Clients may send the largest unsigned 32-bit number for "the end of the line".
    if (!(number >= 0) || number != std::floor(number))
        return false;
    *count = number > 2147483647.0 ? 2147483647 : int(number);
    return true;
}

} // namespace

bool readPosition(const QJsonValue &value, Position *position)
{
    const QJsonObject object = value.toObject();
    return readCount(object.value(QLatin1String("line")), &position->line) &&
           readCount(object.value(QLatin1String("character")), &position->character);
}

bool readRange(const QJsonValue &value, Position *start, Position *end)
{
    const QJsonObject object = value.toObject();
    return readPosition(object.value(QLatin1String("start")), start) &&
           readPosition(object.value(QLatin1String("end")), end);
}

QJsonObject position(int line, int character)
{
    return QJsonObject{{QLatin1String("line"), line}, {QLatin1String("character"), character}};
}

QJsonObject range(int line, int startCharacter, int endLine, int endCharacter)
{
    return QJsonObject{{QLatin1String("start"), position(line, startCharacter)},
                       {QLatin1String("end"), position(endLine, endCharacter)}};
}

QJsonObject range(int line, int column, int length)
{
    return range(line, column, line, column + length);
}

QJsonObject location(const QString &uri, int line, int column, int length)
{
    return QJsonObject{{QLatin1String("uri"), uri}, {QLatin1String("range"), range(line, column, length)}};
}

Incoming classify(const QJsonValue &value)
{
    Incoming incoming;
    if (!value.isObject())
        return incoming;
    const QJsonObject message = value.toObject();
    const QJsonValue id = message.value(QLatin1String("id"));
    const bool validId = id.isDouble() || id.isString();
    if (validId)
        incoming.id = id;
    const QJsonValue method = message.value(QLatin1String("method"));
    if (method.isString()) {
        incoming.method = method.toString();
        incoming.params = message.value(QLatin1String("params"));
        if (validId)
            incoming.kind = Incoming::Kind::Request;
        else if (id.isUndefined())
            incoming.kind = Incoming::Kind::Notification;
        return incoming;
    }
    if (!method.isUndefined())
        return incoming;
    if (validId && (message.contains(QLatin1String("result")) || message.contains(QLatin1String("error"))))
        incoming.kind = Incoming::Kind::Response;
    return incoming;
}

QJsonObject response(const QJsonValue &id, const QJsonValue &result)
{
    return QJsonObject{
        {QLatin1String("jsonrpc"), QLatin1String("2.0")}, {QLatin1String("id"), id}, {QLatin1String("result"), result}};
}

QJsonObject errorResponse(const QJsonValue &id, int code, const QString &message)
{
    return QJsonObject{
        {QLatin1String("jsonrpc"), QLatin1String("2.0")},
        {QLatin1String("id"), id.isUndefined() ? QJsonValue(QJsonValue::Null) : id},
        {QLatin1String("error"), QJsonObject{{QLatin1String("code"), code}, {QLatin1String("message"), message}}}};
}

QJsonObject notification(const QString &method, const QJsonValue &params)
{
    return QJsonObject{{QLatin1String("jsonrpc"), QLatin1String("2.0")},
                       {QLatin1String("method"), method},
                       {QLatin1String("params"), params}};
}

QByteArray frame(const QJsonObject &message)
{
    return frame(QJsonDocument(message).toJson(QJsonDocument::Compact));
}

QByteArray frame(const QByteArray &content)
{
    return "Content-Length: " + QByteArray::number(content.size()) + "\r\n\r\n" + content;
}

} // namespace Lsp
