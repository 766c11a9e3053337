#pragma once
// Message boxes and the folder picker of the running program.

#include "platform/DialogService.h"
#include "platform/Paths.h"

namespace kt {

class TQtDialogs : public IDialogService {
 public:
  explicit TQtDialogs(const TPathMapper& paths) : paths_(paths) {}
  TAnswer MessageBox(QObject* owner, std::string_view text, std::string_view caption, TButtons buttons) override;
  std::optional<std::string> BrowseFolder(QObject* owner, std::string_view title, std::string_view start) override;

 private:
  const TPathMapper& paths_;
};

}  // namespace kt
