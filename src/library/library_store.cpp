#include "library/library_store.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "library/sqlite.h"

namespace quillon::library {

namespace fs = std::filesystem;

namespace {

// Long enough for another Quillon to finish an import step; a lock held longer is stuck.
constexpr int BusyTimeoutMs = 5000;
constexpr const char* PatchSeparator = " | ";

// Each step takes the schema from the version of its index to the next.
constexpr const char* Migrations[] = {
    R"(CREATE TABLE performance(
         id INTEGER PRIMARY KEY,
         hash INTEGER NOT NULL, eoc INTEGER NOT NULL, eop INTEGER NOT NULL, data BLOB NOT NULL,
         name TEXT NOT NULL, efx_type INTEGER NOT NULL, reverb_type INTEGER NOT NULL,
         chorus_output INTEGER NOT NULL, tempo INTEGER NOT NULL, splits INTEGER NOT NULL,
         favourite INTEGER NOT NULL DEFAULT 0, comment TEXT NOT NULL DEFAULT '', added TEXT NOT NULL);
       CREATE INDEX performance_hash ON performance(hash);
       CREATE INDEX performance_efx ON performance(efx_type);
       CREATE INDEX performance_reverb ON performance(reverb_type);
       CREATE INDEX performance_tempo ON performance(tempo);
       CREATE INDEX performance_splits ON performance(splits);
       CREATE TABLE part_patch(
         performance_id INTEGER NOT NULL REFERENCES performance(id), part INTEGER NOT NULL,
         group_type INTEGER NOT NULL, group_id INTEGER NOT NULL, number INTEGER NOT NULL, name TEXT NOT NULL,
         PRIMARY KEY(performance_id, part)) WITHOUT ROWID;
       CREATE TABLE sighting(
         id INTEGER PRIMARY KEY, performance_id INTEGER NOT NULL REFERENCES performance(id),
         kind INTEGER NOT NULL, path TEXT NOT NULL, position INTEGER NOT NULL, place TEXT NOT NULL,
         module_type INTEGER NOT NULL, first_seen TEXT NOT NULL, last_seen TEXT NOT NULL,
         UNIQUE(performance_id, kind, path, position, place));
       CREATE INDEX sighting_path ON sighting(path);
       CREATE TABLE tag(performance_id INTEGER NOT NULL REFERENCES performance(id), tag TEXT NOT NULL,
         PRIMARY KEY(performance_id, tag)) WITHOUT ROWID;
       CREATE VIRTUAL TABLE performance_text USING fts5(name, patches, notes, tokenize='trigram');)",
    // The library window sorts by name.
    "CREATE INDEX performance_name ON performance(name);",
};
constexpr int MigrationCount = static_cast<int>(std::size(Migrations));
static_assert(MigrationCount == SchemaVersion);

std::string stamp(const char* format) {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, format, &utc);
  return text;
}

std::string joinedPatchNames(const RecordSummary& s) {
  std::string out;
  for (const auto& p : s.patches) {
    if (p.name.empty()) continue;
    if (!out.empty()) out += PatchSeparator;
    out += p.name;
  }
  return out;
}

}  // namespace

std::string nowText() { return stamp("%Y-%m-%d %H:%M:%S"); }

LibraryStore::LibraryStore(std::string path) : path_(std::move(path)) { open(); }
LibraryStore::~LibraryStore() = default;

void LibraryStore::open() {
  std::error_code ec;
  const auto status = fs::status(path_, ec);
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    // SQLite would block reading a FIFO; a folder is nothing to move aside.
    message_ = "The performance library \"" + path_ + "\" is not a file; the library is not used this time.";
    return;
  }
  const auto folder = fs::path(path_).parent_path();
  if (!folder.empty()) fs::create_directories(folder, ec);
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      db_ = std::make_unique<sql::Database>(path_);
      configure();
      migrate();
      return;
    } catch (const sql::SqliteError& e) {
      db_.reset();
      if (attempt > 0 || !(e.damaged() || e.busy())) {
        message_ = "The performance library \"" + path_ + "\" cannot be used (" + e.what() +
                   "); the library is not used this time.";
        return;
      }
      const std::string aside = moveAside();
      if (aside.empty()) {
        message_ = "The performance library \"" + path_ + "\" is damaged or locked (" + e.what() +
                   ") and could not be moved aside; the library is not used this time.";
        return;
      }
      movedAside_ = aside;
      message_ = "The performance library \"" + path_ + "\" could not be read (" + e.what() + "). It was moved to \"" +
                 aside + "\" and a new library was started.";
    }
  }
}

void LibraryStore::configure() {
  db_->exec("PRAGMA busy_timeout=" + std::to_string(BusyTimeoutMs));
  db_->exec("PRAGMA journal_mode=WAL");
  // Safe in WAL mode: a crash may lose the last commit, never the database.
  db_->exec("PRAGMA synchronous=NORMAL");
  db_->exec("PRAGMA foreign_keys=ON");
}

