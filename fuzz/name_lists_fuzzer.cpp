// The name lists are text files anyone may edit. The input is up to three
// files separated by NUL bytes (Preset.ini, User.ini, Expansion.ini; one text
// serves for all three when there is no NUL). Each text reads into sections
// that keep the reader's rules, a rewritten section reads back as written
// with every other section unchanged, and the library loads the three files
// into slots and names within their bounds.

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <unordered_set>
#include <vector>

#include "fuzz_support.h"
#include "settings/names/patch_name_library.h"
#include "settings/names/text.h"

namespace {

using namespace quillon;

constexpr std::size_t MaxRewrittenSections = 4;
constexpr std::string_view AbsentSection = "Quillon fuzz section";

bool isTrimmed(std::string_view s) { return trimmed(s) == s; }

std::size_t characterCount(std::string_view utf8) {
  return static_cast<std::size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string readerFault(const IniDocument& doc) {
  std::unordered_set<std::string> names;
  for (const IniSection& s : doc.sections()) {
    const std::string& name = s.name();
    if (!names.insert(asciiLower(name)).second) return "section \"" + name + "\" listed twice";
    if (doc.section(name) != &s) return "section \"" + name + "\" is not found by its name";
    if (!isTrimmed(name) || !isValidUtf8(name) || name.find(']') != std::string::npos)
      return "section name \"" + name + "\" is not trimmed UTF-8 without ']'";
    for (const IniLine& line : s.lines()) {
      const std::string& key = line.key;
      if (key.empty() || !isTrimmed(key) || key.front() == ';' || key.find('=') != std::string::npos)
        return "key \"" + key + "\" is empty, untrimmed, a comment or holds '='";
      if (!isTrimmed(line.value) || !isValidUtf8(key) || !isValidUtf8(line.value))
        return "line \"" + key + "\" is not trimmed UTF-8";
      const std::string* found = s.find(key);
      const auto first = std::find_if(s.lines().begin(), s.lines().end(),
                                      [&](const IniLine& l) { return asciiLower(l.key) == asciiLower(key); });
      if (!found || *found != first->value) return "key \"" + key + "\" does not find its first line";
    }
  }
  return {};
}

// `replacement` written over `text`, read back: it and every other section as they were.
std::string rewriteFault(std::string_view text, const IniDocument& doc, const IniSection& replacement) {
  const IniDocument back = parseIni(withSectionReplaced(text, replacement));
  const IniSection* written = back.section(replacement.name());
  if (!written || written->lines() != replacement.lines())
    return "section \"" + replacement.name() + "\" does not read back as written";
  std::size_t k = 0;
  for (const IniSection& s : doc.sections()) {
    if (asciiLower(s.name()) == asciiLower(replacement.name())) {
      ++k;
      continue;
    }
    if (k >= back.sections().size() || back.sections()[k].name() != s.name() || back.sections()[k].lines() != s.lines())
      return "rewriting \"" + replacement.name() + "\" changed section \"" + s.name() + "\"";
    ++k;
  }
  return {};
}

std::string rewritesFault(std::string_view text, const IniDocument& doc) {
  const auto& sections = doc.sections();
  for (std::size_t i = 0; i < std::min(sections.size(), MaxRewrittenSections); ++i) {
    IniSection replacement(sections[i].name());
    for (auto line = sections[i].lines().rbegin(); line != sections[i].lines().rend(); ++line)
      replacement.add(line->key, line->value);
    replacement.add("Fetched", "U:1 Name");
    if (auto fault = rewriteFault(text, doc, replacement); !fault.empty()) return fault;
  }
  if (doc.section(AbsentSection)) return {};
  IniSection added{std::string(AbsentSection)};
  added.add("0", "U:1 Name");
  return rewriteFault(text, doc, added);
}

std::string libraryFault(const PatchNameLibrary& library) {
  if (library.ExpMax() < 0 || library.ExpMax() > LastExpansionSlot) return "ExpMax outside the slots";
  const int boards = static_cast<int>(library.expansionBoards().size());
  for (int k = 0; k < ExpansionSlotCount; ++k) {
    const ExpansionSlot& slot = library.slot(k);
    if (slot.holdsBoard != (k <= library.ExpMax() && slot.boardId >= 0 && slot.boardId < boards))
      return "slot " + std::to_string(k) + " holds a board it may not";
    if (!slot.holdsBoard) continue;
    if (characterCount(slot.boardName) > BoardNameLength || !isValidUtf8(slot.boardName) || !isTrimmed(slot.boardName))
      return "board name \"" + slot.boardName + "\" is no trimmed UTF-8 of at most 15 characters";
    if (slot.MaxPatch < 1 || slot.MaxPatch > MaxBoardPatches) return "MaxPatch outside 1..256";
    if (slot.patches.find(names_section::MaxPatchKey)) return "MaxPatch listed as a patch";
  }
  for (int type = -1; type <= group_type::Expansion + 1; ++type)
    for (int id = -1; id <= InternalGroupCount + 1; ++id)
      for (const int number : {-1, 0, 1, BoardHalfSize - 1, BoardHalfSize, MaxBoardPatches - 1, MaxBoardPatches})
        if (!isValidUtf8(library.PatchName(type, id, number)) || !isValidUtf8(library.RhythmName(type, id, number)))
          return "a looked-up name is no UTF-8";
  return {};
}

// A folder of this process for the three files, in memory where the system
// has such a place (the files are written for every input); removed at exit.
std::filesystem::path scratchRoot() {
  std::error_code ec;
  return std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
}

struct NamesFolder {
  NamesFolder() : path(scratchRoot() / ("quillon-fuzz-names-" + std::to_string(getpid()))) {
    std::filesystem::create_directories(path);
  }
  ~NamesFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::filesystem::path path;
};

void writeText(const std::filesystem::path& file, std::string_view text) {
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  for (std::size_t from = 0;;) {
    const std::size_t nul = input.find('\0', from);
    parts.push_back(input.substr(from, nul == std::string_view::npos ? std::string_view::npos : nul - from));
    if (nul == std::string_view::npos) break;
    from = nul + 1;
  }
  std::array<std::string_view, 3> files{parts[0], parts[0], parts[0]};
  if (parts.size() > 1)
    for (std::size_t k = 0; k < files.size(); ++k) files[k] = k < parts.size() ? parts[k] : std::string_view();
  for (const std::string_view text : files) {
    const IniDocument doc = parseIni(text);
    fuzz::require(readerFault(doc));
    fuzz::require(rewritesFault(text, doc));
  }

  static const NamesFolder folder;
  writeText(folder.path / names_file::Preset, files[0]);
  writeText(folder.path / names_file::User, files[1]);
  writeText(folder.path / names_file::Expansion, files[2]);
  ExpansionChoices choices;
  choices.ExpMax = LastExpansionSlot;
  for (int k = 0; k < ExpansionSlotCount; ++k) choices.boards[k] = k - 1;  // slot 0 outside the list
  PatchNameLibrary library;
  library.LoadPatchNames(folder.path, choices);
  fuzz::require(libraryFault(library));
  return 0;
}
