#include <string>

#include "codecs/PictureCodecs.h"

namespace vorn {

namespace codecs {

bool IsPictureSizeAllowed(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPicturePixels && height <= kMaxPicturePixels &&
         width * height <= kMaxPicturePixels;
}

void CheckPictureSize(std::int64_t width, std::int64_t height, const std::string& prefix) {
  if (!IsPictureSizeAllowed(width, height))
    throw EPictureError(prefix + "illegal picture dimensions " + std::to_string(width) + " x " +
                        std::to_string(height));
}

}  // namespace codecs

}  // namespace vorn
