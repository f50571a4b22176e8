// The main window: adding files, the check rules, selection and the preview memo, the
// context menu, bits per colour, the preview pane and the ICC menu.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "core/LUTFormat.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/About.h"
#include "ui/FileListView.h"
#include "ui/PictureBox.h"
#include "ui/SetBitsPerValueForm.h"

namespace vorn::ui::test {
namespace {

using TKind = TScriptedDialogs::TKind;

TEST_F(TMainWindowTest, StartsWithEmptyListSamplePictureAndToolsDisabled) {
  EXPECT_EQ(Window->windowTitle(), "Vorn LUT Converter");
  EXPECT_EQ(Window->size(), QSize(881, 640));
  EXPECT_EQ(Window->minimumSize(), QSize(400, 200));
  EXPECT_EQ(RowCount(), 0);
  EXPECT_FALSE(Window->btnConvert->isEnabled());
  EXPECT_FALSE(Window->sbnJoin->isEnabled());
  EXPECT_FALSE(Window->pnlPreview->isHidden());
  EXPECT_EQ(Window->pnlPreview->width(), 250);
  EXPECT_FALSE(LutPartsShown());
  EXPECT_TRUE(Window->chkInvert->isHidden());
  EXPECT_EQ(Window->imgUngraded->size(), QSize(210, 169));

  const TBitmap24& sample = Window->UngradedPicture();
  ASSERT_FALSE(sample.Empty());
  EXPECT_TRUE(sample.Width() == 210 || sample.Height() == 169);
  EXPECT_LE(sample.Width(), 210);
  EXPECT_LE(sample.Height(), 169);

  EXPECT_EQ(Window->btnAddFiles->text(), "Add LUTs");
  EXPECT_EQ(Window->btnConvert->toolTip(), "Convert the checked LUT files");
  EXPECT_EQ(Window->sbnJoin->toolTip(), "Merge the checked LUT files");
  EXPECT_EQ(Window->btnICC->toolTip(), "Convert ICC profile to LUT file and vice versa");
  EXPECT_EQ(Window->sbnHaldImage->toolTip(), "Generate the Hald image");
  EXPECT_EQ(Window->btnAbout->toolTip(), "About");
  EXPECT_EQ(Window->btnLoadPreviewImage->toolTip(), "Load a preview image");
  EXPECT_EQ(Window->btnShowHidePreview->toolTip(), "Show/Hide the preview pane");
}

TEST_F(TMainWindowTest, TheListHasItsThreeColumnsAtTheirInitialWidths) {
  Window->show();
  const QHeaderView& header = *Window->lvwFiles->header();
  ASSERT_EQ(header.count(), 3);
  auto caption = [this](int column) {
    return Window->Files().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
  };
  EXPECT_EQ(caption(0), "File Name");
  EXPECT_EQ(caption(1), "Format");
  EXPECT_EQ(caption(2), "Folder");
  EXPECT_EQ(header.sectionSize(0), 250);
  EXPECT_EQ(header.sectionSize(1), 200);
  // The folder column is 150 wide at least and takes the rest of the list's width.
  EXPECT_GE(header.sectionSize(2), 150);
  EXPECT_EQ(header.length(), Window->lvwFiles->viewport()->width());
}

TEST_F(TMainWindowTest, AddLutsSortsThePicksAndChecksOnlyRecognisedFiles) {
  const std::string b = Cube("b.cube");
  const std::string a = Cube("A.cube");
  const std::string unknown = Unknown("c.txt");
  AddViaDialog({unknown, b, a});

  EXPECT_EQ(Dialogs.LastFilter,
            "LUT Files|*.cube;*.lut;*.m3d;*.3dl;*.txt;*.cms;*.mga;*.xml;*.3dmesh;*dat;*.alut;"
            "*.ilut;*.olut;*.1dlut;*.look;*.cc;*.pfl;*.cfe;*.dd3;*.mlc;*.vlt;"
            "*.spi1d;*.spi3d;*.csp;*.vf;*.itx;"
            "*.bmp;*.jpg;*.jpeg;*.tif;*.tiff|All Files|*.*");
  EXPECT_EQ(Dialogs.LastStartFolder, "");
  ASSERT_EQ(RowCount(), 3);
  EXPECT_EQ(Row(0).FileName, "A.cube");
  EXPECT_EQ(Row(1).FileName, "b.cube");
  EXPECT_EQ(Row(2).FileName, "c.txt");
  EXPECT_EQ(Row(0).FormatName, "Cube 3D");
  EXPECT_EQ(Row(2).FormatName, "unknown");
  EXPECT_EQ(Row(0).Folder, Temp.Path());
  EXPECT_TRUE(Row(0).Checked);
  EXPECT_TRUE(Row(1).Checked);
  EXPECT_FALSE(Row(2).Checked);
  ASSERT_TRUE(Row(0).Info.has_value());
  EXPECT_EQ(Row(0).Info->InputBits, -1);
  EXPECT_EQ(Row(0).Info->FormatIndex, IndexOfFormat("Cube 3D"));
  EXPECT_FALSE(Row(2).Info.has_value());

  EXPECT_EQ(Window->SelectedRow(), -1);
  EXPECT_TRUE(Window->btnConvert->isEnabled());
  EXPECT_TRUE(Window->sbnJoin->isEnabled());
  EXPECT_EQ(Window->Folders().Luts, Temp.Path());

  AddViaDialog({a});  // the same file again: no duplicate test
  EXPECT_EQ(Dialogs.LastStartFolder, Temp.Path());
  EXPECT_EQ(RowCount(), 4);
}

TEST_F(TMainWindowTest, CancelledPickAddsNothing) {
  AddViaDialog({});
  EXPECT_EQ(RowCount(), 0);
  EXPECT_EQ(Window->Folders().Luts, "");
}

TEST_F(TMainWindowTest, CheckingAnUnknownRowExplainsAndLeavesItUnchecked) {
  Window->AddFiles({Unknown("notes.txt")});
  EXPECT_FALSE(Window->btnConvert->isEnabled());

  Window->show();
  Window->SelectRow(0);
  QTest::keyClick(Window->lvwFiles, Qt::Key_Space);  // the check box's own key

  EXPECT_EQ(Messages(TKind::Information),
            std::vector<std::string>{
                "Unable to convert unknown format.\nPlease contact us to add this."});
  EXPECT_FALSE(Row(0).Checked);
  EXPECT_FALSE(Window->btnConvert->isEnabled());

  const QModelIndex box = Window->Files().index(0, 0);
  EXPECT_FALSE(Window->Files().setData(box, Qt::Checked, Qt::CheckStateRole));
  EXPECT_EQ(Window->Files().data(box, Qt::CheckStateRole).toInt(), Qt::Unchecked);
  EXPECT_EQ(Messages(TKind::Information).size(), 2u);
}

TEST_F(TMainWindowTest, UncheckingTheLastCheckedRowDisablesConvertAndMerge) {
  Window->AddFiles({Cube("one.cube")});
  const QModelIndex box = Window->Files().index(0, 0);
  EXPECT_TRUE(Window->Files().setData(box, Qt::Unchecked, Qt::CheckStateRole));
  EXPECT_FALSE(Window->AnyChecked());
  EXPECT_FALSE(Window->btnConvert->isEnabled());
  EXPECT_FALSE(Window->sbnJoin->isEnabled());
  EXPECT_TRUE(Window->Files().setData(box, Qt::Checked, Qt::CheckStateRole));
  EXPECT_TRUE(Window->btnConvert->isEnabled());
  EXPECT_TRUE(Messages(TKind::Information).empty());
}

TEST_F(TMainWindowTest, UncheckAllAndCheckAllFollowTheRecords) {
  Window->AddFiles({Cube("a.cube"), Unknown("b.txt"), Cube("c.cube")});
  Window->miUncheckAll->trigger();
  EXPECT_FALSE(Row(0).Checked);
  EXPECT_FALSE(Row(2).Checked);
  EXPECT_FALSE(Window->btnConvert->isEnabled());
  EXPECT_FALSE(Window->sbnJoin->isEnabled());

  Window->miCheckAll->trigger();
  EXPECT_TRUE(Row(0).Checked);
  EXPECT_FALSE(Row(1).Checked);
  EXPECT_TRUE(Row(2).Checked);
  EXPECT_TRUE(Window->btnConvert->isEnabled());
  EXPECT_TRUE(Window->sbnJoin->isEnabled());
  EXPECT_TRUE(Messages(TKind::Information).empty());
}

TEST_F(TMainWindowTest, CheckAllWithOnlyUnknownRowsKeepsConvertDisabled) {
  Window->AddFiles({Unknown("a.txt"), Unknown("b.txt")});
  Window->miCheckAll->trigger();
  EXPECT_FALSE(Window->AnyChecked());
  EXPECT_FALSE(Window->btnConvert->isEnabled());
}

TEST_F(TMainWindowTest, AFileThatCannotBeReadEndsTheAdditionAndKeepsEarlierRows) {
  const std::string first = Cube("first.cube");
  const std::string missing = Temp.File("missing.cube");
  AddViaDialog({first, missing, Cube("z-last.cube")});

  ASSERT_EQ(RowCount(), 1);
  EXPECT_EQ(Row(0).FileName, "first.cube");
  const std::vector<std::string> errors = Messages(TKind::Error);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("missing.cube"), std::string::npos) << errors[0];
}

TEST_F(TMainWindowTest, SelectingARowShowsTheGradedPictureTypeDimensionAndComments) {
  Window->AddFiles({Cube("negative.cube", {"Negative look", "made for tests"}, true)});
  Window->SelectRow(0);

  EXPECT_TRUE(LutPartsShown());
  EXPECT_EQ(MemoLines(), (std::vector<std::string>{"Type: 3D", "Dimension: 2", "Negative look",
                                                   "made for tests"}));
  const TBitmap24& ungraded = Window->UngradedPicture();
  const TBitmap24& graded = Window->LutAppliedPicture();
  ASSERT_EQ(graded.Width(), ungraded.Width());
  ASSERT_EQ(graded.Height(), ungraded.Height());
  for (int y = 0; y < graded.Height(); y += 7) {
    for (int x = 0; x < graded.Width() * 3; x += 5) {
      ASSERT_EQ(graded.ScanLine(y)[x], 255 - ungraded.ScanLine(y)[x]) << x << "," << y;
    }
  }
  EXPECT_FALSE(Window->imgLUTApplied->Image().isNull());
}

TEST_F(TMainWindowTest, AShaperAndGridShowBothSizes) {
  Window->AddFiles({Temp.Write("shaper.cube", ShaperCubeText()),
                    Temp.Write("shaper.cms",
                               "NUCODA_3D_CUBE 1\nLUT_1D_SIZE 3\nLUT_3D_SIZE 2\n"
                               "0 0 0\n16.5 16.5 16.5\n33 33 33\n0 0 0\n1 0 0\n"
                               "0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n")});
  Window->SelectRow(0);
  EXPECT_EQ(MemoLines(),
            (std::vector<std::string>{"Type: 1D & 3D", "Dimension: 2 & 2", "with shaper"}));
  ASSERT_EQ(Row(1).FormatName, "Nucoda 3D");
  Window->SelectRow(1);
  EXPECT_EQ(MemoLines(), (std::vector<std::string>{"Type: 1D & 3D", "Dimension: 3 & 2"}));
}

TEST_F(TMainWindowTest, SkippedValueLinesAreWarnedAboutInTheMemo) {
  Window->AddFiles({Temp.Write("skipped.cube",
                               "# graded\nLUT_3D_SIZE 2\n0 0 0\n1 0 0 0\n1 0 0\n0 1 0\n1 1 0\n"
                               "0 0 1\n1 0 1\n0 1 1\n1 1 1\n")});
  Window->SelectRow(0);
  EXPECT_EQ(MemoLines(),
            (std::vector<std::string>{
                "Type: 3D", "Dimension: 2", "graded",
                "Warning: 1 line inside the values looks like values but could not be read and "
                "was skipped (line 4); every value after it moved one node or entry earlier."}));
}

TEST_F(TMainWindowTest, SelectingAnUnknownRowOrLosingTheSelectionHidesTheLutParts) {
  Window->AddFiles({Cube("a.cube"), Unknown("b.txt")});
  Window->SelectRow(0);
  ASSERT_TRUE(LutPartsShown());
  Window->SelectRow(1);
  EXPECT_FALSE(LutPartsShown());

  Window->SelectRow(0);
  ASSERT_TRUE(LutPartsShown());
  Window->SelectRow(-1);
  EXPECT_FALSE(LutPartsShown());
  EXPECT_TRUE(Messages(TKind::Error).empty());
}

// Browsing never stops at a box: the error shows in the comments, in the error colour, and
// the next good file shows as usual.
TEST_F(TMainWindowTest, ABrokenLutShowsItsErrorInThePaneWithoutABox) {
  const std::string broken = Temp.Write("broken.cube", IncompleteCubeText());
  Window->AddFiles({Cube("good.cube", {"good one"}), broken});
  ASSERT_EQ(Row(1).FormatName, "Cube 3D");
  Window->SelectRow(0);
  const std::vector<std::string> good = MemoLines();
  const QColor normal = Window->mmComments->palette().color(QPalette::Text);
  EXPECT_FALSE(Window->PreviewShowsError());

  Window->SelectRow(1);
  EXPECT_TRUE(Messages(TKind::Error).empty());
  EXPECT_TRUE(Window->PreviewShowsError());
  EXPECT_TRUE(Window->imgLUTApplied->isHidden());
  const QString shown = Window->mmComments->toPlainText();
  EXPECT_TRUE(shown.contains("Incomplete file.")) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QString::fromStdString(broken))) << shown.toStdString();
  EXPECT_NE(Window->mmComments->palette().color(QPalette::Text), normal);

  // A value that does not parse names its line as well.
  const std::string bad = Temp.Write("bad.cube", "# a look\nLUT_3D_SIZE 2x\n");
  Window->AddFiles({bad});
  Window->SelectRow(2);
  EXPECT_EQ(Window->mmComments->toPlainText().toStdString(),
            "'2x' is not a valid integer value\n\nFile: " + bad + ", line 2");

  Window->SelectRow(0);
  EXPECT_FALSE(Window->PreviewShowsError());
  EXPECT_TRUE(LutPartsShown());
  EXPECT_EQ(MemoLines(), good);
  EXPECT_EQ(Window->mmComments->palette().color(QPalette::Text), normal);
  EXPECT_TRUE(Messages(TKind::Error).empty());
}

