#pragma once
// Message boxes and the folder picker, as the logic asks for them. The
// program shows real dialogs; tests script the answers and read back every
// box that was shown.

#include <QObject>

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kt {

enum class TButtons { Ok, YesNo, RetryCancel };
enum class TAnswer { Ok, Yes, No, Retry, Cancel };

class IDialogService {
 public:
  virtual ~IDialogService() = default;
  // owner: the window the box belongs to, or null for none. Texts are Windows-1252.
  virtual TAnswer MessageBox(QObject* owner, std::string_view text, std::string_view caption, TButtons buttons) = 0;
  // A folder chosen by the user (catalog form), or nothing when cancelled.
  virtual std::optional<std::string> BrowseFolder(QObject* owner, std::string_view title, std::string_view start) = 0;
};

// Answers from a script, in order; records every box.
class TScriptedDialogs : public IDialogService {
 public:
  struct TShownBox {
    std::string Owner;  // the owner's object name, "" for none
    std::string Text, Caption;
    TButtons Buttons;
  };

  void Answer(TAnswer a) { answers_.push_back(a); }
  void AnswerFolder(std::optional<std::string> folder) { folders_.push_back(std::move(folder)); }

  TAnswer MessageBox(QObject* owner, std::string_view text, std::string_view caption, TButtons buttons) override {
    shown.push_back({owner ? owner->objectName().toStdString() : std::string(), std::string(text),
                     std::string(caption), buttons});
    if (!answers_.empty()) {
      const TAnswer a = answers_.front();
      answers_.pop_front();
      return a;
    }
    // Unscripted: the first button.
    return buttons == TButtons::YesNo ? TAnswer::Yes : buttons == TButtons::RetryCancel ? TAnswer::Retry : TAnswer::Ok;
  }
  std::optional<std::string> BrowseFolder(QObject*, std::string_view, std::string_view) override {
    if (folders_.empty()) return std::nullopt;
    auto f = folders_.front();
    folders_.pop_front();
    return f;
  }

  std::vector<TShownBox> shown;

 private:
  std::deque<TAnswer> answers_;
  std::deque<std::optional<std::string>> folders_;
};

}  // namespace kt
