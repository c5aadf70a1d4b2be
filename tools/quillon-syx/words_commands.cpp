#include "words_commands.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>

#include "cli_common.h"
#include "library_defaults.h"
#include "patch_names.h"
#include "engine/syx_reader.h"
#include "engine/words_compare.h"
#include "settings/names/patch_evaluation.h"

namespace quillon::cli {

const char* const WordsUsage =
    "  show FILE [N] [--format text|json] [--data DIR]\n"
    "                   Performance N (every one without N) in words: each parameter by\n"
    "                   section with the value the module shows, patches by bank, number\n"
    "                   and name (the name lists of DIR, else the program's data folder).\n"
    "  diff A[:N] B[:M] [--data DIR]\n                   What differs between performance N of file A and M of file B\n"
    "                   (each 1 when not given), section by section, and the count.\n"
    "                   Exit code 0 equal, 1 different, 2 bad input.\n";

namespace {

constexpr int ExitDifferent = 1;
constexpr int ExitBadInput = 2;
constexpr const char* FormatOption = "--format";
constexpr const char* DataOption = "--data";

struct Loaded {
  PerformanceStore store;
  int count = 0;
};

// The performances of `path`, or the reason there are none.
std::optional<std::string> load(const std::string& path, Loaded& out) {
  auto result = openSyxFile(out.store, path);
  if (!result.ok()) return result.error;
  if (result.report.nothingFound) return "no performances found in \"" + path + "\"";
  out.count = result.report.count;
  return std::nullopt;
}

// Names each part's patch from the lists of a data folder, loaded for the
// boards the performance uses; the bytes alone when there is no folder.
class Namer {
 public:
  explicit Namer(std::filesystem::path folder) : folder_(std::move(folder)) {}
  words::Vocabulary vocabularyFor(const PerformanceRecord& record) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder_, ec)) return {efx_, {}};
    names_.LoadPatchNames(folder_, boardsUsedBy(record));
    return {efx_, [this](const PerfPartRecord& part, int index) { return partPatchWords(part, index, names_); }};
  }

 private:
  std::filesystem::path folder_;
  EfxTypeTable efx_;
  PatchNameLibrary names_;
};

std::string jsonText(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\')
      out += std::string("\\") + c;
    else if (static_cast<unsigned char>(c) < 0x20)
      out += ' ';
    else
      out += c;
  }
  return out + "\"";
}

void printText(std::ostream& out, int position, const PerformanceStore& store, const std::vector<words::Row>& rows) {
  const auto& info = store.ListInfo[static_cast<std::size_t>(position - 1)];
  out << "Performance " << position << " (" << kindText(info.kind) << " #" << (info.fileNumber + 1) << ")\n";
  std::string section;
  for (const words::Row& row : rows) {
    if (const std::string name = words::sectionName(row); name != section) out << (section = name) << '\n';
    out << "  " << row.parameter << ": " << row.value << '\n';
  }
}

void printJson(std::ostream& out, int position, const PerformanceStore& store, const std::vector<words::Row>& rows) {
  const auto& info = store.ListInfo[static_cast<std::size_t>(position - 1)];
  out << "{\"position\": " << position << ", \"kind\": " << jsonText(kindText(info.kind))
      << ", \"number\": " << (info.fileNumber + 1) << ", \"rows\": [";
  for (std::size_t i = 0; i < rows.size(); ++i)
    out << (i ? ",\n  " : "\n  ") << "{\"section\": " << jsonText(words::sectionName(rows[i]))
        << ", \"parameter\": " << jsonText(rows[i].parameter) << ", \"value\": " << jsonText(rows[i].value) << "}";
  out << "]}";
}

