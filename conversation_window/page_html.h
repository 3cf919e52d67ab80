#pragma once

#include "conversation/transcript.h"

// A page of the conversation as the rich text the message box shows: each
// coloured piece in its colour, each message on a line of its own.
namespace PageHtml {

QString of(const Conversation::Page &page);

} // namespace PageHtml
