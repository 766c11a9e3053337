#pragma once
// The search-path list as the search-path dialog edits it: the entries of
// "Pfade.txt" in a normalised order, sub-folders behind their parent folder
// and indented under it by four blanks per level.
//
// The dialog shows entries() in a check-list box (checked pmIndex, unchecked
// pmSkip, grey pmAtEnd) and calls the operations below; nothing here writes
// "Pfade.txt" except Save, which the indexing run calls at its start.

#include "catalog/CatalogFiles.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace kt {

enum class TAddOutcome {
  Added,
  Missing,        // the folder does not exist
  AlreadyListed,  // an entry holds the folder already
};

struct TAddResult {
  TAddOutcome Outcome = TAddOutcome::Added;
  // What the dialog's text field shows afterwards: the typed text without
  // its one trailing backslash when refused, empty when added.
  std::string FieldText;
};

// The message box text for a refused folder ("Fehler", OK); empty for Added.
std::string_view AddOutcomeMessage(TAddOutcome outcome);

// The mode a click on an entry's box gives: unchecked (pmSkip) -> grey
// (pmAtEnd) -> checked (pmIndex) -> unchecked.
TSearchPathMode NextSearchPathMode(TSearchPathMode mode);

// Puts the entries in the dialog's order:
// 1. every text loses its bytes of value 32 or less at both ends (the old
//    indentation with them); fewer than two entries end here;
// 2. a stable sort, each entry with its mode, by the case-blind collation
//    (a blank sorts before a backslash: "d:\x (y)" before "d:\x\y");
// 3. indent: for every i and every later j, an entry j whose text contains
//    the text of i followed by a backslash, anywhere, gets four blanks in
//    front; both texts as they are at that moment, so a folder k levels deep
//    ends with 4 * k blanks;
// 4. one regroup pass carrying an entry that the sort put between a folder
//    and its sub-folders down behind them: root := text 0 + "\"; for k from
//    1 to n - 2, if text k lacks root and text k + 1 holds it, swap entries
//    k and k + 1 and keep root, else root := text k + 1.
// The indent step compares every pair of entries, quadratic in their number;
// a search-path list has tens of entries, typed in by hand, so that is cheap.
void NormalizeSearchPaths(std::vector<TSearchPath>& entries);

class TSearchPathList {
 public:
  TSearchPathList() = default;
  explicit TSearchPathList(std::vector<TSearchPath> entries) : entries_(std::move(entries)) {}

  // The entries of the file as they stand there (not normalised); a missing
  // file gives an empty list.
  void Load(const std::filesystem::path& file);
  bool Save(const std::filesystem::path& file, std::error_code& ec) const;

  const std::vector<TSearchPath>& entries() const { return entries_; }
  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

  // Adds a folder typed or picked in the dialog: one trailing backslash goes
  // (d:\ becomes d:); a folder for which folderExists is false is refused
  // (an empty callback counts every folder as missing); so is a folder that
  // some entry, trimmed of bytes of value 32 or less, equals exactly once
  // the folder is lower-cased in ASCII. Otherwise the lower-cased folder is
  // appended with mode pmIndex and the list normalised.
  TAddResult Add(std::string text, const std::function<bool(std::string_view catalogPath)>& folderExists);
  // Deletes the entry and normalises; false (and no change) for an index
  // outside the list.
  bool Remove(size_t index);
  // Moves the entry's mode one step along NextSearchPathMode; false for an
  // index outside the list.
  bool CycleMode(size_t index);
  void Normalize() { NormalizeSearchPaths(entries_); }

 private:
  std::vector<TSearchPath> entries_;
};

}  // namespace kt
