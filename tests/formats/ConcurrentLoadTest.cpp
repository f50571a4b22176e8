// Loads run at once on several threads, each with its own record, and each gets exactly what
// a lone load of the same file gets: the values, the comments, the kind, the warnings, or the
// same error. The files are every format's: one written through every output profile, the
// hand-made edge cases kept for the fuzzer (every read-only format, broken files, 3dl files
// read with several bit depths) and the real files of the shared corpus. Run under
// ThreadSanitizer by `make test-tsan`.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "formats/FormatToolkit.h"
#include "platform/Files.h"
#include "tests/support/TestLuts.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

struct TLoadCase {
  std::string Path;
  int InputBits = -1;
};

// Everything a load produced, as text: a record that differs in any value, comment, size or
// warning, or a different error, gives a different outcome.
std::string OutcomeOf(const TLoadCase& load) {
  TLUT lut;
  std::string outcome;
  try {
    const TLoadReport report = LoadLut(load.Path, lut, -1, load.InputBits);
    for (int number : {lut.FormatIndex, int{lut.Kind}, lut.Size1D, lut.Size3D}) {
      outcome.append(std::to_string(number)).append(" ");
    }
    for (const std::string& comment : lut.Comments) outcome.append("\n# ").append(comment);
    for (const TLoadWarning& warning : report.Warnings) {
      outcome.append("\nwarning ").append(std::to_string(warning.Line)).append(warning.Message);
    }
    const auto append = [&outcome](const double* values, std::size_t count) {
      outcome.append(reinterpret_cast<const char*>(values), count * sizeof(double));
    };
    const bool hasTable = lut.HasTable();
    const bool hasGrid = lut.HasGrid();
    for (int i = 0; hasTable && i < std::min(lut.Size1D, TLUT::MaxTableEntries); ++i) {
      append(lut.Entry(i), 3);
    }
    const int n = hasGrid ? std::min(lut.Size3D, TLUT::MaxGridNodes) : 0;
    for (int r = 0; r < n; ++r) {
      for (int g = 0; g < n; ++g) append(lut.Node(r, g, 0), 3 * static_cast<std::size_t>(n));
    }
  } catch (const Exception& error) {
    outcome.assign("error ").append(error.what()).append(std::to_string(error.Line()));
  }
  return outcome;
}

std::vector<std::string> FilesBelow(const std::string& folder, std::uintmax_t maxBytes) {
  std::vector<std::string> files;
  if (folder.empty() || !DirectoryExists(folder)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.file_size() <= maxBytes) {
      files.push_back(entry.path().string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<TLoadCase> AllCases(const test::TempDir& dir) {
  std::vector<TLoadCase> cases;
  for (const auto& profile : OutputProfiles()) {
    const TLUTFormat& format = *GetFormat(profile->FormatIndex);
    const auto lut = test::MakeGradeLut(format.Is3D ? lk1DAnd3D : lk1D, 9, 64);
    std::string name = std::to_string(cases.size());
    name.append(".").append(profile->Extension);
    const std::string path = dir.File(name);
    SaveLut(path, *lut, *profile, -1);
    cases.push_back({path});
  }
  constexpr std::uintmax_t kLargestFile = 256 * 1024;
  for (const std::string& folder :
       {std::string(VORN_SOURCE_DIR) + "/fuzz/seeds", test::CorpusDir()}) {
    for (const std::string& path : FilesBelow(folder, kLargestFile)) {
      cases.push_back({path});
      if (HasExtension(path, ".3dl")) {
        for (int bits : {8, 12, 16}) cases.push_back({path, bits});
      }
    }
  }
  return cases;
}

TEST(ConcurrentLoads, EveryThreadGetsWhatALoneLoadGets) {
  test::TempDir dir;
  const std::vector<TLoadCase> cases = AllCases(dir);
  ASSERT_GT(cases.size(), 100u);
  std::vector<std::string> alone;
  alone.reserve(cases.size());
  for (const TLoadCase& load : cases) alone.push_back(OutcomeOf(load));

  constexpr int kThreads = 4;
  constexpr int kRounds = 2;
  std::vector<std::vector<std::string>> mismatches(kThreads);
  {
    std::vector<std::jthread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&, t] {
        // Each thread walks the files in an order of its own, so that different formats
        // and the same format meet at once.
        std::vector<std::size_t> order(cases.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::mt19937 random(static_cast<std::mt19937::result_type>(t + 1));
        for (int round = 0; round < kRounds; ++round) {
          std::shuffle(order.begin(), order.end(), random);
          for (std::size_t i : order) {
            if (OutcomeOf(cases[i]) != alone[i]) {
              mismatches[static_cast<std::size_t>(t)].push_back(cases[i].Path);
            }
          }
        }
      });
    }
  }
  for (const auto& threadMismatches : mismatches) {
    EXPECT_TRUE(threadMismatches.empty()) << threadMismatches.front();
  }
}

}  // namespace
}  // namespace vorn
