// The window's batch under load, headless: every LUT file of a folder added to the real
// main window, then converted through the conversion dialog and the progress window, as a
// user would. Prints the time, the peak resident size and the resident size after every
// tenth of the files, so that growth per file shows.
//
// Usage: vorn_ui_load INPUT_FOLDER OUTPUT_FOLDER [PROFILE [SIZE]]
//        (default "Cube 3D Davinci" at size 5)

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/ui/ScriptedDialogs.h"
#include "ui/Application.h"
#include "ui/ConvertForm.h"
#include "ui/FileListModel.h"
#include "ui/MainForm.h"
#include "ui/Settings.h"

namespace {

long ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

long PeakResidentKb() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vorn_ui_load INPUT_FOLDER OUTPUT_FOLDER [PROFILE [SIZE]]\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  vorn::ui::SetUpApplication(application);
  const QTemporaryDir settings;  // never the user's own
  vorn::ui::RedirectSettings(settings.path());
  const std::string input = argv[1];
  const std::string output = argv[2];
  const std::string profile = argc > 3 ? argv[3] : "Cube 3D Davinci";
  const std::string size = argc > 4 ? argv[4] : "5";

  std::vector<std::string> paths;
  for (const auto& entry : std::filesystem::directory_iterator(input)) {
    if (entry.is_regular_file()) paths.push_back(entry.path().string());
  }
  std::sort(paths.begin(), paths.end());

  vorn::ui::TScriptedDialogs dialogs;
  vorn::ui::TfrmMain window(dialogs);
  window.show();
  const auto started = std::chrono::steady_clock::now();
  window.AddFiles(paths);
  const double addSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const long afterAdding = ResidentKb();

  // The progress window's clock is asked once per file: the resident size is sampled there.
  std::vector<long> samples;
  int files = 0;
  const int tenth = std::max<int>(1, static_cast<int>(paths.size()) / 10);
  window.SetClock([&] {
    if (++files % tenth == 0) samples.push_back(ResidentKb());
    return 45000.0 + files / 86400.0;
  });
  dialogs.FoldersToSelect.push_back(output);
  dialogs.ModalScripts.push_back([&](QDialog& shown) {
    auto& dialog = dynamic_cast<vorn::ui::TfrmConvert&>(shown);
    dialog.cbxOutFormat->setCurrentIndex(
        dialog.cbxOutFormat->findText(QString::fromStdString(profile)));
    dialog.btnSelectFolder->click();
    dialog.cbxDimSize->setEditText(QString::fromStdString(size));
    dialog.btnConvert->click();
    return dialog.result() == QDialog::Accepted;
  });
  const auto converting = std::chrono::steady_clock::now();
  window.btnConvert->click();
  const double convertSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - converting).count();

  std::printf("window batch: %zu files added in %.2f s, converted in %.2f s (%d rows reached)\n",
              paths.size(), addSeconds, convertSeconds, files);
  std::printf("resident after adding %ld KB; during the batch, every %d files:", afterAdding,
              tenth);
  for (long kb : samples) std::printf(" %ld", kb);
  std::printf(
      " KB\npeak resident %ld KB; growth from the first to the last tenth %ld KB (%.2f KB per "
      "file)\n",
      PeakResidentKb(), samples.empty() ? 0 : samples.back() - samples.front(),
      samples.size() < 2 ? 0.0
                         : static_cast<double>(samples.back() - samples.front()) /
                               (tenth * static_cast<double>(samples.size() - 1)));
  for (const auto& message : dialogs.Messages) std::printf("message: %s\n", message.Text.c_str());
  return dialogs.Messages.empty() && files == static_cast<int>(paths.size()) ? 0 : 1;
}
