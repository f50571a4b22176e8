// The merge dialog in the real window: the 3D outputs, the path and Save rules, the merged
// file, and reordering the files by dragging in the real list widget.

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "imaging/MergeLuts.h"
#include "tests/support/TestLuts.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ConvertForm.h"
#include "ui/LutJoinForm.h"

namespace vorn::ui::test {
namespace {

using TKind = TScriptedDialogs::TKind;

std::vector<std::string> ListTexts(const QListWidget& list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list.count(); ++i) texts.push_back(list.item(i)->text().toStdString());
  return texts;
}

class JoinDialog : public ::testing::Test {
 protected:
  JoinDialog() { Dialog.show(); }
  void TearDown() override { EXPECT_TRUE(Dialogs.Unanswered.empty()); }

  // Presses on item from, then drops what the list drags at the point dropAt.
  void Drag(int from, QPoint dropAt, const QMimeData* data = nullptr) {
    TMergeListBox& list = *Dialog.lbxFiles;
    const QPoint press = from >= 0 ? list.visualItemRect(list.item(from)).center()
                                   : QPoint(5, list.viewport()->height() - 2);
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, press);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, press);
    const std::unique_ptr<QMimeData> own = list.DragData();
    const QMimeData* carried = data != nullptr ? data : own.get();
    // As a real drag does: the list is entered, moved over, then dropped on.
    QDragEnterEvent enter(dropAt, Qt::MoveAction, carried, Qt::LeftButton, {});
    QApplication::sendEvent(list.viewport(), &enter);
    QDragMoveEvent move(dropAt, Qt::MoveAction, carried, Qt::LeftButton, {});
    QApplication::sendEvent(list.viewport(), &move);
    Accepted = enter.isAccepted() && move.isAccepted();
    QDropEvent drop(QPointF(dropAt), Qt::MoveAction, carried, Qt::LeftButton, {});
    QApplication::sendEvent(list.viewport(), &drop);
  }
  QPoint On(int item) const {
    return Dialog.lbxFiles->visualItemRect(Dialog.lbxFiles->item(item)).center();
  }
  QPoint BelowTheLast() const { return QPoint(5, Dialog.lbxFiles->viewport()->height() - 2); }
  const TLutOutputProfile& SizedGrid() const {
    for (const auto& profile : OutputProfiles()) {
      if (profile->SizeSelectable && GetFormat(profile->FormatIndex)->Is3D) return *profile;
    }
    throw std::runtime_error("no 3D output with a selectable size");
  }
  void Choose(const TLutOutputProfile& output) {
    Dialog.cbxOutFormat->setCurrentIndex(
        Dialog.cbxOutFormat->findText(QString::fromStdString(output.Name)));
  }

  vorn::test::TempDir Temp;
  TScriptedDialogs Dialogs;
  TRememberedFolders Folders;
  const std::vector<std::string> Paths = {"/luts/a.cube", "/luts/b.cube", "/luts/c.cube"};
  TfrmJoinLut Dialog{nullptr, Dialogs, Folders, Paths};
  bool Accepted = false;
};

TEST_F(JoinDialog, OpensWithTheFilesInOrderAndOnlyThe3DOutputs) {
  EXPECT_EQ(Dialog.windowTitle(), "Merge LUT files");
  EXPECT_EQ(ListTexts(*Dialog.lbxFiles), Paths);
  EXPECT_EQ(Dialog.lblOrderNote->text(),
            "(The top file is applied first. Drag the files to change the order.)");
  std::vector<std::string> grids;
  for (const auto& profile : OutputProfiles()) {
    if (GetFormat(profile->FormatIndex)->Is3D) grids.push_back(profile->Name);
  }
  std::vector<std::string> offered;
  for (int i = 0; i < Dialog.cbxOutFormat->count(); ++i) {
    offered.push_back(Dialog.cbxOutFormat->itemText(i).toStdString());
  }
  EXPECT_EQ(offered, grids);
  EXPECT_EQ(Dialog.cbxOutFormat->currentIndex(), -1);
  EXPECT_FALSE(Dialog.edtLUTFile->isEnabled());
  EXPECT_FALSE(Dialog.btnSetLUTFile->isEnabled());
  EXPECT_FALSE(Dialog.cbxDimSize->isEnabled());
  EXPECT_EQ(Dialog.cbxDimSize->currentText(), "Default");
  EXPECT_FALSE(Dialog.cbxBits->isEnabled());
  EXPECT_EQ(Dialog.cbxBits->currentText(), "Default");
  EXPECT_FALSE(Dialog.btnSave->isEnabled());
  EXPECT_EQ(Dialog.btnCancel->text(), "Cancel");
}

