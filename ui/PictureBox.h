#pragma once
// A fixed-size picture control that shows its image scaled to fit, keeping the
// proportions, centred on a neutral background.

#include <QImage>
#include <QWidget>

namespace vorn::ui {

class TPictureBox : public QWidget {
  Q_OBJECT
 public:
  TPictureBox(int width, int height, QWidget* parent);

  void SetImage(QImage image);
  const QImage& Image() const { return Image_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage Image_;
};

}  // namespace vorn::ui
