#pragma once

#include "checker/diagnostic.h"
#include "checker/line_analysis.h"

// The rules that read the script from top to bottom: which lines stand inside an
// NPC's braces, and whether each menu is closed. Each line moves a small state
// on; a line whose state comes out as before leaves every later line as it was.
namespace FlowRules {

// Lines are named by an identity that outlives edits elsewhere; 0 names none.
struct State
{
    quint64 npc = 0;   // the header line of the NPC the lines belong to
    bool open = false; // inside that header's braces
    quint64 menu = 0;  // a menu line that still takes more choices

    friend bool operator==(const State &a, const State &b)
    {
        return a.npc == b.npc && a.open == b.open && a.menu == b.menu;
    }
    friend bool operator!=(const State &a, const State &b) { return !(a == b); }
};

// What a line tells about the menu left open before it.
enum class MenuEnd
{
    Stays,
    Closed,
    NotClosed
};

struct Step
{
    State after;
    Diagnostics found; // about the line itself, line number 0
    MenuEnd menuEnd = MenuEnd::Stays;
    bool endsNpc = false; // a header: the NPC before it ends here
};

inline bool startsNpc(const LineFacts &line)
{
    return line.kind == LineKind::Header || line.kind == LineKind::OtherHeader;
}

Step step(const State &before, const LineFacts &line, quint64 lineId);

// The diagnostics that the end of an NPC puts on earlier lines.
Diagnostic menuNotClosed(const LineFacts &menuLine);
Diagnostic blockNotClosed(const LineFacts &headerLine);

} // namespace FlowRules
