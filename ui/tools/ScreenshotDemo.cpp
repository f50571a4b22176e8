// vorn-lut-screenshots OUTPUT_FOLDER [LUT...]: the window's pictures for the documentation,
// made by a scripted run (scripts/screenshot.sh runs it under Xvfb). It adds the LUT files,
// previews the first it recognises and saves main-window.png, convert-dialog.png,
// progress-window.png, icc-to-lut-dialog.png, lut-to-icc-dialog.png and merge-dialog.png
// (with the display profile and the merged LUT they use); then converts the files with the
// loss report and saves loss-report.png; then profile-list-filtered.png, large-view-split.png,
// large-view-side-by-side.png and curve-plot.png. Exits 0 when every picture was saved. Built
// beside the window, never installed.

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/LutToIcc.h"
#include "platform/Files.h"
#include "tests/ui/ScriptedDialogs.h"
#include "ui/Application.h"
#include "ui/ConvertForm.h"
#include "ui/FileListModel.h"
#include "ui/ICCConvertForm.h"
#include "ui/LUT2ICCForm.h"
#include "ui/LargeView.h"
#include "ui/LossReportForm.h"
#include "ui/LutJoinForm.h"
#include "ui/MainForm.h"
#include "ui/ProfileBox.h"
#include "ui/ProgressDlg.h"
#include "ui/QtText.h"
#include "ui/Settings.h"

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

// Answers the conversion dialog: the profile, the output folder, the loss report, Convert.
void ScriptConversionWithReport(TScriptedDialogs& dialogs, const std::string& folder,
                                const char* profile) {
  dialogs.FoldersToSelect.push_back(folder);
  dialogs.ModalScripts.push_back([profile](QDialog& shown) {
    auto& dialog = dynamic_cast<TfrmConvert&>(shown);
    ChooseOutput(*dialog.cbxOutFormat, profile);
    dialog.btnSelectFolder->click();
    dialog.cbxReportLoss->setChecked(true);
    dialog.btnConvert->click();
    return dialog.result() == QDialog::Accepted;
  });
}

