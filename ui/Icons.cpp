#include "ui/Icons.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>
#include <string>
#include <vector>

namespace vorn::ui {

namespace {

const QColor kInk(0x37, 0x47, 0x4f);
const QColor kAccent(0x1e, 0x6f, 0xd9);
const QColor kGreen(0x2e, 0x9d, 0x5b);
const QColor kRed(0xe5, 0x48, 0x3b);
const QColor kYellow(0xf2, 0xb1, 0x1c);

using TDraw = std::function<void(QPainter&)>;

// Paints the drawing, designed on a 24 by 24 grid, over the whole of a square device of
// that many pixels a side, cleared to transparent first.
template <class TDevice>
void PaintScaled(TDevice& device, const TDraw& draw, int pixels) {
  device.fill(Qt::transparent);
  QPainter painter(&device);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(pixels / 24.0, pixels / 24.0);
  draw(painter);
}

QPixmap Render(const TDraw& draw, int pixels) {
  QPixmap pixmap(pixels, pixels);
  PaintScaled(pixmap, draw, pixels);
  return pixmap;
}

QIcon MakeIcon(const TDraw& draw) {
  QIcon icon;
  for (int pixels : {16, 24, 32, 48, 64, 128}) icon.addPixmap(Render(draw, pixels));
  return icon;
}

QPen Line(const QColor& color, double width = 1.8) {
  return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet with a folded corner, the shape of a file.
void Sheet(QPainter& p, const QColor& fill) {
  QPainterPath path;
  path.moveTo(5, 2.5);
  path.lineTo(14, 2.5);
  path.lineTo(19, 7.5);
  path.lineTo(19, 21.5);
  path.lineTo(5, 21.5);
  path.closeSubpath();
  p.setPen(Line(kInk, 1.5));
  p.setBrush(fill);
  p.drawPath(path);
  p.drawPolyline(QPolygonF({QPointF(14, 2.5), QPointF(14, 7.5), QPointF(19, 7.5)}));
}

void Badge(QPainter& p, const QColor& color, const QPointF& centre) {
  p.setPen(Qt::NoPen);
  p.setBrush(color);
  p.drawEllipse(centre, 5.2, 5.2);
}

}  // namespace

QIcon AddLutsIcon() {
  return MakeIcon([](QPainter& p) {
    Sheet(p, Qt::white);
    const QColor cells[] = {kRed, kGreen, kAccent, kYellow};
    for (int i = 0; i < 4; ++i) {
      p.setPen(Qt::NoPen);
      p.setBrush(cells[i]);
      p.drawRect(QRectF(7.5 + (i % 2) * 4, 10 + (i / 2) * 4, 3.5, 3.5));
    }
    Badge(p, kGreen, QPointF(18, 18));
    p.setPen(Line(Qt::white, 1.7));
    p.drawLine(QPointF(18, 15.3), QPointF(18, 20.7));
    p.drawLine(QPointF(15.3, 18), QPointF(20.7, 18));
  });
}

QIcon ConvertIcon() {
  return MakeIcon([](QPainter& p) {
    p.setPen(Line(kAccent, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4, 4, 16, 16), 30 * 16, 150 * 16);
    p.drawArc(QRectF(4, 4, 16, 16), 210 * 16, 150 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawPolygon(QPolygonF({QPointF(15.5, 3.2), QPointF(21.4, 6.0), QPointF(16.2, 9.6)}));
    p.drawPolygon(QPolygonF({QPointF(8.5, 20.8), QPointF(2.6, 18.0), QPointF(7.8, 14.4)}));
  });
}

QIcon MergeIcon() {
  return MakeIcon([](QPainter& p) {
    p.setPen(Line(kInk, 1.5));
    p.setBrush(QColor(0xd6, 0xe6, 0xfb));
    p.drawRoundedRect(QRectF(3, 3, 11, 11), 2, 2);
    p.setBrush(QColor(0xd9, 0xf1, 0xe2));
    p.drawRoundedRect(QRectF(10, 10, 11, 11), 2, 2);
    p.setPen(Line(kAccent, 2.0));
    p.drawLine(QPointF(7, 17), QPointF(7, 21));
    p.drawLine(QPointF(17, 3), QPointF(17, 7));
  });
}

QIcon IccIcon() {
  return MakeIcon([](QPainter& p) {
    QConicalGradient wheel(QPointF(12, 12), 90);
    wheel.setColorAt(0.0, kRed);
    wheel.setColorAt(0.33, kGreen);
    wheel.setColorAt(0.66, kAccent);
    wheel.setColorAt(1.0, kRed);
    p.setPen(Line(kInk, 1.2));
    p.setBrush(wheel);
    p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
    p.setPen(Line(Qt::white, 1.6));
    p.setBrush(QColor(255, 255, 255, 90));
    p.drawPolygon(QPolygonF({QPointF(12, 5.5), QPointF(18, 16), QPointF(6, 16)}));
  });
}

QIcon HaldIcon() {
  return MakeIcon([](QPainter& p) {
    p.setPen(Qt::NoPen);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 4; ++x) {
        p.setBrush(QColor::fromRgbF(x / 3.0, y / 3.0, 1.0 - (x + y) / 6.0));
        p.drawRect(QRectF(3.5 + x * 4.25, 3.5 + y * 4.25, 4.25, 4.25));
      }
    }
    p.setPen(Line(kInk, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 1.5, 1.5);
  });
}

QIcon AboutIcon() {
  return MakeIcon([](QPainter& p) {
    p.setPen(Line(kAccent, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12, 12), 9, 9);
    p.setPen(Line(kAccent, 2.2));
    p.drawLine(QPointF(12, 11), QPointF(12, 17));
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(12, 7.4), 1.4, 1.4);
  });
}

QIcon PreviewImageIcon() {
  return MakeIcon([](QPainter& p) {
    p.setPen(Line(kInk, 1.5));
    p.setBrush(QColor(0xe3, 0xef, 0xfc));
    p.drawRoundedRect(QRectF(2.5, 4.5, 19, 15), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(kYellow);
    p.drawEllipse(QPointF(16.5, 9), 2, 2);
    p.setBrush(kGreen);
    p.drawPolygon(QPolygonF({QPointF(4, 18), QPointF(9.5, 10.5), QPointF(13.5, 15.5),
                             QPointF(15.5, 13.5), QPointF(20, 18)}));
  });
}

QIcon PreviewPaneIcon() {
  return MakeIcon([](QPainter& p) {
    p.setPen(Line(kInk, 1.5));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(2.5, 4, 19, 16), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRect(QRectF(14.5, 4.75, 6.25, 14.5));
    p.setPen(Line(kInk, 1.3));
    p.drawLine(QPointF(5, 8.5), QPointF(11.5, 8.5));
    p.drawLine(QPointF(5, 12), QPointF(11.5, 12));
    p.drawLine(QPointF(5, 15.5), QPointF(11.5, 15.5));
  });
}

namespace {

// The program icon: an isometric cube, each visible face a colour of the RGB cube. The
// window draws it and the icon files of the installed program are written from it.
struct TIconFace {
  QColor Fill;
  QPolygonF Corners;
};

constexpr double kCubeEdgeWidth = 1.0;

std::vector<TIconFace> ProgramIconFaces() {
  const QPointF top(12, 2), left(3, 7), right(21, 7), centre(12, 12), bottomLeft(3, 17),
      bottomRight(21, 17), bottom(12, 22);
  return {{QColor(0xf5, 0x5d, 0x4e), QPolygonF({top, right, centre, left})},
          {QColor(0x3f, 0xb8, 0x6e), QPolygonF({left, centre, bottom, bottomLeft})},
          {QColor(0x2f, 0x7f, 0xe8), QPolygonF({centre, right, bottomRight, bottom})}};
}

void DrawProgramIcon(QPainter& p) {
  p.setPen(Line(kInk, kCubeEdgeWidth));
  for (const TIconFace& face : ProgramIconFaces()) {
    p.setBrush(face.Fill);
    p.drawPolygon(face.Corners);
  }
}

std::string Number(double value) {
  return QString::number(value, 'g', 6).toStdString();
}

}  // namespace

QIcon ProgramIcon() {
  return MakeIcon(DrawProgramIcon);
}

QImage ProgramIconImage(int pixels) {
  QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  PaintScaled(image, DrawProgramIcon, pixels);
  return image;
}

std::string ProgramIconSvg() {
  std::string svg =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
      "viewBox=\"0 0 24 24\">\n"
      "  <g stroke=\"" +
      kInk.name().toStdString() + "\" stroke-width=\"" + Number(kCubeEdgeWidth) +
      "\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
  for (const TIconFace& face : ProgramIconFaces()) {
    svg += "    <polygon fill=\"" + face.Fill.name().toStdString() + "\" points=\"";
    for (const QPointF& corner : face.Corners) {
      if (&corner != &face.Corners.front()) svg += ' ';
      svg += Number(corner.x()) + "," + Number(corner.y());
    }
    svg += "\"/>\n";
  }
  return svg + "  </g>\n</svg>\n";
}

}  // namespace vorn::ui
