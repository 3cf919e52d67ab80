#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

// The line each key of an INI text stands on, for messages: the settings reader
// gives values but not where they came from. Keys are named as the settings
// reader names them: "key" at the top or in [General], "section/key" elsewhere.
// A key written twice is placed at its last line, whose value is the one read.
namespace KeyLines {

QHash<QString, int> of(QStringView text); // lines from 1

} // namespace KeyLines
