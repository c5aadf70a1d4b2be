#pragma once
// A thin owner of an SQLite connection and its prepared statements. Failures
// throw SqliteError with SQLite's own text; the library's public calls turn
// them into messages.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace quillon::sql {

class SqliteError : public std::runtime_error {
 public:
  SqliteError(int code, const std::string& what) : std::runtime_error(what), code_(code) {}
  int code() const { return code_; }
  // The file is no database, or a damaged one: it cannot be used as it is.
  bool damaged() const;
  bool busy() const;

 private:
  int code_;
};

class Statement {
 public:
  Statement(sqlite3* db, const char* sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  Statement(Statement&& other) noexcept;

  // Parameters count from 1, as SQLite numbers them.
  Statement& bind(int index, std::int64_t value);
  Statement& bind(int index, const std::string& text);
  Statement& bind(int index, std::span<const std::uint8_t> blob);
  // True while a row is there to read.
  bool step();
  void reset();

  std::int64_t integer(int column) const;
  std::string text(int column) const;
  std::vector<std::uint8_t> blob(int column) const;

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

class Database {
 public:
  // Opens (or creates) the file; throws when SQLite cannot.
  explicit Database(const std::string& path);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  void exec(const std::string& sql);
  Statement prepare(const char* sql) { return Statement(db_, sql); }
  std::int64_t lastInsertId() const;
  int changes() const;
  std::int64_t scalar(const char* sql);

 private:
  sqlite3* db_ = nullptr;
};

// Commits when finished, rolls back when left by an exception.
class Transaction {
 public:
  explicit Transaction(Database& db);
  ~Transaction();
  void commit();

 private:
  Database& db_;
  bool done_ = false;
};

}  // namespace quillon::sql
