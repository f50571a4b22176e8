#pragma once
// Pictures between the 24-bit bitmaps of the LUT core and Qt's images. Only copies: the
// pixels Qt shows are the ones our code computed.

#include <QImage>

#include "core/Bitmap.h"

namespace vorn::ui {

QImage ToQImage(const TBitmap24& bitmap);
TBitmap24 FromQImage(const QImage& image);

}  // namespace vorn::ui
