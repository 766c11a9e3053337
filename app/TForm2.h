#pragma once
// The search-path dialog: the folders the catalog covers, each with its
// mode, and the start of the indexing run.

#include "app/TDialogWindow.h"
#include "catalog/SearchPathList.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kt {

class TForm1;
class TScan;

class TForm2 : public TDialogWindow {
 public:
  TForm2(TForm1& main, TScan& scan);

  // Handlers.
  void FormShow();
  void Button2Click();  // add; also Return in Edit1
  void Button3Click();  // remove
  void Button5Click();  // browse
  void Button1Click();  // OK
  void Button4Click();  // cancel
  void RunIndexing();

  bool PathsChanged = false;
  TSearchPathList List;

  QLineEdit* Edit1;
  QPushButton *Button1, *Button2, *Button3, *Button4, *Button5;
  QListWidget* pfade;
  QCheckBox* CheckBox1;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void MarkChanged();
  void FillList();
  void LoadFromFile();
  bool FolderExists(std::string_view catalogPath) const;

  TForm1& main_;
  TScan& scan_;
  bool filling_ = false;
};

}  // namespace kt
