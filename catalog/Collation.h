#pragma once
// Locale collation of Windows-1252 texts through ICU.
//
// Two orders are in use: the folder tree's, which sees letter case, and the
// case-blind one of the search-path list and the indexing run. Both count
// punctuation as characters (a ":" sorts before digits and letters, a blank
// before a backslash). Sorting many texts goes through sort keys, made once
// per text: two keys compare as unsigned byte strings exactly as Compare
// compares their texts.

#include <memory>
#include <string>
#include <string_view>

struct UCollator;

namespace kt {

class TCollator {
 public:
  // de_DE, tertiary strength, lower case first, punctuation not ignorable:
  // letters compare alphabetically first and letter case only breaks ties,
  // lower case before upper case.
  static TCollator FolderTree();
  // de_DE, secondary strength, punctuation not ignorable: letter case is
  // ignored, accents are not (but "Ž" still sorts among the Z).
  static TCollator CaseBlind();

  TCollator(TCollator&&) noexcept;
  TCollator& operator=(TCollator&&) noexcept;
  ~TCollator();

  // The sort key of a Windows-1252 text, without ICU's terminating zero.
  std::string SortKey(std::string_view cp1252) const;
  // Appends the sort key to out (for keeping many keys in one buffer).
  void AppendSortKey(std::string_view cp1252, std::string& out) const;
  // Negative, zero or positive as a sorts before, with or after b.
  int Compare(std::string_view a, std::string_view b) const;

 private:
  struct Closer {
    void operator()(UCollator* c) const;
  };
  explicit TCollator(std::unique_ptr<UCollator, Closer> collator);
  std::unique_ptr<UCollator, Closer> collator_;
};

}  // namespace kt