// Converts the listed files into a temporary folder with the loss report checked and saves
// the summary that follows.
bool SaveLossReport(TfrmMain& window, TScriptedDialogs& dialogs, const std::string& outputFolder) {
  const TTemporaryFolder converted("vorn-screenshots");
  ScriptConversionWithReport(dialogs, converted.Path(), "Panasonic 3D vlt, Varicam");
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

// Adds a truncated LUT to the list, converts every checked file with the loss report and
// saves the end-of-batch summary: the failed file with its reason beside the loss report.
bool SaveBatchSummary(TfrmMain& window, TScriptedDialogs& dialogs,
                      const std::string& outputFolder) {
  const TTemporaryFolder sources("vorn-screenshots");
  const TTemporaryFolder converted("vorn-screenshots");
  const std::string broken = sources.File("broken-look.cube");
  WriteWholeFile(broken, "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n");
  window.AddFiles({broken});
  ScriptConversionWithReport(dialogs, converted.Path(), "Cube 3D Davinci");
  bool saved = false;
  dialogs.ModalScripts.push_back([&](QDialog& shown) {
    auto& summary = dynamic_cast<TfrmLossReport&>(shown);
    saved = !summary.mmFailed->isHidden() && Save(summary, outputFolder, "batch-summary.png");
    summary.accept();
    return true;
  });
  window.btnConvert->click();
  if (!saved) std::fprintf(stderr, "no batch summary with a failed file was shown\n");
  return saved;
}

// The conversion dialog's profile list open, filtered by "cube" as if typed on it: the popup is a
// window of its own, drawn onto the dialog's picture where it stands.
bool SaveProfileList(TfrmConvert& convert, const std::string& folder) {
  auto& profiles = static_cast<TProfileBox&>(*convert.cbxOutFormat);
  profiles.SetFilter(QStringLiteral("cube"));
  convert.cbxOutFormat->showPopup();
  Settle();
  QWidget& popup = *convert.cbxOutFormat->view()->window();
  const QPoint at = popup.mapToGlobal(QPoint(0, 0)) - convert.mapToGlobal(QPoint(0, 0));
  QPixmap picture(
      convert.size().expandedTo(QSize(at.x() + popup.width(), at.y() + popup.height())));
  picture.fill(Qt::white);
  {
    QPainter painter(&picture);
    painter.drawPixmap(0, 0, convert.grab());
    painter.drawPixmap(at, popup.grab());
  }
  convert.cbxOutFormat->hidePopup();
  profiles.SetFilter({});
  ChooseOutput(*convert.cbxOutFormat, "Cube 3D Davinci");
  const std::string path = folder + "/profile-list-filtered.png";
  const bool saved = picture.save(ToQt(path));
  std::printf("%s %s\n", saved ? "saved" : "could not save", path.c_str());
  return saved;
}

// The large view of the previewed LUT filling the screen, split and side by side.
bool SaveLargeView(TfrmMain& window, TScriptedDialogs& dialogs, const std::string& folder) {
  bool saved = false;
  dialogs.ModalScripts.push_back([&](QDialog& shown) {
    auto& view = dynamic_cast<TfrmLargeView&>(shown);
    view.setGeometry(window.screen()->availableGeometry());  // no window manager to maximise
    view.show();
    saved = Save(view, folder, "large-view-split.png");
    view.cbxSideBySide->setChecked(true);
    saved = Save(view, folder, "large-view-side-by-side.png") && saved;
    return false;
  });
  window.miLargeView->trigger();
  return saved;
}

// The curve plot of a 1D LUT whose channels bend apart, in the large view.
bool SaveCurvePlot(TfrmMain& window, TScriptedDialogs& dialogs, const std::string& folder) {
  TLUT curves;
  curves.Kind = lk1D;
  curves.Size1D = 64;
  for (int i = 0; i < curves.Size1D; ++i) {
    const double x = i / 63.0;
    curves.SetEntry(i, {std::pow(x, 0.7), x, std::pow(x, 1.4)});
  }
  std::string pictures = folder;
  TfrmLargeView view(&window, dialogs, pictures, curves, window.UngradedPicture());
  view.setGeometry(window.screen()->availableGeometry());
  view.show();
  return Save(*view.pnlCurves, folder, "curve-plot.png");
}

// The window maximised on the screen, a LUT previewed in the grown pane.
bool SaveMaximised(TfrmMain& window, const std::string& folder) {
  // Without a window manager (Xvfb) a maximised window keeps its size: it is given the
  // screen's instead.
  const QRect normal = window.geometry();
  window.setGeometry(window.screen()->availableGeometry());
  Settle();
  const bool saved = Save(window, folder, "main-window-maximised.png");
  window.setGeometry(normal);
  return saved;
}

// The window with its Edit menu open: the popup is a window of its own, drawn onto the
// main window's picture where it stands.
bool SaveMenuOpen(TfrmMain& window, const std::string& folder) {
  QMenu* menu = nullptr;
  for (QAction* entry : window.mnuMain->actions()) {
    if (entry->menu() != nullptr && entry->menu()->actions().contains(window.miCheckAll)) {
      menu = entry->menu();
      window.mnuMain->setActiveAction(entry);
    }
  }
  if (menu == nullptr) return false;
  Settle();
  QPixmap picture = window.grab();
  {
    QPainter painter(&picture);
    painter.drawPixmap(menu->pos() - window.mapToGlobal(QPoint(0, 0)), menu->grab());
  }
  menu->hide();
  const std::string path = folder + "/menu-bar-open.png";
  const bool saved = picture.save(ToQt(path));
  std::printf("%s %s\n", saved ? "saved" : "could not save", path.c_str());
  return saved;
}

int RunScreenshotDemo(const std::string& outputFolder, const std::vector<std::string>& lutFiles) {
  try {
    TScriptedDialogs dialogs;
    TfrmMain window(dialogs);
    window.show();
    window.AddFiles(lutFiles);
    window.SelectRow(FirstRecognisedRow(window));
    bool saved = Save(window, outputFolder, "main-window.png");
    saved = SaveMaximised(window, outputFolder) && saved;
    saved = SaveMenuOpen(window, outputFolder) && saved;

    std::string folder = outputFolder;
    TfrmConvert convert(&window, dialogs, folder);
    ChooseOutput(*convert.cbxOutFormat, "Cube 3D Davinci");
    convert.cbxDimSize->setEditText("33");
    convert.cbxKeepTree->setChecked(true);
    convert.show();
    saved = Save(convert, outputFolder, "convert-dialog.png") && saved;
    saved = SaveProfileList(convert, outputFolder) && saved;
    convert.hide();

    double now = 46000.0;
    TfrmProgress progress(&window, [&now] { return now; });
    progress.setWindowTitle("Converting...");
    progress.SetText("The checked files are being converted. Please wait...");
    progress.SetAveragedEstimate(true);
    progress.show();
    progress.SetCurrentFile("teal-orange.cube", 2, 5);
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
    saved = SaveLossReport(window, dialogs, outputFolder) && saved;
    saved = SaveBatchSummary(window, dialogs, outputFolder) && saved;
    window.SelectRow(FirstRecognisedRow(window));
    saved = SaveLargeView(window, dialogs, outputFolder) && saved;
    saved = SaveCurvePlot(window, dialogs, outputFolder) && saved;
    for (const std::string& message : dialogs.Texts(TScriptedDialogs::TKind::Error)) {
      std::fprintf(stderr, "error box: %s\n", message.c_str());
    }
    return saved ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "screenshot run failed: %s\n", error.what());
    return 1;
  }
}

}  // namespace

}  // namespace vorn::ui

int main(int argc, char** argv) {
  QApplication application(argc, argv);  // takes Qt's own options out of argv
  if (argc < 2) {
    std::fprintf(stderr, "Usage: vorn-lut-screenshots OUTPUT_FOLDER [LUT...]\n");
    return 2;
  }
  const QTemporaryDir settings;  // the pictures show the window as a first run has it
  try {
    vorn::ui::SetUpApplication(application);
    vorn::ui::RedirectSettings(settings.path());
    std::filesystem::create_directories(argv[1]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vorn-lut-screenshots: %s\n", error.what());
    return 1;
  }
  return vorn::ui::RunScreenshotDemo(argv[1], {argv + 2, argv + argc});
}
