#include <fstream>

#include "engine/midi_message.h"
#include "library/sqlite.h"
#include "library_fixture.h"

namespace quillon::library::testing {
namespace {

using Store = LibraryTest;

std::vector<std::string> hitNames(const std::vector<Hit>& hits) {
  std::vector<std::string> out;
  for (const auto& h : hits) out.push_back(h.name);
  return out;
}

// The demo names a predicate picks, in bank order.
template <typename Pick>
std::vector<std::string> demoNamesWhere(Pick pick) {
  std::vector<std::string> out;
  for (int i = 0; i < DemoPerformanceCount; ++i)
    if (pick(demoPerformance(i))) out.push_back(performanceName(demoPerformance(i).common));
  return out;
}

TEST_F(Store, KeepsEachPerformanceOnceWithEveryPlaceItWasSeen) {
  const auto a = writeDemoBank(folder / "a.syx");
  const auto b = writeDemoBank(folder / "b.syx");
  LibraryStore store(dbPath());
  ASSERT_TRUE(store.isOpen()) << store.message();

  auto first = import(store, {a});
  EXPECT_EQ(first.added, DemoPerformanceCount);
  auto again = import(store, {a});
  EXPECT_EQ(again.added, 0);
  EXPECT_EQ(again.known, DemoPerformanceCount);
  EXPECT_EQ(store.stats().sightings, DemoPerformanceCount) << "the same file twice adds no place";
  import(store, {b});
  const PerformanceRecord fetched = demoPerformance(2);
  const Fetched fromSlot{0, fetched};
  EXPECT_EQ(addFetched(store, PerformanceKind::User, std::span(&fromSlot, 1), options).added, 0);

  const auto s = store.stats();
  EXPECT_EQ(s.performances, DemoPerformanceCount);
  EXPECT_EQ(s.sightings, 2 * DemoPerformanceCount + 1);
  EXPECT_EQ(s.files, 2);
  EXPECT_EQ(s.fetches, 1);

  const auto hits = store.search({.text = std::string(demoPerformanceName(2))}, 10);
  ASSERT_EQ(hits.size(), 1u);
  const auto p = store.performance(hits[0].id);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->record, fetched) << "the bytes come back as they went in";
  ASSERT_EQ(p->sightings.size(), 3u);
  EXPECT_EQ(p->sightings[0].path, a);
  EXPECT_EQ(p->sightings[0].position, 2);
  EXPECT_EQ(p->sightings[0].place, "User 3");
  EXPECT_EQ(p->sightings[1].path, b);
  EXPECT_EQ(p->sightings[2].kind, Sighting::Kind::Fetch);
  EXPECT_EQ(p->sightings[2].place, "User 1");
}

TEST_F(Store, ALaterSightingFillsInPatchNamesFirstUnknown) {
  const auto bank = writeDemoBank(folder / "bank.syx");
  LibraryStore store(dbPath());
  ImportOptions nameless = options;
  nameless.namer = [](const PerfPartRecord&, int) { return std::string(); };
  importPaths(store, {bank}, nameless);
  const PerformanceRecord first = demoPerformance(0);
  const std::string patch = partSoundName(first.parts[0], 0, names);
  ASSERT_FALSE(patch.empty());
  EXPECT_TRUE(store.search({.patch = patch}, 10).empty());

  import(store, {bank});
  const auto hits = store.search({.patch = patch}, 10);
  ASSERT_FALSE(hits.empty());
  const auto kept = store.performance(hits[0].id);
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->summary.patches[0].name, patch);
}

TEST_F(Store, FindsByEveryIndexedField) {
  LibraryStore store(dbPath());
  import(store, {writeDemoBank(folder / "bank.syx")});
  const auto find = [&](Query q) { return hitNames(store.search(q, 100)); };
  const PerformanceRecord third = demoPerformance(2);
  const std::string name = performanceName(third.common);

  const auto shortText = find({.text = name.substr(0, 2)});
  EXPECT_NE(std::find(shortText.begin(), shortText.end(), name), shortText.end()) << "short text, row by row";
  EXPECT_EQ(find({.text = "zzqq"}), std::vector<std::string>{});

  const std::string patch = partSoundName(third.parts[0], 0, names);
  ASSERT_FALSE(patch.empty()) << "the shipped lists name the demo's first part";
  const auto withPatch = find({.patch = patch});
  EXPECT_NE(std::find(withPatch.begin(), withPatch.end(), name), withPatch.end());
  EXPECT_EQ(find({.text = patch}), withPatch) << "free text looks at patch names too";

  const int efx = third.common[common::EfxType];
  EXPECT_EQ(find({.efxTypes = {efx}}), demoNamesWhere([&](const auto& r) { return r.common[common::EfxType] == efx; }));
  const int reverb = third.common[common::ReverbType];
  EXPECT_EQ(find({.reverbType = reverb}),
            demoNamesWhere([&](const auto& r) { return r.common[common::ReverbType] == reverb; }));
  const int tempo = shown::tempoOf(third.common);
  EXPECT_EQ(find({.tempo = tempo}), demoNamesWhere([&](const auto& r) { return shown::tempoOf(r.common) == tempo; }));
  const auto splits = find({.splitsOnly = true});
  EXPECT_EQ(splits, demoNamesWhere([](const auto& r) {
              return std::any_of(r.parts.begin(), r.parts.end(), [](const auto& p) {
                return p[part::KeyRangeLower] > 0 || p[part::KeyRangeUpper] < MaxNote;
              });
            }));
  EXPECT_FALSE(splits.empty()) << "a demo splits the keyboard";

  const auto id = store.search({.text = name}, 1).at(0).id;
  EXPECT_EQ(store.setFavourite(id, true), "");
  EXPECT_EQ(store.addTag(id, "gig-2026"), "");
  EXPECT_EQ(store.setComment(id, "opening number, brass swells"), "");
  EXPECT_EQ(find({.favouritesOnly = true}), std::vector{name});
  EXPECT_EQ(find({.tag = "gig-2026"}), std::vector{name});
  EXPECT_EQ(find({.text = "brass swells"}), std::vector{name}) << "the comment is searched";
  EXPECT_EQ(find({.text = "GIG-2026"}), std::vector{name}) << "tags are searched, case aside";
  EXPECT_EQ(store.removeTag(id, "gig-2026"), "");
  EXPECT_EQ(find({.tag = "gig-2026"}), std::vector<std::string>{});
  EXPECT_EQ(find({.text = "gig-2026"}), std::vector<std::string>{});
}

