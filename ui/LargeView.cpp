#include "ui/LargeView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <algorithm>

#include "codecs/Pictures.h"
#include "platform/Files.h"
#include "ui/DialogFilters.h"
#include "ui/Dialogs.h"
#include "ui/ErrorGuard.h"
#include "ui/PictureConvert.h"
#include "ui/QtOwned.h"
#include "ui/QtText.h"
#include "ui/WaitCursor.h"

namespace vorn::ui {

namespace {

constexpr int kPlotWidth = 360;
constexpr int kPlotMargin = 12;
const QColor kViewBackground(40, 40, 40);

// The largest rectangle of size's proportions centred in area.
QRect FittedRect(QSize size, const QRect& area) {
  if (size.isEmpty()) return {};
  const QSize fitted = size.scaled(area.size(), Qt::KeepAspectRatio);
  return QRect(area.x() + (area.width() - fitted.width()) / 2,
               area.y() + (area.height() - fitted.height()) / 2, fitted.width(), fitted.height());
}

std::uint8_t To8Bits(std::uint16_t value) {
  return static_cast<std::uint8_t>((value * 255u + 32767u) / 65535u);
}

QImage ToQImage(const TPicture48& picture) {
  QImage image(picture.Width, picture.Height, QImage::Format_RGB888);
  for (int y = 0; y < picture.Height; ++y) {
    const std::uint16_t* row = picture.Rgb.data() + static_cast<std::size_t>(y) * picture.Width * 3;
    std::uint8_t* line = image.scanLine(y);
    for (int i = 0; i < picture.Width * 3; ++i) line[i] = To8Bits(row[i]);
  }
  return image;
}

}  // namespace

TCompareView::TCompareView(QWidget* parent) : QWidget(parent) {
  setObjectName("pnlCompare");
  setMinimumSize(320, 240);
  setCursor(Qt::SplitHCursor);
}

void TCompareView::SetPictures(QImage before, QImage after) {
  Before_ = std::move(before);
  After_ = std::move(after);
  update();
}

void TCompareView::SetSideBySide(bool sideBySide) {
  SideBySide_ = sideBySide;
  setCursor(sideBySide ? Qt::ArrowCursor : Qt::SplitHCursor);
  update();
}

QRect TCompareView::PictureRect() const {
  return FittedRect(Before_.size(), rect());
}

void TCompareView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kViewBackground);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (SideBySide_) {
    const QRect left(0, 0, width() / 2, height());
    const QRect right(width() / 2, 0, width() - width() / 2, height());
    painter.drawImage(FittedRect(Before_.size(), left.adjusted(4, 4, -2, -4)), Before_);
    painter.drawImage(FittedRect(After_.size(), right.adjusted(2, 4, -4, -4)), After_);
    return;
  }
  const QRect picture = PictureRect();
  const int splitX = picture.x() + static_cast<int>(Split_ * picture.width() + 0.5);
  painter.drawImage(picture, After_);
  painter.setClipRect(QRect(picture.x(), picture.y(), splitX - picture.x(), picture.height()));
  painter.drawImage(picture, Before_);
  painter.setClipping(false);
  painter.setPen(QPen(Qt::white, 2));
  painter.drawLine(splitX, picture.top(), splitX, picture.bottom());
}

void TCompareView::MoveSplitTo(int x) {
  const QRect picture = PictureRect();
  if (SideBySide_ || picture.width() <= 0) return;
  Split_ = std::clamp(static_cast<double>(x - picture.x()) / picture.width(), 0.0, 1.0);
  update();
}

void TCompareView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) MoveSplitTo(event->position().toPoint().x());
}

void TCompareView::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) MoveSplitTo(event->position().toPoint().x());
}

TCurvePlot::TCurvePlot(QWidget* parent) : QWidget(parent) {
  setObjectName("pnlCurves");
  setFixedWidth(kPlotWidth);
  setMinimumHeight(kPlotWidth);
}

void TCurvePlot::SetLut(const TLUT& lut) {
  GreyAxis_ = !lut.HasTable();
  Samples_.resize(kSamples);
  const TLutDomain& domain = GreyAxis_ ? lut.GridDomain : lut.TableDomain;
  for (int i = 0; i < kSamples; ++i) {
    const double t = static_cast<double>(i) / (kSamples - 1);
    const TRGB in{domain.Min.R + t * (domain.Max.R - domain.Min.R),
                  domain.Min.G + t * (domain.Max.G - domain.Min.G),
                  domain.Min.B + t * (domain.Max.B - domain.Min.B)};
    Samples_[static_cast<std::size_t>(i)] = GreyAxis_ ? lut.Evaluate3D(in) : lut.Evaluate1D(in);
  }
  update();
}

QRectF TCurvePlot::PlotRect() const {
  const double side = std::min(width(), height()) - 2.0 * kPlotMargin;
  return {static_cast<double>(kPlotMargin), static_cast<double>(kPlotMargin), side, side};
}

