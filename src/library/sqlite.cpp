#include "library/sqlite.h"

#include <sqlite3.h>

namespace quillon::sql {

namespace {

[[noreturn]] void raise(sqlite3* db, int code) {
  throw SqliteError(code, db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}

void check(sqlite3* db, int code) {
  if (code != SQLITE_OK) raise(db, code);
}

}  // namespace

bool SqliteError::damaged() const {
  const int primary = code_ & 0xFF;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool SqliteError::busy() const {
  const int primary = code_ & 0xFF;
  return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

Statement::Statement(sqlite3* db, const char* sql) : db_(db) {
  check(db_, sqlite3_prepare_v2(db_, sql, -1, &stmt_, nullptr));
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement::Statement(Statement&& other) noexcept : db_(other.db_), stmt_(other.stmt_) { other.stmt_ = nullptr; }

Statement& Statement::bind(int index, std::int64_t value) {
  check(db_, sqlite3_bind_int64(stmt_, index, value));
  return *this;
}

Statement& Statement::bind(int index, const std::string& text) {
  check(db_, sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
  return *this;
}

Statement& Statement::bind(int index, std::span<const std::uint8_t> blob) {
  check(db_, sqlite3_bind_blob(stmt_, index, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT));
  return *this;
}

bool Statement::step() {
  const int code = sqlite3_step(stmt_);
  if (code == SQLITE_ROW) return true;
  if (code == SQLITE_DONE) return false;
  raise(db_, code);
}

void Statement::reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

std::int64_t Statement::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string Statement::text(int column) const {
  const auto* p = sqlite3_column_text(stmt_, column);
  return p ? std::string(reinterpret_cast<const char*>(p),
                         static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
           : std::string();
}

std::vector<std::uint8_t> Statement::blob(int column) const {
  const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
  return p ? std::vector<std::uint8_t>(p, p + sqlite3_column_bytes(stmt_, column)) : std::vector<std::uint8_t>();
}

Database::Database(const std::string& path) {
  const int code = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (code != SQLITE_OK) {
    const std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    sqlite3_close(db_);
    throw SqliteError(code, why);
  }
  sqlite3_extended_result_codes(db_, 1);
}

Database::~Database() { sqlite3_close(db_); }

void Database::exec(const std::string& sql) {
  char* message = nullptr;
  const int code = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
  if (code == SQLITE_OK) return;
  const std::string why = message ? message : sqlite3_errstr(code);
  sqlite3_free(message);
  throw SqliteError(code, why);
}

std::int64_t Database::lastInsertId() const { return sqlite3_last_insert_rowid(db_); }
int Database::changes() const { return sqlite3_changes(db_); }

std::int64_t Database::scalar(const char* sql) {
  auto s = prepare(sql);
  return s.step() ? s.integer(0) : 0;
}

Transaction::Transaction(Database& db) : db_(db) { db_.exec("BEGIN IMMEDIATE"); }

Transaction::~Transaction() {
  if (done_) return;
  try {
    db_.exec("ROLLBACK");
  } catch (const SqliteError&) {
    // Nothing more can be done from a destructor; SQLite rolls back on close.
  }
}

void Transaction::commit() {
  db_.exec("COMMIT");
  done_ = true;
}

}  // namespace quillon::sql
