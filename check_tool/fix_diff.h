#pragma once

#include "checker/diagnostic.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The sure fixes of a file as a unified diff, for `patch -p1` run in the folder
// that `path` is relative to. Every byte the fixes do not replace is kept as it
// was, line ends included; the text they put in is encoded in code page 932.
namespace FixDiff {

// Takes the first fix of each diagnostic (sorted by place), all its edits or
// none: a fix that overlaps one taken before it, reaches past its line, or puts
// in a character the code page cannot hold is left out, and so is every fix on a
// line whose bytes are not all Shift_JIS. Empty when nothing is fixed.
QByteArray diff(const QString &path, QByteArrayView bytes, const Diagnostics &diagnostics);

} // namespace FixDiff
