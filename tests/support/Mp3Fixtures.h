#pragma once
// MP3 files generated for tests; no MP3 file is kept in the tree.
//
// The audio is a 440 Hz sine, encoded by sox and lame at 128 kbit/s (lame
// resamples silently below that). Each distinct length and sample rate is
// encoded once per test process and kept in a temporary folder; every further
// file is a copy of those bytes with its own ID3v1 block appended, so
// thousands of fixtures cost almost nothing.

#include <filesystem>
#include <string>
#include <string_view>

namespace kt::test {

// The 128-byte ID3v1 block: "TAG", title, artist (each cut to 30 bytes and
// NUL padded), empty album, year and comment, genre 255.
std::string Id3v1Block(std::string_view artist, std::string_view title);

// The bytes of an untagged MP3 of that length (stereo, 16 bit, at that rate).
// Throws std::runtime_error when sox or lame is missing or fails.
const std::string& UntaggedMp3Bytes(double seconds = 3.0, int rate = 44100);

// Writes an MP3 of that length with that ID3v1 tag, creating its folders.
// Empty artist and title give an untagged file (no ID3v1 block at all).
// Throws std::runtime_error when sox or lame is missing or fails.
void MakeMp3(const std::filesystem::path& file, std::string_view artist, std::string_view title,
             double seconds = 3.0, int rate = 44100);

}  // namespace kt::test
