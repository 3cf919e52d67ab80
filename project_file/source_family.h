#pragma once

#include "checker/target.h"

#include <QString>
#include <QStringView>

#include <optional>

// Which servers a command source (see CommandSource) belongs to, told by its form
// and its name: the "{buildin_...}" list is the older and later servers'; the
// BUILDIN_DEF form is today's, the family that matches words exactly when the
// file is a C source (src/map/script.c), the other one otherwise (script.cpp).
namespace SourceFamily {

// The servers of the source at `path` holding `text`; nothing when `text` is a
// table rather than a source.
std::optional<Target::Servers> serversOf(const QString &path, QStringView text);

// As above, reading the file; nothing when it cannot be read.
std::optional<Target::Servers> serversOfFile(const QString &path);

} // namespace SourceFamily
