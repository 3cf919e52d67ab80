#pragma once

#include <QByteArrayView>
#include <QImage>

// Decodes a JPEG at full size with libjpeg. Returns a null image for data that is
// not a JPEG libjpeg can decode, or is implausibly large, instead of failing.
QImage decodeJpeg(QByteArrayView data);
