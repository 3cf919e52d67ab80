#pragma once

#include "conversation/transcript.h"

// The game client's colour codes in a message: "^RRGGBB" switches the colour until
// the next code or the end of the message line; "^000000" is the default colour.
// A "^" not followed by six hex digits is shown as it is.
namespace Conversation::ColourCodes {

constexpr quint32 kDefault = 0xFF000000;

QVector<ColouredText> split(const QString &message);

// The message without its colour codes, as choices show it.
QString plain(const QString &message);

} // namespace Conversation::ColourCodes
