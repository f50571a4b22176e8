// Dialog filters, the order of picked and dropped files, and the text of the error box.

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "codecs/Pictures.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ScriptedDialogs.h"
#include "ui/DialogFilters.h"
#include "ui/ErrorGuard.h"

namespace vorn::ui {
namespace {

TEST(QtFilterFromList, KeepsEveryPatternOfTheLutFilter) {
  EXPECT_EQ(QtFilterFromList(kLutFileFilter),
            "LUT Files (*.cube *.lut *.m3d *.3dl *.txt *.cms *.mga *.xml *.3dmesh *dat *.alut "
            "*.ilut *.olut *.1dlut *.look *.cc *.pfl *.cfe *.dd3 *.mlc *.vlt "
            "*.spi1d *.spi3d *.csp *.vf *.itx "
            "*.bmp *.jpg *.jpeg *.tif *.tiff);;All Files (*)");
}

TEST(QtFilterFromList, OneEntryAndEmptyPatterns) {
  EXPECT_EQ(QtFilterFromList("Pictures|*.png"), "Pictures (*.png)");
  EXPECT_EQ(QtFilterFromList("A|*.a;;*.b|B|*.*;*.c"), "A (*.a *.b);;B (* *.c)");
  EXPECT_EQ(QtFilterFromList(""), "");
}

TEST(PictureFileFilter, ListsWhatTheDecodersRead) {
  EXPECT_EQ(PictureFileFilter(), "Pictures|*.bmp;*.jpg;*.jpeg;*.tif;*.tiff;*.png|All Files|*.*");
  EXPECT_EQ(QtFilterFromList(PictureFileFilter()),
            "Pictures (*.bmp *.jpg *.jpeg *.tif *.tiff *.png);;All Files (*)");
  for (const char* name : {"a.bmp", "a.jpg", "a.jpeg", "a.tif", "a.tiff", "a.png"}) {
    EXPECT_TRUE(IsPictureExtension(name)) << name << " is offered, so it must decode";
  }
}

TEST(SortPathsNoCase, IgnoresCaseAndKeepsEqualNamesInOrder) {
  std::vector<std::string> paths = {"/x/b.cube", "/x/B.cube", "/x/a.cube", "/x/C.cube",
                                    "/x/_.cube"};
  SortPathsNoCase(paths);
  EXPECT_EQ(paths, (std::vector<std::string>{"/x/_.cube", "/x/a.cube", "/x/b.cube", "/x/B.cube",
                                             "/x/C.cube"}));
}

TEST(ExpandDroppedPaths, FoldersGiveTheirFilesRecursivelyAndMissingPathsNothing) {
  vorn::test::TempDir temp;
  std::filesystem::create_directories(temp.File("luts/deeper"));
  temp.Write("luts/Two.cube", "");
  temp.Write("luts/one.cube", "");
  temp.Write("luts/deeper/hidden.cube", "");
  temp.Write("three.cube", "");

  EXPECT_EQ(
      ExpandDroppedPaths({temp.File("three.cube"), temp.File("luts"), temp.File("gone")}),
      (std::vector<std::string>{temp.File("luts/deeper/hidden.cube"), temp.File("luts/one.cube"),
                                temp.File("luts/Two.cube"), temp.File("three.cube")}));
}

TEST(ErrorText, NamesTheFileUnlessTheMessageDoes) {
  EXPECT_EQ(ErrorText("Incomplete file.", "/a/b.cube"), "Incomplete file.\n\nFile: /a/b.cube");
  EXPECT_EQ(ErrorText("Cannot open /a/b.cube", "/a/b.cube"), "Cannot open /a/b.cube");
  EXPECT_EQ(ErrorText("Out of paper.", ""), "Out of paper.");
  EXPECT_EQ(ErrorText("", ""), "Unknown error.");
}

TEST(RunGuarded, AnExceptionEndsTheActionInTheErrorBox) {
  TScriptedDialogs dialogs;
  bool after = false;
  EXPECT_FALSE(RunGuarded(dialogs, nullptr, [&](TActionContext& context) {
    context.File = "/luts/x.cube";
    throw std::runtime_error("Incomplete file.");
    after = true;
  }));
  EXPECT_FALSE(after);
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Kind, TScriptedDialogs::TKind::Error);
  EXPECT_EQ(dialogs.Messages[0].Text, "Incomplete file.\n\nFile: /luts/x.cube");

  EXPECT_FALSE(RunGuarded(dialogs, nullptr, [] { throw 42; }));
  EXPECT_EQ(dialogs.Messages.back().Text, "Unknown error.");
  EXPECT_TRUE(RunGuarded(dialogs, nullptr, [] {}));
  EXPECT_EQ(dialogs.Messages.size(), 2u);
}

}  // namespace
}  // namespace vorn::ui
