// The menu bar: every action of the tool bar and the list's menu has an entry, and the
// shortcuts work as a key press arrives at the window.

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QUrl>
#include <filesystem>

#include "tests/ui/UiTestSupport.h"
#include "ui/About.h"
#include "ui/ConvertForm.h"
#include "ui/FileListView.h"

namespace vorn::ui::test {
namespace {

QList<QAction*> MenuEntries(const QMenuBar& bar) {
  QList<QAction*> entries;
  for (QAction* menu : bar.actions()) entries += menu->menu()->actions();
  return entries;
}

class TMenuBarTest : public TMainWindowTest {
 protected:
  void ShowActive() {
    Window->show();
    Window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    Window->lvwFiles->setFocus();
  }
  // Through the window, as a key press arrives, so that the shortcut map sees it.
  void Press(const QKeySequence& keys) {
    QTest::keyClick(Window->windowHandle(), keys[0].key(), keys[0].keyboardModifiers());
  }
};

TEST_F(TMenuBarTest, FiveMenusHoldEveryActionOfTheToolBarAndTheListMenu) {
  QStringList titles;
  for (QAction* menu : Window->mnuMain->actions()) titles << menu->text();
  EXPECT_EQ(titles, QStringList({"&File", "&Edit", "&Convert", "&Tools", "&Help"}));
  const QList<QAction*> entries = MenuEntries(*Window->mnuMain);
  for (QAction* action :
       {Window->miAddFiles, Window->miLoadPreviewImage, Window->miQuit, Window->miCheckAll,
        Window->miUncheckAll, Window->miSetBitsPerValue, Window->miDelete, Window->miClearList,
        Window->miConvert, Window->miMerge, Window->miLUTToICC, Window->miICCToLUT,
        Window->miHaldImage, Window->miShowHidePreview, Window->miHelp, Window->miAbout}) {
    EXPECT_TRUE(entries.contains(action)) << action->objectName().toStdString();
  }
  for (QAction* listEntry : Window->pmnList->actions()) {
    EXPECT_TRUE(listEntry->isSeparator() || entries.contains(listEntry))
        << listEntry->text().toStdString();
  }
  EXPECT_EQ(Window->miDelete->text(), "Remove from List");
}

TEST_F(TMenuBarTest, TheShortcutsAreTheCommonOnes) {
  const std::pair<QAction*, QKeySequence> table[] = {
      {Window->miAddFiles, QKeySequence(Qt::CTRL | Qt::Key_O)},
      {Window->miDelete, QKeySequence(Qt::Key_Delete)},
      {Window->miCheckAll, QKeySequence(Qt::CTRL | Qt::Key_A)},
      {Window->miConvert, QKeySequence(Qt::CTRL | Qt::Key_Return)},
      {Window->miHelp, QKeySequence(Qt::Key_F1)},
  };
  for (const auto& [action, keys] : table) {
    EXPECT_TRUE(action->shortcuts().contains(keys)) << action->objectName().toStdString();
  }
}

TEST_F(TMenuBarTest, CtrlOAddsCtrlAChecksAllAndCtrlEnterConverts) {
  ShowActive();
  const std::string cube = Cube("a.cube");
  Dialogs.FilesToOpen.push_back({cube});
  Press(QKeySequence(Qt::CTRL | Qt::Key_O));
  ASSERT_EQ(RowCount(), 1);

  Window->Files().UncheckAll();
  EXPECT_FALSE(Window->miConvert->isEnabled());
  Press(QKeySequence(Qt::CTRL | Qt::Key_A));
  EXPECT_TRUE(Row(0).Checked);
  EXPECT_TRUE(Window->miConvert->isEnabled());

  bool opened = false;
  Dialogs.ModalScripts.push_back([&](QDialog& shown) {
    opened = dynamic_cast<TfrmConvert*>(&shown) != nullptr;
    return false;
  });
  Press(QKeySequence(Qt::CTRL | Qt::Key_Return));
  EXPECT_TRUE(opened);
}

TEST_F(TMenuBarTest, F1OpensTheDocumentationAndDeleteRemovesTheRowFromTheList) {
  std::vector<QUrl> opened;
  Window->SetUrlOpener([&](const QUrl& url) { opened.push_back(url); });
  Window->AddFiles({Cube("a.cube"), Cube("b.cube")});
  ShowActive();
  Press(QKeySequence(Qt::Key_F1));
  EXPECT_EQ(opened, std::vector<QUrl>{TfrmMain::DocumentationUrl()});

  Window->SelectRow(0);
  Press(QKeySequence(Qt::Key_Delete));
  ASSERT_EQ(RowCount(), 1);
  EXPECT_EQ(Row(0).FileName, "b.cube");
  EXPECT_TRUE(std::filesystem::exists(Temp.File("a.cube"))) << "removed from the list only";
}

}  // namespace
}  // namespace vorn::ui::test

namespace vorn::ui::test {
namespace {

TEST_F(TMenuBarTest, TheHelpMenuOpensTheProgramFolderAndTheAboutBoxNamesTheLibraries) {
  std::vector<QUrl> opened;
  Window->SetUrlOpener([&](const QUrl& url) { opened.push_back(url); });
  Window->miProgramFolder->trigger();
  EXPECT_EQ(opened, std::vector<QUrl>{QUrl::fromLocalFile(QCoreApplication::applicationDirPath())});

  bool shown = false;
  Dialogs.ModalScripts.push_back([&](QDialog& dialog) {
    auto& about = dynamic_cast<TfrmAbout&>(dialog);
    const QString libraries = about.lblLibraries->text();
    for (const char* name : {"Qt 6.", "LittleCMS 2.", "libjpeg ", "libpng 1.", "libtiff 4."}) {
      EXPECT_TRUE(libraries.contains(name)) << name << " in " << libraries.toStdString();
    }
    EXPECT_TRUE(libraries.contains(QString::fromLatin1(qVersion())));
    EXPECT_FALSE(about.lblLicence->text().isEmpty());
    EXPECT_TRUE(about.lblLinks->text().contains(TfrmMain::DocumentationUrl().toString()));
    shown = true;
    return true;
  });
  Window->miAbout->trigger();
  EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace vorn::ui::test