TEST_F(TMainWindowTest, WithThePaneHiddenSelectionLoadsNothingUntilThePaneShows) {
  Window->AddFiles({Cube("a.cube", {"first"}), Cube("b.cube", {"second"})});
  Window->btnShowHidePreview->click();
  EXPECT_TRUE(Window->pnlPreview->isHidden());

  Window->SelectRow(1);
  EXPECT_FALSE(LutPartsShown());
  EXPECT_TRUE(MemoLines().empty());

  Window->btnShowHidePreview->click();
  EXPECT_FALSE(Window->pnlPreview->isHidden());
  EXPECT_TRUE(LutPartsShown());
  EXPECT_EQ(MemoLines().back(), "second");

  Window->SelectRow(-1);
  Window->btnShowHidePreview->click();
  Window->btnShowHidePreview->click();
  EXPECT_FALSE(LutPartsShown());
}

TEST_F(TMainWindowTest, DeleteSelectsTheRowThatTakesThePlaceOrTheNewLastRow) {
  Window->AddFiles(
      {Cube("a.cube", {"a"}), Cube("b.cube", {"b"}), Cube("c.cube", {"c"}), Cube("d.cube", {"d"})});
  Window->SelectRow(1);
  Window->miDelete->trigger();
  ASSERT_EQ(RowCount(), 3);
  EXPECT_EQ(Row(1).FileName, "c.cube");
  EXPECT_EQ(Window->SelectedRow(), 1);
  EXPECT_EQ(MemoLines().back(), "c");

  Window->SelectRow(2);
  Window->miDelete->trigger();
  ASSERT_EQ(RowCount(), 2);
  EXPECT_EQ(Window->SelectedRow(), 1);
  EXPECT_EQ(MemoLines().back(), "c");
  EXPECT_TRUE(LutPartsShown());
}

