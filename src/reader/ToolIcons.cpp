#include "reader/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

namespace vorn {
namespace {

using Drawing = std::function<void(QPainter&)>;

// Every picture is drawn on a 16 by 16 grid and rendered at the sizes the tool bar may ask for.
QIcon Render(const Drawing& draw) {
  QIcon icon;
  for (int size : {16, 24, 32, 48}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p);
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

const QColor kOutline(70, 70, 70);

void Page(QPainter& p, QRectF r = QRectF(2.5, 1.5, 10, 13)) {
  QPainterPath path;
  path.moveTo(r.left(), r.top());
  path.lineTo(r.right() - 3, r.top());
  path.lineTo(r.right(), r.top() + 3);
  path.lineTo(r.right(), r.bottom());
  path.lineTo(r.left(), r.bottom());
  path.closeSubpath();
  p.setPen(QPen(kOutline, 1));
  p.setBrush(Qt::white);
  p.drawPath(path);
  p.setPen(QPen(QColor(150, 150, 150), 1));
  for (double y = r.top() + 4; y < r.bottom() - 1; y += 2.5) {
    p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
  }
}

void Folder(QPainter& p) {
  p.setPen(QPen(QColor(150, 110, 20), 1));
  p.setBrush(QColor(240, 200, 80));
  QPainterPath back;
  back.moveTo(1.5, 3.5);
  back.lineTo(6, 3.5);
  back.lineTo(7.5, 5);
  back.lineTo(14.5, 5);
  back.lineTo(14.5, 13.5);
  back.lineTo(1.5, 13.5);
  back.closeSubpath();
  p.drawPath(back);
  p.setBrush(QColor(255, 225, 120));
  QPainterPath front;
  front.moveTo(1.5, 13.5);
  front.lineTo(4, 7.5);
  front.lineTo(15.5, 7.5);
  front.lineTo(13.5, 13.5);
  front.closeSubpath();
  p.drawPath(front);
}

void Plus(QPainter& p, QPointF c, QColor color = QColor(30, 150, 30)) {
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(c, 3.6, 3.6);
  p.setBrush(color);
  p.drawRect(QRectF(c.x() - 2.8, c.y() - 0.9, 5.6, 1.8));
  p.drawRect(QRectF(c.x() - 0.9, c.y() - 2.8, 1.8, 5.6));
}

void Triangle(QPainter& p, double top, bool up, QColor color = QColor(40, 90, 200)) {
  QPolygonF t;
  if (up) {
    t << QPointF(8, top) << QPointF(13.5, top + 5.5) << QPointF(2.5, top + 5.5);
  } else {
    t << QPointF(2.5, top) << QPointF(13.5, top) << QPointF(8, top + 5.5);
  }
  p.setPen(QPen(color.darker(140), 0.8));
  p.setBrush(color);
  p.drawPolygon(t);
}

void Arrow(QPainter& p, QPointF from, QPointF to, QColor color, double width = 2) {
  p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(from, to);
  const QPointF d = to - from;
  const double len = std::max(0.001, std::hypot(d.x(), d.y()));
  const QPointF u(d.x() / len, d.y() / len);
  const QPointF n(-u.y(), u.x());
  QPolygonF head;
  head << to + u * 1.5 << to - u * 2.5 + n * 2.5 << to - u * 2.5 - n * 2.5;
  p.setPen(Qt::NoPen);
  p.setBrush(color);
  p.drawPolygon(head);
}

void Pencil(QPainter& p, QPointF tip, double length = 10) {
  p.save();
  p.translate(tip);
  p.rotate(-45);
  p.setPen(QPen(QColor(120, 80, 20), 0.8));
  p.setBrush(QColor(250, 180, 40));
  p.drawRect(QRectF(3, -1.6, length - 3, 3.2));
  p.setBrush(QColor(240, 210, 170));
  QPolygonF point;
  point << QPointF(0, 0) << QPointF(3, -1.6) << QPointF(3, 1.6);
  p.drawPolygon(point);
  p.setBrush(QColor(230, 110, 110));
  p.drawRect(QRectF(length - 1, -1.6, 2, 3.2));
  p.restore();
}

void Envelope(QPainter& p) {
  p.setPen(QPen(kOutline, 1));
  p.setBrush(QColor(255, 250, 230));
  p.drawRect(QRectF(1.5, 3.5, 13, 9));
  p.drawPolyline(QPolygonF() << QPointF(1.5, 3.5) << QPointF(8, 9) << QPointF(14.5, 3.5));
}

void Magnifier(QPainter& p, QPointF c = QPointF(6.5, 6.5), double r = 4) {
  p.setPen(QPen(QColor(90, 60, 30), 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(c + QPointF(r * 0.7, r * 0.7), c + QPointF(r * 0.7 + 4.5, r * 0.7 + 4.5));
  p.setPen(QPen(kOutline, 1.2));
  p.setBrush(QColor(200, 230, 255));
  p.drawEllipse(c, r, r);
}

void Badge(QPainter& p, QColor color, const QString& letter) {
  p.setPen(QPen(color.darker(150), 1));
  p.setBrush(color);
  p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
  QFont f = p.font();
  f.setPixelSize(11);
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, letter);
}

void Star(QPainter& p, QPointF c, double r, QColor color) {
  QPolygonF star;
  for (int i = 0; i < 10; ++i) {
    const double a = -M_PI / 2 + i * M_PI / 5;
    const double rr = (i % 2 == 0) ? r : r * 0.45;
    star << c + QPointF(std::cos(a) * rr, std::sin(a) * rr);
  }
  p.setPen(QPen(color.darker(160), 0.8));
  p.setBrush(color);
  p.drawPolygon(star);
}

Drawing DrawingFor(const char* name) {
  auto is = [name](const char* n) { return std::strcmp(name, n) == 0; };
  const QColor blue(40, 90, 200);
  const QColor green(30, 150, 30);
  if (is("BTNOpen")) return [](QPainter& p) { Folder(p); };
  if (is("BTNOpenAdd")) {
    return [](QPainter& p) {
      Folder(p);
      Plus(p, QPointF(12, 4));
    };
  }
  if (is("BTNSave")) {
    return [](QPainter& p) {
      p.setPen(QPen(QColor(20, 40, 90), 1));
      p.setBrush(QColor(60, 100, 190));
      p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4, 1.5, 8, 5));
      p.setBrush(QColor(180, 180, 190));
      p.drawRect(QRectF(4.5, 9.5, 7, 5));
    };
  }
  if (is("BTNRoot")) {
    return [](QPainter& p) {
      Page(p);
      Pencil(p, QPointF(5.5, 12.5), 11);
    };
  }
  if (is("BTNRess")) {
    return [blue](QPainter& p) {
      Page(p, QRectF(4.5, 1.5, 10, 13));
      QPainterPath curve;
      curve.moveTo(9, 4);
      curve.cubicTo(3, 4, 2, 9, 4, 11);
      p.setPen(QPen(blue, 2, Qt::SolidLine, Qt::RoundCap));
      p.setBrush(Qt::NoBrush);
      p.drawPath(curve);
      Arrow(p, QPointF(4, 11), QPointF(7.5, 12.5), blue, 2);
    };
  }
  if (is("BTNMail")) return [](QPainter& p) { Envelope(p); };
  if (is("BTNBatch")) {
    return [green](QPainter& p) {
      p.setPen(QPen(kOutline, 1));
      p.setBrush(QColor(220, 220, 220));
      QPolygonF tray;
      tray << QPointF(1.5, 10.5) << QPointF(4, 10.5) << QPointF(5, 12) << QPointF(11, 12)
           << QPointF(12, 10.5) << QPointF(14.5, 10.5) << QPointF(14.5, 14.5) << QPointF(1.5, 14.5);
      p.drawPolygon(tray);
      Arrow(p, QPointF(8, 1.5), QPointF(8, 8.5), green, 2.6);
    };
  }
  if (is("BTNJumpRess")) {
    return [](QPainter& p) {
      Page(p, QRectF(1.5, 1.5, 9, 13));
      Arrow(p, QPointF(6, 9), QPointF(13, 9), QColor(150, 50, 170), 2.4);
    };
  }
  if (is("BTNEdit")) return [](QPainter& p) { Pencil(p, QPointF(2.5, 13.5), 15); };
  if (is("BTNDel")) {
    return [](QPainter& p) {
      p.setPen(QPen(QColor(200, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
      p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    };
  }
  if (is("BTNSearch")) return [](QPainter& p) { Magnifier(p); };
  if (is("BTNInfo")) {
    return [blue](QPainter& p) {
      p.setPen(QPen(blue.darker(150), 1));
      p.setBrush(blue);
      p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
      p.setPen(Qt::NoPen);
      p.setBrush(Qt::white);
      p.drawEllipse(QPointF(8, 4.8), 1.2, 1.2);
      p.drawRect(QRectF(7, 7, 2, 5.5));
    };
  }
  if (is("BTNNewMode")) return [](QPainter& p) { Badge(p, QColor(220, 120, 20), "N"); };
  if (is("BTNSearchMode")) return [](QPainter& p) { Badge(p, QColor(30, 130, 130), "S"); };
  if (is("BTNLevelParent")) {
    return [blue](QPainter& p) {
      p.setPen(QPen(kOutline, 1.5));
      p.drawLine(QPointF(4, 4), QPointF(4, 13));
      p.drawLine(QPointF(4, 13), QPointF(8, 13));
      Arrow(p, QPointF(11, 13.5), QPointF(11, 4), blue, 2.2);
    };
  }
  if (is("BTNLevelBefore")) {
    return [blue](QPainter& p) {
      Triangle(p, 2, true, blue);
      Triangle(p, 8, true, blue);
    };
  }
  if (is("BTNBefore")) return [blue](QPainter& p) { Triangle(p, 5, true, blue); };
  if (is("BTNPageUp")) {
    return [green](QPainter& p) {
      Page(p);
      Arrow(p, QPointF(7.5, 12.5), QPointF(7.5, 5), green, 2.4);
    };
  }
  if (is("BTNNoRead")) {
    return [](QPainter& p) { Star(p, QPointF(8, 8.5), 7, QColor(250, 200, 30)); };
  }
  if (is("BTNPageDown")) {
    return [green](QPainter& p) {
      Page(p);
      Arrow(p, QPointF(7.5, 4), QPointF(7.5, 11.5), green, 2.4);
    };
  }
  if (is("BTNNext")) return [blue](QPainter& p) { Triangle(p, 5.5, false, blue); };
  if (is("BTNLevelNext")) {
    return [blue](QPainter& p) {
      Triangle(p, 2.5, false, blue);
      Triangle(p, 8.5, false, blue);
    };
  }
  if (is("BTNLevelRestore")) {
    return [blue](QPainter& p) {
      QPainterPath curve;
      curve.moveTo(4, 3);
      curve.lineTo(4, 8);
      curve.cubicTo(4, 11, 6, 12, 9, 12);
      p.setPen(QPen(blue, 2.2, Qt::SolidLine, Qt::RoundCap));
      p.setBrush(Qt::NoBrush);
      p.drawPath(curve);
      Arrow(p, QPointF(9, 12), QPointF(12, 12), blue, 2.2);
    };
  }
  return {};
}

}  // namespace

QIcon ToolIcon(const char* buttonName) {
  const Drawing draw = DrawingFor(buttonName);
  return draw ? Render(draw) : QIcon();
}

QIcon ProgramIcon() {
  return Render([](QPainter& p) {
    p.setPen(QPen(QColor(20, 50, 110), 1));
    p.setBrush(QColor(40, 90, 170));
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    Page(p, QRectF(3.5, 2.5, 9, 11));
    Magnifier(p, QPointF(9, 9), 2.6);
  });
}

}  // namespace vorn
