// Program entry of the desktop application; ui/CommandLine.h describes its command line.

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "ui/Application.h"
#include "ui/CommandLine.h"
#include "ui/MainForm.h"
#include "ui/QtDialogs.h"

namespace {

using vorn::ui::TWindowArguments;
using vorn::ui::TWindowMode;

constexpr int kExitUsage = 2;

void Print(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

int RunApplication(const TWindowArguments& arguments,
                   std::chrono::steady_clock::time_point started) {
  vorn::ui::TQtDialogs dialogs;
  vorn::ui::TfrmMain window(dialogs);
  window.show();
  if (!arguments.Paths.empty()) {
    QTimer::singleShot(0, &window, [&window, &dialogs, &arguments] {
      vorn::ui::AddCommandLinePaths(window, dialogs, arguments.Paths);
    });
  }
  if (arguments.Mode == TWindowMode::StartupProbe) {
    QTimer::singleShot(0, &window, [started] {
      const std::chrono::duration<double, std::milli> elapsed =
          std::chrono::steady_clock::now() - started;
      std::printf("startup-ms %.1f\n", elapsed.count());
      QApplication::quit();
    });
  }
  return QApplication::exec();
}

// What can be answered before a display is opened: help, version and usage errors.
// Answers the exit status, or -1 to go on and start the window.
int AnswerWithoutWindow(const std::vector<std::string>& args) {
  try {
    const TWindowArguments arguments =
        vorn::ui::ParseWindowArguments(args, vorn::ui::TQtOptions::NotYetTaken);
    if (arguments.Mode == TWindowMode::Help) {
      Print(stdout, vorn::ui::WindowHelpText());
      return 0;
    }
    if (arguments.Mode == TWindowMode::Version) {
      Print(stdout, vorn::ui::WindowVersionText());
      return 0;
    }
    return -1;
  } catch (const vorn::ui::EWindowUsageError& error) {
    Print(stderr, vorn::ui::WindowUsageText(error.what()));
    return kExitUsage;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const auto started = std::chrono::steady_clock::now();
  vorn::ReportFileSizeLimitAsError();
  const int answered = AnswerWithoutWindow({argv + 1, argv + argc});
  if (answered >= 0) return answered;

  QApplication application(argc, argv);  // takes Qt's own options out of argv
  TWindowArguments arguments;
  try {
    arguments =
        vorn::ui::ParseWindowArguments({argv + 1, argv + argc}, vorn::ui::TQtOptions::Taken);
  } catch (const vorn::ui::EWindowUsageError& error) {
    Print(stderr, vorn::ui::WindowUsageText(error.what()));
    return kExitUsage;
  }
  try {
    vorn::ui::SetUpApplication(application);
    return RunApplication(arguments, started);
  } catch (const std::exception& error) {
    // Only start-up can get here: every user action has its own error box.
    std::fprintf(stderr, "vorn-lut-converter: %s\n", error.what());
    return 1;
  }
}
