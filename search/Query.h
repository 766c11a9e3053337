#pragma once
// Queries from the search field: the search history, the index lookup
// ("#" and the digits of an index number), the folded text search over the
// catalog's search keys, the search-progress cursor and the hits line.

#include "catalog/Catalog.h"
#include "catalog/LineList.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kt {

class TResultList;

// The drop-down list of the search field: at most ten texts, the most recent
// first, each as it was typed. A text is looked up without regard to ASCII
// letter case and exactly otherwise.
class TSearchHistory {
 public:
  static constexpr size_t kMaxItems = 10;

  // Enters the text of a query (the empty text too). A text not yet there
  // goes on top and the eleventh falls off; a text found further down moves
  // to the top as typed now; a text found on top changes nothing. Returns
  // whether the list changed.
  bool Add(std::string_view text);
  const std::vector<std::string>& Items() const { return items_; }
  void Clear() { items_.clear(); }

 private:
  std::vector<std::string> items_;
};

// Application cursor ids of a query: the normal arrow and the first of the
// sixteen search-progress frames.
inline constexpr int kArrowCursor = 0;
inline constexpr int kFirstSearchCursor = 102;

// The frame the search-progress cursor shows after done of total keys:
// 102 + 4q + s for p = done * 100 / total, q = p div 25 and s the quarter of
// p - 25q (0-6, 7-12, 13-18, 19-24). Nothing (the cursor keeps its frame)
// once p reaches 100, and for total 0.
std::optional<int> SearchProgressCursor(size_t done, size_t total);

// Sets the cursor through a sink as a query walks over its keys, calling the
// sink only when the frame changes: the cursor ids are those of
// SearchProgressCursor(done, total) for done = 1 .. total, with repeats left
// out. The frame changes at most sixteen times, so a pass over a million keys
// asks NextChange() where to stop rather than calling per key.
class TSearchProgress {
 public:
  using TSink = std::function<void(int cursorId)>;

  TSearchProgress(size_t total, TSink sink);
  // The next key number (0-based) before whose test the frame changes, or
  // total when it does not change any more.
  size_t NextChange() const { return next_; }
  // To be called before key `key` is tested; reports a frame change that
  // falls on this key. Keys skipped since the last call report nothing of
  // their own, so the pass calls this at each NextChange().
  void Reach(size_t key);

 private:
  size_t FindNext(size_t from) const;

  size_t total_;
  TSink sink_;
  int shown_ = -1;
  size_t next_;
};

// Calls hit(k) for every key k in [first, last) of keys that contains pattern
// (byte for byte), in order, each key once. One memmem pass over the keys'
// buffer: after a hit the search goes on at the start of the next key. The
// empty pattern occurs nowhere.
void ForEachKeyContaining(const TLineList& keys, std::string_view pattern, size_t first, size_t last,
                          const std::function<void(size_t)>& hit);

// What the search field does after a query.
struct TQueryOutcome {
  enum class TKind {
    IndexLookup,  // "#" and DigitCount characters: one track by its number
    TextSearch,   // the folded text looked for in every search key
  };
  TKind Kind = TKind::TextSearch;
  // Text of an error box to show (caption "Fehler", button OK), Windows-1252;
  // empty for none.
  std::string Message;
  // Entries in the result list afterwards.
  size_t Hits = 0;

  bool IsTextSearch() const { return Kind == TKind::TextSearch; }
};

inline constexpr const char* kIndexInvalidMessage = "Die angegebene Indexnummer ist ung\xFCltig!";
std::string IndexDigitsMessage(int digitCount);

// Runs the query for the search text t (Windows-1252, the history already
// updated): suspends the list's views, clears the list and fills it, resumes
// the views.
//
// - t of exactly digitCount + 1 characters starting with "#": the index
//   lookup. Digits only: the track line of that number, or the "ungültig"
//   message when there is no such track; anything else among them: the
//   message about the number of digits. The cursor is not touched.
// - Otherwise the text search for FoldSearchKey(t): every track whose key
//   holds the pattern, in catalog order. The cursor steps through the
//   search-progress frames and ends on the arrow (id 0).
//
// After a text search the form selects entry 0 and puts the caret on it when
// there are hits (caret -1 otherwise) and sets the hits line; after an index
// lookup it does neither.
//
// digitCount 0: "#" alone would be an index number without digits. There is
// no index lookup then; "#" is an ordinary search text, which folds to the
// empty pattern and finds nothing. The same holds for a negative count.
// digitCount 10 and more: the digits are read into 64 bits; a number too large
// for that is larger than any track count and so "ungültig", never a wrapped
// small number.
TQueryOutcome RunQuery(std::string_view t, const TCatalog& catalog, int digitCount, TResultList& list,
                       const TSearchProgress::TSink& cursor = {});

// "N Hits (Datenbankgröße: M Tracks)", Windows-1252.
std::string HitsLine(size_t hits, size_t databaseSize);

}  // namespace kt
