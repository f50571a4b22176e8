// The bash completion of packaging/vorn-lut.bash-completion, run by bash against the
// program: the candidates offered after each option and command.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "core/BitDepths.h"
#include "core/VornLut.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

using TCandidates = std::set<std::string>;

// word as one word of a shell's command line.
std::string ShellWord(const std::string& word) {
  std::string quoted(1, '\'');
  for (char c : word) {
    if (c == '\'') {
      quoted.append("'\\''");
    } else {
      quoted.push_back(c);
    }
  }
  quoted.push_back('\'');
  return quoted;
}

// The candidates bash offers for the words typed after the program name, the last being the
// word completed, in folder.
TCandidates Complete(const std::string& folder, const std::vector<std::string>& words) {
  std::string script = "cd '" + folder +
                       "' && source '" VORN_SOURCE_DIR
                       "/packaging/vorn-lut.bash-completion' && COMP_WORDS=('" VORN_CLI_PATH "'";
  for (const std::string& word : words) script.append(" ").append(ShellWord(word));
  script += ") && COMP_CWORD=" + std::to_string(words.size()) +
            " && _vorn_lut && printf '%s\\n' \"${COMPREPLY[@]}\"";
  const TCliResult result = RunProgram("bash", {"-c", script});
  EXPECT_EQ(result.Status, 0) << result.Err;
  TCandidates candidates;
  for (const std::string& line : Lines(result.Out)) {
    if (!line.empty()) candidates.insert(line);
  }
  return candidates;
}

TCandidates BitDepths() {
  TCandidates depths;
  for (int bits : kOfferedBitDepths) depths.insert(std::to_string(bits));
  return depths;
}

struct TCompletionCase {
  std::vector<std::string> Words;
  TCandidates Expected;
};

TEST(CliCompletion, OffersTheValuesEachOptionTakes) {
  if (!HasProgram("bash")) GTEST_SKIP() << "bash is not installed";
  TempDir folder;
  folder.Write("a.cube", "LUT_3D_SIZE 2\n");
  MakeFoldersBelow(folder.Path(), "sub");
  const TCandidates file = {"a.cube"};
  const std::vector<TCompletionCase> cases = {
      {{"lut2icc", "--class", ""}, {"display", "input", "link"}},
      {{"hald", "--format", ""}, {"bmp", "jpg", "tif"}},
      {{"hald", "-b", ""}, {"8", "16"}},
      {{"convert", "--bits", ""}, BitDepths()},
      {{"convert", "-b", ""}, BitDepths()},
      {{"info", "--input-bits", ""}, BitDepths()},
      {{"merge", "--input-bits", ""}, BitDepths()},
      {{"lut2icc", "--input-bits", ""}, BitDepths()},
      {{"apply", "--input-bits", ""}, BitDepths()},
      {{"compare", "--input-bits", ""}, BitDepths()},
      {{"convert", "-p", "Cube\\ 3D\\ Dav"}, {"Cube\\ 3D\\ Davinci"}},
      {{"merge", "--profile", "'Cube 3D Dav"}, {"Cube 3D Davinci"}},
      {{"convert", "--output", "a."}, file},
      {{"convert", "-o", "a."}, file},
      {{"merge", "--output", "a."}, file},
      {{"icc2lut", "--second", "a."}, file},
      {{"apply", "-o", "a."}, file},
      {{"convert", "-d", "s"}, {"sub"}},
      {{"compare", "--str"}, {"--strict"}},
      {{"merge", "--in"}, {"--input-bits"}},
      {{"lut2icc", "-"},
       {"--capture-one-gamma", "--class", "--copyright", "--description", "--help", "--input-bits",
        "--output", "--overwrite", "--quiet", "--strict", "--verbose", "-f", "-h", "-o", "-q",
        "-v"}},
      {{"conv"}, {"convert"}},
  };
  for (const TCompletionCase& c : cases) {
    std::string shown;
    for (const std::string& word : c.Words) shown += word + " ";
    EXPECT_EQ(Complete(folder.Path(), c.Words), c.Expected) << shown;
  }
}

TEST(CliCompletion, OffersEveryProfileByNameAndByNumber) {
  if (!HasProgram("bash")) GTEST_SKIP() << "bash is not installed";
  TempDir folder;
  const auto& profiles = OutputProfiles();
  EXPECT_EQ(Complete(folder.Path(), {"convert", "--profile", ""}).size(), profiles.size());
  TCandidates numbers;
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    if (std::to_string(i).starts_with("1")) numbers.insert(std::to_string(i));
  }
  EXPECT_EQ(Complete(folder.Path(), {"icc2lut", "-p", "1"}), numbers);
}

}  // namespace
}  // namespace vorn::test
