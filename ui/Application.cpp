#include "ui/Application.h"

#include <QApplication>

#include "formats/Registration.h"
#include "ui/Icons.h"

// Resources of a static library are registered by hand; the macro lives in the global
// namespace.
static void RegisterEmbeddedAssets() {
  Q_INIT_RESOURCE(vorn);
}

namespace vorn::ui {

namespace {

const char* const kStyleSheet = R"(
#tlbMain { background: palette(base); border-bottom: 1px solid palette(mid); }
#tlbMain QToolButton { padding: 4px 8px; }
#tlbSeparator { color: palette(mid); }
QLabel[caption="true"] { font-weight: 600; color: #44505c; }
#lvwFiles::item { padding: 2px 0px; }
)";

}  // namespace

void SetUpApplication(QApplication& application) {
  RegisterEmbeddedAssets();
  RegisterBuiltInFormats();  // the registry is complete before the first window exists
  QApplication::setApplicationName(kApplicationTitle);
  QApplication::setApplicationVersion(VORN_VERSION);
  QApplication::setDesktopFileName(kDesktopFileName);
  // not translated: a style name
  QApplication::setStyle(QStringLiteral("Fusion"));
  application.setStyleSheet(kStyleSheet);
  application.setWindowIcon(ProgramIcon());
}

}  // namespace vorn::ui
