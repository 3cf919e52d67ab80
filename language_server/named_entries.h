#pragma once

#include "checker/language.h"
#include "language_server/text_document.h"
#include "server_folder/server_facts.h"

#include <QString>

#include <optional>

namespace Lsp {

// An item or a monster a script names, as the server's folder knows it: by number
// or name in an argument that takes one, or by its script name anywhere.
struct NamedEntry
{
    Language::NamedThing thing = Language::NamedThing::None;
    const ServerFolder::Entry *entry = nullptr;
    int line = 0;
    int column = 0;
    int length = 0;
};

// The item or monster at `position`; nothing without a server folder.
std::optional<NamedEntry> namedEntryAt(const TextDocument &document, Position position);

// "アイテム **Blue_Tonic**（Blue Tonic）ID 602"
QString describe(const NamedEntry &named);

} // namespace Lsp
