#pragma once
// Track lines: full path, " [", artist, " - ", title, "]".

#include <cstddef>
#include <string>
#include <string_view>

namespace kt {

// 1-based position of the last occurrence of needle in text, comparing bytes
// exactly; 0 when there is none.
size_t LastPos(std::string_view needle, std::string_view text);

// 0-based position of the "[" of the first ".mp3 [" in a track line, ASCII
// letter case ignored; npos when there is none. This is where the file path
// ends and the tag text begins, whatever brackets or backslashes either holds.
size_t FindMp3Bracket(std::string_view line);

// An index number (0-based position in the track list) as shown: at least
// four digits, zero-padded on the left.
std::string FormatIndexNumber(size_t index);

}  // namespace kt
