// Two "convert" runs writing into one folder at once: without --overwrite each output file
// is created by exactly one of them, and only that one reports it.

#include <gtest/gtest.h>

#include <future>
#include <map>
#include <set>

#include "platform/Files.h"
#include "tests/cli/CliRunner.h"
#include "tests/cli/LutTexts.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

constexpr int kFiles = 100;
constexpr int kRounds = 4;
const std::string kProfile = "Cube 3D Davinci";

std::string FileName(int i) {
  std::string name = std::to_string(1000 + i);
  name.append(".cube");
  return name;
}

// A folder of kFiles copies of content, and what one of them converts to.
struct TSourceFolder {
  explicit TSourceFolder(const std::string& content) {
    for (int i = 0; i < kFiles; ++i) Files.Write(FileName(i), content);
    const TCliResult result = RunCli({"convert", "--profile", kProfile, "--output-dir",
                                      Expected.Path(), Files.File(FileName(0))});
    EXPECT_EQ(result.Status, 0) << result.Err;
    Converted = ReadFile(Expected.File(FileName(0)));
  }
  TempDir Files;
  TempDir Expected;
  std::string Converted;
};

// The names a run lists as converted.
std::set<std::string> ConvertedNames(const TCliResult& result) {
  std::set<std::string> names;
  for (const std::string& line : Lines(result.Out)) {
    const std::vector<std::string> fields = Fields(line);
    if (fields.size() >= 3 && fields[0] == "converted") names.insert(ExtractFileName(fields[2]));
  }
  return names;
}

TEST(CliConcurrentRuns, EachOutputIsWrittenAndReportedByOneRun) {
  TSourceFolder first(IdentityCube());
  TSourceFolder second(AffineCube());
  ASSERT_NE(first.Converted, second.Converted);
  for (const char* policy : {"--skip-existing", ""}) {
    for (int round = 0; round < kRounds; ++round) {
      SCOPED_TRACE(testing::Message() << policy << " round " << round);
      TempDir out;
      auto run = [&](const TSourceFolder& source) {
        std::vector<std::string> args = {"convert", "--profile", kProfile, "--output-dir",
                                         out.Path()};
        if (*policy != '\0') args.push_back(policy);
        args.push_back(source.Files.Path());
        return RunCli(args);
      };
      auto firstRun = std::async(std::launch::async, run, std::cref(first));
      const TCliResult secondResult = run(second);
      const TCliResult firstResult = firstRun.get();
      const std::set<std::string> byFirst = ConvertedNames(firstResult);
      const std::set<std::string> bySecond = ConvertedNames(secondResult);
      int written = 0;
      for (int i = 0; i < kFiles; ++i) {
        const std::string name = FileName(i);
        const bool claimedByFirst = byFirst.count(name) > 0;
        const bool claimedBySecond = bySecond.count(name) > 0;
        ASSERT_FALSE(claimedByFirst && claimedBySecond) << name << " is claimed by both runs";
        if (!FileExists(out.File(name))) {
          EXPECT_FALSE(claimedByFirst || claimedBySecond) << name << " is claimed, not there";
          continue;
        }
        ++written;
        ASSERT_TRUE(claimedByFirst || claimedBySecond) << name << " is claimed by neither run";
        EXPECT_EQ(ReadFile(out.File(name)), claimedByFirst ? first.Converted : second.Converted)
            << name << " is not the file of the run that reports it";
      }
      // With --skip-existing every name is written; without, a run ends at a taken name
      // with the error of an existing file.
      if (*policy != '\0') {
        EXPECT_EQ(written, kFiles);
        EXPECT_EQ(firstResult.Status + secondResult.Status, 0);
      } else {
        for (const TCliResult* result : {&firstResult, &secondResult}) {
          if (result->Status != 0) {
            EXPECT_NE(result->Err.find(": the file already exists (use --overwrite"),
                      std::string::npos)
                << result->Err;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace vorn::test
