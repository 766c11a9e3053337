#pragma once
// The default-action dialog: which entry of the result list's context menu
// is the default (play, enqueue or copy), and the folder copies go to.

#include "app/TDialogWindow.h"
#include "platform/DialogService.h"
#include "platform/Paths.h"
#include "player/DefaultAction.h"

#include <functional>
#include <string>
#include <string_view>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kt {

class TForm7 : public TDialogWindow {
 public:
  // menuDefault: the context menu's entry in bold type; markMenuDefault makes
  // one the bold entry.
  TForm7(IDialogService& dialogs, const TPathMapper& paths, std::function<TDefaultAction()> menuDefault,
         std::function<void(TDefaultAction)> markMenuDefault);

  // Without a player there is nothing to choose: OK and Abbrechen only close.
  bool NoPlayer = false;
  // Party mode: nothing is copied.
  void DisableCopyTo();
  // The folder field in catalog form, read at every copy.
  std::string TargetFolder() const;
  void SetTargetFolder(const std::string& catalogForm);
  TDefaultAction Choice() const;

  // Handlers.
  void FormShow();
  void FormActivate();
  void RadioButton1Click();
  void RadioButton2Click();
  void RadioButton3Click();
  void Button5Click();  // browse
  void Button1Click();  // OK
  void Button2Click();  // Abbrechen; also Escape and the close box

  QRadioButton *RadioButton1, *RadioButton2, *RadioButton3;
  QLineEdit* Edit1;
  QPushButton *Button5, *Button1, *Button2;

 protected:
  void showEvent(QShowEvent* e) override;
  void changeEvent(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  QRadioButton* RadioOf(TDefaultAction a) const;
  void EnableTarget(bool on);
  bool FolderExists(std::string_view catalogPath) const;

  IDialogService& dialogs_;
  const TPathMapper& paths_;
  std::function<TDefaultAction()> menuDefault_;
  std::function<void(TDefaultAction)> markMenuDefault_;
};

}  // namespace kt