QPointF TCurvePlot::PointOf(double input, double value) const {
  const QRectF plot = PlotRect();
  return {plot.left() + input * plot.width(), plot.bottom() - value * plot.height()};
}

void TCurvePlot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kViewBackground);
  const QRectF plot = PlotRect();
  painter.setPen(QPen(QColor(90, 90, 90), 1));
  for (int step = 0; step <= 4; ++step) {
    const double at = step / 4.0;
    painter.drawLine(PointOf(at, 0.0), PointOf(at, 1.0));
    painter.drawLine(PointOf(0.0, at), PointOf(1.0, at));
  }
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setClipRect(plot.adjusted(-1, -1, 1, 1));
  const std::pair<QColor, double TRGB::*> channels[] = {{QColor(255, 60, 60), &TRGB::R},
                                                        {QColor(60, 220, 60), &TRGB::G},
                                                        {QColor(80, 120, 255), &TRGB::B}};
  for (const auto& [colour, channel] : channels) {
    QPainterPath curve;
    for (int i = 0; i < static_cast<int>(Samples_.size()); ++i) {
      const QPointF point = PointOf(static_cast<double>(i) / (kSamples - 1),
                                    Samples_[static_cast<std::size_t>(i)].*channel);
      if (i == 0)
        curve.moveTo(point);
      else
        curve.lineTo(point);
    }
    painter.setPen(QPen(colour, 2));
    painter.drawPath(curve);
  }
}

TfrmLargeView::TfrmLargeView(QWidget* parent, IDialogs& dialogs, std::string& pictureFolder,
                             const TLUT& lut, const TBitmap24& picture)
    : QDialog(parent), Dialogs_(dialogs), PictureFolder_(pictureFolder), Lut_(lut) {
  setObjectName("frmLargeView");
  setWindowTitle(tr("Large View"));
  setWindowState(Qt::WindowMaximized);

  btnOpenPicture = MakeChild<QPushButton>(this, tr("Open a Picture..."));
  btnOpenPicture->setObjectName("btnOpenPicture");
  cbxSideBySide = MakeChild<QCheckBox>(this, tr("Side by side"));
  cbxSideBySide->setObjectName("cbxSideBySide");
  cbxSideBySide->setToolTip(tr("Show the pictures side by side instead of split by a line"));
  pnlCompare = MakeChild<TCompareView>(this);
  pnlCurves = MakeChild<TCurvePlot>(this);
  pnlCurves->SetLut(lut);
  lblCurves = MakeChild<QLabel>(this, pnlCurves->ShowsGreyAxis()
                                          ? tr("The grid's grey axis (r = g = b)")
                                          : tr("The curves: red, green and blue over the input"));
  lblCurves->setObjectName("lblCurves");

  auto* layout = MakeChild<QGridLayout>(this);
  layout->addWidget(btnOpenPicture, 0, 0);
  layout->addWidget(cbxSideBySide, 0, 1, Qt::AlignLeft);
  layout->addWidget(lblCurves, 0, 2);
  layout->addWidget(pnlCompare, 1, 0, 1, 2);
  layout->addWidget(pnlCurves, 1, 2, Qt::AlignTop);
  layout->setColumnStretch(1, 1);
  layout->setRowStretch(1, 1);

  connect(cbxSideBySide, &QCheckBox::toggled, pnlCompare, &TCompareView::SetSideBySide);
  connect(btnOpenPicture, &QPushButton::clicked, this,
          [this] { RunGuarded(Dialogs_, this, [this] { OpenPictureClicked(); }); });
  ShowPicture(picture);
}

void TfrmLargeView::ShowPicture(TBitmap24 picture) {
  const QImage before = ToQImage(picture);
  Lut_.ApplyToBitmap(picture);
  pnlCompare->SetPictures(before, ToQImage(picture));
}

void TfrmLargeView::ShowPictureFile(const std::string& path) {
  TWaitCursor hourglass;
  const std::string data = ReadWholeFile(path);
  if (IsPicture48Name(path) && ReadPictureHeader(path, data).BitsPerChannel == 16) {
    TPicture48 picture = DecodePicture48(path, data);
    const QImage before = ToQImage(picture);
    Lut_.ApplyToRgb48(picture.Rgb, picture.Width);
    pnlCompare->SetPictures(before, ToQImage(picture));
    return;
  }
  ShowPicture(std::move(DecodePicture(path, data).Bitmap));
}

void TfrmLargeView::OpenPictureClicked() {
  const std::string path = Dialogs_.OpenPicture(this, PictureFolder_, PictureFileFilter());
  if (path.empty()) return;
  PictureFolder_ = ExtractFileDir(path);
  ShowPictureFile(path);
}

}  // namespace vorn::ui
