#include "catalog/CatalogFiles.h"

#include "platform/FileIO.h"

namespace kt {

std::string_view SearchPathPrefix(TSearchPathMode mode) {
  switch (mode) {
    case TSearchPathMode::pmIndex: return "[C] ";
    case TSearchPathMode::pmSkip: return "[U] ";
    case TSearchPathMode::pmAtEnd: return "[G] ";
  }
  return "[U] ";
}

std::vector<TSearchPath> ParseSearchPaths(std::string_view text) {
  std::vector<TSearchPath> paths;
  size_t start = 0;
  while (start < text.size()) {
    size_t lf = text.find('\n', start);
    const bool last = lf == std::string_view::npos;
    if (last) lf = text.size();
    std::string line;
    line.reserve(lf - start);
    for (size_t i = start; i < lf; ++i)
      if (text[i] != '\r') line += text[i];

    TSearchPath p;
    const std::string_view prefix = std::string_view(line).substr(0, 4);
    if (prefix == "[C] ") p.Mode = TSearchPathMode::pmIndex;
    else if (prefix == "[G] ") p.Mode = TSearchPathMode::pmAtEnd;
    else p.Mode = TSearchPathMode::pmSkip;
    p.Text = line.size() > 4 ? line.substr(4) : std::string();
    paths.push_back(std::move(p));
    if (last) break;
    start = lf + 1;
  }
  return paths;
}

std::string FormatSearchPaths(const std::vector<TSearchPath>& paths) {
  std::string out;
  for (const TSearchPath& p : paths) {
    out += SearchPathPrefix(p.Mode);
    out += p.Text;
    out += "\r\n";
  }
  return out;
}

std::vector<TSearchPath> ReadSearchPathFile(const std::filesystem::path& file) {
  std::string bytes;
  ReadFileBytes(file, bytes);
  return ParseSearchPaths(bytes);
}

bool WriteSearchPathFile(const std::filesystem::path& file, const std::vector<TSearchPath>& paths,
                         std::error_code& ec) {
  return WriteFileAtomic(file, FormatSearchPaths(paths), ec);
}

TLineList ReadLineFile(const std::filesystem::path& file) {
  std::string bytes;
  ReadFileBytes(file, bytes);
  return TLineList::FromText(std::move(bytes));
}

bool WriteLineFile(const std::filesystem::path& file, const TLineList& lines, std::error_code& ec) {
  return WriteFileAtomic(file, lines.ToText(), ec);
}

}  // namespace kt
