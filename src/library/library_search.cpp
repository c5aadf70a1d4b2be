// Searching the library: text through the trigram index, the rest through
// the performance table's own columns.

#include <functional>

#include "library/library_store.h"
#include "library/sqlite.h"

namespace quillon::library {

namespace {

// The trigram index answers only for three characters or more; shorter text is
// looked for row by row.
constexpr std::size_t TrigramLength = 3;

// A phrase for the index: double quotes doubled, the whole quoted.
std::string phrase(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

// A LIKE pattern that takes `text` literally.
std::string containing(const std::string& text) {
  std::string out = "%";
  for (char c : text) {
    if (c == '%' || c == '_' || c == '\\') out += '\\';
    out += c;
  }
  return out + '%';
}

// The WHERE clause and the values to bind to it, in order.
struct Filter {
  std::string where = "1";
  std::vector<std::function<void(sql::Statement&, int)>> binds;

  void add(const std::string& clause, std::function<void(sql::Statement&, int)> bind) {
    where += " AND " + clause;
    if (bind) binds.push_back(std::move(bind));
  }
  void addText(const std::string& clause, std::string value) {
    add(clause, [value = std::move(value)](sql::Statement& s, int i) { s.bind(i, value); });
  }
  void addNumber(const std::string& clause, std::int64_t value) {
    add(clause, [value](sql::Statement& s, int i) { s.bind(i, value); });
  }
};

Filter filterFor(const Query& q) {
  Filter f;
  std::string match;  // one index expression for every long text
  const auto text = [&](const std::string& value, const char* column, const char* likeClause) {
    if (value.empty()) return;
    if (value.size() >= TrigramLength) {
      match += (match.empty() ? "" : " AND ") + std::string(column) + phrase(value);
    } else {
      f.addText(likeClause, containing(value));
    }
  };
  text(q.text, "",
       "p.id IN (SELECT rowid FROM performance_text WHERE name || ' ' || patches || ' ' || notes"
       " LIKE ? ESCAPE '\\')");
  text(q.patch, "patches : ", "p.id IN (SELECT rowid FROM performance_text WHERE patches LIKE ? ESCAPE '\\')");
  if (!match.empty()) f.addText("p.id IN (SELECT rowid FROM performance_text WHERE performance_text MATCH ?)", match);
  if (!q.efxTypes.empty()) {
    std::string list;
    for (int t : q.efxTypes) list += (list.empty() ? "" : ",") + std::to_string(t);
    f.add("p.efx_type IN (" + list + ")", {});
  }
  if (q.reverbType) f.addNumber("p.reverb_type = ?", *q.reverbType);
  if (q.tempo) f.addNumber("p.tempo = ?", *q.tempo);
  if (q.splitsOnly) f.add("p.splits > 0", {});
  if (q.favouritesOnly) f.add("p.favourite <> 0", {});
  if (!q.tag.empty()) f.addText("p.id IN (SELECT performance_id FROM tag WHERE tag = ?)", q.tag);
  if (q.moduleType)
    f.addNumber("p.id IN (SELECT performance_id FROM sighting WHERE module_type = ?)",
                static_cast<std::int64_t>(*q.moduleType));
  if (q.source)
    f.addNumber("p.id IN (SELECT performance_id FROM sighting WHERE kind = ?)", static_cast<std::int64_t>(*q.source));
  if (q.nameIs) f.addText("p.name = ?", *q.nameIs);
  return f;
}

constexpr const char* SightingCount = "(SELECT count(*) FROM sighting WHERE performance_id = p.id)";

std::string orderBy(const Page& page) {
  const char* column = "p.id";
  switch (page.sort) {
    case SortKey::Added: break;
    case SortKey::Name: column = "p.name"; break;
    case SortKey::EfxType: column = "p.efx_type"; break;
    case SortKey::ReverbType: column = "p.reverb_type"; break;
    case SortKey::Tempo: column = "p.tempo"; break;
    case SortKey::Splits: column = "p.splits"; break;
    case SortKey::Sightings: column = SightingCount; break;
    case SortKey::FirstSeen: break;  // the library numbers performances as it meets them
  }
  const char* direction = page.descending ? " DESC" : "";
  return std::string(" ORDER BY ") + column + direction + ", p.id" + direction;
}

template <typename Bound>
void bindAll(const Filter& f, Bound& s) {
  for (std::size_t i = 0; i < f.binds.size(); ++i) f.binds[i](s, static_cast<int>(i + 1));
}

std::string placeText(const sql::Statement& s, int kindColumn) {
  const auto kind = static_cast<Sighting::Kind>(s.integer(kindColumn));
  const std::string place = s.text(kindColumn + 3);
  if (kind == Sighting::Kind::Fetch) return "fetched: " + place;
  return s.text(kindColumn + 1) + " #" + std::to_string(s.integer(kindColumn + 2) + 1) + " (" + place + ")";
}

}  // namespace

std::vector<Hit> LibraryStore::search(const Query& query, int limit, std::string* error) {
  Page page;
  page.limit = limit;
  return search(query, page, error);
}

std::vector<Hit> LibraryStore::search(const Query& query, const Page& page, std::string* error) {
  std::vector<Hit> hits;
  const std::string failure = guarded([&] {
    const Filter f = filterFor(query);
    // The page is cut from the performance table alone; only its rows are joined
    // to their first place, so a page far down costs no more than the first.
    const std::string pageClause = " LIMIT " + std::to_string(page.limit) + " OFFSET " + std::to_string(page.offset);
    const std::string sqlText =
        "SELECT p.id, p.name, p.favourite, p.efx_type, p.tempo, p.splits, " + std::string(SightingCount) +
        ", s.kind, s.path, s.position, s.place, p.reverb_type, s.module_type, p.added"
        " FROM (SELECT p.id, p.name, p.favourite, p.efx_type, p.tempo, p.splits, p.reverb_type, p.added"
        " FROM performance p WHERE " +
        f.where + orderBy(page) + pageClause +
        ") p JOIN sighting s ON s.id = (SELECT min(id) FROM sighting WHERE performance_id = p.id)" + orderBy(page);
    auto s = db_->prepare(sqlText.c_str());
    bindAll(f, s);
    while (s.step()) {
      hits.push_back({s.integer(0), s.text(1), s.integer(2) != 0, static_cast<int>(s.integer(3)),
                      static_cast<int>(s.integer(4)), static_cast<int>(s.integer(5)), static_cast<int>(s.integer(6)),
                      placeText(s, 7), static_cast<int>(s.integer(11)), static_cast<ModuleType>(s.integer(12)),
                      s.text(13)});
    }
  });
  if (error) *error = failure;
  return hits;
}

std::int64_t LibraryStore::count(const Query& query, std::string* error) {
  std::int64_t n = 0;
  const std::string failure = guarded([&] {
    const Filter f = filterFor(query);
    const std::string sqlText = "SELECT count(*) FROM performance p WHERE " + f.where;
    auto s = db_->prepare(sqlText.c_str());
    bindAll(f, s);
    if (s.step()) n = s.integer(0);
  });
  if (error) *error = failure;
  return n;
}

std::vector<Hit> LibraryStore::duplicatesOf(std::int64_t id, std::string* error) {
  const auto self = performance(id);
  if (!self) {
    if (error) *error = "performance " + std::to_string(id) + " is not in the library";
    return {};
  }
  Query q;
  q.nameIs = self->summary.name;
  auto hits = search(q, Page{0, SearchPageSize, SortKey::Added, false}, error);
  std::erase_if(hits, [id](const Hit& h) { return h.id == id; });
  return hits;
}

Stats LibraryStore::stats() {
  Stats st;
  if (!db_) return st;
  try {
    st.performances = db_->scalar("SELECT count(*) FROM performance");
    st.sightings = db_->scalar("SELECT count(*) FROM sighting");
    const auto ofKind = [](const char* select, Sighting::Kind kind) {
      return std::string(select) + " FROM sighting WHERE kind = " + std::to_string(static_cast<int>(kind));
    };
    st.files = db_->scalar(ofKind("SELECT count(DISTINCT path)", Sighting::Kind::File).c_str());
    st.fetches = db_->scalar(ofKind("SELECT count(*)", Sighting::Kind::Fetch).c_str());
    st.favourites = db_->scalar("SELECT count(*) FROM performance WHERE favourite <> 0");
    st.tagged = db_->scalar("SELECT count(DISTINCT performance_id) FROM tag");
  } catch (const sql::SqliteError&) {
    // Counts that cannot be read stay at zero; a search says why.
  }
  return st;
}

}  // namespace quillon::library
