#pragma once
// The settings file as text, before the settings library sees it. That
// library calls a whole file a format error for one line it cannot read (a
// byte-order mark some editors write, a NUL byte, a stray line), and writing
// back over such a file would drop what it could not read. So such lines are
// found and taken out here, and a file that still cannot be read has single
// keys set in it without the rest being touched.

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// Where keys without a group stand in the settings library's ini files.
inline constexpr std::string_view GeneralSection = "General";

struct SettingsTextRepair {
  std::string text;                  // the text without what was taken out
  std::vector<std::string> removed;  // "a byte-order mark", "line 3 (a NUL byte)", ...
  bool changed() const { return !removed.empty(); }
};

// Takes out a leading UTF-8 byte-order mark, lines holding a NUL byte or
// another control character, and lines that are neither blank, a ';'
// comment, a "[section]" nor a "key=value" line. Every other byte stays.
SettingsTextRepair repairedSettingsText(std::string_view text);

// `text` with `key` of [General] set to `value`: its first line replaced where
// it stands, or a line added to the section (and the section added when the
// file has none). Every other line stays as it is. `value` is written as the
// settings library reads it back: plain, or quoted when it needs to be.
std::string withGeneralKey(std::string_view text, std::string_view key, std::string_view value);

}  // namespace quillon
