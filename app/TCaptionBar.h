#pragma once
// The main window's own caption bar: the caption, a system-menu button at the
// left (also a right click on the caption), four glyph buttons at fixed right
// margins, minimise and close. Dragging the caption moves the window.

#include <QWidget>

#include <functional>

namespace kt {

class TCaptionBar : public QWidget {
 public:
  static constexpr int kHeight = 22;
  // The glyph buttons from left to right (full screen, player, volume, help)
  // and their right margins.
  static constexpr int kButtonCount = 4;
  static constexpr int kRightMargins[kButtonCount] = {120, 102, 86, 68};

  explicit TCaptionBar(QWidget* parent);
  void SetCaption(const QString& caption);
  QString Caption() const { return caption_; }

  QRect GlyphButtonRect(int index) const;  // 0 … 3 from the left
  QRect MinimizeRect() const;
  QRect CloseRect() const;
  QRect SystemMenuRect() const;

  std::function<void(int index)> OnGlyphButton;
  std::function<void(QPoint global)> OnSystemMenu;
  std::function<void()> OnMinimize;
  std::function<void()> OnClose;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  int HitButton(QPoint p) const;  // 0..3 glyphs, 4 minimise, 5 close, 6 system menu, -1 none
  QString caption_;
  int pressed_ = -1;
};

}  // namespace kt
