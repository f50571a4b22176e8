// The test program needs one QApplication for the whole run; windows are drawn on Qt's
// offscreen platform unless the environment asks for another.

#include <gtest/gtest.h>

#include <QApplication>

#include "ui/Application.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  vorn::ui::SetUpApplication(application);  // fills the registry too
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
