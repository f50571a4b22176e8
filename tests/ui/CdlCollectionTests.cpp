// A collection of ASC CDL corrections lists one row per correction: each shows its id or
// index, previews its own values and converts into an output named as
// `vorn-lut convert --cdl all` names it.

#include <QToolButton>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/VornLut.h"
#include "platform/Files.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/LutJoinForm.h"

namespace vorn::ui::test {
namespace {

// Three corrections of different slopes and saturations; the second has no id.
std::string CollectionText() {
  auto correction = [](const std::string& id, const std::string& slope, const std::string& sat) {
    return "<ColorCorrection" + id + "><SOPNode><Slope>" + slope +
           "</Slope><Offset>0 0 0</Offset><Power>1 1 1</Power></SOPNode><SATNode><Saturation>" +
           sat + "</Saturation></SATNode></ColorCorrection>\n";
  };
  return "<ColorCorrectionCollection>\n" + correction(" id=\"warm\"", "1.2 1 0.8", "1") +
         correction("", "0.5 0.5 0.5", "1") + correction(" id=\"cool\"", "0.8 1 1.2", "0.5") +
         "</ColorCorrectionCollection>\n";
}

struct TCorrectionRow {
  const char* Shown;
  const char* Output;
  const char* LoadedLine;
};

const std::vector<TCorrectionRow> kRows = {
    {"look.ccc [warm]", "look_warm.cube", "Correction 1 of 3: id warm (loaded)"},
    {"look.ccc [2]", "look_2.cube", "Correction 2 of 3: no id (loaded)"},
    {"look.ccc [cool]", "look_cool.cube", "Correction 3 of 3: id cool (loaded)"},
};

// Node (r, g, b) of the index-th correction as the loader reads it.
TRGB CorrectionNode(const std::string& path, int index, int r, int g, int b) {
  TLUT lut;
  LoadLut(path, lut, -1, -1, {.Index = index});
  return lut.GetNode(r, g, b);
}

TEST_F(TMainWindowTest, EachCorrectionOfACollectionIsARowThatPreviewsAndConvertsItself) {
  const std::string path = Temp.Write("look.ccc", CollectionText());
  Window->AddFiles({path, Cube("plain.cube")});
  ASSERT_EQ(RowCount(), 4);
  EXPECT_EQ(Window->Files().data(Window->Files().index(3, 0), Qt::DisplayRole).toString(),
            "plain.cube");

  std::vector<std::string> previewed;
  for (int row = 0; row < 3; ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(Row(row).FullPath(), path);
    EXPECT_EQ(Window->Files().data(Window->Files().index(row, 0), Qt::DisplayRole).toString(),
              kRows[row].Shown);
    Window->SelectRow(row);
    const std::vector<std::string> memo = MemoLines();
    EXPECT_NE(std::find(memo.begin(), memo.end(), kRows[row].LoadedLine), memo.end());
    const TBitmap24& graded = Window->LutAppliedPicture();
    previewed.emplace_back(reinterpret_cast<const char*>(graded.Data()),
                           graded.Stride() * graded.Height());
  }
  EXPECT_NE(previewed[0], previewed[1]);
  EXPECT_NE(previewed[1], previewed[2]);

  const std::string output = Temp.Path() + "/out";
  std::filesystem::create_directory(output);
  Window->Files().SetChecked(3, false);
  QueueConversion(Dialogs, "Cube 3D Davinci", output);
  Window->btnConvert->click();
  for (int row = 0; row < 3; ++row) {
    SCOPED_TRACE(kRows[row].Output);
    const std::string written = output + "/" + kRows[row].Output;
    ASSERT_TRUE(FileExists(written));
    TLUT lut;
    LoadLut(written, lut);
    for (const int node : {0, 9, 20, 32}) {
      const TRGB expected = CorrectionNode(path, row + 1, node, 32 - node, node / 2);
      const TRGB ours = lut.GetNode(node, 32 - node, node / 2);
      EXPECT_NEAR(ours.R, expected.R, 1e-5) << node;
      EXPECT_NEAR(ours.G, expected.G, 1e-5) << node;
      EXPECT_NEAR(ours.B, expected.B, 1e-5) << node;
    }
  }
  EXPECT_FALSE(FileExists(output + "/look.cube"));
}

// Joining loads whole files, as vorn-lut merge does: the collection goes in once.
TEST_F(TMainWindowTest, TheRowsOfACollectionAreJoinedAsTheirFileOnce) {
  const std::string path = Temp.Write("look.ccc", CollectionText());
  Window->AddFiles({path, Cube("plain.cube")});
  std::vector<std::string> offered;
  Dialogs.ModalScripts.push_back([&](QDialog& shown) {
    offered = dynamic_cast<TfrmJoinLut&>(shown).Files();
    return false;
  });
  Window->sbnJoin->click();
  EXPECT_EQ(offered, (std::vector<std::string>{path, Temp.File("plain.cube")}));
}

}  // namespace
}  // namespace vorn::ui::test
