#include "catalog/RtfCatalog.h"

#include "catalog/TrackLine.h"
#include "platform/FileIO.h"

#include <array>
#include <cstring>

// The template texts, generated at build time from resources/ (EmbedText.cmake).
namespace kt::embedded {
std::string_view CatalogTreeHead();
std::string_view CatalogTreeTail();
std::string_view CatalogIndexHead();
std::string_view CatalogIndexTail();
}  // namespace kt::embedded

namespace kt {
namespace {

constexpr size_t npos = std::string_view::npos;

}  // namespace

TPrintLists BuildPrintLists(const TLineList& tracks) {
  TPrintLists lists;
  lists.Tracks.Reserve(tracks.size(), tracks.Bytes().size());
  std::string_view previous;  // the previous track's folder; a view into its track line
  for (size_t i = 0; i < tracks.size(); ++i) {
    const std::string_view line = tracks[i];
    const std::string number = FormatIndexNumber(i);

    // bracket: where the tag part's "[" is, npos for none.
    size_t bracket = FindMp3Bracket(line);
    if (bracket == npos) {
      const size_t p = LastPos("[", line);
      bracket = p == 0 ? npos : p - 1;
    }
    // The path with the blank before the bracket, and the tag text without the final byte.
    const std::string_view path = bracket == npos ? std::string_view() : line.substr(0, bracket);
    const size_t textStart = bracket == npos ? 0 : bracket + 1;
    const size_t textEnd = line.empty() ? 0 : line.size() - 1;
    std::string_view text = textStart < textEnd ? line.substr(textStart, textEnd - textStart) : std::string_view();

    const size_t cut = path.find_last_of("\\:");
    const std::string_view folder = cut == npos ? std::string_view() : path.substr(0, cut);
    if (folder != previous) {
      if (!lists.Tracks.empty()) lists.Tracks.Append(kPrintListSeparator);
      lists.Folders.AppendInPlace([&](std::string& out) {
        out += number;
        out += ' ';
        out += folder;
      });
      previous = folder;
    }

    if (text == " - ") {
      // No tag: the file name without ".mp3" and the blank.
      const size_t slash = path.rfind('\\');
      const std::string_view name = slash == npos ? path : path.substr(slash + 1);
      text = name.size() > 5 ? name.substr(0, name.size() - 5) : std::string_view();
    }
    lists.Tracks.AppendInPlace([&](std::string& out) {
      out += number;
      out += ' ';
      out += text;
    });
  }
  return lists;
}

std::string_view RtfTemplateHead(TRtfTemplate tmpl) {
  return tmpl == TRtfTemplate::Tree ? embedded::CatalogTreeHead() : embedded::CatalogIndexHead();
}

std::string_view RtfTemplateTail(TRtfTemplate tmpl) {
  return tmpl == TRtfTemplate::Tree ? embedded::CatalogTreeTail() : embedded::CatalogIndexTail();
}

std::string RtfCatalogText(const TLineList& lines, TRtfTemplate tmpl) {
  // Bytes each input byte adds by its escape: 1 for "\", "{" and "}", 3 for
  // "\'xx"; 0 for the bytes that stay.
  static const std::array<unsigned char, 256> kExtra = [] {
    std::array<unsigned char, 256> t{};
    t['\\'] = t['{'] = t['}'] = 1;
    for (unsigned b = 0x80; b < 0x100; ++b) t[b] = 3;
    return t;
  }();
  static constexpr char kHex[] = "0123456789abcdef";
  constexpr std::string_view kPar = "\\par ";
  constexpr std::string_view kCrLf = "\r\n";

  const std::string_view head = RtfTemplateHead(tmpl);
  const std::string_view tail = RtfTemplateTail(tmpl);

  // The exact size first, so the document is built in one buffer without
  // growing it: one scan of the list's buffer (its LFs are never escaped).
  size_t size = head.size() + tail.size();
  for (size_t i = 0; i < lines.size(); ++i) size += lines[i].size() + kCrLf.size() + (i ? kPar.size() : 0);
  for (unsigned char c : lines.Bytes()) size += kExtra[c];

  std::string out;
  out.reserve(size);
  out += head;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) out += kPar;
    const std::string_view line = lines[i];
    const char* p = line.data();
    const char* const end = p + line.size();
    while (p < end) {
      const char* run = p;
      while (p < end && kExtra[(unsigned char)*p] == 0) ++p;
      out.append(run, size_t(p - run));
      if (p == end) break;
      const unsigned char c = (unsigned char)*p++;
      if (c >= 0x80) {
        const char esc[4] = {'\\', '\'', kHex[c >> 4], kHex[c & 15]};
        out.append(esc, 4);
      } else {
        out += '\\';
        out += char(c);
      }
    }
    out += kCrLf;
  }
  out += tail;
  return out;
}

bool WriteRtfCatalog(const TLineList& lines, TRtfTemplate tmpl, const std::filesystem::path& file,
                     std::error_code& ec) {
  return WriteFileAtomic(file, RtfCatalogText(lines, tmpl), ec);
}

}  // namespace kt
