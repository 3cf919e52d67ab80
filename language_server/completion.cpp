#include "language_server/completion.h"

#include "checker/body_tokens.h"
#include "language_server/labels.h"

#include <QJsonArray>
#include <QRegularExpression>

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

bool isPunct(QStringView text, const Token &token, QStringView punct)
{
    return token.kind == Token::Kind::Punct && text.sliced(token.column, token.length) == punct;
}

// Reads the line up to the cursor to tell what kind of word goes there.
Place placeOf(QStringView before, const Commands::Table &commands)
{
    static const QRegularExpression callfunc(QStringLiteral("callfunc\\s*\\(?\\s*\"([^\"\\\\]*)$"),
                                             QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch call = callfunc.match(before.toString());
    if (call.hasMatch())
        return Place{Place::Kind::Function, int(call.capturedStart(1))};
    const BodyTokens::Line line = BodyTokens::tokenize(before, 0, false);
    const QVector<Token> &tokens = line.tokens;
    if (line.endsInComment || (!tokens.isEmpty() && (tokens.back().kind == Token::Kind::Comment ||
                                                     tokens.back().kind == Token::Kind::OpenString)))
        return Place{};
    // The word being typed, if the cursor stands at the end of one.
    qsizetype last = tokens.size();
    int wordStart = int(before.size());
    if (!tokens.isEmpty() && tokens.back().kind == Token::Kind::Name &&
        tokens.back().column + tokens.back().length == before.size()) {
        --last;
        wordStart = tokens.back().column;
    }
    // The statement the cursor is in: from after the last ";", "{", "}" or label.
    qsizetype start = 0;
    for (qsizetype i = 0; i < last; ++i) {
        if (isPunct(before, tokens.at(i), u";") || isPunct(before, tokens.at(i), u"{") ||
            isPunct(before, tokens.at(i), u"}") || isPunct(before, tokens.at(i), u":"))
            start = i + 1;
    }
    // An "if (...)" or "else" before the command is passed over.
    for (;;) {
        if (start < last && tokens.at(start).kind == Token::Kind::Name &&
            before.sliced(tokens.at(start).column, tokens.at(start).length).compare(u"else", Qt::CaseInsensitive) ==
                0) {
            ++start;
            continue;
        }
        if (start + 1 < last && tokens.at(start).kind == Token::Kind::Name &&
            before.sliced(tokens.at(start).column, tokens.at(start).length).compare(u"if", Qt::CaseInsensitive) == 0 &&
            isPunct(before, tokens.at(start + 1), u"(")) {
            int depth = 0;
            qsizetype i = start + 1;
            for (; i < last; ++i) {
                if (isPunct(before, tokens.at(i), u"("))
                    ++depth;
                else if (isPunct(before, tokens.at(i), u")") && --depth == 0)
                    break;
            }
            if (i >= last)
                return Place{Place::Kind::Code, wordStart}; // still in the condition
            start = i + 1;
            continue;
        }
        break;
    }
    if (start >= last || tokens.at(start).kind != Token::Kind::Name)
        return Place{Place::Kind::Code, wordStart};
    // Which argument of the statement's command the cursor is in.
    const QStringView word = before.sliced(tokens.at(start).column, tokens.at(start).length);
    int argument = 0;
    int depth = 0;
    for (qsizetype i = start + 1; i < last; ++i) {
        const Token &token = tokens.at(i);
        if (isPunct(before, token, u"(") || isPunct(before, token, u"["))
            ++depth;
        else if (isPunct(before, token, u")") || isPunct(before, token, u"]"))
            --depth;
        else if (depth == 0 && isPunct(before, token, u","))
            ++argument;
    }
    const Commands::Command *command = commands.find(word);
    const bool labelPlace = depth == 0 && ((word.compare(u"goto", Qt::CaseInsensitive) == 0 && argument == 0) ||
                                           (word.compare(u"callsub", Qt::CaseInsensitive) == 0 && argument == 0) ||
                                           (word.compare(u"menu", Qt::CaseInsensitive) == 0 && argument % 2 == 1) ||
                                           (command && command->labelAt(argument)));
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
    const QString &text = document.line(position.line);
    const Place place = check.bodyAround(position.line).first >= 0
                            ? placeOf(QStringView(text).left(position.character), commands)
                            : Place{};
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
