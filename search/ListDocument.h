#pragma once
// The result list as a plain-text document for the printer: a title, a rule
// and every entry indented by eight blanks, each line ended by CR LF.
// Texts are Windows-1252 bytes.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kt {

// Up to this many entries print at once; more need the user's confirmation.
inline constexpr size_t kPrintWithoutAsking = 500;
inline constexpr std::string_view kPrintManyQuestion =
    "Es wurden mehr als 500 Datens\xE4" "tze zum Ausdruck gew\xE4" "hlt.\r"
    "Sind Sie sicher?";

inline constexpr std::string_view kListTitle = "        Varnik's Klangtruhe 2.0 alpha";
inline constexpr std::string_view kListRule = "     ===========================================";
inline constexpr std::string_view kListIndent = "        ";

// Whether printing count entries needs the question above first.
inline bool PrintNeedsConfirmation(size_t count) { return count > kPrintWithoutAsking; }

std::string ListDocument(const std::vector<std::string_view>& entries);
// The same for entries handed out one at a time (entry(0) .. entry(count - 1),
// each asked for twice: once to measure, once to copy).
std::string ListDocument(size_t count, const std::function<std::string_view(size_t)>& entry);

}  // namespace kt
