// The path fields of the dialogs take typed and pasted paths, complete them from the file
// system, and check them when the path is used.

#include <QComboBox>
#include <QCompleter>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "tests/support/IccTestProfiles.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ConvertForm.h"
#include "ui/ICCConvertForm.h"
#include "ui/LUT2ICCForm.h"
#include "ui/PictureBox.h"

namespace vorn::ui::test {
namespace {

using TKind = TScriptedDialogs::TKind;

// The completions the edit's completer offers for prefix, once the file system model has
// read the folder (it reads in the background).
QStringList Completions(QLineEdit& edit, const QString& prefix) {
  QCompleter& completer = *edit.completer();
  // The popup asks the model for the folder as the user types; here the test asks.
  auto* files = qobject_cast<QFileSystemModel*>(completer.model());
  if (files == nullptr) return {};
  files->index(QFileInfo(prefix).path());
  completer.setCompletionPrefix(prefix);
  const bool read = QTest::qWaitFor([&] {
    completer.setCompletionPrefix(prefix);
    return completer.completionCount() > 0;
  });
  QStringList found;
  if (!read) return found;
  for (int i = 0; completer.setCurrentRow(i); ++i) found << completer.currentCompletion();
  return found;
}

void Type(QLineEdit& edit, const QString& text) {
  edit.clear();
  edit.setFocus();
  QTest::keyClicks(&edit, text);
  QTest::keyClick(&edit, Qt::Key_Tab);  // leaving the box ends the editing
}

class PathFields : public ::testing::Test {
 protected:
  PathFields() {
    std::filesystem::create_directory(Temp.File("alpha_folder"));
    Temp.Write("alpha_file.icc", "x");
  }
  vorn::test::TempDir Temp;
  TScriptedDialogs Dialogs;
  TRememberedFolders Folders;
  std::string OutputFolder;
};

TEST_F(PathFields, EveryPathFieldIsEditableAndCompletesFromTheFileSystem) {
  TfrmConvert convert(nullptr, Dialogs, OutputFolder);
  TfrmICCConvert icc(nullptr, Dialogs, Folders, TBitmap24(4, 4), [](TBitmap24&) { return false; });
  TfrmLUT2ICC lutToIcc(nullptr, Dialogs);
  const QString prefix = QString::fromStdString(Temp.Path()) + "/alpha";
  const QString folder = prefix + "_folder";
  const QString file = prefix + "_file.icc";
  const struct {
    QLineEdit* Edit;
    QStringList Expected;
  } cases[] = {
      {convert.edtOutFolder, {folder}},  // folders only
      {icc.edtSrcProfile, {file, folder}},
      {icc.edtSecondProfile, {file, folder}},
      {lutToIcc.edtDestProfile, {file, folder}},
  };
  for (const auto& fieldCase : cases) {
    EXPECT_FALSE(fieldCase.Edit->isReadOnly()) << fieldCase.Edit->objectName().toStdString();
    ASSERT_NE(fieldCase.Edit->completer(), nullptr);
    QStringList found = Completions(*fieldCase.Edit, prefix);
    found.sort();
    QStringList expected = fieldCase.Expected;
    expected.sort();
    EXPECT_EQ(found, expected) << fieldCase.Edit->objectName().toStdString();
  }
}

TEST_F(PathFields, ATypedOutputFolderIsCheckedWhenTheConversionStarts) {
  TfrmConvert dialog(nullptr, Dialogs, OutputFolder);
  dialog.cbxOutFormat->setCurrentIndex(dialog.cbxOutFormat->findText("Cube 3D Davinci"));
  dialog.show();
  const std::string file = Temp.Write("plain.txt", "x");
  for (const std::string& refused : {std::string("relative/out"), file}) {
    Type(*dialog.edtOutFolder, QString::fromStdString(refused));
    ASSERT_TRUE(dialog.btnConvert->isEnabled());
    dialog.btnConvert->click();
    EXPECT_NE(dialog.result(), QDialog::Accepted) << refused;
  }
  const std::vector<std::string> errors = Dialogs.Texts(TKind::Error);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_NE(errors[0].find("relative/out"), std::string::npos) << errors[0];

  const std::string typed = Temp.Path() + "/new_output";
  Type(*dialog.edtOutFolder, QString::fromStdString(typed));
  dialog.btnConvert->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(OutputFolder, typed) << "the typed folder is remembered as a picked one";
}

TEST_F(PathFields, ATypedIccProfileIsReadAsAPickedOneAndAMissingOneIsNamed) {
  TfrmICCConvert dialog(nullptr, Dialogs, Folders, TBitmap24(4, 4),
                        [](TBitmap24&) { return false; });
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  const std::string display =
      vorn::test::WriteTestProfile(Temp.Path(), "display.icc", vorn::test::TTestProfile::Display);
  Type(*dialog.edtSrcProfile, QString::fromStdString(display));
  EXPECT_EQ(dialog.lblICCType->text(), "Profile Type: Display Device Profile");
  EXPECT_FALSE(dialog.Image2->Image().isNull()) << "previewed";
  EXPECT_TRUE(Dialogs.Texts(TKind::Error).empty());

  const std::string missing = Temp.Path() + "/missing.icc";
  Type(*dialog.edtSecondProfile, QString::fromStdString(missing));
  const std::vector<std::string> errors = Dialogs.Texts(TKind::Error);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(missing + " does not exist"), std::string::npos) << errors[0];
}

}  // namespace
}  // namespace vorn::ui::test
