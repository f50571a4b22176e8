#include "ui/ScreenshotDemo.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <cstdio>
#include <exception>

#include "ui/ConvertForm.h"
#include "ui/FileListModel.h"
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
