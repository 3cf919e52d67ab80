#pragma once

#include "server_facts.h"

#include <QDir>

// The order in which the server loads its scripts, from the `npc:` lines of
// npc/scripts*.conf: scripts_main.conf first, following its imports where they
// stand, then the other lists by name. A script named twice loads once, where
// it is first named; `delnpc:` takes it out again.
namespace LoadOrder {

void read(const QDir &folder, ServerFolder::Facts &into);

} // namespace LoadOrder
