// The test program needs one QApplication for the whole run; windows are drawn on Qt's
// offscreen platform unless the environment asks for another. The window's settings live in
// a temporary folder, never the user's, and every test starts without any.

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include "ui/Application.h"
#include "ui/Settings.h"

namespace {

class TFreshSettings : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { QSettings().clear(); }
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  vorn::ui::SetUpApplication(application);  // fills the registry too
  const QTemporaryDir settings;
  if (!settings.isValid()) return 1;
  vorn::ui::RedirectSettings(settings.path());
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new TFreshSettings);
  return RUN_ALL_TESTS();
}
