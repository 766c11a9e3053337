#include "app/TForm9.h"

#include "app/Artwork.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

namespace kt {

QString TForm9::BuildLine(const QDateTime& modified) {
  const QLocale locale = QLocale::system();
  // The long time format without a time-zone part, as a clock shows it.
  QString timeFormat = locale.timeFormat(QLocale::LongFormat);
  timeFormat.remove(QLatin1Char('t')).replace(QStringLiteral("  "), QStringLiteral(" "));
  return QStringLiteral("Compiled ") + locale.toString(modified.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
         modified.time().toString(timeFormat.trimmed());
}

TForm9::TForm9(const std::filesystem::path& programFile) {
  setObjectName(QStringLiteral("TForm9"));
  setFont(art::DesignFont());
  setWindowTitle(QStringLiteral("About..."));
  setFixedSize(386, 257);

  auto* panel = new QFrame(this);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setGeometry(8, 8, 369, 201);
  auto* icon = new QLabel(panel);
  icon->setPixmap(art::ProgramIcon().pixmap(33, 33));
  icon->setGeometry(16, 16, 33, 33);
  auto* name = new QLabel(QStringLiteral("Varnik's Klangtruhe 2.0 alpha"), panel);
  QFont nameFont(QStringLiteral("Liberation Serif"));
  nameFont.setPixelSize(16);
  nameFont.setBold(true);
  name->setFont(nameFont);
  name->setAlignment(Qt::AlignHCenter);
  name->setGeometry(64, 22, 269, 20);
  // The build line: when the program file on disk was last changed.
  build_ = new QLabel(BuildLine(QFileInfo(QString::fromStdString(programFile.string())).lastModified()), panel);
  QFont buildFont(QStringLiteral("Liberation Sans Narrow"));
  buildFont.setPixelSize(9);
  build_->setFont(buildFont);
  build_->setAlignment(Qt::AlignRight);
  build_->setGeometry(134, 39, 200, 12);
  auto* notice = new QLabel(QStringLiteral("Eine Jukebox für große MP3-Sammlungen.\n"
                                           "Dieses Programm wird ohne jede Gewährleistung bereitgestellt."),
                            panel);
  notice->setAlignment(Qt::AlignHCenter);
  notice->setGeometry(16, 120, 337, 40);

  auto* line = new QFrame(this);
  line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  line->setGeometry(8, 216, 369, 2);
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setGeometry(8, 224, 75, 25);
  cancel_ = new QPushButton(QStringLiteral("Abbrechen"), this);
  cancel_->setGeometry(88, 224, 75, 25);
  connect(ok_, &QPushButton::clicked, this, [this] { CloseDialog(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { CloseDialog(); });
}

}  // namespace kt
