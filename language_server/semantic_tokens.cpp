#include "language_server/semantic_tokens.h"

#include "checker/directives.h"
#include "checker/language.h"
#include "language_server/token_lines.h"

#include <QJsonArray>
#include <QMutex>
#include <QVarLengthArray>

#include <algorithm>
#include <map>

namespace Lsp {

namespace {

// The protocol's names, in TokenType's and TokenModifier's order.
const char *const kTypeNames[] = {"function", "keyword", "string", "label",   "number",
                                  "variable", "comment", "macro",  "operator"};
const char *const kModifierNames[] = {"player", "account", "npc", "scope", "global", "instance"};

bool isKeyword(QStringView word)
{
    return Language::isKeyword(word, Language::StartsStatement) || Language::isKeyword(word, Language::Offered);
}

SemanticToken tokenOf(const QString &text, int line, const Colour &piece, bool directiveLine)
{
    SemanticToken token{line, piece.column, piece.length, TokenType::Command, 0};
    const QStringView word = QStringView(text).mid(piece.column, piece.length);
    switch (piece.kind) {
    case Colour::Kind::Command:
        token.type = isKeyword(word) ? TokenType::Keyword : TokenType::Command;
        break;
    case Colour::Kind::String:
        token.type = TokenType::String;
        break;
    case Colour::Kind::Label:
        token.type = TokenType::Label;
        break;
    case Colour::Kind::Number:
        token.type = TokenType::Number;
        break;
    case Colour::Kind::Brace:
        token.type = TokenType::Brace;
        break;
    case Colour::Kind::Comment:
        token.type = directiveLine ? TokenType::Directive : TokenType::Comment;
        break;
    case Colour::Kind::Variable:
        token.type = TokenType::Variable;
        token.modifiers = variableModifiers(word);
        break;
    }
    return token;
}

// Calls `use` with the pieces as they show: where they overlap, each column takes
// the last piece painted over it, and a piece cut in two makes two pieces.
template <typename Use> void forEachVisiblePiece(const QVector<Colour> &pieces, int lineLength, Use use)
{
    bool overlap = false;
    for (qsizetype i = 1; i < pieces.size() && !overlap; ++i)
        overlap = pieces[i].column < pieces[i - 1].column + pieces[i - 1].length;
    if (!overlap) {
        for (const Colour &piece : pieces)
            use(piece);
        return;
    }
    QVarLengthArray<int, 256> owner(lineLength);
    std::fill(owner.begin(), owner.end(), -1);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const int end = std::min(pieces[i].column + pieces[i].length, lineLength);
        for (int column = std::max(pieces[i].column, 0); column < end; ++column)
            owner[column] = int(i);
    }
    for (int column = 0; column < lineLength;) {
        const int piece = owner[column];
        int end = column + 1;
        while (end < lineLength && owner[end] == piece)
            ++end;
        if (piece >= 0)
            use(Colour{column, end - column, pieces[piece].kind});
        column = end;
    }
}

bool isDirectiveLine(const QString &text, const QVector<Colour> &pieces)
{
    const bool hasComment = std::any_of(pieces.cbegin(), pieces.cend(),
                                        [](const Colour &piece) { return piece.kind == Colour::Kind::Comment; });
    return hasComment && Directives::read(text).present;
}

// Calls `use` with each token of a line, in order, placed at `line`.
template <typename Use> void forEachLineToken(const QString &text, const QVector<Colour> &pieces, int line, Use use)
{
    if (pieces.isEmpty())
        return;
    const bool directive = isDirectiveLine(text, pieces);
    forEachVisiblePiece(pieces, int(text.size()), [&](const Colour &piece) {
        if (piece.length > 0)
            use(tokenOf(text, line, piece, directive));
    });
}

// What a client was last sent for each script, line by line, so that a delta can
// be worked out against it. Shared by every server of the process; each answer
// has its own number, so a number another server gave is never taken for this one's.
class SentTokens
{
public:
    // Keeps `lines` as what was sent for `uri`; the answer's number.
    QString remember(const QString &uri, TokenLines lines)
    {
        const QMutexLocker lock(&mutex_);
        if (sent_.size() >= kScripts && !sent_.count(uri))
            sent_.erase(sent_.begin());
        const QString resultId = QString::number(++lastId_);
        sent_[uri] = Sent{resultId, std::move(lines)};
        return resultId;
    }
    // Brings what was sent as `resultId` up to `check`; the edit and the new number,
    // or nothing when something newer or nothing was sent.
    std::optional<std::pair<std::optional<TokensEdit>, QString>> update(const QString &uri, const QString &resultId,
                                                                        const TextDocument &document)
    {
        const QMutexLocker lock(&mutex_);
        const auto found = sent_.find(uri);
        if (found == sent_.end() || found->second.resultId != resultId)
            return std::nullopt;
        std::optional<TokensEdit> edit = found->second.lines.update(document);
        found->second.resultId = QString::number(++lastId_);
        return std::make_pair(std::move(edit), found->second.resultId);
    }
    // What was last sent for `uri`, taken away: the client that asks for the whole
    // list again no longer holds it.
    std::optional<TokenLines> take(const QString &uri)
    {
        const QMutexLocker lock(&mutex_);
        const auto found = sent_.find(uri);
        if (found == sent_.end())
            return std::nullopt;
        TokenLines lines = std::move(found->second.lines);
        sent_.erase(found);
        return lines;
    }

private:
    static constexpr size_t kScripts = 64;
    struct Sent
    {
        QString resultId;
        TokenLines lines;
    };
    QMutex mutex_;
    std::map<QString, Sent> sent_;
    quint64 lastId_ = 0;
};

SentTokens &sentTokens()
{
    static SentTokens sent;
    return sent;
}

QJsonArray arrayOf(const std::vector<quint32> &data)
{
    QJsonArray array;
    for (const quint32 number : data)
        array.append(qint64(number));
    return array;
}

struct DeltaParams
{
    QString uri;
    QString previousResultId;
    static DeltaParams read(const JsonReader &json)
    {
        const DocumentParams document = DocumentParams::read(json);
        return DeltaParams{document.uri, json.field("previousResultId").string()};
    }
};

struct TokensAnswer
{
    QString resultId;
    QJsonArray data;                // when the whole list is sent
    std::optional<TokensEdit> edit; // when a delta is, with no edit when nothing changed
    bool delta = false;
    QJsonValue toJson() const
    {
        QJsonObject object{{QLatin1String("resultId"), resultId}};
        if (!delta) {
            object.insert(QLatin1String("data"), data);
            return object;
        }
        QJsonArray edits;
        if (edit)
            edits.append(QJsonObject{{QLatin1String("start"), edit->start},
                                     {QLatin1String("deleteCount"), edit->deleteCount},
                                     {QLatin1String("data"), arrayOf(edit->data)}});
        object.insert(QLatin1String("edits"), edits);
        return object;
    }
};

// Brought up from what was sent last, the whole list reads again only the lines
// edited since.
TokensAnswer fullTokens(const Context &context, const DocumentParams &params)
{
    const TextDocument &document = context.document(params.uri);
    TokenLines lines = sentTokens().take(params.uri).value_or(TokenLines());
    TokensAnswer answer;
    answer.data = arrayOf(lines.current(document)); // before the lines are handed on
    answer.resultId = sentTokens().remember(params.uri, std::move(lines));
    return answer;
}

// Against what was sent last; the whole list when that is not what the client holds.
TokensAnswer deltaTokens(const Context &context, const DeltaParams &params)
{
    const TextDocument &document = context.document(params.uri);
    auto updated = sentTokens().update(params.uri, params.previousResultId, document);
    if (!updated)
        return fullTokens(context, DocumentParams{params.uri});
    TokensAnswer answer;
    answer.delta = true;
    answer.edit = std::move(updated->first);
    answer.resultId = updated->second;
    return answer;
}

} // namespace

