#include "app/TCaptionBar.h"

#include "app/Artwork.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace kt {

TCaptionBar::TCaptionBar(QWidget* parent) : QWidget(parent) {
  setFixedHeight(kHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TCaptionBar::SetCaption(const QString& caption) {
  caption_ = caption;
  update();
}

QRect TCaptionBar::GlyphButtonRect(int index) const {
  const int right = width() - kRightMargins[index];
  return QRect(right - 16, 4, 16, 14);
}
QRect TCaptionBar::MinimizeRect() const { return QRect(width() - 40, 3, 18, 16); }
QRect TCaptionBar::CloseRect() const { return QRect(width() - 20, 3, 18, 16); }
QRect TCaptionBar::SystemMenuRect() const { return QRect(3, 3, 16, 16); }

int TCaptionBar::HitButton(QPoint p) const {
  for (int i = 0; i < kButtonCount; ++i)
    if (GlyphButtonRect(i).contains(p)) return i;
  if (MinimizeRect().contains(p)) return 4;
  if (CloseRect().contains(p)) return 5;
  if (SystemMenuRect().contains(p)) return 6;
  return -1;
}

void TCaptionBar::paintEvent(QPaintEvent*) {
  QPainter g(this);
  const bool active = window()->isActiveWindow();
  QLinearGradient grad(0, 0, width(), 0);
  grad.setColorAt(0, active ? QColor(10, 36, 106) : QColor(128, 128, 128));
  grad.setColorAt(1, active ? QColor(166, 202, 240) : QColor(192, 192, 192));
  g.fillRect(rect(), grad);
  g.drawPixmap(SystemMenuRect().topLeft(), art::ProgramIcon().pixmap(16, 16));
  QFont f = font();
  f.setBold(true);
  g.setFont(f);
  g.setPen(Qt::white);
  g.drawText(QRect(24, 0, width() - 24 - 140, height()), Qt::AlignVCenter | Qt::AlignLeft, caption_);
  auto button = [&](const QRect& r, const QPixmap& glyph) {
    g.fillRect(r, palette().color(QPalette::Button));
    g.setPen(palette().color(QPalette::Light));
    g.drawLine(r.topLeft(), r.topRight());
    g.drawLine(r.topLeft(), r.bottomLeft());
    g.setPen(palette().color(QPalette::Shadow));
    g.drawLine(r.bottomLeft(), r.bottomRight());
    g.drawLine(r.topRight(), r.bottomRight());
    g.drawPixmap(r.left() + (r.width() - glyph.width()) / 2, r.top() + (r.height() - glyph.height()) / 2, glyph);
  };
  for (int i = 0; i < kButtonCount; ++i) button(GlyphButtonRect(i), art::CaptionGlyph(i));
  QPixmap minGlyph(13, 11), closeGlyph(13, 11);
  minGlyph.fill(Qt::transparent);
  closeGlyph.fill(Qt::transparent);
  {
    QPainter m(&minGlyph);
    m.fillRect(3, 8, 7, 2, Qt::black);
    QPainter c(&closeGlyph);
    c.setPen(QPen(Qt::black, 2));
    c.drawLine(3, 2, 10, 9);
    c.drawLine(10, 2, 3, 9);
  }
  button(MinimizeRect(), minGlyph);
  button(CloseRect(), closeGlyph);
}

void TCaptionBar::mousePressEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  pressed_ = HitButton(p);
  if (e->button() == Qt::RightButton && pressed_ < 0) {
    if (OnSystemMenu) OnSystemMenu(e->globalPosition().toPoint());
    return;
  }
  if (e->button() != Qt::LeftButton) return;
  if (pressed_ == 6) {
    if (OnSystemMenu) OnSystemMenu(mapToGlobal(SystemMenuRect().bottomLeft()));
    pressed_ = -1;
    return;
  }
  if (pressed_ < 0 && window()->windowHandle()) window()->windowHandle()->startSystemMove();
}

void TCaptionBar::mouseReleaseEvent(QMouseEvent* e) {
  const int hit = HitButton(e->position().toPoint());
  const int was = pressed_;
  pressed_ = -1;
  if (e->button() != Qt::LeftButton || hit != was || hit < 0) return;
  if (hit < kButtonCount) {
    if (OnGlyphButton) OnGlyphButton(hit);
  } else if (hit == 4) {
    if (OnMinimize) OnMinimize();
  } else if (hit == 5) {
    if (OnClose) OnClose();
  }
}

}  // namespace kt
