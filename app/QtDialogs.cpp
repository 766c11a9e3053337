#include "app/QtDialogs.h"

#include "platform/Cp1252.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>

namespace kt {

namespace {

// For tests that drive the real program from outside: with
// KLANGTRUHE_DIALOG_LOG set, no box is shown; each one is written as a line
// "caption<TAB>owner<TAB>text" (UTF-8, line ends as \n) to that file and
// answered from KLANGTRUHE_DIALOG_ANSWERS ("Yes,No,Ok,...", in order; the
// first button when the list runs out).
bool LogInsteadOfShowing(QObject* owner, std::string_view text, std::string_view caption, TButtons buttons,
                         TAnswer& answer) {
  const char* log = std::getenv("KLANGTRUHE_DIALOG_LOG");
  if (!log || !*log) return false;
  static QStringList answers = QString::fromUtf8(std::getenv("KLANGTRUHE_DIALOG_ANSWERS")).split(
      QLatin1Char(','), Qt::SkipEmptyParts);
  QString body = FromCp1252(text);
  body.replace(QStringLiteral("\r\n"), QStringLiteral("\\n")).replace(QLatin1Char('\n'), QStringLiteral("\\n"));
  const QString line = FromCp1252(caption) + QLatin1Char('\t') + (owner ? owner->objectName() : QString()) +
                       QLatin1Char('\t') + body + QLatin1Char('\n');
  if (FILE* f = std::fopen(log, "a")) {
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.data(), 1, size_t(bytes.size()), f);
    std::fclose(f);
  }
  const QString a = answers.isEmpty() ? QString() : answers.takeFirst();
  if (a == QLatin1String("No")) answer = TAnswer::No;
  else if (a == QLatin1String("Cancel")) answer = TAnswer::Cancel;
  else if (a == QLatin1String("Yes")) answer = TAnswer::Yes;
  else if (a == QLatin1String("Retry")) answer = TAnswer::Retry;
  else answer = buttons == TButtons::YesNo ? TAnswer::Yes : buttons == TButtons::RetryCancel ? TAnswer::Retry : TAnswer::Ok;
  return true;
}

}  // namespace

TAnswer TQtDialogs::MessageBox(QObject* owner, std::string_view text, std::string_view caption, TButtons buttons) {
  if (TAnswer a; LogInsteadOfShowing(owner, text, caption, buttons, a)) return a;
  QWidget* parent = qobject_cast<QWidget*>(owner);
  const bool question = buttons == TButtons::YesNo;
  QMessageBox box(question ? QMessageBox::Question : caption == "Fehler" ? QMessageBox::Critical
                                                                          : QMessageBox::Information,
                  FromCp1252(caption), FromCp1252(text), QMessageBox::NoButton, parent);
  QPushButton* first = nullptr;
  QPushButton* second = nullptr;
  switch (buttons) {
    case TButtons::Ok: first = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole); break;
    case TButtons::YesNo:
      first = box.addButton(QStringLiteral("Ja"), QMessageBox::YesRole);
      second = box.addButton(QStringLiteral("Nein"), QMessageBox::NoRole);
      break;
    case TButtons::RetryCancel:
      first = box.addButton(QStringLiteral("Wiederholen"), QMessageBox::AcceptRole);
      second = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
      break;
  }
  box.setDefaultButton(first);
  if (second) box.setEscapeButton(second);
  box.exec();
  const bool tookFirst = box.clickedButton() == first || (!second && box.clickedButton() == nullptr);
  switch (buttons) {
    case TButtons::Ok: return TAnswer::Ok;
    case TButtons::YesNo: return tookFirst ? TAnswer::Yes : TAnswer::No;
    case TButtons::RetryCancel: return tookFirst ? TAnswer::Retry : TAnswer::Cancel;
  }
  return TAnswer::Ok;
}

std::optional<std::string> TQtDialogs::BrowseFolder(QObject* owner, std::string_view title, std::string_view start) {
  const QString startNative = start.empty() ? QString() : QString::fromStdString(paths_.ToNative(start).string());
  const QString chosen = QFileDialog::getExistingDirectory(qobject_cast<QWidget*>(owner), FromCp1252(title),
                                                           startNative, QFileDialog::ShowDirsOnly);
  if (chosen.isEmpty()) return std::nullopt;
  return paths_.ToCatalog(std::filesystem::path(chosen.toStdString()));
}

}  // namespace kt
