#include "app/Artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <cmath>

namespace kt::art {
namespace {

QPixmap Blank(int w, int h) {
  QPixmap p(w, h);
  p.fill(Qt::transparent);
  return p;
}

void Folder(QPainter& g, bool open) {
  g.setPen(QColor(128, 96, 0));
  g.setBrush(QColor(255, 214, 90));
  g.drawRect(1, 4, 13, 9);
  g.drawRect(1, 2, 5, 2);
  if (open) {
    g.setBrush(QColor(255, 236, 150));
    g.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 13), QPoint(1, 13)}));
  }
}

void Disc(QPainter& g, bool crossed) {
  g.setPen(QColor(64, 64, 64));
  g.setBrush(QColor(210, 210, 230));
  g.drawEllipse(1, 1, 13, 13);
  g.setBrush(Qt::white);
  g.drawEllipse(6, 6, 3, 3);
  if (crossed) {
    g.setPen(QPen(Qt::red, 2));
    g.drawLine(2, 2, 13, 13);
    g.drawLine(13, 2, 2, 13);
  }
}

void Computer(QPainter& g) {
  g.setPen(Qt::black);
  g.setBrush(QColor(192, 192, 192));
  g.drawRect(2, 1, 11, 9);
  g.setBrush(QColor(0, 128, 128));
  g.drawRect(4, 3, 7, 5);
  g.setBrush(QColor(192, 192, 192));
  g.drawRect(1, 12, 13, 3);
}

}  // namespace

QPixmap TreeImage(int index) {
  QPixmap p = Blank(16, 16);
  QPainter g(&p);
  switch (index) {
    case 0: Folder(g, false); break;
    case 1: Folder(g, true); break;
    case 2:
      g.setPen(Qt::black);
      g.setBrush(QColor(200, 200, 200));
      g.drawRect(1, 5, 14, 7);
      g.setBrush(QColor(0, 200, 0));
      g.drawRect(11, 9, 2, 1);
      break;
    case 3: Disc(g, false); break;
    case 4:
      Computer(g);
      g.setPen(QPen(QColor(0, 0, 160), 1));
      g.drawLine(7, 10, 7, 12);
      break;
    case 5: Computer(g); break;
    default: Disc(g, true); break;
  }
  return p;
}

QPixmap CaptionGlyph(int index) {
  QPixmap p = Blank(13, 11);
  QPainter g(&p);
  g.setPen(Qt::black);
  g.setBrush(Qt::black);
  switch (index) {
    case 0:  // full screen: a frame with arrows to its corners
      g.setBrush(Qt::NoBrush);
      g.drawRect(0, 0, 12, 10);
      g.drawRect(3, 3, 6, 4);
      break;
    case 1:  // the player: a note
      g.drawEllipse(2, 7, 4, 3);
      g.drawLine(6, 1, 6, 8);
      g.drawLine(6, 1, 10, 3);
      break;
    case 2:  // volume: a speaker
      g.drawPolygon(QPolygon({QPoint(1, 4), QPoint(4, 4), QPoint(8, 1), QPoint(8, 9), QPoint(4, 6), QPoint(1, 6)}));
      g.drawLine(10, 3, 11, 2);
      g.drawLine(10, 7, 11, 8);
      break;
    default: {  // help: a question mark
      QFont f("Liberation Sans");
      f.setPixelSize(11);
      f.setBold(true);
      g.setFont(f);
      g.drawText(QRect(0, 0, 13, 11), Qt::AlignCenter, QStringLiteral("?"));
    }
  }
  return p;
}

