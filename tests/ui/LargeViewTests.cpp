// The large view: opened from the preview with the preview's pictures, the split line
// following a drag, 16-bit pictures mapped at 16 bits, and the curve plot through the LUT's
// values.

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "codecs/Pictures.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/LargeView.h"
#include "ui/PictureBox.h"
#include "ui/PictureConvert.h"

namespace vorn::ui::test {
namespace {

TBitmap24 Pattern(int width, int height) {
  TBitmap24 bitmap(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* line = bitmap.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      line[3 * x + 0] = static_cast<std::uint8_t>(x * 4);
      line[3 * x + 1] = static_cast<std::uint8_t>(y * 6);
      line[3 * x + 2] = static_cast<std::uint8_t>(200 - x - y);
    }
  }
  return bitmap;
}

QImage Flat(QColor colour) {
  QImage image(40, 30, QImage::Format_RGB888);
  image.fill(colour);
  return image;
}

void Drag(QWidget& widget, int fromX, int toX, int y) {
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(fromX, y),
                    widget.mapToGlobal(QPointF(fromX, y)), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(&widget, &press);
  QMouseEvent move(QEvent::MouseMove, QPointF(toX, y), widget.mapToGlobal(QPointF(toX, y)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&widget, &move);
}

class TLargeViewTest : public TMainWindowTest {};

TEST_F(TLargeViewTest, ADoubleClickOnThePreviewShowsItsPicturesFillingTheScreen) {
  const std::string path = Temp.File("small.png");
  SavePng(path, Pattern(48, 32));
  Window->AddFiles({Cube("negative.cube", {}, true)});
  Window->SelectRow(0);
  Dialogs.PicturesToOpen.push_back(path);
  Window->btnLoadPreviewImage->click();
  ASSERT_EQ(Window->LutAppliedPicture().Width(), 48);

  bool shown = false;
  Dialogs.ModalScripts.push_back([&](QDialog& dialog) {
    auto& view = dynamic_cast<TfrmLargeView&>(dialog);
    shown = true;
    EXPECT_TRUE(view.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(view.pnlCompare->Before(), ToQImage(Window->UngradedPicture()));
    EXPECT_EQ(view.pnlCompare->After(), ToQImage(Window->LutAppliedPicture()));
    EXPECT_TRUE(view.pnlCurves->ShowsGreyAxis());
    return false;
  });
  Window->show();
  QTest::mouseDClick(Window->imgLUTApplied, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
  EXPECT_TRUE(shown);
  EXPECT_TRUE(Dialogs.Messages.empty());
}

// A LUT that halves every value: red 384 of 65535 becomes 192 (1 of 255 on the screen),
// where mapping the 8-bit 1 would give 0.5, rounded to 0.
TEST_F(TLargeViewTest, SixteenBitPicturesAreMappedAtSixteenBitsAndShownAtEight) {
  std::string halving = "LUT_3D_SIZE 2\n";
  for (int b = 0; b < 2; ++b) {
    for (int g = 0; g < 2; ++g) {
      for (int r = 0; r < 2; ++r) {
        halving += std::to_string(r * 0.5) + " " + std::to_string(g * 0.5) + " " +
                   std::to_string(b * 0.5) + "\n";
      }
    }
  }
  Window->AddFiles({Temp.Write("halving.cube", halving)});
  Window->SelectRow(0);
  const std::string path = Temp.File("deep.png");
  SavePng48(path, TPicture48{1, 1, {384, 0x8000, 0x4000}});
  bool shown = false;
  Dialogs.PicturesToOpen.push_back(path);
  Dialogs.ModalScripts.push_back([&](QDialog& dialog) {
    auto& view = dynamic_cast<TfrmLargeView&>(dialog);
    view.btnOpenPicture->click();
    shown = true;
    EXPECT_EQ(view.pnlCompare->After().pixelColor(0, 0), QColor(1, 64, 32));
    EXPECT_EQ(view.pnlCompare->Before().pixelColor(0, 0), QColor(1, 128, 64));
    return false;
  });
  Window->miLargeView->trigger();
  EXPECT_TRUE(shown);
  EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST(CompareView, TheSplitLineFollowsADragAndSideBySideIgnoresIt) {
  TCompareView view(nullptr);
  view.resize(400, 300);
  view.SetPictures(Flat(Qt::black), Flat(Qt::white));
  const QRect picture = view.PictureRect();
  ASSERT_EQ(picture, QRect(0, 0, 400, 300));

  Drag(view, 100, 300, 150);
  EXPECT_DOUBLE_EQ(view.SplitPosition(), 0.75);
  const QImage shown = view.grab().toImage();
  EXPECT_EQ(shown.pixelColor(290, 150), QColor(Qt::black)) << "before, left of the line";
  EXPECT_EQ(shown.pixelColor(310, 150), QColor(Qt::white)) << "after, right of the line";

  view.SetSideBySide(true);
  Drag(view, 300, 40, 150);
  EXPECT_DOUBLE_EQ(view.SplitPosition(), 0.75);
  const QImage sides = view.grab().toImage();
  EXPECT_EQ(sides.pixelColor(100, 150), QColor(Qt::black));
  EXPECT_EQ(sides.pixelColor(300, 150), QColor(Qt::white));
}

TEST(CurvePlot, EachCurvePassesThroughTheTableValues) {
  TLUT lut;
  lut.Kind = lk1D;
  lut.Size1D = 33;
  for (int i = 0; i < 33; ++i) {
    const double x = i / 32.0;
    lut.SetEntry(i, {x * x, x, 1.0 - x});
  }
  TCurvePlot plot(nullptr);
  plot.resize(360, 360);
  plot.SetLut(lut);
  EXPECT_FALSE(plot.ShowsGreyAxis());
  const QImage painted = plot.grab().toImage();
  auto colourAt = [&](double input, double value) {
    return painted.pixelColor(plot.PointOf(input, value).toPoint());
  };
  struct TPoint {
    double Input;
    double Value;
    int Channel;  // 0 red, 1 green, 2 blue
  };
  for (const TPoint& point :
       {TPoint{0.25, 0.0625, 0}, TPoint{0.75, 0.5625, 0}, TPoint{0.25, 0.25, 1},
        TPoint{0.75, 0.75, 1}, TPoint{0.25, 0.75, 2}, TPoint{0.75, 0.25, 2}}) {
    const QColor colour = colourAt(point.Input, point.Value);
    const int levels[] = {colour.red(), colour.green(), colour.blue()};
    for (int other = 0; other < 3; ++other) {
      if (other == point.Channel) continue;
      EXPECT_GT(levels[point.Channel], levels[other] + 60)
          << point.Input << " " << point.Value << " " << colour.name().toStdString();
    }
  }
  const QColor empty = colourAt(0.25, 0.45);
  EXPECT_EQ(empty.red(), empty.blue()) << "no curve passes there";
}

}  // namespace
}  // namespace vorn::ui::test
