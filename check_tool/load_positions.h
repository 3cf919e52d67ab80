#pragma once

#include "check_tool/check_report.h"

#include <QString>
#include <QVector>

#include <functional>

// Where each checked file stands in the load order of the server it is checked
// for: the server loads the scripts its npc/scripts*.conf lists name, in their order,
// by paths from its own folder.
namespace LoadPositions {

// Sets each file's serverFolder to `folderOf(its name)` (empty: checked for no
// server) and its loadPosition to its place in that folder's loadOrder, or -1
// when the lists do not name it.
void assign(QVector<CheckReport::FileResult> &files, const std::function<QString(const QString &file)> &folderOf);

} // namespace LoadPositions
