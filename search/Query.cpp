#include "search/Query.h"

#include "platform/Cp1252.h"
#include "search/FoldSearchKey.h"
#include "search/ResultList.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <utility>

namespace kt {

// ---------------------------------------------------------------- history

bool TSearchHistory::Add(std::string_view text) {
  auto found = std::find_if(items_.begin(), items_.end(),
                            [&](const std::string& item) { return AsciiEqualsIgnoreCase(item, text); });
  if (found == items_.begin() && found != items_.end()) return false;  // already on top: kept as it was typed then
  if (found != items_.end()) items_.erase(found);
  items_.insert(items_.begin(), std::string(text));
  while (items_.size() > kMaxItems) items_.pop_back();
  return true;
}

// ---------------------------------------------------------------- progress cursor

namespace {

using u128 = unsigned __int128;  // done * 100 for any size_t

// The percentage at which frame f (0 .. 15) begins.
size_t FrameStart(int f) {
  static constexpr size_t kQuarterSteps[4] = {0, 7, 13, 19};
  return size_t(25 * (f / 4)) + kQuarterSteps[f % 4];
}

}  // namespace

std::optional<int> SearchProgressCursor(size_t done, size_t total) {
  if (total == 0) return std::nullopt;
  const size_t p = size_t(u128(done) * 100 / total);
  if (p >= 100) return std::nullopt;
  const int q = int(p / 25);
  const int r = int(p) - 25 * q;
  const int s = r <= 6 ? 0 : r <= 12 ? 1 : r <= 18 ? 2 : 3;
  return kFirstSearchCursor + 4 * q + s;
}

TSearchProgress::TSearchProgress(size_t total, TSink sink) : total_(total), sink_(std::move(sink)) {
  next_ = FindNext(0);
}

size_t TSearchProgress::FindNext(size_t from) const {
  // The first key at or after from whose frame (that of done = key + 1)
  // differs from the one shown. Frames only grow with done, so that is where the
  // percentage reaches the start of the next frame.
  size_t done = from + 1;
  if (shown_ >= 0) {
    const int f = shown_ - kFirstSearchCursor;
    if (f >= 15) return total_;
    // Smallest d with d * 100 / total >= start, that is d * 100 >= start * total.
    const size_t start = FrameStart(f + 1);
    const size_t d = size_t((u128(start) * total_ + 99) / 100);
    done = std::max(done, d);
  }
  // From p = 100 on, the frame stays.
  if (done >= total_) return total_;
  return done - 1;
}

void TSearchProgress::Reach(size_t key) {
  if (key < next_ || key >= total_) return;
  if (const std::optional<int> frame = SearchProgressCursor(key + 1, total_); frame && *frame != shown_) {
    shown_ = *frame;
    if (sink_) sink_(shown_);
  }
  next_ = FindNext(key + 1);
}

// ---------------------------------------------------------------- key scan

namespace {

// The last key in [k, last) that starts at or before off, given that key k
// does. Gallops from k, so a hit in the next key (dense hits, as with "*")
// costs one comparison, and a hit far ahead a few dozen.
size_t KeyAtOffset(const TLineList& keys, size_t k, size_t last, size_t off) {
  size_t lo = k, step = 1;
  while (step < last - lo && keys.Offset(lo + step) <= off) {
    lo += step;
    step *= 2;
  }
  size_t hi = std::min(last, lo + step);  // keys.Offset(hi) > off, or hi == last
  while (hi - lo > 1) {
    const size_t mid = lo + (hi - lo) / 2;
    if (keys.Offset(mid) <= off)
      lo = mid;
    else
      hi = mid;
  }
  return lo;
}

template <class Hit>
void ScanKeys(const TLineList& keys, std::string_view pattern, size_t first, size_t last, Hit&& hit) {
  last = std::min(last, keys.size());
  if (pattern.empty() || first >= last) return;
  const char* const base = keys.Bytes().data();
  const size_t m = pattern.size();
  const size_t end = last < keys.size() ? keys.Offset(last) : keys.Bytes().size();
  size_t k = first;
  size_t pos = keys.Offset(first);
  while (end - pos >= m) {
    const void* found = memmem(base + pos, end - pos, pattern.data(), m);
    if (!found) return;
    const size_t off = size_t(static_cast<const char*>(found) - base);
    k = KeyAtOffset(keys, k, last, off);
    if (off + m > keys.Offset(k) + keys[k].size()) {
      // A run across a line end. A folded pattern never holds a line-end
      // byte, so this does not happen in a query; stay correct for any pattern.
      pos = off + 1;
      continue;
    }
    hit(k);
    if (++k >= last) return;
    pos = keys.Offset(k);
  }
}

}  // namespace

void ForEachKeyContaining(const TLineList& keys, std::string_view pattern, size_t first, size_t last,
                          const std::function<void(size_t)>& hit) {
  ScanKeys(keys, pattern, first, last, [&](size_t k) { hit(k); });
}

// ---------------------------------------------------------------- query

std::string IndexDigitsMessage(int digitCount) {
  return "Die angegebene Indexnummer ist nicht " + std::to_string(digitCount) + "stellig!";
}

namespace {

// The index lookup, on a list already suspended and cleared.
void LookUpIndex(std::string_view digits, const TCatalog& catalog, int digitCount, TResultList& list,
                 TQueryOutcome& out) {
  out.Kind = TQueryOutcome::TKind::IndexLookup;
  uint64_t n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') {
      out.Message = IndexDigitsMessage(digitCount);
      return;
    }
    // Saturates: a number beyond 64 bits is beyond every track count as well.
    const unsigned d = unsigned(c - '0');
    n = n > (UINT64_MAX - d) / 10 ? UINT64_MAX : n * 10 + d;
  }
  if (n < catalog.Tracks.size() && list.AppendTrack(size_t(n)))
    return;
  out.Message = kIndexInvalidMessage;
}

}  // namespace

