// The window's own text in ui/: every caption, label and question reaches Qt through tr()
// (or Translated() outside a QObject), and the old misspellings are gone. A grep over the
// sources, line by line.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace vorn::ui::test {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> WindowSources() {
  std::vector<fs::path> sources;
  for (const auto& entry : fs::directory_iterator(fs::path(VORN_SOURCE_DIR) / "ui")) {
    const std::string extension = entry.path().extension().string();
    if (extension == ".cpp" || extension == ".h") sources.push_back(entry.path());
  }
  return sources;
}

bool Contains(const std::string& line, const char* part) {
  return line.find(part) != std::string::npos;
}

// A literal that reads as English for a person: a capitalised word, alone or followed by
// more words or punctuation ("Convert", "Add LUTs", "Processing..."). Object names such as
// "btnConvert" or "ProgressBar" do not match.
const std::regex kProse(R"re("([A-Z][a-z']+([ .,:?!)\\][^"]*)?)")re");
// What may stand right before such a literal.
const std::regex kMarked(
    R"re((\btr\(|Translated\(|QT_TRANSLATE_NOOP\("[^"]*",)\s*$|^\s*"vorn::ui",\s*$)re");

const std::regex kContextLine(R"re((QT_TRANSLATE_NOOP\(|^\s*"vorn::ui",)\s*$)re");

// "file:line: literal" for every prose literal not marked for translation. A comment with
// "not translated:" exempts its own line and the next.
std::vector<std::string> UnmarkedProse(const fs::path& source) {
  std::vector<std::string> found;
  std::ifstream in(source);
  std::string line;
  std::string previous;
  for (int number = 1; std::getline(in, line); ++number) {
    const bool exempt = Contains(line, "not translated:") || Contains(previous, "not translated:");
    const std::size_t start = line.find_first_not_of(" \t");
    // A literal may go on from the line before, or follow a translation context there.
    const bool continued =
        (!previous.empty() && previous.back() == '"') || std::regex_search(previous, kContextLine);
    if (!exempt && start != std::string::npos && line.compare(start, 2, "//") != 0 &&
        line.compare(start, 8, "#include") != 0) {
      const std::string code = line.substr(0, line.find("  //"));
      for (std::sregex_iterator it(code.begin(), code.end(), kProse), end; it != end; ++it) {
        const std::string before = code.substr(0, static_cast<std::size_t>(it->position()));
        const bool continuation = continued && before.find_first_not_of(" \t") == std::string::npos;
        if (!continuation && !std::regex_search(before, kMarked)) {
          found.push_back(source.filename().string() + ":" + std::to_string(number) + ": " +
                          it->str());
        }
      }
    }
    if (start == std::string::npos || line.compare(start, 2, "//") != 0 || exempt) previous = line;
  }
  return found;
}

TEST(WindowText, EveryCaptionLabelAndQuestionIsMarkedForTranslation) {
  const std::vector<fs::path> sources = WindowSources();
  ASSERT_GT(sources.size(), 20u);
  std::vector<std::string> unmarked;
  for (const fs::path& source : sources) {
    for (std::string& hit : UnmarkedProse(source)) unmarked.push_back(std::move(hit));
  }
  EXPECT_TRUE(unmarked.empty()) << ::testing::PrintToString(unmarked);
}

TEST(WindowText, TheOldMisspellingsAreGone) {
  for (const fs::path& source : WindowSources()) {
    std::ifstream in(source);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      for (const char* wrong : {"Convertion", "is already exist", "want you to"}) {
        EXPECT_FALSE(Contains(line, wrong)) << source.filename() << ":" << number << ": " << line;
      }
    }
  }
}

}  // namespace
}  // namespace vorn::ui::test
