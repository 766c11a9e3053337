#pragma once
// A progress bar: minimum, maximum and position, the bar in the button-shadow
// colour on the menu colour, no text.

#include <QWidget>

namespace kt {

class TGauge : public QWidget {
 public:
  explicit TGauge(QWidget* parent = nullptr) : QWidget(parent) {}
  void SetRange(int minValue, int maxValue);
  void SetPosition(int position);
  int Position() const { return position_; }
  int MinValue() const { return min_; }
  int MaxValue() const { return max_; }
  void SetBorder(bool on) { border_ = on; update(); }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  int min_ = 0, max_ = 100, position_ = 0;
  bool border_ = true;
};

}  // namespace kt
