#include "settings/names/text.h"

namespace quillon {

namespace {

constexpr unsigned char AsciiLimit = 0x80;

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the UTF-8 sequence a lead byte starts, 0 when it cannot start one.
std::size_t sequenceLength(unsigned char lead) {
  if (lead < AsciiLimit) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

bool isValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = sequenceLength(lead);
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k)
      if (!isContinuation(static_cast<unsigned char>(text[i + k]))) return false;
    const auto second = length > 1 ? static_cast<unsigned char>(text[i + 1]) : 0;
    // Overlong three- and four-byte forms, surrogates and code points past U+10FFFF.
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
        (lead == 0xF4 && second > 0x8F))
      return false;
    i += length;
  }
  return true;
}

std::string latin1ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < AsciiLimit) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string lineAsUtf8(std::string_view line) { return isValidUtf8(line) ? std::string(line) : latin1ToUtf8(line); }

std::string firstCharacters(std::string_view utf8, std::size_t count) {
  std::size_t end = 0;
  for (std::size_t seen = 0; end < utf8.size() && seen < count; ++seen) {
    ++end;
    while (end < utf8.size() && isContinuation(static_cast<unsigned char>(utf8[end]))) ++end;
  }
  return std::string(utf8.substr(0, end));
}

std::string_view trimmed(std::string_view text) {
  // A CR is a line break left over (CR CR LF, or a lone CR at the end of a file), never text.
  constexpr std::string_view Blanks = " \t\r";
  const auto first = text.find_first_not_of(Blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

std::string asciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace quillon
