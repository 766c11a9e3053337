#pragma once
// The help window: the index-number search, the keys of the search field and
// the caption buttons.

#include "app/TDialogWindow.h"

#include <QStringList>

class QLabel;

namespace kt {

class TForm13 : public TDialogWindow {
 public:
  TForm13();
  static QStringList SectionLines(int section);  // 1 … 3
  QLabel* TextBlock(int section) const { return blocks_[section - 1]; }

 private:
  QLabel* blocks_[3];
};

}  // namespace kt
