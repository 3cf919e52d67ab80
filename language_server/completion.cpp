#include "language_server/completion.h"

#include "checker/body_tokens.h"
#include "language_server/labels.h"

#include <QJsonArray>

namespace Lsp {

namespace {

using BodyTokens::Token;

// The protocol's CompletionItemKind numbers.
enum ItemKind
{
    kFunction = 3,
    kKeyword = 14,
    kReference = 18,
};

constexpr const char16_t *kKeywords[] = {u"if",      u"else",  u"for",      u"while", u"do",     u"switch",  u"case",
                                         u"default", u"break", u"continue", u"goto",  u"return", u"function"};

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

// Reads the statement up to the cursor, from the line where it begins, to tell
// what kind of word goes there.
Place placeOf(const ScriptCheck &check, Position position, const Commands::Table &commands)
{
    bool inBody = false;
    const BodyTokens::Line line = tokensOf(check, position.line, position.character, &inBody);
    const QString &text = check.text(position.line);
    if (!inBody || line.endsInComment)
        return Place{};
    // Code tokens only; a "//" comment runs to the cursor.
    QVector<Token> tokens;
    for (const Token &token : line.tokens) {
        if (token.kind != Token::Kind::Comment)
            tokens.append(token);
        else if (QStringView(text).sliced(token.column).startsWith(u"//"))
            return Place{};
    }
    // Past the "}" that ends the body, nothing goes.
    int braces = check.definitionOn(position.line) ? 1 : check.braceDepthAfter(position.line - 1);
    for (const Token &token : std::as_const(tokens)) {
        if (token.kind == Token::Kind::Punct && token.length == 1 && text.at(token.column) == u'{')
            ++braces;
        else if (token.kind == Token::Kind::Punct && token.length == 1 && text.at(token.column) == u'}' &&
                 --braces <= 0)
            return Place{};
    }
    QVector<Piece> pieces;
    // The lines a statement runs over (a menu's choices, one a line), then this one.
    int first = position.line;
    while (first > 0 && check.statementGoesOn(first - 1) && position.line - first < kLongestStatement)
        --first;
    for (int number = first; number < position.line; ++number) {
        bool earlierInBody = false;
        const BodyTokens::Line earlier = tokensOf(check, number, int(check.text(number).size()), &earlierInBody);
        if (earlierInBody)
            appendCode(pieces, check.text(number), earlier);
    }
    for (const Token &token : std::as_const(tokens))
        pieces.append(Piece{token.kind, QStringView(text).sliced(token.column, token.length)});
    qsizetype last = pieces.size();
    // Inside a string: only callfunc's quotes, or callfunc("...", take a word.
    if (!tokens.isEmpty() && tokens.back().kind == Token::Kind::OpenString) {
        const bool call = (last >= 2 && pieces.at(last - 2).isWord(u"callfunc")) ||
                          (last >= 3 && pieces.at(last - 2).is(u"(") && pieces.at(last - 3).isWord(u"callfunc"));
        const QStringView typed = pieces.back().text.sliced(1);
        if (!call || typed.contains(u'\\'))
            return Place{};
        return Place{Place::Kind::Function, tokens.back().column + 1};
    }
    // The word being typed, if the cursor stands at the end of one.
    int wordStart = position.character;
    if (!tokens.isEmpty() && tokens.back().kind == Token::Kind::Name &&
        tokens.back().column + tokens.back().length == position.character) {
        --last;
        wordStart = tokens.back().column;
    }
    // The statement the cursor is in: from after the last ";", "{", "}" or label.
    // (A ";" inside the parentheses of a "for" ends nothing.)
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
    // An "if (...)", "for (...)", "while (...)" or "else" before the command is passed over.
    for (;;) {
        if (start < last && pieces.at(start).isWord(u"else")) {
            ++start;
            continue;
        }
        const auto heads = [&](const Piece &piece) {
            return piece.isWord(u"if") || piece.isWord(u"for") || piece.isWord(u"while");
        };
        if (start + 1 < last && heads(pieces.at(start)) && pieces.at(start + 1).is(u"(")) {
            int depth = 0;
            qsizetype i = start + 1;
            for (; i < last; ++i) {
                if (pieces.at(i).is(u"("))
                    ++depth;
                else if (pieces.at(i).is(u")") && --depth == 0)
                    break;
            }
            if (i >= last)
                return Place{Place::Kind::Code, wordStart}; // still in the condition
            start = i + 1;
            continue;
        }
        break;
    }
    if (start >= last || pieces.at(start).kind != Token::Kind::Name)
        return Place{Place::Kind::Code, wordStart};
    // Which argument of the statement's command the cursor is in.
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
    const bool labelPlace =
        depth == 0 && ((word.isWord(u"goto") && argument == 0) || (word.isWord(u"callsub") && argument == 0) ||
                       (word.isWord(u"menu") && argument % 2 == 1) || (command && command->labelAt(argument)));
    return Place{labelPlace ? Place::Kind::Label : Place::Kind::Code, wordStart};
}

QJsonObject item(const QString &label, int kind, const QString &detail, const QJsonObject &replace)
{
    QJsonObject object{
        {QLatin1String("label"), label},
        {QLatin1String("kind"), kind},
        {QLatin1String("textEdit"), QJsonObject{{QLatin1String("range"), replace}, {QLatin1String("newText"), label}}}};
    if (!detail.isEmpty())
        object.insert(QLatin1String("detail"), detail);
    return object;
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

} // namespace

QString argumentsOf(const Commands::Command &command)
{
    QString count;
    if (command.max < 0)
        count = QStringLiteral("%1個以上").arg(command.min);
    else if (command.min == command.max)
        count = QStringLiteral("%1個").arg(command.min);
    else
        count = QStringLiteral("%1〜%2個").arg(command.min).arg(command.max);
    QStringList kinds;
    for (const QChar letter : command.shape) {
        if (letter == u'…')
            kinds.append(QStringLiteral("…"));
        else
            kinds.append(argumentName(letter));
    }
    return kinds.isEmpty() ? QStringLiteral("引数 %1").arg(count)
                           : QStringLiteral("引数 %1（%2）").arg(count, kinds.join(QStringLiteral(", ")));
}

QJsonObject completion(const TextDocument &document, Position position, const Commands::Table &commands,
                       const QStringList &functions)
{
    position = document.clamped(position);
    const ScriptCheck &check = document.check();
    QJsonArray items;
    const Place place = check.bodyAround(position.line).first >= 0 ? placeOf(check, position, commands) : Place{};
    const QJsonObject replace = range(position.line, place.wordStart, position.character - place.wordStart);
    switch (place.kind) {
    case Place::Kind::Nothing:
        break;
    case Place::Kind::Function:
        for (const QString &function : functions)
            items.append(item(function, kFunction, QStringLiteral("関数"), replace));
        break;
    case Place::Kind::Label:
        for (const QString &label : Labels::definedAround(check, position.line))
            items.append(item(label, kReference, QStringLiteral("ラベル"), replace));
        break;
    case Place::Kind::Code:
        for (const Commands::Command *command : commands.all())
            items.append(item(command->word, kFunction, argumentsOf(*command), replace));
        for (const char16_t *keyword : kKeywords)
            items.append(item(QString::fromUtf16(keyword), kKeyword, QString(), replace));
        break;
    }
    return QJsonObject{{QLatin1String("isIncomplete"), false}, {QLatin1String("items"), items}};
}

} // namespace Lsp
