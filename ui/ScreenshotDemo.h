#pragma once
// A scripted run for screenshots: adds LUT files, previews one and saves pictures of the
// main window, the conversion dialog and the progress window.

#include <string>
#include <vector>

namespace vorn::ui {

// Writes main-window.png, convert-dialog.png and progress-window.png into outputFolder;
// answers the process exit code.
int RunScreenshotDemo(const std::string& outputFolder, const std::vector<std::string>& lutFiles);

}  // namespace vorn::ui
