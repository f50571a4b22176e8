#pragma once
// A scripted run for screenshots: adds LUT files, previews one and saves pictures of the
// main window, the conversion dialog, the progress window and the ICC and merge dialogs.

#include <string>
#include <vector>

namespace vorn::ui {

// Writes main-window.png, convert-dialog.png, progress-window.png, icc-to-lut-dialog.png,
// lut-to-icc-dialog.png and merge-dialog.png into outputFolder (with the display profile
// and the merged LUT they use); answers the process exit code.
int RunScreenshotDemo(const std::string& outputFolder, const std::vector<std::string>& lutFiles);

}  // namespace vorn::ui