TEST_F(JoinDialog, DraggingMovesTheItemAndShiftsTheOnesBetween) {
  Drag(2, On(0));
  EXPECT_TRUE(Accepted);
  EXPECT_EQ(ListTexts(*Dialog.lbxFiles),
            (std::vector<std::string>{"/luts/c.cube", "/luts/a.cube", "/luts/b.cube"}));
  Drag(0, BelowTheLast());
  EXPECT_EQ(ListTexts(*Dialog.lbxFiles),
            (std::vector<std::string>{"/luts/a.cube", "/luts/b.cube", "/luts/c.cube"}));
  Drag(0, On(1));
  EXPECT_EQ(ListTexts(*Dialog.lbxFiles),
            (std::vector<std::string>{"/luts/b.cube", "/luts/a.cube", "/luts/c.cube"}));
  Drag(1, On(1));
  EXPECT_EQ(ListTexts(*Dialog.lbxFiles),
            (std::vector<std::string>{"/luts/b.cube", "/luts/a.cube", "/luts/c.cube"}));
  EXPECT_EQ(Dialog.Files(), ListTexts(*Dialog.lbxFiles));
}

TEST_F(JoinDialog, OnlyDragsFromTheListItselfAreTakenAndADragFromBelowMovesNothing) {
  QMimeData foreign;
  foreign.setText("/elsewhere/x.cube");
  Drag(2, On(0), &foreign);
  EXPECT_FALSE(Accepted);
  TfrmJoinLut other(nullptr, Dialogs, Folders, Paths);
  const std::unique_ptr<QMimeData> otherList = other.lbxFiles->DragData();
  Drag(2, On(0), otherList.get());
  EXPECT_FALSE(Accepted);
  Drag(-1, On(0));
  EXPECT_TRUE(Accepted);
  EXPECT_EQ(ListTexts(*Dialog.lbxFiles), Paths);
}

TEST_F(JoinDialog, AChosenPathEnablesSaveAndFollowsTheOutputsExtension) {
  const TLutOutputProfile& sized = SizedGrid();
  Choose(sized);
  EXPECT_TRUE(Dialog.btnSetLUTFile->isEnabled());
  EXPECT_TRUE(Dialog.cbxDimSize->isEnabled());
  std::vector<std::string> sizes;
  for (int i = 0; i < Dialog.cbxDimSize->count(); ++i) {
    sizes.push_back(Dialog.cbxDimSize->itemText(i).toStdString());
  }
  EXPECT_EQ(sizes, (std::vector<std::string>{"Default", "17", "32", "33", "64"}));
  EXPECT_FALSE(Dialog.btnSave->isEnabled());

  Folders.Output = "/remembered";
  Dialogs.FileToSave.push_back(Temp.File("merged." + sized.Extension));
  Dialog.btnSetLUTFile->click();
  EXPECT_EQ(Dialogs.LastStartFolder, "/remembered");
  EXPECT_EQ(Dialogs.LastFilter, sized.Name + "|*." + sized.Extension);
  EXPECT_EQ(Dialogs.LastDefaultExtension, sized.Extension);
  EXPECT_EQ(Folders.Output, Temp.Path());
  EXPECT_TRUE(Dialog.btnSave->isEnabled());

  for (const auto& profile : OutputProfiles()) {
    if (profile->Extension == sized.Extension || !GetFormat(profile->FormatIndex)->Is3D) continue;
    Choose(*profile);
    EXPECT_EQ(Dialog.edtLUTFile->text().toStdString(), Temp.File("merged." + profile->Extension));
    EXPECT_TRUE(Dialog.btnSave->isEnabled()) << "Save stays enabled";
    EXPECT_EQ(Dialog.cbxDimSize->isEnabled(), profile->SizeSelectable);
    break;
  }
}

