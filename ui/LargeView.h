#pragma once
// The large view of the previewed LUT: a window that fills the screen with the picture
// before and after the LUT, side by side or split by a line the user drags, on the preview's
// picture or one the user opens (16-bit PNG and TIFF files are mapped at 16 bits and shown at
// 8), beside a plot of the LUT's curves: the table's red, green and blue over the input for a
// 1D LUT or a shaper, the grid's grey axis (r = g = b) for a 3D LUT.

#include <QDialog>
#include <QImage>
#include <string>
#include <vector>

#include "core/Bitmap.h"
#include "core/VornLut.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace vorn::ui {

class IDialogs;

class TCompareView : public QWidget {
  Q_OBJECT
 public:
  explicit TCompareView(QWidget* parent);

  void SetPictures(QImage before, QImage after);
  const QImage& Before() const { return Before_; }
  const QImage& After() const { return After_; }
  void SetSideBySide(bool sideBySide);
  bool SideBySide() const { return SideBySide_; }
  // Where the split line stands across the picture: the before picture left of it, the after
  // picture right of it; 0 to 1.
  double SplitPosition() const { return Split_; }
  // Where the split picture is drawn, fitted into the view keeping its proportions.
  QRect PictureRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void MoveSplitTo(int x);

  QImage Before_;
  QImage After_;
  bool SideBySide_ = false;
  double Split_ = 0.5;
};

// The curves of a LUT, sampled once when set.
class TCurvePlot : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kSamples = 256;

  explicit TCurvePlot(QWidget* parent);

  // The table (a 1D LUT or the shaper before a grid) over its input, else the grid's grey axis.
  void SetLut(const TLUT& lut);
  // True when the plot shows a grid's grey axis.
  bool ShowsGreyAxis() const { return GreyAxis_; }
  // Where an input (0 to 1 across its domain) and an output value are drawn.
  QPointF PointOf(double input, double value) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRectF PlotRect() const;

  std::vector<TRGB> Samples_;
  bool GreyAxis_ = false;
};

class TfrmLargeView : public QDialog {
  Q_OBJECT
 public:
  // lut must outlive the window; picture is the preview's picture before fitting;
  // pictureFolder is where the picture box starts and what it remembers.
  TfrmLargeView(QWidget* parent, IDialogs& dialogs, std::string& pictureFolder, const TLUT& lut,
                const TBitmap24& picture);

  // Maps picture through the LUT and shows both.
  void ShowPicture(TBitmap24 picture);
  // Decodes the file at path (16-bit PNG and TIFF at 16 bits) and shows it mapped.
  void ShowPictureFile(const std::string& path);

  QPushButton* btnOpenPicture = nullptr;
  QCheckBox* cbxSideBySide = nullptr;
  TCompareView* pnlCompare = nullptr;
  TCurvePlot* pnlCurves = nullptr;
  QLabel* lblCurves = nullptr;

 private:
  void OpenPictureClicked();

  IDialogs& Dialogs_;
  std::string& PictureFolder_;
  const TLUT& Lut_;
};

}  // namespace vorn::ui
