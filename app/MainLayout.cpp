#include "app/MainLayout.h"

namespace kt {

namespace {
// Rows of the now-playing display: frames and the text inside them.
constexpr int kRow1Frame = 6, kRow1Text = 8, kRow2Frame = 32, kRow2Text = 34;
constexpr int kFrameHeight = 17, kTextHeight = 13, kFrameWidth = 33;
constexpr int kNameFrameLeft = 80, kNameLeft = 83;
}  // namespace

TMainLayout LayOutMainWindow(int cw, int ch, const TValueWidths& w) {
  TMainLayout l;
  l.Panel_ol = QRect(0, 0, 385, 57);
  l.Panel_or = QRect(387, 0, cw - 387, 57);

  // Caption positions first; the name widths follow from them.
  l.Label7 = QRect(cw - 490, kRow1Text, 60, kTextHeight);
  l.Label8 = QRect(cw - 399 - w.Label8, kRow1Text, w.Label8, kTextHeight);
  l.Bevel4 = QRect(cw - 428, kRow1Frame, kFrameWidth, kFrameHeight);
  l.Label5 = QRect(cw - 594, kRow1Text, 60, kTextHeight);
  l.Label6 = QRect(cw - 503 - w.Label6, kRow1Text, w.Label6, kTextHeight);
  l.Bevel3 = QRect(cw - 532, kRow1Frame, kFrameWidth, kFrameHeight);
  l.Label3 = QRect(cw - 674, kRow1Text, 36, kTextHeight);
  l.Label4 = QRect(cw - 607 - w.Label4, kRow1Text, w.Label4, kTextHeight);
  l.Bevel2 = QRect(cw - 636, kRow1Frame, kFrameWidth, kFrameHeight);
  l.Label11 = QRect(cw - 674, kRow2Text, 36, kTextHeight);
  l.Label12 = QRect(cw - 607 - w.Label12, kRow2Text, w.Label12, kTextHeight);
  l.Bevel6 = QRect(cw - 636, kRow2Frame, kFrameWidth, kFrameHeight);
  l.Panel_or2 = QRect(cw - 596, 28, 209, 29);
  l.Label2 = QRect(kNameLeft, kRow1Text, l.Label3.left() - 94, kTextHeight);
  l.Bevel1 = QRect(kNameFrameLeft, kRow1Frame, l.Label3.left() - 87, kFrameHeight);
  l.Label10 = QRect(kNameLeft, kRow2Text, l.Label11.left() - 94, kTextHeight);
  l.Bevel5 = QRect(kNameFrameLeft, kRow2Frame, l.Label11.left() - 87, kFrameHeight);

  l.Panel_m = QRect(0, 59, cw, ch - 79);
  l.Panel_ul = QRect(0, ch - 18, 233, 18);
  l.Panel_ur = QRect(235, ch - 18, cw - 235, 18);
  l.Gauge1 = QRect(2, 2, cw - 239, 14);
  return l;
}

}  // namespace kt