QPixmap TransportGlyph(int index, bool active) {
  QPixmap p = Blank(17, 9);
  QPainter g(&p);
  const QColor c = active ? QColor(0, 128, 0) : Qt::black;
  g.setPen(c);
  g.setBrush(c);
  switch (index) {
    case 0:
      g.drawRect(3, 1, 1, 6);
      g.drawPolygon(QPolygon({QPoint(9, 1), QPoint(5, 4), QPoint(9, 7)}));
      g.drawPolygon(QPolygon({QPoint(13, 1), QPoint(9, 4), QPoint(13, 7)}));
      break;
    case 1: g.drawPolygon(QPolygon({QPoint(6, 0), QPoint(11, 4), QPoint(6, 8)})); break;
    case 2:
      g.drawRect(5, 1, 2, 6);
      g.drawRect(10, 1, 2, 6);
      break;
    case 3: g.drawRect(5, 1, 6, 6); break;
    default:
      g.drawPolygon(QPolygon({QPoint(3, 1), QPoint(7, 4), QPoint(3, 7)}));
      g.drawPolygon(QPolygon({QPoint(7, 1), QPoint(11, 4), QPoint(7, 7)}));
      g.drawRect(12, 1, 1, 6);
  }
  return p;
}

QPixmap HiddenPicture(int index) {
  QPixmap p = Blank(17, 17);
  QPainter g(&p);
  if (index < 6) {
    // Play, pause and stop, each unlit and lit.
    g.drawPixmap(0, 4, TransportGlyph(1 + index / 2, index % 2 == 1));
  } else {
    g.setPen(Qt::black);
    g.setBrush(QColor(0, 96, 192));
    g.drawEllipse(1, 1, 15, 15);
    g.setPen(Qt::white);
    g.drawText(QRect(0, 0, 17, 17), Qt::AlignCenter, QStringLiteral("i"));
  }
  return p;
}

QIcon ProgramIcon() {
  QPixmap p = Blank(32, 32);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(QColor(90, 50, 10), 2));
  g.setBrush(QColor(170, 110, 40));
  g.drawRoundedRect(3, 9, 26, 19, 3, 3);  // a chest
  g.drawLine(3, 15, 29, 15);
  g.setBrush(QColor(240, 200, 60));
  g.drawRect(14, 13, 4, 5);
  g.setPen(QPen(Qt::black, 2));
  g.drawEllipse(8, 2, 4, 3);
  g.drawLine(12, 3, 12, -2);
  return QIcon(p);
}

QFont DesignFont() {
  QFont f(QStringLiteral("Liberation Sans"));
  f.setPointSize(8);
  return f;
}

QCursor ConfirmCursor() {
  QPixmap p = Blank(32, 32);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(Qt::white, 5));
  g.drawPolyline(QPolygon({QPoint(4, 16), QPoint(12, 24), QPoint(28, 6)}));
  g.setPen(QPen(QColor(0, 150, 0), 3));
  g.drawPolyline(QPolygon({QPoint(4, 16), QPoint(12, 24), QPoint(28, 6)}));
  return QCursor(p, 12, 24);
}

std::vector<QCursor> CopyCursorFrames() {
  std::vector<QCursor> frames;
  for (int f = 0; f < 8; ++f) {
    QPixmap p = Blank(32, 32);
    QPainter g(&p);
    g.setPen(Qt::black);
    g.setBrush(Qt::white);
    g.drawRect(2, 2, 10, 13);    // the source page
    g.drawRect(18, 14, 10, 13);  // the target page
    g.setBrush(QColor(0, 0, 200));
    const int x = 6 + f * 2, y = 8 + f;
    g.drawRect(x, y, 5, 6);  // the page on its way
    frames.emplace_back(p, 0, 0);
  }
  return frames;
}

QCursor SearchCursor(int frame) {
  QPixmap p = Blank(32, 32);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  // A magnifier whose ring fills up, one sixteenth per frame.
  g.setPen(QPen(Qt::black, 2));
  g.setBrush(Qt::white);
  g.drawEllipse(2, 2, 18, 18);
  g.setBrush(QColor(0, 120, 215));
  g.setPen(Qt::NoPen);
  g.drawPie(QRect(4, 4, 14, 14), 90 * 16, -((frame + 1) * 360 / 16) * 16);
  g.setPen(QPen(Qt::black, 4));
  g.drawLine(18, 18, 28, 28);
  return QCursor(p, 11, 11);
}

}  // namespace kt::art
