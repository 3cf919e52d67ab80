#pragma once

#include "checker/diagnostic.h"
#include "conversation/run.h"

// Takes a run along the path a flow finding was found on, so that the preview
// shows how the script gets there.
namespace Conversation {

// Presses the buttons and answers what `path` decides (lines from 0 in the script
// previewed): a choice at its menu or select, a condition asked about at its
// line, a value asked for at its line. It stops where the run reaches `line`,
// ends, or waits for what the path does not say, which is left to the user.
// Returns how many answers it gave.
int followPath(Run &run, const QVector<Diagnostic::Decision> &path, int line);

} // namespace Conversation
