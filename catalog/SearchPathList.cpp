#include "catalog/SearchPathList.h"

#include "catalog/Collation.h"
#include "platform/Cp1252.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace kt {
namespace {

bool IsBlank(char c) { return (unsigned char)c <= 32; }

std::string_view Trimmed(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

const TCollator& CaseBlindCollator() {
  static const TCollator collator = TCollator::CaseBlind();
  return collator;
}

}  // namespace

std::string_view AddOutcomeMessage(TAddOutcome outcome) {
  switch (outcome) {
    case TAddOutcome::Added: return {};
    case TAddOutcome::Missing: return "Das angegebene Verzeichnis existiert nicht!";
    case TAddOutcome::AlreadyListed: return "Das angegebene Verzeichnis ist bereits eingetragen!";
  }
  return {};
}

TSearchPathMode NextSearchPathMode(TSearchPathMode mode) {
  switch (mode) {
    case TSearchPathMode::pmSkip: return TSearchPathMode::pmAtEnd;
    case TSearchPathMode::pmAtEnd: return TSearchPathMode::pmIndex;
    case TSearchPathMode::pmIndex: return TSearchPathMode::pmSkip;
  }
  return TSearchPathMode::pmSkip;
}

void NormalizeSearchPaths(std::vector<TSearchPath>& entries) {
  for (TSearchPath& e : entries) {
    const std::string_view t = Trimmed(e.Text);
    if (t.size() != e.Text.size()) e.Text = std::string(t);
  }
  const size_t n = entries.size();
  if (n < 2) return;

  // Sort through sort keys, one per entry; stable, so entries that compare
  // equal keep their order.
  const TCollator& collator = CaseBlindCollator();
  std::vector<std::string> keys(n);
  for (size_t i = 0; i < n; ++i) keys[i] = collator.SortKey(entries[i].Text);
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
  std::vector<TSearchPath> sorted;
  sorted.reserve(n);
  for (size_t i : order) sorted.push_back(std::move(entries[i]));
  entries = std::move(sorted);

  // Indent: every pair, texts as they stand at that moment.
  for (size_t i = 0; i + 1 < n; ++i) {
    const std::string parent = entries[i].Text + '\\';
    for (size_t j = i + 1; j < n; ++j)
      if (Contains(entries[j].Text, parent)) entries[j].Text.insert(0, 4, ' ');
  }

  // Regroup, one pass.
  std::string root = entries[0].Text + '\\';
  for (size_t k = 1; k + 1 < n; ++k) {
    if (!Contains(entries[k].Text, root) && Contains(entries[k + 1].Text, root))
      std::swap(entries[k], entries[k + 1]);
    else
      root = entries[k + 1].Text;
  }
}

void TSearchPathList::Load(const std::filesystem::path& file) { entries_ = ReadSearchPathFile(file); }

bool TSearchPathList::Save(const std::filesystem::path& file, std::error_code& ec) const {
  return WriteSearchPathFile(file, entries_, ec);
}

TAddResult TSearchPathList::Add(std::string text,
                                const std::function<bool(std::string_view catalogPath)>& folderExists) {
  if (!text.empty() && text.back() == '\\') text.pop_back();
  if (!folderExists || !folderExists(text)) return {TAddOutcome::Missing, std::move(text)};
  std::string lowered = AsciiLower(text);
  for (const TSearchPath& e : entries_)
    if (Trimmed(e.Text) == lowered) return {TAddOutcome::AlreadyListed, std::move(text)};
  entries_.push_back({std::move(lowered), TSearchPathMode::pmIndex});
  Normalize();
  return {TAddOutcome::Added, {}};
}

bool TSearchPathList::Remove(size_t index) {
  if (index >= entries_.size()) return false;
  entries_.erase(entries_.begin() + std::ptrdiff_t(index));
  Normalize();
  return true;
}

bool TSearchPathList::CycleMode(size_t index) {
  if (index >= entries_.size()) return false;
  entries_[index].Mode = NextSearchPathMode(entries_[index].Mode);
  return true;
}

}  // namespace kt
