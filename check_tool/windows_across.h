#pragma once

#include "check_tool/check_report.h"

#include <memory>

// What the functions of the files checked together do to the conversation window
// (WindowAcross): each file is first checked alone, a function of another file
// unknown; then only the files whose bodies call a function another file checked
// with them defines have those bodies judged again, with what every file's
// functions do. Files of different server folders never meet.
namespace WindowsAcross {

// Keeps, of a file just checked, what its functions do, and the check itself when
// its bodies looked up names it does not define, to judge them again across files.
void gather(const std::shared_ptr<ScriptCheck> &check, CheckReport::FileResult &result);

// Judges again, in the files that call functions of other files, the bodies that
// do; their findings are then those a check of all the files at once gives.
// Every kept check is let go.
void judge(QVector<CheckReport::FileResult> &files);

} // namespace WindowsAcross
