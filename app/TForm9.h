#pragma once
// The about window: product name, build line and a notice.

#include "app/TDialogWindow.h"

#include <QDateTime>
#include <filesystem>

class QLabel;
class QPushButton;

namespace kt {

class TForm9 : public TDialogWindow {
 public:
  explicit TForm9(const std::filesystem::path& programFile);
  // "Compiled " + the date in the short date format + " " + the time in the long time format.
  static QString BuildLine(const QDateTime& modified);
  QLabel* BuildLabel() const { return build_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  QLabel* build_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace kt
