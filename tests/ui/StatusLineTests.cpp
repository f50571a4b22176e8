// Every action that writes files ends with one line at the foot of the window: what was
// written, a link that opens its folder, and for a LUT a link that adds it to the list.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QUrl>
#include <filesystem>

#include "tests/ui/UiTestSupport.h"
#include "ui/LutJoinForm.h"

namespace vorn::ui::test {
namespace {

class TStatusLineTest : public TMainWindowTest {
 protected:
  TStatusLineTest() {
    Window->SetUrlOpener([this](const QUrl& url) { Opened.push_back(url.toLocalFile()); });
  }
  std::string Status() const { return Window->lblStatus->text().toStdString(); }
  void Follow(const char* link) { emit Window->lblStatus->linkActivated(link); }

  std::vector<QString> Opened;
};

TEST_F(TStatusLineTest, AMergedLutIsReportedItsFolderOpensAndItJoinsTheList) {
  Window->AddFiles({Cube("a.cube"), Cube("b.cube", {}, true)});
  Window->miCheckAll->trigger();
  const std::string merged = Temp.File("merged.cube");
  Dialogs.FileToSave.push_back(merged);
  Dialogs.ModalScripts.push_back([](QDialog& shown) {
    auto& dialog = dynamic_cast<TfrmJoinLut&>(shown);
    dialog.cbxOutFormat->setCurrentIndex(dialog.cbxOutFormat->findText("Cube 3D Davinci"));
    dialog.btnSetLUTFile->click();
    dialog.btnSave->click();
    return dialog.result() == QDialog::Accepted;
  });
  EXPECT_EQ(Status(), "");
  Window->miMerge->trigger();
  ASSERT_TRUE(std::filesystem::exists(merged));
  EXPECT_NE(Status().find("Merged LUT written:"), std::string::npos) << Status();
  EXPECT_NE(Status().find(merged), std::string::npos) << Status();

  Follow("folder");
  EXPECT_EQ(Opened, std::vector<QString>{QString::fromStdString(Temp.Path())});
  Follow("add");
  ASSERT_EQ(RowCount(), 3);
  EXPECT_EQ(Row(2).FullPath(), merged);
  EXPECT_EQ(Row(2).FormatName, "Cube 3D");
}

TEST_F(TStatusLineTest, AConversionAndAHaldImageAreReportedWithoutAnAddLink) {
  Window->AddFiles({Cube("a.cube"), Cube("b.cube")});
  Window->miCheckAll->trigger();
  const std::string out = Temp.Path() + "/out";
  std::filesystem::create_directory(out);
  QueueConversion(Dialogs, "Cube 3D Davinci", out);
  Window->btnConvert->click();
  EXPECT_NE(Status().find("2 file(s) converted into"), std::string::npos) << Status();
  EXPECT_NE(Status().find(out), std::string::npos) << Status();
  EXPECT_EQ(Status().find("Add it"), std::string::npos) << Status();
  Follow("folder");
  EXPECT_EQ(Opened, std::vector<QString>{QString::fromStdString(out)});

  const std::string hald = Temp.File("hald.tif");
  Dialogs.SaveAnswers.push_back({hald, 0});
  Window->sbnHaldImage->click();
  ASSERT_TRUE(std::filesystem::exists(hald));
  EXPECT_NE(Status().find("Hald image written:"), std::string::npos) << Status();
  EXPECT_NE(Status().find(hald), std::string::npos) << Status();
}

}  // namespace
}  // namespace vorn::ui::test
