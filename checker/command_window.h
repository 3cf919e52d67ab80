#pragma once

#include <QtGlobal>

namespace Commands {

// What a command does to the conversation window, as the window column of the
// command table says it. The flow's steps carry it, so this stands apart from
// the table itself.
enum class Window : quint8
{
    None,     // "-": nothing
    Shows,    // text, choices or an input box: afterwards the window is open with no button
    Waits,    // a "next" button the player presses before the script goes on
    Closes,   // a "close" button; pressed, the window closes and the script ends
    ClosesOn, // a "close" button; pressed, the window closes and the script goes on
    Ends,     // the script ends, the window left as it is
    Moves,    // the player is moved away: the client closes the window, the conversation is over
    Opens,    // another window (a shop, storage) beside the message window
    Runs,     // code elsewhere runs, which may leave the window in any state
};

} // namespace Commands
