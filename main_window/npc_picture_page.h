#pragma once

// The web page that lists the NPC pictures, opened by a click on "NPC画像".
// Change this one line to point Talewick at your server's own list.
inline constexpr const char *kNpcPictureListAddress = "https://example.com/talewick/npc-pictures/";
