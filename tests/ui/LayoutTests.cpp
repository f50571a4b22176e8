// The window grows: the list's last column and the preview pane take what a larger window
// adds, the pictures follow the pane, and the splitter and columns are kept between runs.

#include <QApplication>
#include <QHeaderView>
#include <QSplitter>
#include <QTest>

#include "tests/ui/UiTestSupport.h"
#include "ui/FileListView.h"
#include "ui/PictureBox.h"

namespace vorn::ui::test {
namespace {

class TLayoutTest : public TMainWindowTest {
 protected:
  void ShowAt(int width, int height) {
    Window->resize(width, height);
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    QApplication::processEvents();
  }
  QSize Box() const { return Window->imgUngraded->size(); }
  QSize Picture() const {
    return {Window->UngradedPicture().Width(), Window->UngradedPicture().Height()};
  }
  double PaneShare() const {
    const QList<int> sizes = Window->splMain->sizes();
    return static_cast<double>(sizes[1]) / (sizes[0] + sizes[1]);
  }
  int Column(int column) const { return Window->lvwFiles->header()->sectionSize(column); }
};

// The sample photo is 630 x 507: the boxes' proportions, so it fills every box exactly.
TEST_F(TLayoutTest, TheStartingSizeShowsThePicturesAtTheirStartingSize) {
  ShowAt(881, 640);
  EXPECT_EQ(Box(), QSize(TfrmMain::kPreviewBoxWidth, TfrmMain::kPreviewBoxHeight));
  EXPECT_EQ(Picture(), Box());
  EXPECT_EQ(Window->pnlPreview->width(), 250);
  EXPECT_EQ(Column(TFileListModel::colFileName), 250);
  EXPECT_EQ(Column(TFileListModel::colFormat), 200);
}

TEST_F(TLayoutTest, ALargerWindowGrowsThePicturesTheLutAppliedOneAndTheFolderColumn) {
  Window->AddFiles({Cube("negative.cube", {}, true)});
  ShowAt(881, 640);
  Window->SelectRow(0);
  const int folderBefore = Column(TFileListModel::colFolder);

  ShowAt(1600, 1000);
  EXPECT_NEAR(PaneShare(), TfrmMain::kStartingPaneShare, 0.005);
  EXPECT_GT(Box().width(), TfrmMain::kPreviewBoxWidth * 9 / 5) << Box().width();
  EXPECT_GT(Box().height(), TfrmMain::kPreviewBoxHeight * 9 / 5) << Box().height();
  EXPECT_EQ(Window->imgLUTApplied->size(), Box());
  EXPECT_LE(Picture().width(), Box().width());
  EXPECT_LE(Picture().height(), Box().height());
  EXPECT_TRUE(Picture().width() == Box().width() || Picture().height() == Box().height());
  const TBitmap24& graded = Window->LutAppliedPicture();
  ASSERT_EQ(graded.Width(), Picture().width());
  EXPECT_EQ(graded.ScanLine(10)[30], 255 - Window->UngradedPicture().ScanLine(10)[30]);
  EXPECT_GT(Column(TFileListModel::colFolder), folderBefore + 300);
  // Two pictures and the comments still fit the pane.
  EXPECT_LE(2 * Box().height(), Window->pnlPreview->height() - 150);

  ShowAt(881, 640);
  EXPECT_EQ(Box(), QSize(TfrmMain::kPreviewBoxWidth, TfrmMain::kPreviewBoxHeight));
  EXPECT_EQ(Picture(), Box());
}

// A tall window, so that the pane's width rather than its height limits the pictures.
TEST_F(TLayoutTest, DraggingTheSplitterWidensThePane) {
  ShowAt(1000, 1000);
  const int before = Box().width();
  const QList<int> sizes = Window->splMain->sizes();
  Window->splMain->setSizes({sizes[0] - 200, sizes[1] + 200});
  emit Window->splMain->splitterMoved(sizes[0] - 200, 1);
  QApplication::processEvents();
  EXPECT_GT(Box().width(), before + 100);
  EXPECT_EQ(Picture().width(), Box().width());

  // The dragged share stays when the window changes size.
  const double dragged = PaneShare();
  ShowAt(1100, 1000);
  EXPECT_NEAR(PaneShare(), dragged, 0.005);
}

TEST_F(TLayoutTest, TheSplitterAndTheColumnsSurviveARestart) {
  ShowAt(1200, 800);
  Window->lvwFiles->header()->resizeSection(TFileListModel::colFileName, 321);
  const QList<int> sizes = Window->splMain->sizes();
  Window->splMain->setSizes({sizes[0] - 150, sizes[1] + 150});
  emit Window->splMain->splitterMoved(sizes[0] - 150, 1);  // as a drag of the handle ends
  const QList<int> dragged = Window->splMain->sizes();

  Window.reset();
  Window = std::make_unique<TfrmMain>(Dialogs);
  ShowAt(1200, 800);
  EXPECT_EQ(Column(TFileListModel::colFileName), 321);
  const QList<int> restored = Window->splMain->sizes();
  ASSERT_EQ(restored.size(), 2);
  EXPECT_NEAR(restored[1], dragged[1], 1);
}

}  // namespace
}  // namespace vorn::ui::test