// "FILE:N" names performance N; a colon followed by anything but digits is part of the path.
std::pair<std::string, std::string> splitPosition(const std::string& arg) {
  const auto colon = arg.rfind(':');
  if (colon == std::string::npos || colon + 1 == arg.size() ||
      !std::all_of(arg.begin() + static_cast<std::ptrdiff_t>(colon) + 1, arg.end(), ::isdigit))
    return {arg, "1"};
  return {arg.substr(0, colon), arg.substr(colon + 1)};
}

std::string outOfRange(const std::string& which, int count) {
  return "performance \"" + which + "\" is out of range: the file holds 1.." + std::to_string(count);
}

}  // namespace

bool wantsWords(const std::vector<std::string>& args) {
  // Without N (FILE alone, or FILE and options) every performance is shown in words.
  return args.size() == 1 || (args.size() > 1 && args[1].starts_with("--")) ||
         std::find(args.begin(), args.end(), FormatOption) != args.end();
}

int showWordsCommand(const std::vector<std::string>& args) {
  std::string path, which, format = "text";
  std::filesystem::path data = libraryDefaults().dataFolder;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == FormatOption && hasValue)
      format = args[++i];
    else if (args[i] == DataOption && hasValue)
      data = args[++i];
    else if (path.empty())
      path = args[i];
    else if (which.empty())
      which = args[i];
    else
      return fail("show: unexpected \"" + args[i] + "\"");
  }
  if (format != "text" && format != "json") return fail("show: --format is text or json, not \"" + format + "\"");
  Loaded file;
  if (path.empty()) return fail("show: no FILE given");
  if (const auto error = load(path, file)) return fail(*error);
  int first = 1, last = file.count;
  if (!which.empty()) {
    if (!parseNumber(which, first) || first < 1 || first > file.count) return fail(outOfRange(which, file.count));
    last = first;
  }
  Namer namer(data);
  const bool json = format == "json";
  if (json) std::cout << "[";
  for (int n = first; n <= last; ++n) {
    const auto& record = file.store.PerformanceList[static_cast<std::size_t>(n - 1)];
    const auto rows = words::performanceWords(record, namer.vocabularyFor(record));
    if (json) {
      std::cout << (n > first ? ",\n" : "\n");
      printJson(std::cout, n, file.store, rows);
    } else {
      printText(std::cout, n, file.store, rows);
    }
  }
  if (json) std::cout << "\n]\n";
  return ExitOk;
}

int diffCommand(std::vector<std::string> args) {
  std::filesystem::path data = libraryDefaults().dataFolder;
  if (const auto option = std::find(args.begin(), args.end(), DataOption); option + 1 < args.end()) {
    data = *(option + 1);
    args.erase(option, option + 2);
  }
  if (args.size() != 2) {
    std::cerr << "quillon-syx: diff takes two performances: A.syx[:N] B.syx[:M] [--data DIR]\n";
    return ExitBadInput;
  }
  std::array<Loaded, 2> files;
  std::array<int, 2> positions{};
  for (std::size_t k = 0; k < 2; ++k) {
    const auto [path, which] = splitPosition(args[k]);
    std::optional<std::string> error = load(path, files[k]);
    if (!error && (!parseNumber(which, positions[k]) || positions[k] < 1 || positions[k] > files[k].count))
      error = outOfRange(which, files[k].count);
    if (error) {
      fail(*error);
      return ExitBadInput;
    }
  }
  const auto& a = files[0].store.PerformanceList[static_cast<std::size_t>(positions[0] - 1)];
  const auto& b = files[1].store.PerformanceList[static_cast<std::size_t>(positions[1] - 1)];
  Namer namerA(data), namerB(data);
  const auto comparison = words::compareWords(a, words::performanceWords(a, namerA.vocabularyFor(a)), b,
                                              words::performanceWords(b, namerB.vocabularyFor(b)));
  for (const auto& d : comparison.differences) std::cout << words::differenceLine(d) << '\n';
  std::cout << words::countText(comparison) << '\n';
  return comparison.equal() ? ExitOk : ExitDifferent;
}

}  // namespace quillon::cli
