#pragma once
// The loading splash: a small tool window with a gauge and "Datenbank wird
// geladen...", on top while the catalog loads.

#include "app/TGauge.h"

#include <QLabel>
#include <QWidget>

namespace kt {

// A tool window without caption buttons holding a gauge under a bold label;
// it takes the activation back whenever it loses it while shown. The loading
// splash, the player-start splash and the indexing window are all of this kind.
class TProgressSplash : public QWidget {
 public:
  TProgressSplash(const QString& text, int clientWidth, int clientHeight, QWidget* parent = nullptr);
  TGauge* Gauge() const { return gauge_; }
  QLabel* Label() const { return label_; }
  void CentreOnScreen();

 protected:
  void changeEvent(QEvent* e) override;

 private:
  TGauge* gauge_;
  QLabel* label_;
};

class TSplash : public TProgressSplash {
 public:
  TSplash();
};

// The window shown while the player starts; its gauge runs 0 … 100.
class TWaStartSplash : public TProgressSplash {
 public:
  TWaStartSplash();
};

// The indexing run's progress window.
class TScan : public TProgressSplash {
 public:
  TScan();
};

}  // namespace kt
