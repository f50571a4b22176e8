#include "ui/ScreenshotDemo.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <cstdio>
#include <exception>

#include "imaging/LutToIcc.h"
#include "ui/ConvertForm.h"
#include "ui/FileListModel.h"
#include "ui/ICCConvertForm.h"
#include "ui/LUT2ICCForm.h"
#include "ui/LutJoinForm.h"
#include "ui/MainForm.h"
#include "ui/ProgressDlg.h"
#include "ui/QtText.h"
#include "ui/ScriptedDialogs.h"

namespace vorn::ui {

namespace {

void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

bool Save(QWidget& window, const std::string& folder, const char* name) {
  Settle();
  const std::string path = folder + "/" + name;
  const bool saved = window.grab().save(ToQt(path));
  std::printf("%s %s\n", saved ? "saved" : "could not save", path.c_str());
  return saved;
}

int FirstRecognisedRow(TfrmMain& window) {
  for (int row = 0; row < window.Files().Count(); ++row) {
    if (window.Files().Row(row).Info) return row;
  }
  return -1;
}

void ChooseOutput(QComboBox& box, const char* name) {
  const int item = box.findText(QString::fromUtf8(name));
  box.setCurrentIndex(item >= 0 ? item : 0);
}

std::vector<std::string> RecognisedFiles(TfrmMain& window) {
  std::vector<std::string> files;
  for (int row = 0; row < window.Files().Count(); ++row) {
    if (window.Files().Row(row).Info) files.push_back(window.Files().Row(row).FullPath());
  }
  return files;
}

// The ICC-to-LUT dialog with a display profile made from the first LUT, previewed.
bool SaveIccToLut(TfrmMain& window, TScriptedDialogs& dialogs, const std::string& folder,
                  const std::string& lut) {
  const std::string profile = folder + "/sample-display.icc";
  ConvertLutToIcc(lut, profile, {TLutIccClass::Display, "Sample display", "Copyright (c)"});
  TRememberedFolders folders;
  TfrmICCConvert dialog(&window, dialogs, folders, window.UngradedPicture(), nullptr);
  ChooseOutput(*dialog.cbxOutFormat, "Cube 3D Davinci");
  dialogs.FileToOpen.push_back(profile);
  dialog.btnOpenICCProfile->click();
  dialog.cbxDimSize->setEditText("33");
  dialog.show();
  return Save(dialog, folder, "icc-to-lut-dialog.png");
}

bool SaveLutToIcc(TfrmMain& window, TScriptedDialogs& dialogs, const std::string& folder,
                  const std::string& lut) {
  TfrmLUT2ICC dialog(&window, dialogs);
  dialogs.FileToOpen.push_back(lut);
  dialog.btnSetLUTFile->click();
  dialog.cbxICCProfileClass->setCurrentText("Display");
  dialog.show();
  return Save(dialog, folder, "lut-to-icc-dialog.png");
}

bool SaveMerge(TfrmMain& window, TScriptedDialogs& dialogs, const std::string& folder,
               const std::vector<std::string>& luts) {
  TRememberedFolders folders;
  TfrmJoinLut dialog(&window, dialogs, folders, luts);
  ChooseOutput(*dialog.cbxOutFormat, "Cube 3D Davinci");
  dialogs.FileToSave.push_back(folder + "/merged.cube");
  dialog.btnSetLUTFile->click();
  dialog.cbxDimSize->setEditText("33");
  dialog.show();
  return Save(dialog, folder, "merge-dialog.png");
}

}  // namespace

int RunScreenshotDemo(const std::string& outputFolder, const std::vector<std::string>& lutFiles) {
  try {
    TScriptedDialogs dialogs;
    TfrmMain window(dialogs);
    window.show();
    window.AddFiles(lutFiles);
    window.SelectRow(FirstRecognisedRow(window));
    bool saved = Save(window, outputFolder, "main-window.png");

    std::string folder = outputFolder;
    TfrmConvert convert(&window, dialogs, folder);
    ChooseOutput(*convert.cbxOutFormat, "Cube 3D Davinci");
    convert.cbxDimSize->setEditText("33");
    convert.show();
    saved = Save(convert, outputFolder, "convert-dialog.png") && saved;
    convert.hide();

    double now = 46000.0;
    TfrmProgress progress(&window, [&now] { return now; });
    progress.setWindowTitle("Convertion...");
    progress.SetText("The selected files are being converted. Please wait...");
    progress.show();
    progress.SetPosition(20.0);
    now += 75.0 / 86400.0;
    progress.SetPosition(40.0);
    saved = Save(progress, outputFolder, "progress-window.png") && saved;
    progress.hide();

    const std::vector<std::string> luts = RecognisedFiles(window);
    if (!luts.empty()) {
      saved = SaveIccToLut(window, dialogs, outputFolder, luts.front()) && saved;
      saved = SaveLutToIcc(window, dialogs, outputFolder, luts.front()) && saved;
      saved = SaveMerge(window, dialogs, outputFolder, luts) && saved;
    }
    for (const std::string& message : dialogs.Texts(TScriptedDialogs::TKind::Error)) {
      std::fprintf(stderr, "error box: %s\n", message.c_str());
    }
    return saved ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "screenshot run failed: %s\n", error.what());
    return 1;
  }
}

}  // namespace vorn::ui
