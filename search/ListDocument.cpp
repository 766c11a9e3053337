#include "search/ListDocument.h"

namespace kt {

namespace {
constexpr std::string_view kEol = "\r\n";
}  // namespace

std::string ListDocument(size_t count, const std::function<std::string_view(size_t)>& entry) {
  size_t size = 3 * kEol.size() + kListTitle.size() + kListRule.size() + 3 * kEol.size();
  for (size_t i = 0; i < count; ++i) size += kListIndent.size() + entry(i).size() + kEol.size();

  std::string doc;
  doc.reserve(size);
  for (int i = 0; i < 3; ++i) doc += kEol;
  doc.append(kListTitle).append(kEol);
  doc.append(kListRule).append(kEol);
  doc += kEol;
  for (size_t i = 0; i < count; ++i) doc.append(kListIndent).append(entry(i)).append(kEol);
  return doc;
}

std::string ListDocument(const std::vector<std::string_view>& entries) {
  return ListDocument(entries.size(), [&entries](size_t i) { return entries[i]; });
}

}  // namespace kt
