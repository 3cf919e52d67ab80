#pragma once

#include "server_facts.h"

#include <QString>

// Reads what a game server's own folder says about its scripts: constants, maps,
// items, monsters, skills, the order scripts load in and where its commands are
// defined. A file the folder lacks is skipped; one it has but cannot read, or
// that is malformed, adds a problem naming the file and line and nothing else.
namespace ServerFolder {

Facts read(const QString &dir);

} // namespace ServerFolder
