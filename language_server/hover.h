#pragma once

#include "checker/commands.h"
#include "language_server/text_document.h"

#include <QJsonObject>
#include <QJsonValue>

namespace Lsp {

// What a word means: a command word's arguments as the table gives them; for a
// label, where it is defined and how many jumps reach it. Null elsewhere.
QJsonValue hover(const TextDocument &document, Position position, const Commands::Table &commands);

// A hover's answer: Markdown `text` shown for `place`.
QJsonObject markdownHover(const QString &text, const QJsonObject &place);

} // namespace Lsp
