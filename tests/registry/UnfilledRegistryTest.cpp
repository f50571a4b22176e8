// A program that forgets to fill the registry is told so at its first load, detection or
// save, instead of finding every file of an unknown format. This test program does not call
// RegisterBuiltInFormats on purpose.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/LUTFormat.h"
#include "formats/Registration.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

TEST(UnfilledRegistry, LoadDetectAndSaveRaise) {
  test::TempDir dir;
  const std::string path = dir.Write("a.cube", "LUT_3D_SIZE 2\n");
  TLUT lut;
  const TLutOutputProfile profile{.Name = "x", .Extension = "cube", .FormatIndex = 0};
  const std::function<void()> calls[] = {
      [&] { LoadLut(path, lut); },
      [&] { LoadLutFile(path, lut); },
      [&] { DetectFormat(path); },
      [&] { SaveLut(dir.File("b.cube"), lut, profile, -1); },
  };
  for (const auto& call : calls) {
    try {
      call();
      ADD_FAILURE() << "an unfilled registry was used";
    } catch (const Exception& error) {
      EXPECT_NE(std::string(error.what()).find("RegisterBuiltInFormats"), std::string::npos)
          << error.what();
    }
  }
}

// Once looked at, the registry takes nothing more: formats registered late would change
// the numbers other threads already hold.
TEST(UnfilledRegistry, RegisteringAfterTheFirstLookRaises) {
  EXPECT_TRUE(LutFormats().empty());
  EXPECT_THROW(RegisterBuiltInFormats(), std::logic_error);
  EXPECT_THROW(RegisterOutputProfile({.Name = "x", .Extension = "x", .FormatIndex = 0}),
               std::logic_error);
}

}  // namespace
}  // namespace vorn
