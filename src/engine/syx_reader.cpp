#include "engine/syx_reader.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "engine/midi_file.h"
#include "engine/midi_message.h"

namespace quillon {

namespace {

constexpr std::size_t WinArea = 5;
constexpr std::size_t WinNumber = 6;
constexpr std::size_t WinBlock = 7;
constexpr std::size_t WinOffset = 8;
constexpr std::size_t WinName = 9;

// The first part message starts in this range after its common message's F0
// (75 bytes for a 64-byte common, 79 for 68), the next part this far after a part.
constexpr std::size_t FirstPartSearchFrom = 66;
constexpr std::size_t FirstPartSearchTo = 79;
constexpr std::size_t NextPartSearchFrom = 27;
constexpr std::size_t NextPartSearchTo = 38;
constexpr std::size_t CommonScanLimit = 80;

// A fixed window of the file; bytes beyond the end read as 0.
template <std::size_t N>
std::array<Byte, N> windowAt(std::span<const Byte> file, std::size_t offset) {
  std::array<Byte, N> w{};
  if (offset < file.size()) {
    const std::size_t n = std::min(N, file.size() - offset);
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset), n, w.begin());
  }
  return w;
}

bool isPatchHeader(const std::array<Byte, syx::HeaderWindow>& w) {
  const Byte area = w[WinArea];
  return (area == address::AreaUserPatch || area == address::AreaCardPatch || area == address::AreaPatchData) &&
         w[WinBlock] == 0 && w[WinOffset] == 0 && w[WinNumber] <= syx::MaxPatchNumber;
}

bool isPerformanceHeader(const std::array<Byte, syx::HeaderWindow>& w) {
  const Byte area = w[WinArea];
  return (area == address::AreaTemporary || area == address::AreaUserPerformance ||
          area == address::AreaCardPerformance) &&
         w[WinNumber] < address::MemoryPerformanceCount && w[WinBlock] == 0;
}

bool isRhythmSetHeader(const std::array<Byte, syx::HeaderWindow>& w) {
  const Byte area = w[WinArea];
  return (area == address::AreaUserPerformance || area == address::AreaCardPerformance) && w[WinBlock] == 0 &&
         (w[WinNumber] == syx::RhythmSet1 || w[WinNumber] == syx::RhythmSet2);
}

FoundBlock blockFrom(BlockKind kind, const std::array<Byte, syx::HeaderWindow>& w, std::size_t offset) {
  FoundBlock b;
  b.kind = kind;
  b.area = w[WinArea];
  b.number = w[WinNumber];
  b.offset = static_cast<std::int64_t>(offset);
  b.name.assign(w.begin() + WinName, w.begin() + WinName + PerformanceNameLength);
  return b;
}

// Last position in [from, to] of the window that holds F0, or 0 when none does.
std::size_t lastSysexStart(const std::array<Byte, syx::PerformanceWindow>& w, std::size_t from, std::size_t to) {
  for (std::size_t p = std::min(to, w.size() - 1) + 1; p-- > from;)
    if (w[p] == midi_byte::SysexStart) return p;
  return 0;
}

// Data bytes are 7-bit, so the first byte from `from` on with the high bit
// set ends the message; it must be the F7 and must come by `last`. Returns the
// F7's position, or 0 with `why` saying what is wrong with the message.
std::size_t endOfMessage(const std::array<Byte, syx::PerformanceWindow>& w, std::size_t from, std::size_t last,
                         std::string& why) {
  std::size_t at = from;
  while (at <= last && at < w.size() && isDataByte(w[at])) ++at;
  if (at <= last && at < w.size() && w[at] == midi_byte::SysexEnd) return at;
  // A following F0 means this message lost its end; any other such byte is no data.
  why = at <= last && at < w.size() && w[at] != midi_byte::SysexStart ? "holds the byte " + hex2(w[at]) + "h"
                                                                      : "has no end byte";
  return 0;
}

// The parsed performance goes from the work record into its list entry.
void copyWorkRecordToEntry(PerformanceStore& store, int index) {
  auto& entry = store.PerformanceList[static_cast<std::size_t>(index)];
  entry.common = store.TempPerformance.common;
  for (int p = 0; p < address::PartCount; ++p)
    std::copy_n(store.TempPerformance.parts[p].begin(), PartBytesKept, entry.parts[p].begin());
}

}  // namespace

