#pragma once
// Program-wide set-up shared by the application, the tests and the benchmarks: the
// embedded assets, the format registry, the style.

class QApplication;

namespace vorn::ui {

// not translated: the program's name
inline constexpr const char* kApplicationTitle = "Vorn LUT Converter";
// The name of the installed .desktop file (without ".desktop") and of the program icon;
// the packaging reads it from here.
inline constexpr const char* kDesktopFileName = "org.vorn.LutConverter";

void SetUpApplication(QApplication& application);

}  // namespace vorn::ui
