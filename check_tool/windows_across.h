#pragma once

#include "check_tool/check_report.h"

#include <memory>

// What the functions of the files checked together do to the conversation window
// (WindowAcross): each file is first checked alone, a function of another file
// unknown; then only the files whose bodies call a function another file checked
// with them defines are judged again, with what every file's functions do. Files
// of different server folders never meet.
//
// A file's check is kept from the first pass while the kept checks hold fewer
// lines than kKeptLines, and then only its bodies that call across are judged
// again; a file past that is checked afresh from its lines with the table, so a
// tree of any size costs no more memory than a few files' checks.
namespace WindowsAcross {

constexpr int kKeptLines = 100000;

// Notes, of a file just checked, what its functions do and the names it looked up
// that it does not define; keeps the check while the budget above allows.
void gather(const std::shared_ptr<ScriptCheck> &check, const std::shared_ptr<const Commands::Table> &commands,
            CheckReport::FileResult &result);

// Judges again the calls of functions another file defines; the files' findings
// are then those a check of all the files at once gives. Every kept check is let go.
void judge(QVector<CheckReport::FileResult> &files);

} // namespace WindowsAcross
