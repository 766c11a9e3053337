#pragma once
// The default action of the result list's context menu (the entry in bold
// type, what a double click does) and the check of the folder "copy to"
// puts the files into.

#include <functional>
#include <string>
#include <string_view>

namespace kt {

enum class TDefaultAction { Play = 0, Enqueue = 1, CopyTo = 2 };

enum class TTargetVerdict {
  Exists,     // the folder is there
  AskCreate,  // missing, but its drive is there: it may be created
  NoDrive,    // missing, and so is its drive (or it names none)
};

struct TTargetCheck {
  std::string Text;  // the folder without one trailing "\", for the field
  TTargetVerdict Verdict;
};

// text: the folder field in catalog form (Windows-1252); exists: whether a
// catalog-form folder exists. The drive is what stands before the first "\".
TTargetCheck CheckTargetFolder(std::string_view text, const std::function<bool(std::string_view)>& exists);

}  // namespace kt
