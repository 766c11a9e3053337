#pragma once
// A window opened over the main window with ShowDialog; its close box and
// Escape hand it back through CloseDialog.

#include <QWidget>

#include <functional>

namespace kt {

class TDialogWindow : public QWidget {
 public:
  explicit TDialogWindow(Qt::WindowFlags flags = Qt::Tool) : QWidget(nullptr, flags) {}
  // Called when the dialog closes in any way (the main window's CloseDialog).
  std::function<void(QWidget*)> OnCloseDialog;
  void CloseDialog() {
    if (OnCloseDialog) OnCloseDialog(this);
    else hide();
  }

 protected:
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
};

}  // namespace kt