void LibraryStore::migrate() {
  const auto version = static_cast<int>(db_->scalar("PRAGMA user_version"));
  if (version == SchemaVersion) return;
  if (version > SchemaVersion)
    throw sql::SqliteError(0, "made by a newer Quillon (schema " + std::to_string(version) + ")");
  sql::Transaction t(*db_);
  for (int v = version; v < MigrationCount; ++v) db_->exec(Migrations[v]);
  db_->exec("PRAGMA user_version=" + std::to_string(SchemaVersion));
  t.commit();
}

std::string LibraryStore::moveAside() {
  const fs::path from(path_);
  const fs::path to =
      from.parent_path() / (from.stem().string() + "-damaged-" + stamp("%Y-%m-%d-%H%M%S") + from.extension().string());
  std::error_code ec;
  fs::rename(from, to, ec);
  if (ec) return {};
  // A journal left beside the old file belongs to it, never to the new one.
  for (const char* companion : {"-wal", "-shm"}) {
    const fs::path side = path_ + companion;
    if (fs::exists(side, ec)) fs::rename(side, to.string() + companion, ec);
  }
  return to.string();
}

std::string LibraryStore::guarded(const std::function<void()>& work) {
  if (!db_) return message_.empty() ? "the performance library is not open" : message_;
  try {
    work();
    return {};
  } catch (const sql::SqliteError& e) {
    return std::string("performance library \"") + path_ + "\": " + e.what();
  }
}

std::int64_t LibraryStore::insertPerformance(const PerformanceRecord& record, BlockSizes sizes,
                                             std::span<const Byte> bytes, std::int64_t hash, const PatchNamer& namer) {
  const RecordSummary s = summarize(record, namer);
  auto insert = db_->prepare(
      "INSERT INTO performance(hash, eoc, eop, data, name, efx_type, reverb_type, chorus_output, tempo, splits, added)"
      " VALUES(?,?,?,?,?,?,?,?,?,?,?)");
  insert.bind(1, hash).bind(2, sizes.eoc).bind(3, sizes.eop).bind(4, bytes).bind(5, s.name).bind(6, s.efxType);
  insert.bind(7, s.reverbType).bind(8, s.chorusOutput).bind(9, s.tempo).bind(10, s.splitParts).bind(11, nowText());
  insert.step();
  const std::int64_t id = db_->lastInsertId();
  auto part = db_->prepare("INSERT INTO part_patch VALUES(?,?,?,?,?,?)");
  for (int p = 0; p < address::PartCount; ++p) {
    const auto& patch = s.patches[p];
    part.reset();
    part.bind(1, id).bind(2, p).bind(3, patch.groupType).bind(4, patch.groupId).bind(5, patch.number);
    part.bind(6, patch.name).step();
  }
  auto text = db_->prepare("INSERT INTO performance_text(rowid, name, patches, notes) VALUES(?,?,?,'')");
  text.bind(1, id).bind(2, s.name).bind(3, joinedPatchNames(s)).step();
  return id;
}

// A performance first met without the name lists (a command line run
// elsewhere) would stay unfindable by its patches: a later sighting with names
// fills in the ones missing, and never overwrites a name kept.
void LibraryStore::fillMissingPatchNames(std::int64_t id, const PerformanceRecord& record, const PatchNamer& namer) {
  auto missing = db_->prepare("SELECT count(*) FROM part_patch WHERE performance_id=? AND name=''");
  missing.bind(1, id);
  if (!missing.step() || missing.integer(0) == 0) return;
  const RecordSummary s = summarize(record, namer);
  auto fill = db_->prepare("UPDATE part_patch SET name=? WHERE performance_id=? AND part=? AND name=''");
  for (int p = 0; p < address::PartCount; ++p) {
    if (s.patches[p].name.empty()) continue;
    fill.reset();
    fill.bind(1, s.patches[p].name).bind(2, id).bind(3, p).step();
  }
  auto text = db_->prepare(
      "UPDATE performance_text SET patches = (SELECT group_concat(name, ?1) FROM"
      " (SELECT name FROM part_patch WHERE performance_id=?2 AND name<>'' ORDER BY part)) WHERE rowid=?2");
  text.bind(1, std::string(PatchSeparator)).bind(2, id).step();
}

