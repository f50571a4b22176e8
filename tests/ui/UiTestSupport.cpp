#include "tests/ui/UiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include "core/LUTFormat.h"
#include "ui/ConvertForm.h"
#include "ui/PictureBox.h"
#include "ui/SetBitsPerValueForm.h"

namespace vorn::ui::test {

namespace {

std::string GridLines(bool invert) {
  std::string text;
  for (int b = 0; b < 2; ++b) {
    for (int g = 0; g < 2; ++g) {
      for (int r = 0; r < 2; ++r) {
        auto value = [invert](int v) { return std::to_string(invert ? 1 - v : v); };
        text += value(r) + " " + value(g) + " " + value(b) + "\n";
      }
    }
  }
  return text;
}

}  // namespace

std::string CubeText(const std::vector<std::string>& comments, bool invert) {
  std::string text;
  for (const std::string& comment : comments) text += "# " + comment + "\n";
  return text + "LUT_3D_SIZE 2\n" + GridLines(invert);
}

std::string ShaperCubeText() {
  return "# with shaper\nLUT_1D_SIZE 2\nLUT_3D_SIZE 2\n0 0 0\n1 1 1\n" + GridLines(false);
}

std::string IncompleteCubeText() {
  return "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n";
}

std::vector<std::string> Lines(const QString& text) {
  std::vector<std::string> lines;
  if (text.isEmpty()) return lines;
  for (const QString& line : text.split(u'\n')) lines.push_back(line.toStdString());
  return lines;
}

TMainWindowTest::TMainWindowTest() : Window(std::make_unique<TfrmMain>(Dialogs)) {}

void TMainWindowTest::TearDown() {
  std::string unanswered;
  for (const std::string& question : Dialogs.Unanswered) unanswered += question + "; ";
  EXPECT_TRUE(Dialogs.Unanswered.empty()) << "asked without a scripted answer: " << unanswered;
}

std::string TMainWindowTest::Cube(const std::string& name, const std::vector<std::string>& comments,
                                  bool invert) {
  return Temp.Write(name, CubeText(comments, invert));
}

std::string TMainWindowTest::Unknown(const std::string& name) {
  return Temp.Write(name, "this is no LUT of any kind\n1 2 3\n");
}

void TMainWindowTest::AddViaDialog(const std::vector<std::string>& paths) {
  Dialogs.FilesToOpen.push_back(paths);
  Window->btnAddFiles->click();
}

std::vector<std::string> TMainWindowTest::MemoLines() const {
  return Lines(Window->mmComments->toPlainText());
}

bool TMainWindowTest::LutPartsShown() const {
  const bool shown = !Window->imgLUTApplied->isHidden();
  EXPECT_EQ(shown, !Window->stxLUTApplied->isHidden());
  EXPECT_EQ(shown, !Window->stxComments->isHidden());
  EXPECT_EQ(shown, !Window->mmComments->isHidden());
  return shown;
}

TScriptedDialogs::TModalScript ChooseBits(const QString& expectedCurrent, const QString& choice,
                                          bool confirm) {
  return [=](QDialog& shown) {
    auto& dialog = dynamic_cast<TfrmSetBitsPerValue&>(shown);
    EXPECT_EQ(dialog.windowTitle(), "Set Bits Per Color");
    EXPECT_EQ(dialog.cbxBitsPerValue->currentText(), expectedCurrent);
    EXPECT_EQ(dialog.cbxBitsPerValue->count(), 6);
    dialog.cbxBitsPerValue->setCurrentIndex(dialog.cbxBitsPerValue->findText(choice));
    (confirm ? dialog.btnOK : dialog.btnCancel)->click();
    return dialog.result() == QDialog::Accepted;
  };
}

void QueueConversion(TScriptedDialogs& dialogs, const std::string& output,
                     const std::string& folder, const std::string& size, bool reportLoss,
                     bool keepTree) {
  dialogs.FoldersToSelect.push_back(folder);
  dialogs.ModalScripts.push_back([output, size, reportLoss, keepTree](QDialog& shown) {
    auto& dialog = dynamic_cast<TfrmConvert&>(shown);
    const int item = dialog.cbxOutFormat->findText(QString::fromStdString(output));
    EXPECT_GE(item, 0) << output << " is not offered";
    dialog.cbxOutFormat->setCurrentIndex(item);
    dialog.btnSelectFolder->click();
    if (!size.empty()) dialog.cbxDimSize->setEditText(QString::fromStdString(size));
    dialog.cbxReportLoss->setChecked(reportLoss);
    dialog.cbxKeepTree->setChecked(keepTree);
    dialog.btnConvert->click();
    return dialog.result() == QDialog::Accepted;
  });
}

}  // namespace vorn::ui::test
