#include "app/TForm13.h"

#include "app/Artwork.h"

#include <QLabel>
#include <QPainter>

namespace kt {
namespace {

// The search field with its marking, as the help shows it.
QPixmap SearchFieldPicture() {
  QPixmap p(386, 58);
  p.fill(Qt::white);
  QPainter g(&p);
  g.setPen(Qt::gray);
  g.setBrush(QColor(236, 233, 216));
  g.drawRect(0, 0, 385, 57);
  g.setBrush(Qt::white);
  g.setPen(Qt::black);
  g.drawRect(8, 6, 303, 21);
  g.drawText(QRect(12, 6, 290, 21), Qt::AlignVCenter, QStringLiteral("#0042"));
  g.setBrush(QColor(236, 233, 216));
  g.drawRect(316, 6, 61, 21);
  g.drawText(QRect(316, 6, 61, 21), Qt::AlignCenter, QStringLiteral("Suchen"));
  g.setPen(QPen(Qt::red, 2));
  g.setBrush(Qt::NoBrush);
  g.drawRect(5, 3, 309, 27);
  return p;
}

QPixmap CaptionButtonsPicture() {
  QPixmap p(128, 18);
  p.fill(QColor(10, 36, 106));
  QPainter g(&p);
  for (int i = 0; i < 4; ++i) {
    const QRect r(8 + i * 20, 2, 16, 14);
    g.fillRect(r, QColor(212, 208, 200));
    g.drawPixmap(r.left() + 1, r.top() + 1, art::CaptionGlyph(i));
  }
  g.setPen(QPen(Qt::red, 2));
  g.drawRect(5, 1, 82, 16);
  return p;
}

QPixmap HeadingSymbol() {
  QPixmap p(17, 16);
  p.fill(Qt::transparent);
  QPainter g(&p);
  g.setBrush(QColor(0, 96, 192));
  g.setPen(Qt::NoPen);
  g.drawEllipse(1, 1, 14, 14);
  return p;
}

}  // namespace

QStringList TForm13::SectionLines(int section) {
  switch (section) {
    case 1:
      return {QStringLiteral("Soll nach einer Indexnummer gesucht werden, so kann diese mit einem vorangestellten "),
              QStringLiteral("Doppelkreuz (#) direkt in das markierte Suchfeld eingegeben werden. Dabei muss die "),
              QStringLiteral("Indexnummer immer 4stellig eingegeben werden.")};
    case 2:
      return {QStringLiteral("Solange das markierte Suchfeld den Eingabefokus hat, sind folgende "),
              QStringLiteral("Tastenkombinationen verwendbar:"),
              QString(),
              QStringLiteral("Strg+Oben  ->  Markierung in der Listbox um eine Zeile nach oben verschieben"),
              QStringLiteral("Strg+Unten  ->  Markierung in der Listbox um eine Zeile nach unten verschieben"),
              QStringLiteral("Strg+Umschalt+Oben  ->  Markierung in der Listbox um eine Zeile nach oben erweitern"),
              QStringLiteral("Strg+Umschalt+Unten  ->  Markierung in der Listbox um eine Zeile nach unten erweitern"),
              QStringLiteral("Strg+Return  ->  Ausgewähltes Lied abspielen"),
              QStringLiteral("Strg+Umschalt+Return  ->  Ausgewähltes Lied einreihen")};
    default:
      return {QStringLiteral("Die markierten Schaltflächen in der Titelleiste der Klangtruhe haben "),
              QStringLiteral("folgende Funktionen (von links nach rechts):"),
              QString(),
              QStringLiteral("1.  ->  Vollbildmodus (F1)"),
              QStringLiteral("2.  ->  Winamp anzeigen (F2)"),
              QStringLiteral("3.  ->  Lautstärkeregelung anzeigen (F3)"),
              QStringLiteral("4.  ->  Hilfefenster anzeigen (F4)")};
  }
}

TForm13::TForm13() {
  setObjectName(QStringLiteral("TForm13"));
  setFont(art::DesignFont());
  setWindowTitle(QStringLiteral("Hilfe..."));
  setFixedSize(433, 539);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);

  struct Section {
    const char* heading;
    int headingY;
    QRect picture;
    QPixmap image;
    QRect block;
  };
  const Section sections[3] = {
      {"Indexsuche", 8, QRect(8, 40, 386, 58), SearchFieldPicture(), QRect(8, 104, 417, 41)},
      {"Tastenkombinationen", 152, QRect(8, 184, 386, 58), SearchFieldPicture(), QRect(8, 248, 417, 121)},
      {"Schaltflächen der Titelleiste", 376, QRect(8, 408, 128, 18), CaptionButtonsPicture(), QRect(8, 432, 385, 97)},
  };
  QFont headingFont(QStringLiteral("Liberation Sans"));
  headingFont.setPixelSize(21);
  headingFont.setBold(true);
  headingFont.setUnderline(true);
  for (int i = 0; i < 3; ++i) {
    const Section& s = sections[i];
    auto* symbol = new QLabel(this);
    symbol->setPixmap(HeadingSymbol());
    symbol->setGeometry(8, s.headingY + 4, 17, 16);
    auto* heading = new QLabel(QString::fromUtf8(s.heading), this);
    heading->setFont(headingFont);
    heading->move(30, s.headingY);
    heading->adjustSize();
    auto* picture = new QLabel(this);
    picture->setPixmap(s.image);
    picture->setGeometry(s.picture);
    // Read-only, borderless and disabled: the text takes no focus.
    blocks_[i] = new QLabel(SectionLines(i + 1).join(QLatin1Char('\n')), this);
    blocks_[i]->setGeometry(s.block);
    blocks_[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    blocks_[i]->setEnabled(false);
    QPalette bp = blocks_[i]->palette();
    bp.setColor(QPalette::Disabled, QPalette::WindowText, Qt::black);
    blocks_[i]->setPalette(bp);
  }
}

}  // namespace kt
