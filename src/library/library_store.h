#pragma once
// The performance library: every performance ever opened, saved or fetched,
// kept once in one SQLite file with every place it was seen. Opening never
// fails the caller: a damaged or locked file is moved aside (with the date in
// its name) and a new library is started; message() says so.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "library/library_record.h"

namespace quillon::sql {
class Database;
}

namespace quillon::library {

inline constexpr const char* LibraryFileName = "library.sqlite";
inline constexpr int SchemaVersion = 2;
// Hits a window or a listing shows at once.
inline constexpr int SearchPageSize = 500;

// One place a performance was seen: a file and its index there, or a fetch
// ("Temp", "User 12").
struct Sighting {
  enum class Kind { File = 0, Fetch = 1 };
  Kind kind = Kind::File;
  std::string path;   // files only: the absolute path
  int position = 0;   // files: index in the file (0..31); fetches: the slot (0..31), 0 for Temp
  std::string place;  // "User 3", "Card 12", "Temp": where the file or the module kept it
  ModuleType moduleType = ModuleType::JV1080;
  std::string firstSeen;  // UTC, "YYYY-MM-DD HH:MM:SS"; filled by the store when empty
  std::string lastSeen;
};

struct Incoming {
  PerformanceRecord record;
  Sighting seen;
};

struct AddResult {
  int added = 0;  // performances the library did not hold
  int known = 0;  // performances it held already (a new place may have been noted)
  std::string error;
  bool ok() const { return error.empty(); }
};

// What a search asks for; every field left empty matches everything.
struct Query {
  std::string text;           // in the name, a patch name, a tag or the comment
  std::string patch;          // in a part's patch name
  std::vector<int> efxTypes;  // stored EFX type values, any of them
  std::optional<int> reverbType;
  std::optional<int> tempo;
  bool splitsOnly = false;  // parts with narrower key ranges
  bool favouritesOnly = false;
  std::string tag;                       // exactly this tag
  std::optional<ModuleType> moduleType;  // seen from a module of this type
  std::optional<Sighting::Kind> source;  // seen in a file, or fetched
  std::optional<std::string> nameIs;     // exactly this name
};

// The orders a listing can take; each breaks ties by the order the library met them.
enum class SortKey { Added, Name, EfxType, ReverbType, Tempo, Splits, Sightings, FirstSeen };

// One page of a listing.
struct Page {
  int offset = 0;
  int limit = SearchPageSize;
  SortKey sort = SortKey::Added;
  bool descending = false;
};

struct Hit {
  std::int64_t id = 0;
  std::string name;
  bool favourite = false;
  int efxType = 0;
  int tempo = 0;
  int splitParts = 0;
  int sightings = 0;
  std::string firstPlace;  // "path #N (User 3)" or "fetched: User 12"
  int reverbType = 0;
  ModuleType moduleType = ModuleType::JV1080;  // of the first place it was seen
  std::string firstSeen;                       // when the library first met it
};

struct StoredPerformance {
  std::int64_t id = 0;
  PerformanceRecord record;
  BlockSizes sizes;
  RecordSummary summary;
  bool favourite = false;
  std::string comment;
  std::vector<std::string> tags;
  std::vector<Sighting> sightings;
};

struct Stats {
  std::int64_t performances = 0;
  std::int64_t sightings = 0;
  std::int64_t files = 0;
  std::int64_t fetches = 0;
  std::int64_t favourites = 0;
  std::int64_t tagged = 0;
};

class LibraryStore {
 public:
  explicit LibraryStore(std::string path);
  ~LibraryStore();
  LibraryStore(const LibraryStore&) = delete;
  LibraryStore& operator=(const LibraryStore&) = delete;

  bool isOpen() const { return db_ != nullptr; }
  const std::string& path() const { return path_; }
  // What the user is to be told about opening (a file moved aside, a library
  // that cannot be used); empty when all went well.
  const std::string& message() const { return message_; }
  // Where a damaged file was moved; empty when none was.
  const std::string& movedAside() const { return movedAside_; }

  // Adds a batch in one transaction: all of it or nothing.
  AddResult add(std::span<const Incoming> batch, BlockSizes moduleSizes, const PatchNamer& namer);

  // Hits in the order the library first met them; `error` says why a search failed.
  std::vector<Hit> search(const Query& query, int limit, std::string* error = nullptr);
  std::vector<Hit> search(const Query& query, const Page& page, std::string* error = nullptr);
  // How many performances the query finds; 0 (and `error` says why) when it cannot be asked.
  std::int64_t count(const Query& query, std::string* error = nullptr);
  // Performances of the same name as `id` and other bytes.
  std::vector<Hit> duplicatesOf(std::int64_t id, std::string* error = nullptr);
  std::optional<StoredPerformance> performance(std::int64_t id);
  Stats stats();

  // Each returns an error text, empty on success.
  std::string setFavourite(std::int64_t id, bool favourite);
  std::string setComment(std::int64_t id, const std::string& comment);
  std::string addTag(std::int64_t id, const std::string& tag);
  std::string removeTag(std::int64_t id, const std::string& tag);

 private:
  void open();
  void configure();
  void migrate();
  std::string moveAside();
  std::int64_t insertPerformance(const PerformanceRecord& record, BlockSizes sizes, std::span<const Byte> bytes,
                                 std::int64_t hash, const PatchNamer& namer);
  void refreshNotes(std::int64_t id);
  void fillMissingPatchNames(std::int64_t id, const PerformanceRecord& record, const PatchNamer& namer);
  std::vector<Sighting> sightingsOf(std::int64_t id);
  // Runs `work`; an SQLite failure becomes the text returned (empty when all went well).
  std::string guarded(const std::function<void()>& work);

  std::string path_;
  std::unique_ptr<sql::Database> db_;
  std::string message_;
  std::string movedAside_;
};

// The time now, as the library writes dates.
std::string nowText();

}  // namespace quillon::library
