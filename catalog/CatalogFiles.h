#pragma once
// The three catalog files of the program folder: "Pfade.txt" (search paths),
// "Index.txt" (track lines) and "Baum.txt" (folder lines).
//
// All three are Windows-1252 bytes with CR LF after every line and no header;
// a missing file is an empty list and an empty list is a file of 0 bytes.

#include "catalog/LineList.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace kt {

inline constexpr const char* kSearchPathFile = "Pfade.txt";
inline constexpr const char* kTrackFile = "Index.txt";
inline constexpr const char* kFolderFile = "Baum.txt";

enum class TSearchPathMode {
  pmIndex,  // "[C] ": index the folder and its subfolders
  pmSkip,   // "[U] ": leave the tracks below the folder out
  pmAtEnd,  // "[G] ": index, numbered after all pmIndex tracks
};

struct TSearchPath {
  // The folder path behind four blanks per nesting level; a text that begins
  // with a blank is a sub-entry of an earlier entry.
  std::string Text;
  TSearchPathMode Mode = TSearchPathMode::pmIndex;

  friend bool operator==(const TSearchPath&, const TSearchPath&) = default;
};

// The four-byte line prefix of a mode.
std::string_view SearchPathPrefix(TSearchPathMode mode);

// "Pfade.txt" text: a line ends at each LF and every CR is dropped wherever it
// stands. The first four bytes of a line are the prefix, whatever they are:
// exactly "[C] ", "[U] " or "[G] " give their mode, anything else pmSkip.
std::vector<TSearchPath> ParseSearchPaths(std::string_view text);
std::string FormatSearchPaths(const std::vector<TSearchPath>& paths);

std::vector<TSearchPath> ReadSearchPathFile(const std::filesystem::path& file);
bool WriteSearchPathFile(const std::filesystem::path& file, const std::vector<TSearchPath>& paths,
                         std::error_code& ec);

// "Index.txt" and "Baum.txt": split at CR LF, lone CR and lone LF, stop at the first NUL.
TLineList ReadLineFile(const std::filesystem::path& file);
bool WriteLineFile(const std::filesystem::path& file, const TLineList& lines, std::error_code& ec);

}  // namespace kt
