// The window's command line: the two parsing passes, and paths handed over by a desktop's
// "Open with" reaching the list as a drop would.

#include <filesystem>

#include "tests/ui/UiTestSupport.h"
#include "ui/CommandLine.h"

namespace vorn::ui::test {
namespace {

using TKind = TScriptedDialogs::TKind;
using TStrings = std::vector<std::string>;

struct TParseCase {
  TStrings Args;
  TQtOptions Qt;
  TWindowMode Mode;
  TStrings Paths;
};

TEST(WindowCommandLine, ParsesModesPathsAndLeavesSingleDashWordsToQtOnlyBeforeItRan) {
  const auto before = TQtOptions::NotYetTaken;
  const auto after = TQtOptions::Taken;
  const TParseCase cases[] = {
      {{}, after, TWindowMode::Window, {}},
      {{"a.cube", "luts/"}, after, TWindowMode::Window, {"a.cube", "luts/"}},
      {{"a.cube", "--help"}, after, TWindowMode::Help, {"a.cube"}},
      {{"--version", "-h"}, before, TWindowMode::Help, {}},
      {{"--version"}, before, TWindowMode::Version, {}},
      {{"-style", "fusion", "x.3dl"}, before, TWindowMode::Window, {"fusion", "x.3dl"}},
      {{"--", "--help", "-x", "-"}, after, TWindowMode::Window, {"--help", "-x", "-"}},
      {{"-"}, after, TWindowMode::Window, {"-"}},
      {{"--startup-probe", "a.cube"}, after, TWindowMode::StartupProbe, {"a.cube"}},
  };
  for (const TParseCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Args));
    const TWindowArguments parsed = ParseWindowArguments(c.Args, c.Qt);
    EXPECT_EQ(parsed.Mode, c.Mode);
    EXPECT_EQ(parsed.Paths, c.Paths);
  }
}

TEST(WindowCommandLine, RefusesUnknownOptionsMissingValuesAndConflictingModes) {
  const std::pair<TStrings, TQtOptions> refused[] = {
      {{"--frobnicate"}, TQtOptions::NotYetTaken},
      {{"-style"}, TQtOptions::Taken},
      {{"a.cube", "-x"}, TQtOptions::Taken},
      {{"--screenshot-demo"}, TQtOptions::Taken},
      // The screenshots are the separate tool vorn-lut-screenshots's.
      {{"--screenshot-demo", "shots", "a.cube"}, TQtOptions::Taken},
      {{"--version", "--startup-probe"}, TQtOptions::NotYetTaken},
  };
  for (const auto& [args, qt] : refused) {
    SCOPED_TRACE(::testing::PrintToString(args));
    EXPECT_THROW(ParseWindowArguments(args, qt), EWindowUsageError);
  }
  try {
    ParseWindowArguments({"--frobnicate"}, TQtOptions::NotYetTaken);
  } catch (const EWindowUsageError& error) {
    EXPECT_EQ(WindowUsageText(error.what()),
              "vorn-lut-converter: unknown option '--frobnicate'\n"
              "Usage: vorn-lut-converter [OPTIONS] [FILE|FOLDER...]\n"
              "Try 'vorn-lut-converter --help' for more information.\n");
  }
}

TEST(WindowCommandLine, HelpNamesEveryOptionTheParserKnowsAndVersionTheBuild) {
  const std::string help = WindowHelpText();
  EXPECT_TRUE(help.starts_with("Usage: vorn-lut-converter [OPTIONS] [FILE|FOLDER...]\n"));
  for (const char* option : {"--help", "--version", "--startup-probe"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(help.find("--screenshot-demo"), std::string::npos);
  EXPECT_EQ(WindowVersionText(), std::string("vorn-lut-converter ") + VORN_VERSION + "\n");
}

class TCommandLinePathsTest : public TMainWindowTest {};

TEST_F(TCommandLinePathsTest, FilesAndFoldersAreAddedAsADropWouldAndMissingOnesNamed) {
  const std::filesystem::path folder = std::filesystem::path(Temp.Path()) / "folder";
  std::filesystem::create_directory(folder);
  const std::string loose = Cube("Zeta.cube");
  std::filesystem::copy_file(loose, folder / "beta.cube");
  std::filesystem::create_directory(folder / "nested");
  Unknown("folder/notes.txt");

  // A path relative to the current folder is listed with its full folder.
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(Temp.Path());
  AddCommandLinePaths(*Window, Dialogs, {"Zeta.cube", folder.string(), "absent.cube"});
  std::filesystem::current_path(previous);

  ASSERT_EQ(RowCount(), 3);
  EXPECT_EQ(Row(0).FileName, "beta.cube");
  EXPECT_EQ(Row(1).FileName, "notes.txt");
  EXPECT_FALSE(Row(1).Checked);
  EXPECT_EQ(Row(2).FullPath(), loose);
  EXPECT_TRUE(Row(2).Checked);
  EXPECT_EQ(Messages(TKind::Error),
            TStrings{"These files or folders do not exist:\n" + Temp.Path() + "/absent.cube"});
}

}  // namespace
}  // namespace vorn::ui::test
