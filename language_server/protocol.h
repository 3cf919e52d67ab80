#pragma once

#include "checker/diagnostic.h"
#include "language_server/json_reader.h"

#include <QByteArrayList>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <map>
#include <optional>

// The pieces of the Language Server Protocol this server speaks, as plain values:
// positions and ranges (lines from 0, characters in UTF-16 code units, as Qt
// strings count them), what the features answer, and the params of what they
// are asked. Every JSON key the server reads or writes is in protocol.cpp; params
// are read by a `read` from a JsonReader, which names the first field that does
// not read, and the request is refused with kInvalidParams and that field's path.
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

// Thrown by a feature that cannot answer; the client gets it as the request's error.
struct RequestError
{
    int code;
    QString message;
};

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
    // Both must be whole numbers from 0.
    static Position read(const JsonReader &json);
    static std::optional<Position> fromJson(const QJsonValue &value);
    QJsonObject toJson() const;
};

struct Range
{
    Position start;
    Position end;
    static Range onLine(int line, int column, int length) { return {{line, column}, {line, column + length}}; }
    friend bool operator==(const Range &a, const Range &b) { return a.start == b.start && a.end == b.end; }
    static Range read(const JsonReader &json);
    static std::optional<Range> fromJson(const QJsonValue &value);
    QJsonObject toJson() const;
};

struct Location
{
    QString uri;
    Range range;
    friend bool operator==(const Location &a, const Location &b) { return a.uri == b.uri && a.range == b.range; }
    QJsonObject toJson() const;
};

struct TextEdit
{
    Range range;
    QString newText;
    QJsonObject toJson() const;
};

struct WorkspaceEdit
{
    std::map<QString, QVector<TextEdit>> changes; // by address
    QJsonObject toJson() const;
};

struct RelatedInformation
{
    Location location;
    QString message;
    QJsonObject toJson() const;
};

// A checker's diagnostic as the protocol shows it.
struct PublishedDiagnostic
{
    enum Severity
    {
        kError = 1,
        kWarning = 2,
    };
    Range range;
    int severity = kError;
    QString code; // "TW104"
    QString message;
    QVector<RelatedInformation> relatedInformation;

    static PublishedDiagnostic of(const Diagnostic &diagnostic, const QString &uri);
    QJsonObject toJson() const;
};

// The compact JSON of diagnostics that all lie on one line, items joined by commas
// and cut where that line's number goes: joined with the number, the pieces make
// the JSON of the diagnostics on whichever line they have moved to. Written here,
// not by Qt, so that where the numbers stand is known and not looked for.
QByteArrayList writeCutAtLine(const QVector<PublishedDiagnostic> &diagnostics);

struct CompletionItem
{
    enum Kind
    {
        kFunction = 3,
        kKeyword = 14,
        kReference = 18,
    };
    QString label;
    int kind = kKeyword;
    QString detail; // none when empty
    TextEdit textEdit;
    QJsonObject toJson() const;
};

struct CompletionList
{
    bool isIncomplete = false;
    QVector<CompletionItem> items;
    QJsonValue toJson() const;
};

struct Hover
{
    QString markdown;
    Range range;
    QJsonValue toJson() const;
};

struct DocumentSymbol
{
    enum Kind
    {
        kModule = 2,
        kClass = 5,
        kProperty = 7,
        kFunction = 12,
        kObject = 19,
        kKey = 20,
        kStruct = 23,
        kEvent = 24,
    };
    QString name;
    QString detail; // none when empty
    int kind = kClass;
    Range range;
    Range selectionRange;
    QVector<DocumentSymbol> children;
    QJsonObject toJson() const;
};

// An outline, nested or, for clients that take no nesting, flat: each child
// then follows its parent, which it names as its container.
struct Outline
{
    QVector<DocumentSymbol> symbols;
    bool flat = false;
    QString uri; // for the flat list's locations
    QJsonValue toJson() const;
};

struct CodeAction
{
    QString title;
    QVector<PublishedDiagnostic> diagnostics;
    WorkspaceEdit edit;
    QJsonObject toJson() const; // a preferred quick fix
};

struct PrepareRenameResult
{
    Range range;
    QString placeholder;
    QJsonValue toJson() const;
};

