#pragma once
// The versions of the picture libraries the decoders and encoders were built with, for the
// about box.

#include <string>
#include <vector>

namespace vorn {

struct TLibraryVersion {
  std::string Name;
  std::string Version;
};

// libjpeg, libpng and libtiff, in that order.
std::vector<TLibraryVersion> PictureLibraryVersions();

}  // namespace vorn
