// Inputs kept in fuzz/regressions (files that once crashed or hung a reader, or that walk
// its edges) and the hand-made seeds of fuzz/seeds and fuzz/seeds-xml. Each is loaded with
// detection under every extension the fuzzer uses; a load must end with a LUT or with one of the
// program's own errors.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "formats/FormatToolkit.h"
#include "platform/Exception.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

std::vector<std::string> Extensions() {
  std::vector<std::string> extensions = {"",     ".cube", ".vlt",  ".cfe", ".3dl", ".lut", ".txt",
                                         ".dat", ".xml",  ".look", ".cc",  ".png", ".tif"};
  for (const auto& profile : OutputProfiles()) extensions.push_back("." + profile->Extension);
  return extensions;
}

TEST(FuzzRegressions, EveryKeptInputLoadsOrIsRefusedWithTheProgramsOwnError) {
  int inputs = 0;
  TLUT lut;
  for (const char* kept : {"fuzz/regressions", "fuzz/seeds", "fuzz/seeds-xml"}) {
    const std::filesystem::path folder = std::filesystem::path(VORN_SOURCE_DIR) / kept;
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      ++inputs;
      const std::string content = test::ReadFile(entry.path().string());
      for (const std::string& extension : Extensions()) {
        test::TempDir dir;
        const std::string path = dir.Write("input" + extension, content);
        try {
          LoadLut(path, lut);
        } catch (const Exception&) {
          // A clear refusal.
        } catch (const std::exception& error) {
          ADD_FAILURE() << entry.path() << " as " << extension << ": " << error.what();
        }
      }
    }
  }
  EXPECT_GT(inputs, 100);
}

}  // namespace
}  // namespace vorn