SyxScan scanSyx(std::span<const Byte> file, const ScanProgress& progress) {
  SyxScan scan;
  const std::size_t size = file.size();
  std::size_t nextReport = syx::ProgressStep;
  std::size_t pos = 0;
  while (pos < size) {
    const void* hit = std::memchr(file.data() + pos, midi_byte::SysexStart, size - pos);
    if (!hit) break;
    pos = static_cast<std::size_t>(static_cast<const Byte*>(hit) - file.data());
    if (progress && pos >= nextReport) {
      progress(pos, size);
      nextReport = pos + syx::ProgressStep;
    }
    const auto w = windowAt<syx::HeaderWindow>(file, pos);
    const std::string at = std::to_string(pos);
    if (pos + roland::HeaderLength > size) {
      // The file ends inside this message's address: the zeros read past the
      // end would make any cut-off part message look like a common block.
      break;
    }
    if (isPatchHeader(w)) {
      scan.patches.push_back(blockFrom(BlockKind::Patch, w, pos));
      scan.statusLines.push_back("patch " + std::to_string(w[WinNumber]) + ",  offset " + at);
      pos += syx::PatchSkip;
    } else if (isPerformanceHeader(w)) {
      FoundBlock b = blockFrom(BlockKind::Performance, w, pos);
      scan.statusLines.push_back("perform " + b.name + " offset " + at);
      ++scan.performanceHeaders;
      if (scan.performances.size() < static_cast<std::size_t>(PerformanceListSize))
        scan.performances.push_back(std::move(b));
      pos += syx::PerformanceSkip;
    } else if (isRhythmSetHeader(w)) {
      FoundBlock b = blockFrom(BlockKind::RhythmSet, w, pos);
      scan.statusLines.push_back("rhythm " + b.name + " offset " + at);
      scan.rhythmSets.push_back(std::move(b));
      pos += syx::RhythmSkip;
    } else {
      // Not a block start: look for the next F0 right after this one, so a
      // short message (a mode change, a single parameter) cannot hide the
      // block that follows it.
      pos += 1;
    }
  }
  if (progress) progress(size, size);
  return scan;
}

bool parsePerformanceAt(std::span<const Byte> file, std::int64_t offset, PerformanceRecord& work,
                        std::string* problem) {
  const auto b = windowAt<syx::PerformanceWindow>(file, offset < 0 ? file.size() : static_cast<std::size_t>(offset));
  std::vector<std::string> faults;
  std::string why;

  // A message with a byte of 80h or more among its data is not taken: sent
  // on, that byte would cut the data set short at the module.
  const std::size_t commonEnd = endOfMessage(b, roland::PosData, roland::PosData + CommonScanLimit, why);
  if (commonEnd == 0) {
    work.common.fill(0);
    faults.push_back("the common block " + why);
  } else {
    // The byte before F7 is the checksum, not data: a record that later goes
    // out with the larger block size must not carry it.
    const std::size_t n =
        std::min<std::size_t>(commonEnd - roland::PosData - (commonEnd > roland::PosData ? 1 : 0), CommonRecordSize);
    std::copy_n(b.begin() + roland::PosData, n, work.common.begin());
    if (n < static_cast<std::size_t>(CommonRecordSize) && commonEnd > roland::PosData) work.common[n] = 0;
  }

  int missing = 0;
  std::size_t start = lastSysexStart(b, FirstPartSearchFrom, FirstPartSearchTo);
  for (int p = 0; p < address::PartCount; ++p) {
    auto& part = work.parts[p];
    std::fill_n(part.begin(), PartBytesKept, Byte{0});
    if (start == 0) {
      ++missing;  // not in the file: left zeroed
      continue;
    }
    const std::size_t from = start + roland::PosData;
    // The longest part carries PartBytesKept data bytes and its checksum before the F7.
    const std::size_t end = endOfMessage(b, from, from + PartBytesKept + 1, why);
    if (end == 0)
      faults.push_back("part " + std::to_string(p + 1) + " " + why);
    else
      std::copy_n(b.begin() + static_cast<std::ptrdiff_t>(from),
                  std::min<std::size_t>(end > from ? end - from - 1 : 0, PartBytesKept), part.begin());
    start = lastSysexStart(b, start + NextPartSearchFrom, start + NextPartSearchTo);
  }
  if (missing > 0) faults.push_back(std::to_string(missing) + (missing == 1 ? " part" : " parts") + " missing");
  if (problem) {
    problem->clear();
    for (const auto& fault : faults) *problem += (problem->empty() ? "" : "; ") + fault;
  }
  return faults.empty();
}

