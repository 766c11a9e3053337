#pragma once
// The file-version record of an executable: the fixed file-info block of a
// Windows version resource (signature 0xFEEF04BD, structure version, then the
// two 32-bit file-version words), found by scanning the file. Real Windows
// executables carry one; so does our stand-in player.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace kt {

inline constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

struct TFileVersion {
  uint16_t Major = 0, Minor = 0, Release = 0, Build = 0;
};

std::optional<TFileVersion> ReadFileVersion(const std::filesystem::path& file);

// major × 4096 + minor × 256 + release × 16 + build; 0 for a file without a
// readable record.
int64_t PlayerVersion(const std::filesystem::path& file);

}  // namespace kt
