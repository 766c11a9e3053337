#pragma once
// The ID3v1 tag: the last 128 bytes of an MP3 file, "TAG" followed by
// fixed-width fields. We read artist and title only.
//
//   bytes   0..2    "TAG"
//   bytes   3..32   title  (30 bytes)
//   bytes  33..62   artist (30 bytes)
//   bytes  63..127  album, year, comment, genre (not read)
//
// Each field is cut at its first NUL byte, then every byte of value 32 or
// less (blanks, control bytes) is dropped from both ends. Everything else,
// including bytes of 128 and above, stays as it stands: the texts are
// Windows-1252 bytes like every catalog text.

#include <filesystem>
#include <string>
#include <string_view>

namespace kt {

inline constexpr size_t kId3v1Size = 128;

struct TId3v1Tag {
  std::string Artist, Title;

  bool empty() const { return Artist.empty() && Title.empty(); }
  friend bool operator==(const TId3v1Tag&, const TId3v1Tag&) = default;
};

// The tag in the last 128 bytes of a text. A text shorter than 128 bytes, or
// a block that does not begin with exactly "TAG", has no tag: both fields empty.
TId3v1Tag ParseId3v1Tag(std::string_view last128);

// The tag of a file, from one positioned read of its last 128 bytes. A file
// that cannot be opened or read, or is shorter than 128 bytes, has no tag.
TId3v1Tag ReadId3v1Tag(const std::filesystem::path& nativeFile);
// The same for a file named relative to an open folder (AT_FDCWD: the current one).
TId3v1Tag ReadId3v1TagAt(int folderFd, const char* name);

}  // namespace kt
