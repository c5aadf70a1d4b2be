#pragma once
// Filling the library: dump files (.syx, Standard MIDI Files) one by one or a
// whole folder tree, and the performances fetched from the module.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "engine/store.h"
#include "library/library_store.h"

namespace quillon::library {

struct FileProblem {
  std::string path;
  std::string reason;
};

struct ImportProgress {
  int filesDone = 0;  // dump files read, or tried
  int performancesFound = 0;
  int added = 0;                      // new to the library
  int known = 0;                      // held already
  int skipped = 0;                    // files whose names are no dump's (.syx, .mid, .midi)
  std::vector<FileProblem> problems;  // unreadable files and folders, loops, files without performances
  std::string currentFile;
};

struct ImportReport : ImportProgress {
  bool cancelled = false;
  std::string error;  // the database refused: the import stopped (what came before is kept)
  bool ok() const { return error.empty(); }
};

struct ImportOptions {
  ModuleType moduleType = ModuleType::JV1080;
  PatchNamer namer;
  // Called after each file.
  std::function<void(const ImportProgress&)> progress;
  // Checked before each file and each folder entry; what was imported stays.
  const std::atomic<bool>* cancel = nullptr;
};

// Files and folder trees, in the order given; a folder is walked for dump
// files, following links to folders once each.
ImportReport importPaths(LibraryStore& store, const std::vector<std::string>& paths, const ImportOptions& options);

// "Temp", "User 12", "Card 3": where the module (or a file) kept a performance; `number` counts from 0.
std::string placeText(PerformanceKind kind, int number);

// A performance a fetch brought whole, and the slot it came from (0 for Temp).
struct Fetched {
  int number = 0;
  PerformanceRecord record;
};
AddResult addFetched(LibraryStore& store, PerformanceKind kind, std::span<const Fetched> fetched,
                     const ImportOptions& options);

}  // namespace quillon::library
