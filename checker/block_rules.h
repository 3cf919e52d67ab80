#pragma once

#include "checker/diagnostic.h"
#include "checker/line_analysis.h"

#include <QVector>

// The rules that look across lines: braces, menus left open, and labels. They
// work on one NPC at a time: its header line and every line up to the next header
// (or, before the first header, the script's first lines). No rule looks further,
// so an edit re-checks only the NPC it is in.
namespace BlockRules {

// `lines` are the facts of one NPC's lines in order. Returns, for each line, what
// these rules find in it (line numbers 0).
QVector<Diagnostics> check(const QVector<const LineFacts *> &lines);

inline bool startsBlock(const LineFacts &facts)
{
    return facts.kind == LineKind::Header || facts.kind == LineKind::OtherHeader;
}

} // namespace BlockRules