// A list of things, or null when there are none; features answer with it where
// the protocol tells "nothing here" from "an empty list".
template <typename T> QJsonValue toJson(const std::optional<T> &value)
{
    return value ? QJsonValue(value->toJson()) : QJsonValue(QJsonValue::Null);
}
QJsonValue toJson(const QVector<Location> &locations); // null when empty
QJsonValue toJson(const std::optional<QVector<Location>> &locations);
QJsonValue toJson(const QVector<CodeAction> &actions);
inline QJsonValue toJson(const WorkspaceEdit &edit)
{
    return edit.toJson();
}
template <typename T> QJsonValue toJson(const T &value)
{
    return value.toJson();
}

// Params as `Params::read` reads them; when they do not read, a RequestError with
// kInvalidParams naming the field ("params.position.line: expected a number").
// Every request and notification reads its params here.
template <typename Params> Params readParams(const QJsonValue &json)
{
    const JsonReader reader(json, QStringLiteral("params"));
    Params params = Params::read(reader);
    if (reader.failed())
        throw RequestError{ErrorCode::kInvalidParams, reader.failure()};
    return params;
}

// What a request names: a document, and for most a place in it.
struct DocumentParams
{
    QString uri;
    static DocumentParams read(const JsonReader &json);
};

struct PositionParams
{
    QString uri;
    Position position;
    static PositionParams read(const JsonReader &json);
};

struct ReferenceParams
{
    QString uri;
    Position position;
    bool includeDeclaration = true;
    static ReferenceParams read(const JsonReader &json);
};

struct RenameParams
{
    QString uri;
    Position position;
    QString newName;
    static RenameParams read(const JsonReader &json);
};

struct CodeActionParams
{
    QString uri;
    Range range;
    static CodeActionParams read(const JsonReader &json);
};

struct DidOpenParams
{
    QString uri;
    int version = 0;
    QString text;
    static DidOpenParams read(const JsonReader &json);
};

struct ContentChange
{
    std::optional<Range> range; // none: the whole text
    QString text;
};

struct DidChangeParams
{
    QString uri;
    std::optional<int> version;
    QVector<ContentChange> changes;
    // Every change is read before any is made, so that a bad one leaves the script as it was.
    static DidChangeParams read(const JsonReader &json);
};

struct DidChangeWatchedFilesParams
{
    QStringList uris;
    static DidChangeWatchedFilesParams read(const JsonReader &json);
};

struct ClientCapabilities
{
    bool hierarchicalSymbols = false;
    bool prepareRename = false;
    bool watchFiles = false;
};

struct InitializeParams
{
    ClientCapabilities capabilities;
    QStringList folderUris; // the workspace folders, or else the root's address
    QString rootPath;       // when the client gave only a path
    static InitializeParams read(const JsonReader &json);
};

// What the features offer; each sets its own part.
struct ServerCapabilities
{
    bool definition = false;
    bool references = false;
    enum class Rename
    {
        None,
        Plain,
        WithPrepare,
    };
    Rename rename = Rename::None;
    bool documentSymbol = false;
    bool hover = false;
    std::optional<QStringList> completionTriggers;
    QStringList codeActionKinds; // none offered when empty
    QJsonObject semanticTokens;  // the legend and what is offered; none when empty
    QJsonObject toJson() const;
};

struct InitializeResult
{
    ServerCapabilities capabilities;
    QString name;
    QString version;
    QJsonValue toJson() const;
};

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

namespace MessageType {
constexpr int kWarning = 2;
constexpr int kLog = 4;
} // namespace MessageType
// window/showMessage or window/logMessage.
QJsonObject messageNotification(const QString &method, int type, const QString &message);
// textDocument/publishDiagnostics with no diagnostics: the script's are gone.
QJsonObject clearDiagnostics(const QString &uri);
// Asks the client to say when files matching any of `globs` change on disk.
QJsonObject watchFilesRequest(const QStringList &globs);
// A framed textDocument/publishDiagnostics whose diagnostics, JSON items joined
// by commas, `writeItems` writes at the place it is given: at most `itemsSize`
// bytes, returning how many. The message is written in one buffer, with no copy
// of what may be megabytes.
QByteArray framedPublishDiagnostics(const QString &uri, int version, qsizetype itemsSize,
                                    const std::function<qsizetype(char *items)> &writeItems);

// "Content-Length: N\r\n\r\n" and the message as compact UTF-8.
QByteArray frame(const QJsonObject &message);
// "Content-Length: N\r\n\r\n" and content already written as JSON.
QByteArray frame(const QByteArray &content);

} // namespace Lsp