TEST_F(TMainWindowTest, DeletingTheOnlyRowDisablesConvertAndMerge) {
  Window->AddFiles({Cube("only.cube")});
  Window->SelectRow(0);
  Window->miDelete->trigger();
  EXPECT_EQ(RowCount(), 0);
  EXPECT_FALSE(Window->btnConvert->isEnabled());
  EXPECT_FALSE(Window->sbnJoin->isEnabled());
  EXPECT_FALSE(LutPartsShown());
}

TEST_F(TMainWindowTest, TheDeleteKeyDeletesTheSelectedRow) {
  Window->AddFiles({Cube("a.cube"), Cube("b.cube")});
  Window->show();
  Window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
  Window->lvwFiles->setFocus();
  Window->SelectRow(0);
  // Through the window, as a key press arrives, so that the shortcut map sees it.
  QTest::keyClick(Window->windowHandle(), Qt::Key_Delete);
  ASSERT_EQ(RowCount(), 1);
  EXPECT_EQ(Row(0).FileName, "b.cube");
}

TEST_F(TMainWindowTest, ClearListRemovesEveryRowAndDisablesTheTools) {
  Window->AddFiles({Cube("a.cube"), Unknown("b.txt"), Cube("c.cube")});
  Window->SelectRow(0);
  Window->miClearList->trigger();
  EXPECT_EQ(RowCount(), 0);
  EXPECT_FALSE(Window->btnConvert->isEnabled());
  EXPECT_FALSE(Window->sbnJoin->isEnabled());
  EXPECT_FALSE(LutPartsShown());
  EXPECT_FALSE(Window->miClearList->isEnabled());
  EXPECT_FALSE(Window->miDelete->isEnabled());
}