TQueryOutcome RunQuery(std::string_view t, const TCatalog& catalog, int digitCount, TResultList& list,
                       const TSearchProgress::TSink& cursor) {
  TQueryOutcome out;
  list.BeginUpdate();
  if (list.Catalog() != &catalog)
    list.SetCatalog(&catalog);
  else
    list.Clear();

  if (digitCount >= 1 && t.size() == size_t(digitCount) + 1 && t[0] == '#') {
    LookUpIndex(t.substr(1), catalog, digitCount, list, out);
    out.Hits = list.size();
    list.EndUpdate();
    return out;
  }

  out.Kind = TQueryOutcome::TKind::TextSearch;
  const std::string pattern = FoldSearchKey(t);
  const TLineList& keys = catalog.Keys;
  const size_t total = keys.size();
  // Only keys that have their track line (and that a view can count) give entries.
  const size_t searchable = std::min({total, catalog.Tracks.size(), size_t(INT_MAX), size_t(UINT32_MAX)});
  TResultListFiller fill(list);
  TSearchProgress progress(total, cursor);
  // The pass stops at each key where the progress frame changes, so the
  // cursor steps as the keys are tested, with no call per key.
  for (size_t key = 0; key < total;) {
    progress.Reach(key);
    const size_t stop = progress.NextChange();
    if (!pattern.empty() && key < searchable)
      ScanKeys(keys, pattern, key, std::min(stop, searchable), [&](size_t k) { fill.Append(k); });
    key = stop;
  }
  if (cursor) cursor(kArrowCursor);
  out.Hits = list.size();
  list.EndUpdate();
  return out;
}

std::string HitsLine(size_t hits, size_t databaseSize) {
  return std::to_string(hits) + " Hits (Datenbankgr\xF6\xDF" "e: " + std::to_string(databaseSize) + " Tracks)";
}

}  // namespace kt
