#pragma once
// Whole-file reads and writes of byte strings.

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace kt {

// Reads the whole file. A missing or unreadable file gives false and an empty text.
bool ReadFileBytes(const std::filesystem::path& file, std::string& bytes);

// Replaces the file with exactly these bytes. The bytes go to a temporary file
// in the same folder, which is flushed to disk and then renamed over the old
// file, so a write that fails half-way (full disk, crash) leaves the old file
// as it was. Returns false and sets ec when the new file could not be written;
// no temporary file is left behind then.
bool WriteFileAtomic(const std::filesystem::path& file, std::string_view bytes, std::error_code& ec);

}  // namespace kt