TEST_F(TMainWindowTest, MenuEntriesNeedASelectionOrRows) {
  EXPECT_FALSE(Window->miClearList->isEnabled());
  Window->AddFiles({Cube("a.cube")});
  EXPECT_TRUE(Window->miClearList->isEnabled());
  EXPECT_FALSE(Window->miDelete->isEnabled());
  EXPECT_FALSE(Window->miSetBitsPerValue->isEnabled());
  Window->SelectRow(0);
  EXPECT_TRUE(Window->miDelete->isEnabled());
  EXPECT_TRUE(Window->miSetBitsPerValue->isEnabled());

  const QList<QAction*> entries = Window->pmnList->actions();
  ASSERT_EQ(entries.size(), 7);
  EXPECT_EQ(entries[0]->text(), "Check All");
  EXPECT_EQ(entries[1]->text(), "Uncheck All");
  EXPECT_TRUE(entries[2]->isSeparator());
  EXPECT_EQ(entries[3]->text(), "Set Bits Per Color...");
  EXPECT_TRUE(entries[4]->isSeparator());
  EXPECT_EQ(entries[5]->text(), "Remove from List");
  EXPECT_EQ(entries[5]->shortcut(), QKeySequence(Qt::Key_Delete));
  EXPECT_EQ(entries[6]->text(), "Clear List");
}

