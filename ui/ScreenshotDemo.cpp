#include "ui/ScreenshotDemo.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>
#include <cstdio>
#include <exception>

#include "platform/Files.h"
#include "ui/ConvertForm.h"
#include "ui/FileListModel.h"
#include "ui/LossReportForm.h"
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

void ChooseOutput(TfrmConvert& dialog, const char* name) {
  const int item = dialog.cbxOutFormat->findText(QString::fromUtf8(name));
  dialog.cbxOutFormat->setCurrentIndex(item >= 0 ? item : 0);
}

// Converts the listed files into a temporary folder with the loss report checked and saves
// the summary that follows.
bool SaveLossReport(TfrmMain& window, TScriptedDialogs& dialogs, const std::string& outputFolder) {
  const TTemporaryFolder converted("vorn-screenshots");
  dialogs.FoldersToSelect.push_back(converted.Path());
  dialogs.ModalScripts.push_back([](QDialog& shown) {
    auto& dialog = dynamic_cast<TfrmConvert&>(shown);
    ChooseOutput(dialog, "Panasonic 3D vlt, Varicam");
    dialog.btnSelectFolder->click();
    dialog.cbxReportLoss->setChecked(true);
    dialog.btnConvert->click();
    return dialog.result() == QDialog::Accepted;
  });
  bool saved = false;
  dialogs.ModalScripts.push_back([&](QDialog& shown) {
    auto& summary = dynamic_cast<TfrmLossReport&>(shown);
    saved = Save(summary, outputFolder, "loss-report.png");
    summary.accept();
    return true;
  });
  window.btnConvert->click();
  if (!saved) std::fprintf(stderr, "no loss summary was shown\n");
  return saved;
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
    ChooseOutput(convert, "Cube 3D Davinci");
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

    saved = SaveLossReport(window, dialogs, outputFolder) && saved;
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
