#pragma once

#include <QFont>

// The window's proportional Japanese Gothic face at a character height in pixels:
// the desktop's own face where it has one, else IPA's, else any Japanese sans-serif.
QFont japaneseUiFont(int pixelSize);