TEST_F(JoinDialog, SaveMergesTheListInItsOrderAndCloses) {
  const std::string shaped = Temp.Write(
      "shaped.cube", vorn::test::CubeTextOf(*vorn::test::MakeGradeLut(lk1DAnd3D, 9, 64)));
  const std::string grade =
      Temp.Write("grade.cube", vorn::test::CubeTextOf(*vorn::test::MakeGradeLut(lk3D, 5)));
  TfrmJoinLut dialog(nullptr, Dialogs, Folders, {shaped, grade});
  dialog.show();
  const TLutOutputProfile& sized = SizedGrid();
  dialog.cbxOutFormat->setCurrentIndex(
      dialog.cbxOutFormat->findText(QString::fromStdString(sized.Name)));
  const std::string out = Temp.File("merged." + sized.Extension);
  Dialogs.FileToSave.push_back(out);
  dialog.btnSetLUTFile->click();
  dialog.cbxDimSize->setEditText("9");
  dialog.btnSave->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  auto written = std::make_unique<TLUT>();
  LoadLut(out, *written, -1);
  auto expected = std::make_unique<TLUT>();
  MergeLutFiles({shaped, grade}, 9, *expected);
  ASSERT_EQ(written->Size3D, 9);
  for (int i = 0; i < 9; ++i) {
    EXPECT_NEAR(written->GetNode(i, 8 - i, 4).R, expected->GetNode(i, 8 - i, 4).R, 1e-6);
  }
}

TEST_F(JoinDialog, AFileThatFailsIsNamedAndTheDialogStaysOpen) {
  const std::string words = Temp.Write("words.cube", "no lut\n");
  const std::string grade =
      Temp.Write("grade.cube", vorn::test::CubeTextOf(*vorn::test::MakeGradeLut(lk3D, 5)));
  TfrmJoinLut dialog(nullptr, Dialogs, Folders, {grade, words});
  dialog.show();
  const TLutOutputProfile& sized = SizedGrid();
  dialog.cbxOutFormat->setCurrentIndex(
      dialog.cbxOutFormat->findText(QString::fromStdString(sized.Name)));
  const std::string out = Temp.File("merged." + sized.Extension);
  Dialogs.FileToSave.push_back(out);
  dialog.btnSetLUTFile->click();
  dialog.btnSave->click();
  ASSERT_EQ(Dialogs.Texts(TKind::Error).size(), 1u);
  EXPECT_NE(Dialogs.Texts(TKind::Error)[0].find(words), std::string::npos);
  EXPECT_FALSE(FileExists(out));
  EXPECT_TRUE(dialog.isVisible());
  dialog.cbxDimSize->setEditText("1");
  dialog.btnSave->click();
  EXPECT_EQ(Dialogs.Texts(TKind::Error).back(), kSizeTooSmall);
}

TEST_F(TMainWindowTest, TheMergeButtonOpensTheDialogWithTheCheckedFilesInListOrder) {
  Window->AddFiles({Cube("b.cube"), Cube("a.cube"), Cube("c.cube")});
  Window->Files().SetChecked(1, false);
  std::vector<std::string> offered;
  Dialogs.ModalScripts.push_back([&](QDialog& shown) {
    offered = dynamic_cast<TfrmJoinLut&>(shown).Files();
    return false;
  });
  Window->sbnJoin->click();
  EXPECT_EQ(offered, (std::vector<std::string>{Temp.File("b.cube"), Temp.File("c.cube")}));
}

}  // namespace
}  // namespace vorn::ui::test
