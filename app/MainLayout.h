#pragma once
// The main window's layout for a client size: where every control of the
// top right panel, the middle and the bottom panels goes. At the design size
// (1018 × 715) every value equals the design.

#include <QRect>

namespace kt {

inline constexpr int kDesignClientWidth = 1018;
inline constexpr int kDesignClientHeight = 715;
inline constexpr int kMinimumWidth = 800;
inline constexpr int kMinimumHeight = 600;

struct TMainLayout {
  // Panels, in client coordinates.
  QRect Panel_ol, Panel_or, Panel_m, Panel_ul, Panel_ur;
  // Inside the top right panel.
  QRect Panel_or2;
  QRect Label2, Bevel1, Label10, Bevel5;               // current and next track names and frames
  QRect Label3, Label4, Bevel2, Label11, Label12, Bevel6;  // "Length" rows
  QRect Label5, Label6, Bevel3;                        // "Time played"
  QRect Label7, Label8, Bevel4;                        // "Time to play"
  // Inside the bottom right panel.
  QRect Gauge1;
};

// The widths of the three right-aligned value labels (their right edges stay fixed).
struct TValueWidths {
  int Label4 = 29, Label6 = 29, Label8 = 29, Label12 = 29;
};

TMainLayout LayOutMainWindow(int clientWidth, int clientHeight, const TValueWidths& widths = {});

}  // namespace kt
