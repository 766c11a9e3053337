#include "catalog/LineList.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace kt {

TLineList::TLineList(std::initializer_list<std::string_view> lines) {
  for (std::string_view l : lines) Append(l);
}

TLineList TLineList::FromText(std::string text) {
  TLineList list;
  const size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  list.bytes_ = std::move(text);
  const char* const base = list.bytes_.data();
  const size_t n = list.bytes_.size();
  // Positions of the next CR and the next LF, each searched again only once
  // the scan has passed it, so the split stays linear.
  auto find = [&](char c, size_t from) {
    const void* hit = std::memchr(base + from, c, n - from);
    return hit ? size_t(static_cast<const char*>(hit) - base) : n;
  };
  size_t nextCr = find('\r', 0), nextLf = find('\n', 0);
  size_t start = 0;
  while (start < n) {
    if (nextCr < start) nextCr = find('\r', start);
    if (nextLf < start) nextLf = find('\n', start);
    const size_t stop = std::min(nextCr, nextLf);
    list.spans_.push_back({start, stop - start});
    if (stop == n) break;
    start = stop + 1;
    if (base[stop] == '\r' && start < n && base[start] == '\n') ++start;
  }
  return list;
}

std::string_view TLineList::at(size_t i) const {
  if (i >= spans_.size()) throw std::out_of_range("TLineList::at");
  return (*this)[i];
}

void TLineList::Append(std::string_view line) {
  spans_.push_back({bytes_.size(), line.size()});
  bytes_.append(line);
  bytes_ += '\n';
}

void TLineList::Reserve(size_t lines, size_t bytes) {
  spans_.reserve(lines);
  bytes_.reserve(bytes);
}

void TLineList::Clear() {
  bytes_.clear();
  spans_.clear();
}

size_t TLineList::LineAtOffset(size_t offset) const {
  auto it = std::upper_bound(spans_.begin(), spans_.end(), offset,
                             [](size_t off, const Span& s) { return off < s.offset; });
  if (it == spans_.begin()) return size();
  --it;
  if (offset >= it->offset + it->length) return size();
  return size_t(it - spans_.begin());
}

std::string TLineList::ToText() const {
  std::string out;
  size_t total = 0;
  for (const Span& s : spans_) total += s.length + 2;
  out.reserve(total);
  for (size_t i = 0; i < size(); ++i) {
    out.append((*this)[i]);
    out += "\r\n";
  }
  return out;
}

std::vector<std::string> TLineList::ToVector() const {
  std::vector<std::string> v;
  v.reserve(size());
  for (std::string_view l : *this) v.emplace_back(l);
  return v;
}

bool operator==(const TLineList& a, const TLineList& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

}  // namespace kt