TEST_F(TMainWindowTest, BitsPerColourIsKeptPerRow) {
  Window->AddFiles({Cube("a.cube"), Cube("b.cube")});
  Window->SelectRow(0);

  Dialogs.ModalScripts.push_back(ChooseBits("Default", "10", true));
  Window->miSetBitsPerValue->trigger();
  EXPECT_EQ(Row(0).Info->InputBits, 10);
  EXPECT_EQ(Row(1).Info->InputBits, -1);

  Window->SelectRow(1);

  Window->SelectRow(0);
  Dialogs.ModalScripts.push_back(ChooseBits("10", "16", false));
  Window->miSetBitsPerValue->trigger();
  EXPECT_EQ(Row(0).Info->InputBits, 10);

  Dialogs.ModalScripts.push_back(ChooseBits("10", "Default", true));
  Window->miSetBitsPerValue->trigger();
  EXPECT_EQ(Row(0).Info->InputBits, -1);
}

TEST_F(TMainWindowTest, AStoredDepthWithoutAnEntrySelectsNothingAndOkKeepsIt) {
  Window->AddFiles({Cube("a.cube")});
  Window->Files().SetInputBits(0, 7);
  Window->SelectRow(0);
  Dialogs.ModalScripts.push_back([](QDialog& shown) {
    auto& dialog = dynamic_cast<TfrmSetBitsPerValue&>(shown);
    EXPECT_EQ(dialog.cbxBitsPerValue->currentIndex(), -1);
    EXPECT_EQ(dialog.cbxBitsPerValue->currentText(), "");
    dialog.btnOK->click();
    return dialog.result() == QDialog::Accepted;
  });
  Window->miSetBitsPerValue->trigger();
  EXPECT_TRUE(Dialogs.ModalScripts.empty());
  EXPECT_EQ(Row(0).Info->InputBits, 7);
}

