#pragma once
// The tool-bar icons and the program icon, drawn in code on a 24-unit grid so that they
// stay sharp at every scale.

#include <QIcon>
#include <QImage>
#include <string>

namespace vorn::ui {

QIcon AddLutsIcon();
QIcon ConvertIcon();
QIcon MergeIcon();
QIcon IccIcon();
QIcon HaldIcon();
QIcon AboutIcon();
QIcon PreviewImageIcon();
QIcon PreviewPaneIcon();
QIcon ProgramIcon();

// The program icon at one size, and as a scalable SVG document of the same design: the
// icon files installed with the program.
QImage ProgramIconImage(int pixels);
std::string ProgramIconSvg();

}  // namespace vorn::ui
