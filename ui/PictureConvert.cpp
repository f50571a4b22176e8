#include "ui/PictureConvert.h"

#include <cstring>

namespace vorn::ui {

QImage ToQImage(const TBitmap24& bitmap) {
  if (bitmap.Empty()) return {};
  const QImage view(bitmap.Data(), bitmap.Width(), bitmap.Height(),
                    static_cast<qsizetype>(bitmap.Stride()), QImage::Format_BGR888);
  return view.copy();
}

TBitmap24 FromQImage(const QImage& image) {
  const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
  TBitmap24 bitmap(bgr.width(), bgr.height());
  for (int y = 0; y < bitmap.Height(); ++y) {
    std::memcpy(bitmap.ScanLine(y), bgr.constScanLine(y), bitmap.Stride());
  }
  return bitmap;
}

}  // namespace vorn::ui
