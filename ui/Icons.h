#pragma once
// The tool-bar icons and the program icon, drawn in code on a 24-unit grid so that they
// stay sharp at every scale.

#include <QIcon>

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

}  // namespace vorn::ui
