// 1D tables and looks in the window: their preview and description, and the Yes/No question
// about the cube file that a Premiere look writes beside itself.

#include <QToolButton>
#include <filesystem>

#include "core/LUTFormat.h"
#include "platform/Files.h"
#include "tests/ui/UiTestSupport.h"

namespace vorn::ui::test {
namespace {

using TKind = TScriptedDialogs::TKind;

TEST_F(TMainWindowTest, A1DTablePreviewsItsCurvesAndShowsType1D) {
  Window->AddFiles({Temp.Write("negative.cube", "# per channel\nLUT_1D_SIZE 2\n1 1 1\n0 0 0\n")});
  ASSERT_EQ(Row(0).FormatName, "Cube 1D");
  Window->SelectRow(0);

  EXPECT_TRUE(LutPartsShown());
  EXPECT_EQ(MemoLines(), (std::vector<std::string>{"Type: 1D", "Dimension: 2", "per channel"}));
  const TBitmap24& ungraded = Window->UngradedPicture();
  const TBitmap24& graded = Window->LutAppliedPicture();
  ASSERT_EQ(graded.Height(), ungraded.Height());
  for (int y = 0; y < graded.Height(); y += 7) {
    for (int x = 0; x < graded.Width() * 3; x += 5) {
      ASSERT_EQ(graded.ScanLine(y)[x], 255 - ungraded.ScanLine(y)[x]) << x << "," << y;
    }
  }
}

TEST_F(TMainWindowTest, ALookWithoutAGridShowsNoLutDataAndThePictureUnchanged) {
  Window->AddFiles(
      {Temp.Write("empty.look",
                  "<look>\n  <shaders>\n  </shaders>\n  <LUT>\n    <size>\"0\"</size>\n"
                  "    <data>\"\"</data>\n  </LUT>\n</look>\n")});
  ASSERT_EQ(Row(0).FormatName, "Adobe SpeedGrade Look 3D");
  Window->SelectRow(0);

  EXPECT_TRUE(LutPartsShown());
  EXPECT_EQ(MemoLines(), std::vector<std::string>{"No LUT data."});
  EXPECT_EQ(Window->LutAppliedPicture(), Window->UngradedPicture());
  EXPECT_TRUE(Messages(TKind::Error).empty());
}

TEST_F(TMainWindowTest, APremiereLookAsksBeforeReplacingItsCube) {
  const std::string output = Temp.Path() + "/out";
  std::filesystem::create_directory(output);
  const std::string cubeA = output + "/a.cube";
  const std::string cubeB = output + "/b.cube";
  WriteWholeFile(cubeA, "old");
  WriteWholeFile(cubeB, "old");
  Window->show();
  Window->AddFiles({Cube("a.cube"), Cube("b.cube")});
  Dialogs.YesNoAnswers = {false, true};
  QueueConversion(Dialogs, "Adobe Premiere Look", output);
  Window->btnConvert->click();

  auto question = [](const std::string& file) {
    return "The file " + file + " already exists. Overwrite it?";
  };
  EXPECT_EQ(Messages(TKind::YesNo), (std::vector<std::string>{question(cubeA), question(cubeB)}));
  EXPECT_TRUE(Messages(TKind::YesNoCancel).empty()) << "no look was there to replace";
  EXPECT_FALSE(FileExists(output + "/a.look")) << "No writes neither file";
  EXPECT_EQ(vorn::test::ReadFile(cubeA), "old");
  EXPECT_TRUE(FileExists(output + "/b.look"));
  TLUT cube;
  LoadLut(cubeB, cube);
  EXPECT_EQ(cube.Size3D, 32);
  EXPECT_TRUE(Messages(TKind::Error).empty());
}

}  // namespace
}  // namespace vorn::ui::test
