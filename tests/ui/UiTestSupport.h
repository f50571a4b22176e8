#pragma once
// Shared pieces of the window tests: LUT files written on the fly, a main window with
// scripted dialogs, and the conversion dialog driven through its own controls.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "tests/ui/ScriptedDialogs.h"
#include "ui/FileListModel.h"
#include "ui/MainForm.h"

namespace vorn::ui::test {

// A 2-node Cube 3D file. With invert every output is 1 - input; otherwise the identity.
std::string CubeText(const std::vector<std::string>& comments, bool invert = false);
// A Cube file with a 2-entry shaper before the 2-node grid.
std::string ShaperCubeText();
// A Cube file that declares 2 nodes per axis but stops after three value lines.
std::string IncompleteCubeText();

std::vector<std::string> Lines(const QString& text);

class TMainWindowTest : public ::testing::Test {
 protected:
  TMainWindowTest();
  void TearDown() override;

  std::string Cube(const std::string& name, const std::vector<std::string>& comments = {},
                   bool invert = false);
  std::string Unknown(const std::string& name);
  void AddViaDialog(const std::vector<std::string>& paths);
  const TFileRow& Row(int row) { return Window->Files().Row(row); }
  int RowCount() { return Window->Files().Count(); }
  std::vector<std::string> MemoLines() const;
  bool LutPartsShown() const;
  std::vector<std::string> Messages(TScriptedDialogs::TKind kind) const {
    return Dialogs.Texts(kind);
  }

  vorn::test::TempDir Temp;
  TScriptedDialogs Dialogs;
  std::unique_ptr<TfrmMain> Window;
};

// Answers "Set Bits Per Color": checks that the list shows expectedCurrent, picks choice and
// presses OK (confirm) or Cancel.
TScriptedDialogs::TModalScript ChooseBits(const QString& expectedCurrent, const QString& choice,
                                          bool confirm);

// Queues a conversion: the dialog picks the output by name, the folder through its folder
// picker and, unless empty, types the size; checks "Report the conversion loss" and "Keep
// the folder tree" when asked to; then presses Convert.
void QueueConversion(TScriptedDialogs& dialogs, const std::string& output,
                     const std::string& folder, const std::string& size = {},
                     bool reportLoss = false, bool keepTree = false);

}  // namespace vorn::ui::test
