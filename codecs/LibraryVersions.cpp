#include "codecs/LibraryVersions.h"

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include <cstdio>

namespace vorn {

namespace {

// JPEG_LIB_VERSION is the API level (62, 80, ...), written as "6b" or "8.0" by its makers.
std::string JpegVersion() {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d", JPEG_LIB_VERSION / 10, JPEG_LIB_VERSION % 10);
  return text;
}

// The first line of TIFFGetVersion: "LIBTIFF, Version 4.5.0".
std::string TiffVersion() {
  const std::string banner = TIFFGetVersion();
  const std::string line = banner.substr(0, banner.find('\n'));
  const std::size_t version = line.rfind(' ');
  return version == std::string::npos ? line : line.substr(version + 1);
}

}  // namespace

std::vector<TLibraryVersion> PictureLibraryVersions() {
  return {{"libjpeg", JpegVersion()},
          {"libpng", png_get_libpng_ver(nullptr)},
          {"libtiff", TiffVersion()}};
}

}  // namespace vorn
