#include "language_server/semantic_tokens.h"

#include "checker/directives.h"
#include "checker/language.h"

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

// The pieces as they show: where they overlap, each column takes the last piece
// painted over it, and a piece cut in two makes two tokens.
QVector<Colour> visiblePieces(const QVector<Colour> &pieces, int lineLength)
{
    bool overlap = false;
    for (qsizetype i = 1; i < pieces.size() && !overlap; ++i)
        overlap = pieces[i].column < pieces[i - 1].column + pieces[i - 1].length;
    if (!overlap)
        return pieces;
    QVarLengthArray<int, 256> owner(lineLength);
    std::fill(owner.begin(), owner.end(), -1);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const int end = std::min(pieces[i].column + pieces[i].length, lineLength);
        for (int column = std::max(pieces[i].column, 0); column < end; ++column)
            owner[column] = int(i);
    }
    QVector<Colour> visible;
    for (int column = 0; column < lineLength;) {
        const int piece = owner[column];
        int end = column + 1;
        while (end < lineLength && owner[end] == piece)
            ++end;
        if (piece >= 0)
            visible.append(Colour{column, end - column, pieces[piece].kind});
        column = end;
    }
    return visible;
}

bool isDirectiveLine(const QString &text, const QVector<Colour> &pieces)
{
    const bool hasComment = std::any_of(pieces.cbegin(), pieces.cend(),
                                        [](const Colour &piece) { return piece.kind == Colour::Kind::Comment; });
    return hasComment && Directives::read(text).present;
}

// What a client was last sent for each script, so that a delta can be worked out
// against it. Shared by every server of the process; each answer has its own number.
class SentTokens
{
public:
    QString remember(const QString &uri, std::vector<quint32> data)
    {
        const QMutexLocker lock(&mutex_);
        if (sent_.size() >= kScripts && !sent_.count(uri))
            sent_.erase(sent_.begin());
        const QString resultId = QString::number(++lastId_);
        sent_[uri] = Sent{resultId, std::move(data)};
        return resultId;
    }
    // What was sent as `resultId`, or nothing when something newer or nothing was.
    std::optional<std::vector<quint32>> find(const QString &uri, const QString &resultId) const
    {
        const QMutexLocker lock(&mutex_);
        const auto found = sent_.find(uri);
        if (found == sent_.end() || found->second.resultId != resultId)
            return std::nullopt;
        return found->second.data;
    }

private:
    static constexpr size_t kScripts = 256;
    struct Sent
    {
        QString resultId;
        std::vector<quint32> data;
    };
    mutable QMutex mutex_;
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
    static std::optional<DeltaParams> fromJson(const QJsonValue &value)
    {
        const std::optional<DocumentParams> document = DocumentParams::fromJson(value);
        const QJsonValue previous = value.toObject().value(QLatin1String("previousResultId"));
        if (!document || !previous.isString())
            return std::nullopt;
        return DeltaParams{document->uri, previous.toString()};
    }
};

struct TokensAnswer
{
    QString resultId;
    std::vector<quint32> data;      // when the whole list is sent
    std::optional<TokensEdit> edit; // when a delta is, with no edit when nothing changed
    bool delta = false;
    QJsonValue toJson() const
    {
        QJsonObject object{{QLatin1String("resultId"), resultId}};
        if (!delta) {
            object.insert(QLatin1String("data"), arrayOf(data));
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

TokensAnswer fullTokens(const Context &context, const DocumentParams &params)
{
    std::vector<quint32> data = encodeTokens(semanticTokens(context.document(params.uri).check()));
    TokensAnswer answer;
    answer.data = data;
    answer.resultId = sentTokens().remember(params.uri, std::move(data));
    return answer;
}

// Against what was sent last; the whole list when that is not what the client holds.
TokensAnswer deltaTokens(const Context &context, const DeltaParams &params)
{
    const std::optional<std::vector<quint32>> before = sentTokens().find(params.uri, params.previousResultId);
    if (!before)
        return fullTokens(context, DocumentParams{params.uri});
    std::vector<quint32> after = encodeTokens(semanticTokens(context.document(params.uri).check()));
    TokensAnswer answer;
    answer.delta = true;
    answer.edit = tokensEdit(*before, after);
    answer.resultId = sentTokens().remember(params.uri, std::move(after));
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

QVector<SemanticToken> semanticTokens(const ScriptCheck &check)
{
    QVector<SemanticToken> tokens;
    for (int line = 0; line < check.lineCount(); ++line) {
        const QVector<Colour> pieces = check.colours(line);
        if (pieces.isEmpty())
            continue;
        const QString &text = check.text(line);
        const bool directive = isDirectiveLine(text, pieces);
        for (const Colour &piece : visiblePieces(pieces, int(text.size()))) {
            if (piece.length > 0)
                tokens.append(tokenOf(text, line, piece, directive));
        }
    }
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

std::optional<TokensEdit> tokensEdit(const std::vector<quint32> &before, const std::vector<quint32> &after)
{
    const size_t shorter = std::min(before.size(), after.size());
    size_t prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    if (prefix == before.size() && prefix == after.size())
        return std::nullopt;
    size_t suffix = 0;
    while (suffix < shorter - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return TokensEdit{int(prefix), int(before.size() - prefix - suffix),
                      std::vector<quint32>(after.begin() + qsizetype(prefix), after.end() - qsizetype(suffix))};
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