SyxReadReport readSyxIntoStore(PerformanceStore& store, std::span<const Byte> file, const ScanProgress& progress) {
  SyxReadReport report;
  store.Updating = true;
  for (auto& entry : store.PerformanceList) setPerformanceName(entry.common, "");
  store.ListInfo.fill({});
  store.NoPerformance = true;

  report.scan = scanSyx(file, progress);
  const auto& found = report.scan.performances;
  for (std::size_t i = 0; i < found.size(); ++i) {
    const FoundBlock& f = found[i];
    store.ListInfo[i] = {static_cast<PerformanceKind>(f.area), f.number, f.offset, true, {}};
    std::copy_n(f.name.begin(), PerformanceNameLength, store.PerformanceList[i].common.begin() + common::Name);
    store.FromTemp |= f.area == address::AreaTemporary;
    store.FromUser |= f.area == address::AreaUserPerformance;
    store.FromCard |= f.area == address::AreaCardPerformance;
    store.NoPerformance = false;
  }
  report.count = static_cast<int>(found.size());
  store.PerformanceCount = report.count;

  std::string firstProblem;
  for (int i = 0; i < report.count; ++i) {
    ListEntryInfo& info = store.ListInfo[i];
    info.complete = parsePerformanceAt(file, info.fileOffset, store.TempPerformance, &info.problem);
    if (!info.complete && report.incomplete++ == 0)
      firstProblem = "performance " + std::to_string(i + 1) + ": " + info.problem;
    copyWorkRecordToEntry(store, i);
  }

  report.doneStatus = "Done, Performances Found = " + std::to_string(report.count);
  if (report.incomplete > 0)
    report.doneStatus += ", incomplete = " + std::to_string(report.incomplete) + " (" + firstProblem + ")";
  report.nothingFound = report.count == 0;
  if (!report.nothingFound) store.ListLoaded = true;
  store.Updating = false;
  return report;
}

FileBytes readFileBytes(const std::string& path) { return readRegularFile(path); }

namespace {

std::string countOf(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string midiFileNote(const MidiFileSysex& midi) {
  std::string note = "MIDI file: " + countOf(midi.messages, "SysEx message", "SysEx messages") + " from " +
                     countOf(midi.tracks, "track", "tracks");
  if (midi.leftOut > 0)
    note += "; " + countOf(midi.leftOut, "message was", "messages were") + " not whole and left out (" +
            midi.firstLeftOut + ")";
  return note;
}

}  // namespace

SysexFileBytes readSysexFileBytes(const std::string& path) {
  SysexFileBytes result;
  FileBytes file = readFileBytes(path);
  if (!file.ok()) {
    result.error = file.error;
    return result;
  }
  if (!isMidiFile(file.bytes)) {
    result.bytes = std::move(file.bytes);
    return result;
  }
  MidiFileSysex midi = readMidiFileSysex(file.bytes);
  if (!midi.ok()) {
    result.error = "Cannot read \"" + path + "\" as a MIDI file: " + midi.error + ".";
    return result;
  }
  result.bytes = std::move(midi.sysex);
  result.note = midiFileNote(midi);
  result.leftOut = midi.leftOut;
  return result;
}

bool isDumpFileName(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".syx" || hasMidiFileExtension(path);
}

SyxFileResult readSyxFile(PerformanceStore& store, const std::string& path, const ScanProgress& progress) {
  SyxFileResult result;
  SysexFileBytes file = readSysexFileBytes(path);
  result.error = file.error;
  result.note = file.note;
  result.leftOut = file.leftOut;
  if (!file.ok()) return result;
  result.report = readSyxIntoStore(store, file.bytes, progress);
  return result;
}

SyxFileResult openSyxFile(PerformanceStore& store, const std::string& path, const ScanProgress& progress,
                          const std::function<bool()>& mayReplace) {
  SyxFileResult result;
  SysexFileBytes file = readSysexFileBytes(path);
  result.error = file.error;
  result.note = file.note;
  result.leftOut = file.leftOut;
  if (!file.ok()) return result;
  if (mayReplace && !scanSyx(file.bytes).performances.empty() && !mayReplace()) {
    result.declined = true;
    return result;
  }
  // A file without performances (a patch bank, a picture) must not cost the list.
  const ListSnapshot before(store);
  store.clearPerformanceData();
  store.FromTemp = store.FromUser = store.FromCard = false;
  store.CurrentFileName = path;
  result.report = readSyxIntoStore(store, file.bytes, progress);
  if (result.report.nothingFound) before.restore(store);
  return result;
}

std::string loadPerformanceFromFile(PerformanceStore& store, int index) {
  if (store.CurrentFileName.empty()) return "No Performance, Select file first";
  if (index < 0 || index >= store.PerformanceCount)
    return "No performance " + std::to_string(index + 1) + " in the list";
  const SysexFileBytes file = readSysexFileBytes(store.CurrentFileName);
  if (!file.ok()) return file.error;
  // The offset counts in the file's SysEx stream; a file cut short since leaves zeros.
  ListEntryInfo& info = store.ListInfo[index];
  info.complete = parsePerformanceAt(file.bytes, info.fileOffset, store.TempPerformance, &info.problem);
  copyWorkRecordToEntry(store, index);
  store.ListLoaded = true;
  return {};
}

}  // namespace quillon
