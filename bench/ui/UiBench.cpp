// Measures the desktop application's speed targets and prints each result:
//   adding 1,000 small LUT files (detection of each)          under 1 s
//   preview of a 6000 x 4000 JPEG (decode, fit, apply)        under 0.5 s
//   start-up to a shown window                                under 0.3 s
// Each measurement is repeated; the median is compared with the target. The exit code is
// 0 either way: speed is reported, not enforced here.

#include <QApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QToolButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "codecs/Pictures.h"
#include "platform/Files.h"
#include "tests/ui/ScriptedDialogs.h"
#include "ui/Application.h"
#include "ui/FileListModel.h"
#include "ui/MainForm.h"
#include "ui/Settings.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRepeats = 5;

using TScratchFolder = vorn::TTemporaryFolder;

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string CubeText(int size) {
  std::string text = "# bench grid\nLUT_3D_SIZE " + std::to_string(size) + "\n";
  char line[64];
  for (int b = 0; b < size; ++b) {
    for (int g = 0; g < size; ++g) {
      for (int r = 0; r < size; ++r) {
        const double s = size - 1.0;
        std::snprintf(line, sizeof line, "%.6f %.6f %.6f\n", 1.0 - r / s, g / s * g / s, b / s);
        text += line;
      }
    }
  }
  return text;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double MillisecondsOf(const std::function<void()>& work) {
  const Clock::time_point start = Clock::now();
  work();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Report(const char* what, const std::vector<double>& runs, double targetMs) {
  const double median = Median(runs);
  std::printf("%-52s median %8.1f ms  min %8.1f ms  (target < %.0f ms) %s\n", what, median,
              *std::min_element(runs.begin(), runs.end()), targetMs,
              median < targetMs ? "ok" : "SLOW");
}

void AddThousandFiles() {
  TScratchFolder folder;
  std::vector<std::string> paths;
  const std::string cube = CubeText(2);
  for (int i = 0; i < 1000; ++i) {
    paths.push_back(folder.File("look-" + std::to_string(i) + ".cube"));
    WriteText(paths.back(), cube);
  }
  std::vector<double> runs;
  for (int run = 0; run < kRepeats; ++run) {
    vorn::ui::TScriptedDialogs dialogs;
    vorn::ui::TfrmMain window(dialogs);
    window.show();
    QApplication::processEvents();
    dialogs.FilesToOpen.push_back(paths);
    runs.push_back(MillisecondsOf([&] {
      window.btnAddFiles->click();
      QApplication::processEvents();
    }));
    if (window.Files().Count() != 1000 || !dialogs.Messages.empty()) {
      std::fprintf(stderr, "adding files went wrong: %d rows\n", window.Files().Count());
    }
  }
  Report("add 1,000 LUT files (Add LUTs, detection, list)", runs, 1000);
}

vorn::TBitmap24 Photo(int width, int height) {
  vorn::TBitmap24 bitmap(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* line = bitmap.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      line[3 * x + 0] = static_cast<std::uint8_t>(255 * y / height);
      line[3 * x + 1] = static_cast<std::uint8_t>((x / 7 + y / 11) % 256);
      line[3 * x + 2] = static_cast<std::uint8_t>(255 * x / width);
    }
  }
  return bitmap;
}

void PreviewLargeJpeg() {
  TScratchFolder folder;
  const std::string jpeg = folder.File("large.jpg");
  vorn::SaveJpeg(jpeg, Photo(6000, 4000), 90, vorn::TChromaSubsampling::s420);
  const std::string cube = folder.File("grade.cube");
  WriteText(cube, CubeText(33));

  vorn::ui::TScriptedDialogs dialogs;
  vorn::ui::TfrmMain window(dialogs);
  window.show();
  window.AddFiles({cube});
  window.SelectRow(0);
  std::vector<double> runs;
  for (int run = 0; run < kRepeats; ++run) {
    dialogs.PicturesToOpen.push_back(jpeg);
    runs.push_back(MillisecondsOf([&] {
      window.btnLoadPreviewImage->click();
      QApplication::processEvents();
    }));
  }
  if (!dialogs.Messages.empty() || window.UngradedPicture().Width() != 210) {
    std::fprintf(stderr, "the preview went wrong\n");
  }
  Report("preview 6000 x 4000 JPEG (decode, fit, apply 33^3)", runs, 500);
}

void StartUp() {
  std::vector<double> processRuns;
  std::vector<double> insideRuns;
  for (int run = 0; run < kRepeats; ++run) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains("QT_QPA_PLATFORM"))
      environment.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(environment);
    const Clock::time_point start = Clock::now();
    process.start(VORN_UI_APP_PATH, {"--startup-probe"});
    if (!process.waitForFinished(10000)) {
      std::fprintf(stderr, "the application did not start\n");
      return;
    }
    processRuns.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    const qsizetype at = output.indexOf("startup-ms ");
    if (at >= 0) insideRuns.push_back(output.mid(at + 11).trimmed().toDouble());
  }
  Report("start-up to a shown window (whole process, exit too)", processRuns, 300);
  if (!insideRuns.empty()) Report("start-up to a shown window (from main)", insideRuns, 300);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  vorn::ui::SetUpApplication(application);
  const QTemporaryDir settings;
  vorn::ui::RedirectSettings(settings.path());
  try {
    AddThousandFiles();
    PreviewLargeJpeg();
    StartUp();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "benchmark failed: %s\n", error.what());
    return 1;
  }
  return 0;
}
