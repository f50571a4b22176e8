// libFuzzer target for the picture decoders: every input is decoded as BMP, JPEG, TIFF and
// PNG from memory, and as TIFF and PNG at 16 bits per channel. A raised error is an accepted answer
// to a broken picture; a crash, a leak, a hang or a sanitizer report is not.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>

#include "codecs/Pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static constexpr const char* kNames[] = {"input.bmp", "input.jpg", "input.tif", "input.png"};
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const char* name : kNames) {
    try {
      vorn::DecodePicture(name, bytes);
    } catch (const std::exception&) {
    }
  }
  for (const char* name : {"input.tif", "input.png"}) {
    try {
      vorn::DecodePicture48(name, bytes);
    } catch (const std::exception&) {
    }
  }
  return 0;
}
