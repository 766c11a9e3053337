#pragma once
// Windows-1252 text: the byte strings of the catalog and their Unicode form.
//
// Every byte maps to one code point and back: 0x80-0x9F to the typographic
// characters of the code page, the five bytes the code page leaves undefined
// (81, 8D, 8F, 90, 9D) to the C1 controls of the same value, so that all 256
// bytes survive a round trip through Unicode.

#include <QString>
#include <string>
#include <string_view>

namespace kt {

// The code point of one Windows-1252 byte.
char32_t Cp1252ToCodePoint(unsigned char byte);
// The Windows-1252 byte of a code point, or -1 when the code page cannot hold it.
int CodePointToCp1252(char32_t cp);

// Edge of the user interface.
QString FromCp1252(std::string_view bytes);
// Characters the code page cannot hold become "?".
std::string ToCp1252(const QString& text);

// File names: UTF-8 on disk, Windows-1252 in the catalog.
std::string Cp1252ToUtf8(std::string_view bytes);
// Characters outside Windows-1252 become "?"; a byte that is not part of a
// valid UTF-8 sequence is taken as a Windows-1252 byte of its own (older file
// systems store such names), so it keeps its meaning in the catalog.
std::string Utf8ToCp1252(std::string_view utf8);

// ASCII-only case mapping: only a-z and A-Z change.
inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
std::string AsciiUpper(std::string_view s);
std::string AsciiLower(std::string_view s);
bool AsciiEqualsIgnoreCase(std::string_view a, std::string_view b);
// Letter case ignored for every letter of Windows-1252 (ä equals Ä, š equals Š).
bool Cp1252EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace kt
