#pragma once

#include "checker/diagnostic.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The sure fixes of a file as a unified diff, for `patch -p1` run in the folder
// that `path` is relative to. Lines the fixes leave alone keep their bytes and
// line ends exactly; a changed line is encoded again in code page 932.
namespace FixDiff {

// Takes the first fix of each diagnostic (sorted by place), all its edits or
// none: a fix that overlaps one taken before it, reaches past its line, or would
// make a character the code page cannot hold is left out. Empty when nothing is fixed.
QByteArray diff(const QString &path, QByteArrayView bytes, const Diagnostics &diagnostics);

} // namespace FixDiff
