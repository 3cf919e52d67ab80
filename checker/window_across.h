#pragma once

#include "checker/window_summary.h"

#include <QHash>
#include <QString>
#include <QVector>

#include <functional>
#include <optional>

// What the functions of the files checked together do to the conversation
// window, so that a call of a function another file defines applies what it does
// rather than making the window unknown.
//
// Each file works out its own functions first, the functions of other files
// unknown. A function that leans on functions of other files is worked out again
// once every one of those is settled, in rounds: a chain of calls across files
// takes one round a link. Functions that call round in a circle across files, and
// those that lean on such a circle, settle nowhere and stay unknown to callers in
// other files. A name that several files define, each saying something else,
// stays unknown too. Rounds depend only on what the round before settled, never
// on the order files are asked in.
namespace WindowAcross {

// What functions do to the window, by name in lower case.
using Table = QHash<QString, WindowSummary>;

// What a file's function does, and what it was worked out with: each name that no
// function of its file has and no command either, looked up while following it and
// the functions of its file it calls, with the summary another file was said to
// have for it then (none: unknown).
struct FunctionWindow
{
    WindowSummary summary;
    QHash<QString, std::optional<WindowSummary>> leanedOn;
    friend bool operator==(const FunctionWindow &a, const FunctionWindow &b)
    {
        return a.summary == b.summary && a.leanedOn == b.leanedOn;
    }
    friend bool operator!=(const FunctionWindow &a, const FunctionWindow &b) { return !(a == b); }
};
using FileWindows = QHash<QString, FunctionWindow>; // by name in lower case

// The file's functions worked out again with `table` standing for the other
// files; none when the file cannot be asked again (its functions that leaned on
// something else then stay unknown to the other files).
using Recompute = std::function<std::optional<FileWindows>(int file, const Table &table)>;

// What the files' functions do, once settled: the table every file is judged with.
Table resolve(QVector<FileWindows> files, const Recompute &recompute);

} // namespace WindowAcross