int variableModifiers(QStringView name)
{
    if (name.startsWith(u".@"))
        return TokenModifier::kScope;
    if (name.startsWith(u'.'))
        return TokenModifier::kNpc;
    if (name.startsWith(u'$'))
        return TokenModifier::kGlobal;
    if (name.startsWith(u'#'))
        return TokenModifier::kAccount;
    if (name.startsWith(u'\''))
        return TokenModifier::kInstance;
    return TokenModifier::kPlayer;
}

QVector<SemanticToken> lineTokens(const QString &text, const QVector<Colour> &pieces, int line)
{
    QVector<SemanticToken> tokens;
    tokens.reserve(pieces.size());
    forEachLineToken(text, pieces, line, [&](const SemanticToken &token) { tokens.append(token); });
    return tokens;
}

void appendLineTokens(std::vector<quint32> &data, const QString &text, const QVector<Colour> &pieces)
{
    int column = 0;
    forEachLineToken(text, pieces, 0, [&](const SemanticToken &token) {
        data.insert(data.end(), {0u, quint32(token.column - column), quint32(token.length), quint32(token.type),
                                 quint32(token.modifiers)});
        column = token.column;
    });
}

QVector<SemanticToken> semanticTokens(const ScriptCheck &check)
{
    QVector<SemanticToken> tokens;
    for (int line = 0; line < check.lineCount(); ++line)
        tokens += lineTokens(check.text(line), check.colours(line), line);
    return tokens;
}

std::vector<quint32> encodeTokens(const QVector<SemanticToken> &tokens)
{
    std::vector<quint32> data;
    data.reserve(size_t(tokens.size()) * 5);
    int line = 0;
    int column = 0;
    for (const SemanticToken &token : tokens) {
        const int deltaLine = token.line - line;
        const int deltaColumn = deltaLine == 0 ? token.column - column : token.column;
        data.insert(data.end(), {quint32(deltaLine), quint32(deltaColumn), quint32(token.length), quint32(token.type),
                                 quint32(token.modifiers)});
        line = token.line;
        column = token.column;
    }
    return data;
}

QJsonObject semanticTokensProvider()
{
    QJsonArray types;
    for (const char *name : kTypeNames)
        types.append(QLatin1String(name));
    QJsonArray modifiers;
    for (const char *name : kModifierNames)
        modifiers.append(QLatin1String(name));
    return QJsonObject{
        {QLatin1String("legend"),
         QJsonObject{{QLatin1String("tokenTypes"), types}, {QLatin1String("tokenModifiers"), modifiers}}},
        {QLatin1String("full"), QJsonObject{{QLatin1String("delta"), true}}},
    };
}

void Features::register_semantic_tokens(FeatureTable &table)
{
    table.add(QStringLiteral("textDocument/semanticTokens/full"), &fullTokens);
    table.add(QStringLiteral("textDocument/semanticTokens/full/delta"), &deltaTokens);
    table.offer([](ServerCapabilities &server, const ClientCapabilities &) {
        server.semanticTokens = semanticTokensProvider();
    });
}

} // namespace Lsp
