#include "app/TDialogWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace kt {

void TDialogWindow::closeEvent(QCloseEvent* e) {
  // The window is hidden, never destroyed: it lives as long as the program.
  e->ignore();
  CloseDialog();
}

void TDialogWindow::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    e->accept();  // swallowed
    CloseDialog();
    return;
  }
  QWidget::keyPressEvent(e);
}

}  // namespace kt
