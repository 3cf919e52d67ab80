#pragma once

#include <QString>

#include <functional>

namespace ScriptFiles {

// Calls `found` with the path of each script under `folder`: every regular file
// (or link to one) whose name ends in ".txt" in any case, hidden files and
// sub-folders included. Links to folders are not followed, so no tree is walked
// twice. Paths are `folder`, "/" unless it ends in one, and the path below it.
void forEachUnder(const QString &folder, const std::function<void(const QString &)> &found);

} // namespace ScriptFiles