TEST_F(TMainWindowTest, BitsPerColourDoesNothingForAnUnknownRow) {
  Window->AddFiles({Unknown("a.txt")});
  Window->SelectRow(0);
  Window->miSetBitsPerValue->trigger();  // a dialog would be an unanswered question
  EXPECT_FALSE(Row(0).Info.has_value());
}

TEST_F(TMainWindowTest, TheIccMenuOffersBothDirections) {
  const QList<QAction*> icc = Window->pmnICC->actions();
  ASSERT_EQ(icc.size(), 2);
  EXPECT_EQ(icc[0]->text(), "Convert LUT to ICC Profile");
  EXPECT_EQ(icc[1]->text(), "Convert ICC Profile to LUT");
}

TEST_F(TMainWindowTest, AboutShowsTheVersion) {
  Dialogs.ModalScripts.push_back([](QDialog& shown) {
    auto& about = dynamic_cast<TfrmAbout&>(shown);
    EXPECT_EQ(about.lblVersion->text(), QString("Version: ") + VORN_VERSION);
    EXPECT_TRUE(about.lblLinks->text().contains("href"));
    return true;
  });
  Window->btnAbout->click();
  EXPECT_TRUE(Dialogs.ModalScripts.empty());
}

// Full paths are sorted, as for "Add LUTs": the folder's files come before "Zeta.cube".
TEST_F(TMainWindowTest, DroppedFilesAndFoldersAreAddedSorted) {
  const std::filesystem::path folder = std::filesystem::path(Temp.Path()) / "folder";
  std::filesystem::create_directory(folder);
  const std::string loose = Cube("Zeta.cube");
  std::filesystem::copy_file(loose, folder / "beta.cube");
  std::filesystem::copy_file(loose, folder / "Alpha.cube");
  std::filesystem::create_directory(folder / "nested");

  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(loose)),
                QUrl::fromLocalFile(QString::fromStdString(folder.string()))});
  QWidget* target = Window->lvwFiles->viewport();
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
  EXPECT_TRUE(drop.isAccepted());

  ASSERT_EQ(RowCount(), 3);
  EXPECT_EQ(Row(0).FileName, "Alpha.cube");
  EXPECT_EQ(Row(1).FileName, "beta.cube");
  EXPECT_EQ(Row(2).FileName, "Zeta.cube");
  EXPECT_TRUE(Row(2).Checked);
}

// The window and vorn-lut take a folder by one rule (ExpandLutPaths): its tree, hidden
// files and subfolders included, the claimed files first and then those no format claims,
// which the window lists as unknown and vorn-lut names as unclaimed.
TEST_F(TMainWindowTest, ADroppedFolderListsWhatVornLutInfoListsForIt) {
  const std::filesystem::path folder = std::filesystem::path(Temp.Path()) / "tree";
  std::filesystem::create_directories(folder / "sub");
  const std::string cube = Cube("source.cube");
  for (const char* name : {".hidden.cube", "sub/inner.cube", "Zeta.cube"}) {
    std::filesystem::copy_file(cube, folder / name);
  }
  Unknown("tree/notes.txt");
  Unknown("tree/sub/a-readme.txt");

  Window->AddDroppedPaths({folder.string()});
  std::vector<std::string> listed;
  for (int row = 0; row < RowCount(); ++row) listed.push_back(Row(row).FullPath());

  QProcess cli;
  cli.start(QStringLiteral(VORN_CLI_PATH), {"info", "--json", QString::fromStdString(folder)});
  ASSERT_TRUE(cli.waitForFinished(60000));
  ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  const nlohmann::json document = nlohmann::json::parse(cli.readAllStandardOutput().toStdString());
  std::vector<std::string> named;
  for (const auto& file : document["files"]) named.push_back(file["path"]);
  for (const auto& file : document["unclaimed"]) named.push_back(file);

  EXPECT_EQ(listed, named);
  EXPECT_EQ(listed.size(), 5u);
  ASSERT_EQ(RowCount(), 5);
  EXPECT_FALSE(Row(3).Info);  // the unclaimed files come last
  EXPECT_FALSE(Row(4).Info);
}

}  // namespace
}  // namespace vorn::ui::test
