#include "settings/settings_text.h"

#include <algorithm>
#include <optional>

namespace quillon {

namespace {

constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr char CommentMark = ';';
constexpr char Tab = '\t';
constexpr char CarriageReturn = '\r';
constexpr unsigned char FirstPrintable = 0x20;
constexpr char Delete = 0x7F;
// Characters the settings library reads as more than text when unquoted: a
// list separator, a comment, a quote or escape, its type marker.
constexpr std::string_view NeedsQuotes = ",;\"\\=@";

std::string_view trimmedBlanks(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == Tab; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// Why the settings library would refuse `line` (without its line break), or nothing.
std::optional<std::string> refusal(std::string_view line) {
  if (line.find('\0') != std::string_view::npos) return "a NUL byte";
  const bool control = std::any_of(line.begin(), line.end(), [](char c) {
    return (static_cast<unsigned char>(c) < FirstPrintable && c != Tab) || c == Delete;
  });
  if (control) return "a control character";
  const std::string_view t = trimmedBlanks(line);
  if (t.empty() || t.front() == CommentMark) return std::nullopt;
  if (t.front() == '[') {
    if (t.find(']') == std::string_view::npos) return "a section name without ']'";
    return std::nullopt;
  }
  if (t.find('=') == std::string_view::npos) return "no setting";
  return std::nullopt;
}

// Calls `visit(line, withBreak)` for each line: `line` without its line break
// (LF, or CR LF), `withBreak` the line as it stands in the text.
template <typename Visit>
void forEachLine(std::string_view text, Visit visit) {
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    const std::size_t length = newline == std::string_view::npos ? text.size() : newline + 1;
    std::string_view line = text.substr(0, newline == std::string_view::npos ? text.size() : newline);
    if (line.ends_with(CarriageReturn)) line.remove_suffix(1);
    visit(line, text.substr(0, length));
    text.remove_prefix(length);
  }
}

std::optional<std::string> sectionName(std::string_view line) {
  const std::string_view t = trimmedBlanks(line);
  if (!t.starts_with('[')) return std::nullopt;
  const std::size_t close = t.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return std::string(t.substr(1, close - 1));
}

std::string keyOf(std::string_view line) {
  const std::string_view t = trimmedBlanks(line);
  const std::size_t equals = t.find('=');
  return equals == std::string_view::npos ? std::string() : std::string(trimmedBlanks(t.substr(0, equals)));
}

std::string iniValue(std::string_view value) {
  const bool plain = value.find_first_of(NeedsQuotes) == std::string_view::npos && value == trimmedBlanks(value);
  if (plain) return std::string(value);
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

std::string_view lineBreakOf(std::string_view text) {
  return text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
}

}  // namespace

SettingsTextRepair repairedSettingsText(std::string_view text) {
  SettingsTextRepair repair;
  if (text.starts_with(Utf8ByteOrderMark)) {
    text.remove_prefix(Utf8ByteOrderMark.size());
    repair.removed.emplace_back("a byte-order mark");
  }
  int number = 0;
  forEachLine(text, [&](std::string_view line, std::string_view withBreak) {
    ++number;
    if (const auto why = refusal(line)) {
      repair.removed.push_back("line " + std::to_string(number) + " (" + *why + ")");
      return;
    }
    repair.text += withBreak;
  });
  return repair;
}

std::string withGeneralKey(std::string_view text, std::string_view key, std::string_view value) {
  const std::string_view lineBreak = lineBreakOf(text);
  const std::string entry = std::string(key) + "=" + iniValue(value) + std::string(lineBreak);
  std::string out;
  bool inGeneral = false;
  bool done = false;
  bool sawGeneral = false;
  forEachLine(text, [&](std::string_view line, std::string_view withBreak) {
    if (const auto name = sectionName(line)) {
      if (inGeneral && !done) {  // the section ends without the key: it goes last in it
        out += entry;
        done = true;
      }
      inGeneral = *name == GeneralSection;
      sawGeneral = sawGeneral || inGeneral;
    } else if (inGeneral && !done && keyOf(line) == key) {
      out += entry;
      done = true;
      return;
    }
    out += withBreak;
  });
  if (done) return out;
  if (!out.empty() && !out.ends_with('\n')) out += lineBreak;
  if (!sawGeneral) out += "[" + std::string(GeneralSection) + "]" + std::string(lineBreak);
  return out + entry;
}

}  // namespace quillon
