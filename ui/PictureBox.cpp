#include "ui/PictureBox.h"

#include <QPainter>

namespace vorn::ui {

TPictureBox::TPictureBox(int width, int height, QWidget* parent) : QWidget(parent) {
  setFixedSize(width, height);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPictureBox::SetImage(QImage image) {
  Image_ = std::move(image);
  update();
}

void TPictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window).darker(112));
  if (Image_.isNull()) return;
  QSize shown = Image_.size().scaled(size(), Qt::KeepAspectRatio);
  if (shown.isEmpty()) shown = QSize(1, 1);
  QRect target(QPoint(0, 0), shown);
  target.moveCenter(rect().center());
  painter.setRenderHint(QPainter::SmoothPixmapTransform, shown != Image_.size());
  painter.drawImage(target, Image_);
}

}  // namespace vorn::ui
