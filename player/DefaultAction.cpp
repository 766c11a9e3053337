#include "player/DefaultAction.h"

namespace kt {

TTargetCheck CheckTargetFolder(std::string_view text, const std::function<bool(std::string_view)>& exists) {
  if (!text.empty() && text.back() == '\\') text.remove_suffix(1);
  TTargetCheck r{std::string(text), TTargetVerdict::NoDrive};
  if (text.empty()) return r;
  if (exists(text)) {
    r.Verdict = TTargetVerdict::Exists;
    return r;
  }
  const size_t slash = text.find('\\');
  if (slash != std::string_view::npos && slash > 0 && exists(text.substr(0, slash)))
    r.Verdict = TTargetVerdict::AskCreate;
  return r;
}

}  // namespace kt