TEST_F(Store, ListsInPagesInEveryOrderAndFindsDuplicates) {
  LibraryStore store(dbPath());
  import(store, {writeDemoBank(folder / "bank.syx")});
  // The first demo's twin: its name, other bytes, fetched from a JV 2080.
  PerformanceRecord twin = demoPerformance(0);
  twin.parts[0][part::Level] ^= 1;
  const std::vector<Incoming> fetched{{twin, {Sighting::Kind::Fetch, "", 0, "Temp", ModuleType::JV2080, {}, {}}}};
  ASSERT_TRUE(store.add(fetched, StandardBlockSizes, options.namer).ok());
  const int all = DemoPerformanceCount + 1;
  EXPECT_EQ(store.count({}), all);

  std::vector<std::string> paged;
  constexpr int PageRows = 3;
  for (int offset = 0; offset < all; offset += PageRows)
    for (const auto& h : store.search({}, Page{offset, PageRows, SortKey::Name, false})) paged.push_back(h.name);
  auto sorted = hitNames(store.search(Query{}, all));
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(paged, sorted) << "pages in name order, none twice, none left out";
  const auto byTempo = store.search({}, Page{0, all, SortKey::Tempo, true});
  EXPECT_TRUE(
      std::is_sorted(byTempo.begin(), byTempo.end(), [](const Hit& a, const Hit& b) { return a.tempo > b.tempo; }));

  EXPECT_EQ(store.count({.moduleType = ModuleType::JV2080}), 1);
  EXPECT_EQ(store.count({.source = Sighting::Kind::Fetch}), 1);
  EXPECT_EQ(store.count({.source = Sighting::Kind::File}), DemoPerformanceCount);
  const Hit first = store.search(Query{.source = Sighting::Kind::File}, 1).at(0);
  const auto duplicates = store.duplicatesOf(first.id);
  ASSERT_EQ(duplicates.size(), 1u);
  EXPECT_EQ(duplicates[0].name, first.name);
  EXPECT_NE(duplicates[0].id, first.id);
}

TEST_F(Store, StartsFromAnEmptyFileAndMovesADamagedOneAside) {
  std::ofstream(dbPath()).close();  // an empty file is an empty database
  {
    LibraryStore store(dbPath());
    ASSERT_TRUE(store.isOpen());
    EXPECT_EQ(store.message(), "");
    EXPECT_EQ(sql::Database(dbPath()).scalar("PRAGMA user_version"), SchemaVersion);
  }
  const std::string junk(4096, 'x');
  std::ofstream(dbPath(), std::ios::binary) << junk;
  LibraryStore store(dbPath());
  ASSERT_TRUE(store.isOpen()) << store.message();
  EXPECT_NE(store.message().find("moved to"), std::string::npos) << store.message();
  ASSERT_FALSE(store.movedAside().empty());
  std::ifstream aside(store.movedAside(), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(aside), {}), junk) << "the damaged file is kept as it was";
  EXPECT_EQ(import(store, {writeDemoBank(folder / "bank.syx")}).added, DemoPerformanceCount);
}

TEST_F(Store, LeavesALibraryOfANewerVersionAlone) {
  { LibraryStore created(dbPath()); }
  sql::Database(dbPath()).exec("PRAGMA user_version=" + std::to_string(SchemaVersion + 1));
  LibraryStore store(dbPath());
  EXPECT_FALSE(store.isOpen());
  EXPECT_NE(store.message().find("newer"), std::string::npos) << store.message();
  EXPECT_TRUE(store.movedAside().empty());
  EXPECT_FALSE(import(store, {writeDemoBank(folder / "bank.syx")}).ok()) << "a closed library says so";
}

}  // namespace
}  // namespace quillon::library::testing
