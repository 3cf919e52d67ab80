#pragma once

#include <QFont>

// The window's proportional Japanese Gothic face at a character height in pixels:
// the desktop's own face where it has one, else IPA's, else any Japanese sans-serif.
QFont japaneseUiFont(int pixelSize);

// `font` narrowed just enough for `text` to take at most `width` pixels: the
// substitute faces set Latin letters wider than the desktop's own face, and the
// layout's captions were measured in that face. Unchanged when the text fits.
QFont condensedToFit(const QFont &font, const QString &text, int width);
