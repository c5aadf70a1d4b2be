#include "library/library_import.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "engine/syx_reader.h"

namespace quillon::library {

namespace fs = std::filesystem;

namespace {

constexpr const char* NoPerformances = "no performances found";

PerformanceKind kindOfArea(Byte area) {
  switch (area) {
    case address::AreaTemporary: return PerformanceKind::Temp;
    case address::AreaUserPerformance: return PerformanceKind::User;
    case address::AreaCardPerformance: return PerformanceKind::Card;
    default: return PerformanceKind::None;
  }
}

class Importer {
 public:
  Importer(LibraryStore& store, const ImportOptions& options) : store_(store), options_(options) {}

  void run(const std::vector<std::string>& paths) {
    for (const auto& p : paths) {
      if (stopped()) break;
      std::error_code ec;
      const fs::path path = fs::absolute(p, ec).lexically_normal();
      if (fs::is_directory(path, ec))
        walk(path);
      else
        importFile(path);  // the reader names what is wrong with anything else
    }
    report_.cancelled = cancelled();
  }

  ImportReport report() const { return report_; }

 private:
  bool cancelled() const { return options_.cancel && options_.cancel->load(); }
  bool stopped() const { return cancelled() || !report_.ok(); }
  void problem(const fs::path& path, std::string reason) {
    report_.problems.push_back({path.string(), std::move(reason)});
  }

  void importFile(const fs::path& path) {
    const std::string name = path.string();
    report_.currentFile = name;
    const SysexFileBytes file = readSysexFileBytes(name);
    ++report_.filesDone;
    if (!file.ok()) {
      problem(path, file.error);
    } else {
      addFile(path, file.bytes);
    }
    if (options_.progress) options_.progress(report_);
  }

  void addFile(const fs::path& path, const Bytes& bytes) {
    const SyxScan scan = scanSyx(bytes);
    std::vector<Incoming> batch;
    for (std::size_t i = 0; i < scan.performances.size(); ++i) {
      const FoundBlock& found = scan.performances[i];
      Incoming in;
      std::string why;
      if (!parsePerformanceAt(bytes, found.offset, in.record, &why)) {
        problem(path, "performance " + std::to_string(i + 1) + " is incomplete (" + why + ")");
        continue;
      }
      in.seen = {Sighting::Kind::File,
                 path.string(),
                 static_cast<int>(i),
                 placeText(kindOfArea(found.area), found.number),
                 options_.moduleType,
                 {},
                 {}};
      batch.push_back(std::move(in));
    }
    report_.performancesFound += static_cast<int>(batch.size());
    if (scan.performances.empty()) problem(path, NoPerformances);
    if (batch.empty()) return;
    const AddResult added = store_.add(batch, blockSizesFor(options_.moduleType), options_.namer);
    report_.added += added.added;
    report_.known += added.known;
    report_.error = added.error;
  }

  // Depth first, each folder's entries by name, so two walks of a tree agree.
  void walk(const fs::path& root) {
    std::vector<fs::path> folders{root};
    std::error_code ec;
    visited_.insert(fs::canonical(root, ec));
    while (!folders.empty() && !stopped()) {
      const fs::path folder = folders.back();
      folders.pop_back();
      std::vector<fs::path> entries;
      fs::directory_iterator it(folder, ec);
      if (ec) problem(folder, ec.message());
      for (; !ec && it != fs::directory_iterator(); it.increment(ec)) entries.push_back(it->path());
      if (ec) problem(folder, ec.message());
      std::sort(entries.begin(), entries.end());
      std::vector<fs::path> subfolders;
      for (const auto& entry : entries) {
        if (stopped()) return;
        visitEntry(entry, subfolders);
      }
      folders.insert(folders.end(), subfolders.rbegin(), subfolders.rend());
    }
  }

  void visitEntry(const fs::path& entry, std::vector<fs::path>& subfolders) {
    std::error_code ec;
    const auto status = fs::status(entry, ec);
    if (ec) {  // a link to nowhere, or one that loops on itself
      problem(entry, ec.message());
      return;
    }
    if (fs::is_directory(status)) {
      const fs::path real = fs::canonical(entry, ec);
      if (ec) {
        problem(entry, ec.message());
      } else if (!visited_.insert(real).second) {
        problem(entry, "leads back to \"" + real.string() + "\", already walked");
      } else {
        subfolders.push_back(entry);
      }
      return;
    }
    if (!isDumpFileName(entry.string())) {
      ++report_.skipped;
      return;
    }
    importFile(entry);
  }

  LibraryStore& store_;
  const ImportOptions& options_;
  ImportReport report_;
  std::set<fs::path> visited_;
};

}  // namespace

std::string placeText(PerformanceKind kind, int number) {
  if (kind == PerformanceKind::Temp || kind == PerformanceKind::None) return kindText(PerformanceKind::Temp);
  return std::string(kindText(kind)) + " " + std::to_string(number + 1);
}

ImportReport importPaths(LibraryStore& store, const std::vector<std::string>& paths, const ImportOptions& options) {
  Importer importer(store, options);
  importer.run(paths);
  return importer.report();
}

AddResult addFetched(LibraryStore& store, PerformanceKind kind, std::span<const Fetched> fetched,
                     const ImportOptions& options) {
  std::vector<Incoming> batch;
  for (const auto& f : fetched) {
    batch.push_back(
        {f.record, {Sighting::Kind::Fetch, {}, f.number, placeText(kind, f.number), options.moduleType, {}, {}}});
  }
  return store.add(batch, blockSizesFor(options.moduleType), options.namer);
}

}  // namespace quillon::library
