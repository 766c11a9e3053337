#pragma once
// The printable catalogs written beside the catalog files after every
// indexing run: "WinLIRC Baum.rtf" (each folder with the index number of its
// first track, two columns) and "WinLIRC Index.rtf" (every track with its
// index number, five columns), made from two RTF templates kept as data
// (resources/catalog-*.rtf-head and -tail, built into the program).

#include "catalog/LineList.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace kt {

inline constexpr const char* kTreeCatalogFile = "WinLIRC Baum.rtf";
inline constexpr const char* kIndexCatalogFile = "WinLIRC Index.rtf";

// The line between the tracks of two folders in the track print list.
inline constexpr std::string_view kPrintListSeparator = "--------------------";

struct TPrintLists {
  TLineList Folders;  // number, a blank, folder path
  TLineList Tracks;   // number, a blank, tag text or file name; 20 dashes between folders
};

// Builds both print lists from the track list, in one pass. The number is a
// track's index number (FormatIndexNumber). A track line is split into path
// and tag text at its first ".mp3 [" (ASCII letter case ignored), the
// boundary the track actions use, so brackets in folder names and titles
// print as they are; a line without one is split at its last "[".
// A track's folder is its path up to its last backslash or colon; a new
// folder line (with the number of its first track) starts wherever the
// folder differs from the previous track's, and the separator goes between
// the tracks of two folders. Tag text " - " (no tag) prints as the file name
// without ".mp3".
TPrintLists BuildPrintLists(const TLineList& tracks);

enum class TRtfTemplate {
  Tree,   // two columns, for the folder print list
  Index,  // five columns, for the track print list
};

// The template's fixed text before and after the lines (CR LF line ends).
std::string_view RtfTemplateHead(TRtfTemplate tmpl);
std::string_view RtfTemplateTail(TRtfTemplate tmpl);

// The whole RTF document for these lines: head, the escaped lines each
// followed by CR LF, tail. A line's "\", "{" and "}" get a backslash in
// front, every byte from 128 up becomes "\'" and two lower-case hex digits,
// and every line but the first begins with "\par "; all other bytes stay.
// So every line end of the document is CR LF as long as the lines hold no CR
// or LF (lines split from a file never do).
std::string RtfCatalogText(const TLineList& lines, TRtfTemplate tmpl);
// Writes it to file, replacing an existing one (atomically: a failed write keeps the old file).
bool WriteRtfCatalog(const TLineList& lines, TRtfTemplate tmpl, const std::filesystem::path& file,
                     std::error_code& ec);

}  // namespace kt
