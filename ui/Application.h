#pragma once
// Program-wide set-up shared by the application, the tests and the benchmarks: the
// embedded assets, the format registry, the style.

class QApplication;

namespace vorn::ui {

inline constexpr const char* kApplicationTitle = "Vorn LUT Converter";

void SetUpApplication(QApplication& application);

}  // namespace vorn::ui
