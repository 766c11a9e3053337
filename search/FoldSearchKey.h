#pragma once
// Folding a text into a search key: blind to letter case, accents, blanks and
// most punctuation, K and C, Z and S; the usual separators become "\".

#include <string>
#include <string_view>

namespace kt {

std::string FoldSearchKey(std::string_view text);
// Appends the folded text to out (for building many keys into one buffer).
void AppendFoldedKey(std::string_view text, std::string& out);

}  // namespace kt
