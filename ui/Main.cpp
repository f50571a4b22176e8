// Program entry of the desktop application.
//   vorn-lut-converter                          the application
//   vorn-lut-converter --screenshot-demo DIR [LUT files...]
//                                               a scripted run that saves screenshots
//   vorn-lut-converter --startup-probe          shows the window, prints the time from
//                                               program start to the shown window, quits

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "ui/Application.h"
#include "ui/MainForm.h"
#include "ui/QtDialogs.h"
#include "ui/ScreenshotDemo.h"

namespace {

int RunApplication(bool probeStartup, std::chrono::steady_clock::time_point started) {
  vorn::ui::TQtDialogs dialogs;
  vorn::ui::TfrmMain window(dialogs);
  window.show();
  if (probeStartup) {
    QTimer::singleShot(0, &window, [started] {
      const std::chrono::duration<double, std::milli> elapsed =
          std::chrono::steady_clock::now() - started;
      std::printf("startup-ms %.1f\n", elapsed.count());
      QApplication::quit();
    });
  }
  return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
  const auto started = std::chrono::steady_clock::now();
  vorn::ReportFileSizeLimitAsError();
  QApplication application(argc, argv);
  try {
    vorn::ui::SetUpApplication(application);
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--screenshot-demo") {
      if (args.size() < 2) {
        std::fprintf(stderr, "usage: vorn-lut-converter --screenshot-demo DIR [LUT files...]\n");
        return 2;
      }
      return vorn::ui::RunScreenshotDemo(args[1], {args.begin() + 2, args.end()});
    }
    return RunApplication(!args.empty() && args[0] == "--startup-probe", started);
  } catch (const std::exception& error) {
    // Only start-up can get here: every user action has its own error box.
    std::fprintf(stderr, "vorn-lut-converter: %s\n", error.what());
    return 1;
  }
}
