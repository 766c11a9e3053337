#include "app/TGauge.h"

#include <QPainter>

namespace kt {

void TGauge::SetRange(int minValue, int maxValue) {
  min_ = minValue;
  max_ = maxValue < minValue ? minValue : maxValue;
  update();
}

void TGauge::SetPosition(int position) {
  if (position == position_) return;
  position_ = position;
  update();
}

void TGauge::paintEvent(QPaintEvent*) {
  QPainter g(this);
  const QRect r = rect();
  g.fillRect(r, palette().color(QPalette::Window));
  const int span = max_ - min_;
  const int clamped = position_ < min_ ? min_ : position_ > max_ ? max_ : position_;
  const int w = span > 0 ? int(int64_t(r.width()) * (clamped - min_) / span) : 0;
  g.fillRect(QRect(r.left(), r.top(), w, r.height()), palette().color(QPalette::Dark));
  if (border_) {
    g.setPen(palette().color(QPalette::Mid));
    g.drawRect(r.adjusted(0, 0, -1, -1));
  }
}

}  // namespace kt
