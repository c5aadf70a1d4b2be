#include "settings/names/ini_file.h"

#include <charconv>
#include <span>
#include <system_error>

#include "engine/file_reading.h"
#include "engine/syx_writer.h"
#include "settings/names/text.h"

namespace quillon {

namespace {

constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr char CommentMark = ';';
constexpr char KeyValueSeparator = '=';

std::string_view withoutByteOrderMark(std::string_view text) {
  return text.starts_with(Utf8ByteOrderMark) ? text.substr(Utf8ByteOrderMark.size()) : text;
}

// Calls `visit(line, start, end)` for every line, `line` without its line
// break, [start, end) the line with its break as it stands in `text`.
template <typename Visit>
void forEachLine(std::string_view text, Visit visit) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t newline = text.find('\n', start);
    const std::size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
    std::string_view line = text.substr(start, (newline == std::string_view::npos ? end : newline) - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    visit(line, start, end);
    start = end;
  }
}

// The name of a "[name]" header line, or nothing for any other line.
std::optional<std::string> headerName(std::string_view line) {
  const std::string_view t = trimmed(line);
  if (!t.starts_with('[')) return std::nullopt;
  const std::size_t close = t.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return std::string(trimmed(t.substr(1, close - 1)));
}

std::optional<IniLine> keyValueLine(std::string_view line) {
  const std::string_view t = trimmed(line);
  if (t.empty() || t.front() == CommentMark) return std::nullopt;
  const std::size_t separator = t.find(KeyValueSeparator);
  if (separator == std::string_view::npos) return std::nullopt;
  const std::string_view key = trimmed(t.substr(0, separator));
  if (key.empty()) return std::nullopt;
  return IniLine{std::string(key), std::string(trimmed(t.substr(separator + 1)))};
}

// Name lists and window positions are a few KB; a file far larger is no such list.
constexpr std::uintmax_t MaxIniFileSize = 16ull << 20;

enum class FileRead { Ok, Missing, Failed };

FileRead readWholeFile(const std::filesystem::path& file, std::string& text, std::string* problem = nullptr) {
  const FileBytes read = readRegularFile(file.string(), MaxIniFileSize);
  if (read.missing) return FileRead::Missing;
  if (!read.ok()) {
    if (problem) *problem = read.error;
    return FileRead::Failed;
  }
  text.assign(read.bytes.begin(), read.bytes.end());
  return FileRead::Ok;
}

std::string_view lineBreakOf(std::string_view text) {
  return text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
}

std::string bodyText(const IniSection& section, std::string_view lineBreak) {
  std::string out;
  for (const auto& line : section.lines()) {
    out += line.key;
    out += KeyValueSeparator;
    out += line.value;
    out += lineBreak;
  }
  return out;
}

std::string appendedSection(std::string_view text, const IniSection& section, std::string_view lineBreak) {
  std::string out(text);
  if (!out.empty() && !out.ends_with('\n')) out += lineBreak;
  if (!withoutByteOrderMark(out).empty()) out += lineBreak;
  out += "[" + section.name() + "]";
  out += lineBreak;
  out += bodyText(section, lineBreak);
  return out;
}

}  // namespace

void IniSection::add(std::string key, std::string value) {
  firstLineOfKey_.try_emplace(asciiLower(key), lines_.size());
  lines_.push_back({std::move(key), std::move(value)});
}

const std::string* IniSection::find(std::string_view key) const {
  const auto it = firstLineOfKey_.find(asciiLower(key));
  return it == firstLineOfKey_.end() ? nullptr : &lines_[it->second].value;
}

std::string IniSection::value(std::string_view key) const {
  const std::string* v = find(key);
  return v ? *v : std::string();
}

std::optional<int> IniSection::integer(std::string_view key) const {
  const std::string* v = find(key);
  if (!v) return std::nullopt;
  const char* const first = v->data();
  const char* const last = first + v->size();
  int number = 0;
  const auto [end, error] = std::from_chars(first, last, number);
  if (error != std::errc() || end != last) return std::nullopt;
  return number;
}

IniSection IniSection::without(std::string_view key) const {
  const std::string dropped = asciiLower(key);
  IniSection out(name_);
  for (const auto& line : lines_)
    if (asciiLower(line.key) != dropped) out.add(line.key, line.value);
  return out;
}

const IniSection* IniDocument::section(std::string_view name) const {
  const auto it = sectionIndex_.find(asciiLower(name));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

IniSection IniDocument::sectionOrEmpty(std::string_view name) const {
  const IniSection* found = section(name);
  return found ? *found : IniSection(std::string(name));
}

IniSection& IniDocument::sectionNamed(std::string_view name) {
  const auto [it, added] = sectionIndex_.try_emplace(asciiLower(name), sections_.size());
  if (added) sections_.emplace_back(std::string(name));
  return sections_[it->second];
}

IniDocument parseIni(std::string_view text) {
  IniDocument doc;
  IniSection* current = nullptr;  // null before the first header and inside a repeated section
  forEachLine(withoutByteOrderMark(text), [&](std::string_view raw, std::size_t, std::size_t) {
    const std::string line = lineAsUtf8(raw);
    if (auto name = headerName(line)) {
      current = doc.section(*name) ? nullptr : &doc.sectionNamed(*name);
      return;
    }
    if (!current) return;
    if (auto entry = keyValueLine(line)) current->add(std::move(entry->key), std::move(entry->value));
  });
  return doc;
}

IniDocument readIniFile(const std::filesystem::path& file, std::string* problem) {
  std::string text;
  return readWholeFile(file, text, problem) == FileRead::Ok ? parseIni(text) : IniDocument{};
}

std::string withSectionReplaced(std::string_view text, const IniSection& section) {
  const std::string wanted = asciiLower(section.name());
  std::optional<std::size_t> bodyStart;
  std::optional<std::size_t> bodyEnd;
  forEachLine(text, [&](std::string_view raw, std::size_t start, std::size_t end) {
    if (bodyEnd) return;
    const std::string line = lineAsUtf8(start == 0 ? withoutByteOrderMark(raw) : raw);
    const auto name = headerName(line);
    if (!name) return;
    if (bodyStart)
      bodyEnd = start;
    else if (asciiLower(*name) == wanted)
      bodyStart = end;
  });
  const std::string_view lineBreak = lineBreakOf(text);
  if (!bodyStart) return appendedSection(text, section, lineBreak);

  std::string out(text.substr(0, *bodyStart));
  if (!out.ends_with('\n')) out += lineBreak;  // the header was the file's last line, without a break
  out += bodyText(section, lineBreak);
  if (bodyEnd) {
    out += lineBreak;  // a blank line before the next section
    out += text.substr(*bodyEnd);
  }
  return out;
}

std::string writeIniSection(const std::filesystem::path& file, const IniSection& section) {
  std::string text;
  std::string problem;
  if (readWholeFile(file, text, &problem) == FileRead::Failed) return problem + " It was left as it was.";
  const std::string updated = withSectionReplaced(text, section);
  const auto* bytes = reinterpret_cast<const unsigned char*>(updated.data());
  return writeFileAtomically(file.string(), std::span(bytes, updated.size()));
}

}  // namespace quillon
