#include "language_server/completion.h"

#include "checker/language.h"

#include "checker/body_tokens.h"
#include "checker/server_names.h"
#include "language_server/labels.h"

#include <optional>

namespace Lsp {

namespace {

using BodyTokens::Token;

struct Place
{
    enum class Kind
    {
        Nothing,  // in a comment or a string
        Label,    // where a jump names a label
        Function, // inside callfunc's quotes
        Code,     // anywhere a command word may stand
    };
    Kind kind = Kind::Nothing;
    int wordStart = 0; // the part already typed begins here
    // Code: what the argument the cursor stands in names in the server's tables.
    Language::NamedThing named = Language::NamedThing::None;
};

// A token of the statement around the cursor, with its text.
struct Piece
{
    Token::Kind kind;
    QStringView text;
    bool is(QStringView punct) const { return kind == Token::Kind::Punct && text == punct; }
    bool isWord(QStringView word) const
    {
        return kind == Token::Kind::Name && text.compare(word, Qt::CaseInsensitive) == 0;
    }
};

// The tokens of `line` up to `end` that are not comments, read as the checker
// reads them: after the "{" on a definition line, inside a comment left open.
BodyTokens::Line tokensOf(const ScriptCheck &check, int line, int end, bool *inBody)
{
    const QString &text = check.text(line);
    int from = 0;
    *inBody = true;
    if (const DefinitionLine::Definition *definition = check.definitionOn(line)) {
        *inBody = definition->braceColumn >= 0 && end > definition->braceColumn;
        from = *inBody ? definition->braceColumn + 1 : 0;
    }
    return BodyTokens::tokenize(QStringView(text).left(end), from, check.commentGoesOn(line - 1));
}

void appendCode(QVector<Piece> &pieces, const QString &text, const BodyTokens::Line &tokens)
{
    for (const Token &token : tokens.tokens) {
        if (token.kind != Token::Kind::Comment)
            pieces.append(Piece{token.kind, QStringView(text).sliced(token.column, token.length)});
    }
}

// Lines a statement is read back over at most, for its command word.
constexpr int kLongestStatement = 2000;

// The code tokens of the cursor's line up to the cursor; none when nothing may be
// written there: outside a body, in a comment, past the "}" that ends the body.
std::optional<QVector<Token>> codeBeforeCursor(const ScriptCheck &check, Position position)
{
    bool inBody = false;
    const BodyTokens::Line line = tokensOf(check, position.line, position.character, &inBody);
    const QString &text = check.text(position.line);
    if (!inBody || line.endsInComment)
        return std::nullopt;
    QVector<Token> tokens;
    for (const Token &token : line.tokens) {
        if (token.kind != Token::Kind::Comment)
            tokens.append(token);
        else if (QStringView(text).sliced(token.column).startsWith(u"//"))
            return std::nullopt; // it runs to the cursor
    }
    int braces = check.definitionOn(position.line) ? 1 : check.braceDepthAfter(position.line - 1);
    for (const Token &token : std::as_const(tokens)) {
        if (token.kind == Token::Kind::Punct && token.length == 1 && text.at(token.column) == u'{')
            ++braces;
        else if (token.kind == Token::Kind::Punct && token.length == 1 && text.at(token.column) == u'}' &&
                 --braces <= 0)
            return std::nullopt;
    }
    return tokens;
}

// The statement's pieces up to the cursor: the lines it runs over (a menu's
// choices, one a line), then the cursor's own `tokens`.
QVector<Piece> statementPieces(const ScriptCheck &check, Position position, const QVector<Token> &tokens)
{
    QVector<Piece> pieces;
    int first = position.line;
    while (first > 0 && check.statementGoesOn(first - 1) && position.line - first < kLongestStatement)
        --first;
    for (int number = first; number < position.line; ++number) {
        bool earlierInBody = false;
        const BodyTokens::Line earlier = tokensOf(check, number, int(check.text(number).size()), &earlierInBody);
        if (earlierInBody)
            appendCode(pieces, check.text(number), earlier);
    }
    const QString &text = check.text(position.line);
    for (const Token &token : tokens)
        pieces.append(Piece{token.kind, QStringView(text).sliced(token.column, token.length)});
    return pieces;
}

// Inside a string, only callfunc's quotes, or callfunc("..., take a word.
Place stringPlace(const QVector<Piece> &pieces, const Token &openString)
{
    const qsizetype last = pieces.size();
    const bool call = (last >= 2 && pieces.at(last - 2).isWord(u"callfunc")) ||
                      (last >= 3 && pieces.at(last - 2).is(u"(") && pieces.at(last - 3).isWord(u"callfunc"));
    if (!call || pieces.back().text.sliced(1).contains(u'\\'))
        return Place{};
    return Place{Place::Kind::Function, openString.column + 1};
}

// Where the statement the cursor is in begins: after the last ";", "{", "}" or
// label. (A ";" inside the parentheses of a "for" ends nothing.)
qsizetype statementStart(const QVector<Piece> &pieces, qsizetype last)
{
    qsizetype start = 0;
    int parentheses = 0;
    for (qsizetype i = 0; i < last; ++i) {
        const Piece &piece = pieces.at(i);
        if (piece.is(u"("))
            ++parentheses;
        else if (piece.is(u")"))
            parentheses = std::max(0, parentheses - 1);
        else if (parentheses == 0 && (piece.is(u";") || piece.is(u"{") || piece.is(u"}") || piece.is(u":")))
            start = i + 1;
    }
    return start;
}

// Passes over an "if (...)", "for (...)", "while (...)" or "else" before the
// command; none while the cursor is still in a condition.
std::optional<qsizetype> pastHeads(const QVector<Piece> &pieces, qsizetype start, qsizetype last)
{
    const auto heads = [](const Piece &piece) {
        return piece.isWord(u"if") || piece.isWord(u"for") || piece.isWord(u"while");
    };
    for (;;) {
        if (start < last && pieces.at(start).isWord(u"else")) {
            ++start;
            continue;
        }
        if (!(start + 1 < last && heads(pieces.at(start)) && pieces.at(start + 1).is(u"(")))
            return start;
        int depth = 0;
        qsizetype i = start + 1;
        for (; i < last; ++i) {
            if (pieces.at(i).is(u"("))
                ++depth;
            else if (pieces.at(i).is(u")") && --depth == 0)
                break;
        }
        if (i >= last)
            return std::nullopt;
        start = i + 1;
    }
}

// Whether the cursor stands where the statement beginning at `start` names a label.
bool namesLabel(const QVector<Piece> &pieces, qsizetype start, qsizetype last, const Commands::Table &commands)
{
    const Piece &word = pieces.at(start);
    int argument = 0;
    int depth = 0;
    for (qsizetype i = start + 1; i < last; ++i) {
        const Piece &piece = pieces.at(i);
        if (piece.is(u"(") || piece.is(u"["))
            ++depth;
        else if (piece.is(u")") || piece.is(u"]"))
            --depth;
        else if (depth == 0 && piece.is(u","))
            ++argument;
    }
    const Commands::Command *command = commands.find(word.text);
    return depth == 0 && ((word.isWord(u"goto") && argument == 0) || (word.isWord(u"callsub") && argument == 0) ||
                          (word.isWord(u"menu") && argument % 2 == 1) || (command && command->labelAt(argument)));
}

// What the argument the cursor stands in names: one of the call whose "(" is open
// around the cursor, else one of the statement's command at `command`.
Language::NamedThing namedArgument(const QVector<Piece> &pieces, qsizetype begin, std::optional<qsizetype> command,
                                   qsizetype last)
{
    qsizetype word = -1;
    qsizetype from = -1; // the first piece of its arguments
    int depth = 0;
    for (qsizetype i = last - 1; i >= begin && word < 0; --i) {
        const Piece &piece = pieces.at(i);
        if (piece.is(u")") || piece.is(u"]")) {
            ++depth;
        } else if ((piece.is(u"(") || piece.is(u"[")) && depth-- == 0) {
            if (!piece.is(u"(") || i == begin || pieces.at(i - 1).kind != Token::Kind::Name)
                return Language::NamedThing::None;
            word = i - 1;
            from = i + 1;
        }
    }
    if (word < 0 && (!command || *command >= last || pieces.at(*command).kind != Token::Kind::Name))
        return Language::NamedThing::None;
    if (word < 0) {
        word = *command;
        from = word + 1;
    }
    int argument = 0;
    depth = 0;
    for (qsizetype i = from; i < last; ++i) {
        const Piece &piece = pieces.at(i);
        if (piece.is(u"(") || piece.is(u"["))
            ++depth;
        else if (piece.is(u")") || piece.is(u"]"))
            --depth;
        else if (depth == 0 && piece.is(u","))
            ++argument;
    }
    return Language::namedBy(pieces.at(word).text.toString().toLower(), argument);
}

// Reads the statement up to the cursor, from the line where it begins, to tell
// what kind of word goes there.
Place placeOf(const ScriptCheck &check, Position position, const Commands::Table &commands)
{
    const std::optional<QVector<Token>> tokens = codeBeforeCursor(check, position);
    if (!tokens)
        return Place{};
    const QVector<Piece> pieces = statementPieces(check, position, *tokens);
    if (!tokens->isEmpty() && tokens->back().kind == Token::Kind::OpenString)
        return stringPlace(pieces, tokens->back());
    // The word being typed, if the cursor stands at the end of one.
    qsizetype last = pieces.size();
    int wordStart = position.character;
    if (!tokens->isEmpty() && tokens->back().kind == Token::Kind::Name &&
        tokens->back().column + tokens->back().length == position.character) {
        --last;
        wordStart = tokens->back().column;
    }
    const qsizetype begin = statementStart(pieces, last);
    const std::optional<qsizetype> start = pastHeads(pieces, begin, last);
    const Language::NamedThing named = namedArgument(pieces, begin, start, last);
    if (!start || *start >= last || pieces.at(*start).kind != Token::Kind::Name)
        return Place{Place::Kind::Code, wordStart, named};
    return Place{namesLabel(pieces, *start, last, commands) ? Place::Kind::Label : Place::Kind::Code, wordStart, named};
}

CompletionItem item(const QString &label, int kind, const QString &detail, const Range &replace)
{
    return CompletionItem{label, kind, detail, TextEdit{replace, label}};
}

QString argumentName(QChar letter)
{
    switch (letter.unicode()) {
    case u's':
        return QStringLiteral("文字列");
    case u'l':
        return QStringLiteral("ラベル");
    default:
        return QStringLiteral("式");
    }
}

// Items or monsters offered at most: a table holds tens of thousands, and the
// client asks again as more is typed.
constexpr int kMostEntries = 200;
constexpr int kValueKind = 12; // the protocol's CompletionItemKind.Value

// The items or monsters whose script name holds what is typed, each written as its id.
CompletionList entryCompletion(const QList<ServerFolder::Entry> &entries, QStringView typed, const Range &replace)
{
    CompletionList list;
    for (const ServerFolder::Entry &entry : entries) {
        if (!entry.scriptName.contains(typed, Qt::CaseInsensitive))
            continue;
        if (list.items.size() == kMostEntries) {
            list.isIncomplete = true;
            break;
        }
        const QString detail = QStringLiteral("ID %1 %2").arg(entry.id).arg(entry.name);
        list.items.append(CompletionItem{entry.scriptName, kValueKind, detail.trimmed(),
                                         TextEdit{replace, QString::number(entry.id)}});
    }
    return list;
}

} // namespace

QString argumentsOf(const Commands::Command &command, Target::Servers servers)
{
    const QString count = Language::argumentCount(command, servers);
    // The letters the first server of the target reads, where it takes fewer.
    QStringView shape(command.shape);
    for (int bit = 0; bit < 4; ++bit) {
        if (!(servers & (1u << bit)))
            continue;
        const int most = command.counts[bit].max;
        if (most >= 0 && most <= command.shapedArguments)
            shape = shape.first(most);
        break;
    }
    QStringList kinds;
    for (const QChar letter : shape) {
        if (letter == u'…')
            kinds.append(QStringLiteral("…"));
        else
            kinds.append(argumentName(letter));
    }
    return kinds.isEmpty() ? QStringLiteral("引数 %1").arg(count)
                           : QStringLiteral("引数 %1（%2）").arg(count, kinds.join(QStringLiteral(", ")));
}

CompletionList completion(const TextDocument &document, Position position, const Commands::Table &commands,
                          const QStringList &functions)
{
    position = document.clamped(position);
    const ScriptCheck &check = document.check();
    CompletionList list;
    const Place place = check.bodyAround(position.line).first >= 0 ? placeOf(check, position, commands) : Place{};
    const Range replace = Range::onLine(position.line, place.wordStart, position.character - place.wordStart);
    switch (place.kind) {
    case Place::Kind::Nothing:
        break;
    case Place::Kind::Function:
        for (const QString &function : functions)
            list.items.append(item(function, CompletionItem::kFunction, QStringLiteral("関数"), replace));
        break;
    case Place::Kind::Label:
        for (const QString &label : Labels::definedAround(check, position.line))
            list.items.append(item(label, CompletionItem::kReference, QStringLiteral("ラベル"), replace));
        break;
    case Place::Kind::Code:
        if (const ServerNames *names = document.commands().serverNames();
            names && (place.named == Language::NamedThing::Item || place.named == Language::NamedThing::Monster)) {
            const ServerFolder::Facts &facts = names->facts();
            return entryCompletion(
                place.named == Language::NamedThing::Item ? facts.items : facts.monsters,
                QStringView(document.line(position.line)).sliced(place.wordStart, position.character - place.wordStart),
                replace);
        }
        for (const Commands::Command *command : commands.all())
            list.items.append(item(command->word, CompletionItem::kFunction,
                                   argumentsOf(*command, commands.target().servers()), replace));
        for (const Language::Keyword *keyword = Language::keywordsBegin(); keyword != Language::keywordsEnd();
             ++keyword) {
            if (keyword->uses & Language::Offered)
                list.items.append(item(keyword->word.toString(), CompletionItem::kKeyword, QString(), replace));
        }
        break;
    }
    return list;
}

CompletionList completion(const Context &context, const PositionParams &params)
{
    return completion(context.document(params.uri), params.position, context.commands(), context.functionNames());
}

void Features::register_completion(FeatureTable &table)
{
    table.add(QStringLiteral("textDocument/completion"), &completion);
    table.offer([](ServerCapabilities &server, const ClientCapabilities &) {
        server.completionTriggers = QStringList{QStringLiteral("\"")};
    });
}

} // namespace Lsp