AddResult LibraryStore::add(std::span<const Incoming> batch, BlockSizes moduleSizes, const PatchNamer& namer) {
  AddResult result;
  result.error = guarded([&] {
    sql::Transaction t(*db_);
    auto find = db_->prepare("SELECT id FROM performance WHERE hash=? AND eoc=? AND eop=? AND data=?");
    auto seen = db_->prepare(
        "INSERT INTO sighting(performance_id, kind, path, position, place, module_type, first_seen, last_seen)"
        " VALUES(?,?,?,?,?,?,?,?) ON CONFLICT(performance_id, kind, path, position, place)"
        " DO UPDATE SET last_seen=excluded.last_seen");
    const std::string now = nowText();
    int added = 0;
    int known = 0;
    for (const auto& in : batch) {
      const BlockSizes sizes = keptSizes(in.record, moduleSizes);
      const Bytes bytes = recordBytes(in.record, sizes);
      const std::int64_t hash = recordHash(bytes, sizes);
      find.reset();
      find.bind(1, hash).bind(2, sizes.eoc).bind(3, sizes.eop).bind(4, bytes);
      std::int64_t id = 0;
      if (find.step()) {
        id = find.integer(0);
        ++known;
        fillMissingPatchNames(id, in.record, namer);
      } else {
        id = insertPerformance(in.record, sizes, bytes, hash, namer);
        ++added;
      }
      const Sighting& s = in.seen;
      seen.reset();
      seen.bind(1, id).bind(2, static_cast<std::int64_t>(s.kind)).bind(3, s.path).bind(4, s.position);
      seen.bind(5, s.place).bind(6, static_cast<std::int64_t>(s.moduleType));
      seen.bind(7, s.firstSeen.empty() ? now : s.firstSeen).bind(8, s.lastSeen.empty() ? now : s.lastSeen).step();
    }
    t.commit();
    result.added = added;
    result.known = known;
  });
  return result;
}

std::vector<Sighting> LibraryStore::sightingsOf(std::int64_t id) {
  std::vector<Sighting> out;
  auto q = db_->prepare(
      "SELECT kind, path, position, place, module_type, first_seen, last_seen FROM sighting"
      " WHERE performance_id=? ORDER BY id");
  q.bind(1, id);
  while (q.step()) {
    out.push_back({static_cast<Sighting::Kind>(q.integer(0)), q.text(1), static_cast<int>(q.integer(2)), q.text(3),
                   static_cast<ModuleType>(q.integer(4)), q.text(5), q.text(6)});
  }
  return out;
}

std::optional<StoredPerformance> LibraryStore::performance(std::int64_t id) {
  std::optional<StoredPerformance> found;
  guarded([&] {
    auto q = db_->prepare("SELECT eoc, eop, data, favourite, comment FROM performance WHERE id=?");
    q.bind(1, id);
    if (!q.step()) return;
    const BlockSizes sizes{static_cast<int>(q.integer(0)), static_cast<int>(q.integer(1))};
    const auto record = recordFromBytes(q.blob(2), sizes);
    if (!record) return;
    StoredPerformance p{id, *record, sizes, summarize(*record, {}), q.integer(3) != 0, q.text(4), {}, sightingsOf(id)};
    auto names = db_->prepare("SELECT part, name FROM part_patch WHERE performance_id=?");
    names.bind(1, id);
    while (names.step()) p.summary.patches.at(static_cast<std::size_t>(names.integer(0))).name = names.text(1);
    auto tags = db_->prepare("SELECT tag FROM tag WHERE performance_id=? ORDER BY tag");
    tags.bind(1, id);
    while (tags.step()) p.tags.push_back(tags.text(0));
    found = std::move(p);
  });
  return found;
}

void LibraryStore::refreshNotes(std::int64_t id) {
  auto q = db_->prepare(
      "UPDATE performance_text SET notes = (SELECT comment FROM performance WHERE id=?1) || ' ' ||"
      " coalesce((SELECT group_concat(tag, ' ') FROM tag WHERE performance_id=?1), '') WHERE rowid=?1");
  q.bind(1, id).step();
}

std::string LibraryStore::setFavourite(std::int64_t id, bool favourite) {
  return guarded(
      [&] { db_->prepare("UPDATE performance SET favourite=? WHERE id=?").bind(1, favourite).bind(2, id).step(); });
}

std::string LibraryStore::setComment(std::int64_t id, const std::string& comment) {
  return guarded([&] {
    sql::Transaction t(*db_);
    db_->prepare("UPDATE performance SET comment=? WHERE id=?").bind(1, comment).bind(2, id).step();
    refreshNotes(id);
    t.commit();
  });
}

std::string LibraryStore::addTag(std::int64_t id, const std::string& tag) {
  return guarded([&] {
    sql::Transaction t(*db_);
    db_->prepare("INSERT OR IGNORE INTO tag VALUES(?,?)").bind(1, id).bind(2, tag).step();
    refreshNotes(id);
    t.commit();
  });
}

std::string LibraryStore::removeTag(std::int64_t id, const std::string& tag) {
  return guarded([&] {
    sql::Transaction t(*db_);
    db_->prepare("DELETE FROM tag WHERE performance_id=? AND tag=?").bind(1, id).bind(2, tag).step();
    refreshNotes(id);
    t.commit();
  });
}

}  // namespace quillon::library
