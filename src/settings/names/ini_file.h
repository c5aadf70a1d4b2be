#pragma once
// A small ini reader and writer. Name lists are shown in file order and looked
// up by key, so sections and their lines keep the order of the file (a sorting
// settings class does not fit). Section names and keys compare without regard
// to ASCII case, as ini files always have.
//
// Reading tolerates LF and CRLF, a UTF-8 byte-order mark, blank lines, ';'
// comments, blanks around '=', values that contain '=', and lines without '='
// (skipped). A repeated section is ignored after its first occurrence, a
// repeated key is listed but looked up by its first line.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillon {

struct IniLine {
  std::string key;
  std::string value;
  bool operator==(const IniLine&) const = default;
};

class IniSection {
 public:
  IniSection() = default;
  explicit IniSection(std::string name) : name_(std::move(name)) {}

  const std::string& name() const { return name_; }
  const std::vector<IniLine>& lines() const { return lines_; }
  std::size_t size() const { return lines_.size(); }
  bool empty() const { return lines_.empty(); }

  void add(std::string key, std::string value);
  // The value of the first line with `key`, or null.
  const std::string* find(std::string_view key) const;
  // The value under `key`, empty when there is none.
  std::string value(std::string_view key) const;
  // The value under `key` when it is a whole decimal integer.
  std::optional<int> integer(std::string_view key) const;
  // This section without the lines of `key`.
  IniSection without(std::string_view key) const;

 private:
  std::string name_;
  std::vector<IniLine> lines_;
  std::unordered_map<std::string, std::size_t> firstLineOfKey_;
};

class IniDocument {
 public:
  const std::vector<IniSection>& sections() const { return sections_; }
  const IniSection* section(std::string_view name) const;
  // A copy of the section, or an empty one of that name when the file lacks it.
  IniSection sectionOrEmpty(std::string_view name) const;
  // The section of that name, added at the end when it is new.
  IniSection& sectionNamed(std::string_view name);

 private:
  std::vector<IniSection> sections_;
  std::unordered_map<std::string, std::size_t> sectionIndex_;
};

IniDocument parseIni(std::string_view text);
// A missing or unreadable file reads as an empty document. Why an existing
// file could not be read (no regular file, too large, no rights) goes to
// `problem` when given; a missing file is no problem.
IniDocument readIniFile(const std::filesystem::path& file, std::string* problem = nullptr);

// `text` with the body of the first section named like `section` replaced by
// its lines; every other byte stays as it was. A missing section is appended.
std::string withSectionReplaced(std::string_view text, const IniSection& section);

// Rewrites one section of `file` through a temporary file renamed over it, so
// a failed write leaves the old file whole. Returns an error text, empty on
// success. A file that exists but cannot be read is left alone.
std::string writeIniSection(const std::filesystem::path& file, const IniSection& section);

}  // namespace quillon
