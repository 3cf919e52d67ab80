#pragma once

#include "conversation/body.h"

class ScriptCheck;

namespace Conversation {

struct Token
{
    BodyTokens::Token::Kind kind = BodyTokens::Token::Kind::Unknown;
    QString text;
    int line = 0;
    int column = 0;
};

// The tokens of the body that the definition on `definitionLine` opens, comments
// left out, up to the "}" that closes it (not included). `closedAt` gets that
// brace's line, or the body's last line when it is never closed.
QVector<Token> bodyTokens(const ScriptCheck &check, int definitionLine, int *closedAt);

} // namespace Conversation
