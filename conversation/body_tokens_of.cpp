#include "conversation/body_reader.h"

#include "checker/script_check.h"

namespace Conversation {

QVector<Token> bodyTokens(const ScriptCheck &check, int definitionLine, int *closedAt)
{
    using Kind = BodyTokens::Token::Kind;
    QVector<Token> tokens;
    const auto [first, last] = check.bodyAround(definitionLine);
    const DefinitionLine::Definition *definition = check.definitionOn(definitionLine);
    *closedAt = last < 0 ? definitionLine : last;
    if (first != definitionLine || !definition)
        return tokens;
    bool opened = definition->braceColumn >= 0;
    int from = opened ? definition->braceColumn + 1 : 0;
    bool inComment = false;
    int depth = 0;
    for (int line = definitionLine; line <= last; ++line) {
        const QString &text = check.text(line);
        if (line > definitionLine)
            from = 0;
        else if (!opened)
            from = int(text.size()); // the "{" is on a later line
        const BodyTokens::Line read = BodyTokens::tokenize(text, from, inComment);
        inComment = read.endsInComment;
        for (const BodyTokens::Token &token : read.tokens) {
            if (token.kind == Kind::Comment)
                continue;
            const QString piece = text.mid(token.column, token.length);
            if (!opened) {
                opened = piece == u"{";
                continue;
            }
            if (token.kind == Kind::Punct && piece == u"{")
                ++depth;
            if (token.kind == Kind::Punct && piece == u"}" && depth-- == 0) {
                *closedAt = line;
                return tokens;
            }
            tokens.append({token.kind, piece, line, token.column});
        }
    }
    return tokens;
}

} // namespace Conversation
