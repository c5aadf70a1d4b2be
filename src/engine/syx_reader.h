#pragma once
// Finding performances in a .syx byte stream and parsing them into the store.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "engine/file_reading.h"
#include "engine/store.h"

namespace quillon {

namespace syx {
inline constexpr std::size_t HeaderWindow = 21;        // F0 .. first 12 name bytes
inline constexpr std::size_t PerformanceWindow = 672;  // enough for a JV-2080 performance
inline constexpr std::size_t PatchSkip = 631;          // resume points after a block start
inline constexpr std::size_t PerformanceSkip = 541;
inline constexpr std::size_t RhythmSkip = 4421;
inline constexpr Byte MaxPatchNumber = 0x80;
inline constexpr Byte FirstRhythmCandidate = 0x3A;
inline constexpr Byte RhythmSet1 = 0x40;
inline constexpr Byte RhythmSet2 = 0x41;
inline constexpr std::size_t ProgressStep = 64 * 1024;  // bytes between progress reports
}  // namespace syx

enum class BlockKind { Performance, Patch, RhythmSet };

struct FoundBlock {
  BlockKind kind = BlockKind::Performance;
  Byte area = 0;   // address byte 0 of the block
  int number = 0;  // address byte 1
  std::int64_t offset = 0;
  std::string name;  // the 12 bytes after the address, as stored
};

struct SyxScan {
  std::vector<FoundBlock> performances;  // in file order, at most 32
  int performanceHeaders = 0;            // every header met, also beyond 32
  std::vector<FoundBlock> patches;
  std::vector<FoundBlock> rhythmSets;
  std::vector<std::string> statusLines;  // one per block, in the scan's wording
};

// Called with (bytes scanned, total) at most every ProgressStep bytes.
using ScanProgress = std::function<void(std::size_t, std::size_t)>;

SyxScan scanSyx(std::span<const Byte> file, const ScanProgress& progress = {});

// Parses the performance whose common message starts at `offset` into `work`,
// which keeps common bytes that the message does not reach. Returns false when
// blocks were missing or damaged (a byte of 80h or more among the data, no end
// byte): those are left zeroed and `problem`, when given, says which and why.
bool parsePerformanceAt(std::span<const Byte> file, std::int64_t offset, PerformanceRecord& work,
                        std::string* problem = nullptr);

// What one read of a file did to the store.
struct SyxReadReport {
  SyxScan scan;
  int count = 0;
  int incomplete = 0;         // performances with missing parts
  std::string doneStatus;     // "Done, Performances Found = N"
  bool nothingFound = false;  // the user is told NoPerformancesMessage
};
inline constexpr const char* NoPerformancesMessage = "No performances found\rChoose another syx-file.";

// Lists and parses every performance of `file` into the store: names are
// blanked first, each entry is parsed from its own offset and keeps its kind
// and file number, and the source flags are set by kind. The caller has
// already stored the path in CurrentFileName.
SyxReadReport readSyxIntoStore(PerformanceStore& store, std::span<const Byte> file, const ScanProgress& progress = {});

// Whole-file reading of a .syx file with a clear message instead of an
// exception: regular files only, up to MaxReadFileSize.
FileBytes readFileBytes(const std::string& path);

// The SysEx stream a file holds: a .syx as it is, or the SysEx of a Standard
// MIDI File (found by its header, whatever the name) joined into whole
// messages in playing order. Offsets into a MIDI file's stream count in the
// stream, so every reader of the file goes through here.
struct SysexFileBytes {
  Bytes bytes;
  std::string error;  // empty on success
  std::string note;   // for a MIDI file: what was taken from it and what was left out
  int leftOut = 0;    // SysEx messages of a MIDI file that were not whole
  bool ok() const { return error.empty(); }
};
SysexFileBytes readSysexFileBytes(const std::string& path);

// A name the Open command and a drop take for a dump: .syx, .mid or .midi.
bool isDumpFileName(const std::string& path);

// Reads `path` and loads it into the store; on failure the store is left as
// it was and the error names the path and reason.
struct SyxFileResult {
  std::string error;
  std::string note;  // what a MIDI file gave, as SysexFileBytes says it
  int leftOut = 0;
  SyxReadReport report;
  bool declined = false;  // the file held performances; the consent kept the list instead
  bool ok() const { return error.empty(); }
};
SyxFileResult readSyxFile(PerformanceStore& store, const std::string& path, const ScanProgress& progress = {});

// The Open command: reads the file first (a failure leaves the store as it
// was), then clears the performance data and every source flag, remembers
// the path and reads the file into the store. `mayReplace`, when given, is
// asked once the file is known to hold performances and before the store
// changes (unsaved edits may be at stake); false leaves the store as it was.
SyxFileResult openSyxFile(PerformanceStore& store, const std::string& path, const ScanProgress& progress = {},
                          const std::function<bool()>& mayReplace = {});

// Re-parses listed entry `index` from CurrentFileName (the file is opened again).
// Returns an error text, empty on success.
std::string loadPerformanceFromFile(PerformanceStore& store, int index);

}  // namespace quillon
