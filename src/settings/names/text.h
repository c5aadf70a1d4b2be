#pragma once
// Text as the name lists hold it: every line comes out as UTF-8, whether the
// file was written as UTF-8 or as Latin-1 (the older editors' code page).

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon {

bool isValidUtf8(std::string_view text);
std::string latin1ToUtf8(std::string_view text);
// UTF-8 lines stay as they are; anything else is read as Latin-1.
std::string lineAsUtf8(std::string_view line);
// The first `count` characters (not bytes) of UTF-8 text.
std::string firstCharacters(std::string_view utf8, std::size_t count);

// Without blanks, tabs and carriage returns at either end.
std::string_view trimmed(std::string_view text);
std::string asciiLower(std::string_view text);

}  // namespace quillon
