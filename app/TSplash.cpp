#include "app/TSplash.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace kt {

TProgressSplash::TProgressSplash(const QString& text, int clientWidth, int clientHeight, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      gauge_(new TGauge(this)),
      label_(new QLabel(text, this)) {
  setWindowTitle(QStringLiteral("Varnik's Klangtruhe 2.0 alpha"));
  setFixedSize(clientWidth, clientHeight);
  gauge_->setGeometry(0, 0, clientWidth, clientHeight);
  gauge_->SetBorder(false);
  QFont f(QStringLiteral("Liberation Sans"));
  f.setPixelSize(21);
  f.setBold(true);
  label_->setFont(f);
  label_->setAttribute(Qt::WA_TransparentForMouseEvents);
  label_->setGeometry(0, 0, clientWidth, clientHeight);
  label_->setAlignment(Qt::AlignCenter);
  CentreOnScreen();
}

void TProgressSplash::CentreOnScreen() {
  if (QScreen* s = QGuiApplication::primaryScreen()) move(s->geometry().center() - rect().center());
}

void TProgressSplash::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow()) {
    QTimer::singleShot(0, this, [this] {
      if (isVisible() && !isActiveWindow()) {
        raise();
        activateWindow();
      }
    });
  }
}

TSplash::TSplash() : TProgressSplash(QStringLiteral("Datenbank wird geladen..."), 263, 27) {
  setObjectName(QStringLiteral("TSplash"));
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  Gauge()->SetRange(0, 10000);
}

}  // namespace kt

namespace kt {

TWaStartSplash::TWaStartSplash() : TProgressSplash(QStringLiteral("Winamp wird gestartet..."), 246, 27) {
  setObjectName(QStringLiteral("TWaStartSplash"));
  Gauge()->SetRange(0, 100);
}

TScan::TScan() : TProgressSplash(QStringLiteral("Index wird erzeugt..."), 205, 27) {
  setObjectName(QStringLiteral("TScan"));
  Gauge()->SetRange(0, 10000);
}

}  // namespace kt
