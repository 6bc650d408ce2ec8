#include "core/catalog/sqlite_db.h"

#include "third_party/sqlite/sqlite3.h"

namespace zb {

namespace {

[[noreturn]] void fail(sqlite3* db, int rc) {
    throw CatalogError(rc, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

}  // namespace

bool CatalogError::damaged() const {
    const int primary = code_ & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

Db::Db(const std::string& path) {
    const int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        const CatalogError e(rc, db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
        sqlite3_close(db_);
        throw e;
    }
    sqlite3_extended_result_codes(db_, 1);
    // Another of our threads (the restore window) may hold the file a moment.
    sqlite3_busy_timeout(db_, 5000);
}

Db::~Db() { sqlite3_close(db_); }

void Db::exec(const char* sql) {
    if (const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); rc != SQLITE_OK) fail(db_, rc);
}

std::int64_t Db::lastId() const { return sqlite3_last_insert_rowid(db_); }

Stmt::Stmt(Db& db, const char* sql) : db_(db) {
    if (const int rc = sqlite3_prepare_v2(db.handle(), sql, -1, &st_, nullptr); rc != SQLITE_OK)
        fail(db.handle(), rc);
}

Stmt::~Stmt() { sqlite3_finalize(st_); }

Stmt& Stmt::bind(int i, std::int64_t v) {
    if (const int rc = sqlite3_bind_int64(st_, i, v); rc != SQLITE_OK) fail(db_.handle(), rc);
    return *this;
}

Stmt& Stmt::bind(int i, std::string_view v) {
    if (const int rc = sqlite3_bind_text(st_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        rc != SQLITE_OK)
        fail(db_.handle(), rc);
    return *this;
}

Stmt& Stmt::bindNull(int i) {
    if (const int rc = sqlite3_bind_null(st_, i); rc != SQLITE_OK) fail(db_.handle(), rc);
    return *this;
}

bool Stmt::step() {
    const int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(st_);
    fail(db_.handle(), rc);
}

void Stmt::run() {
    while (step()) {
    }
    reset();
}

void Stmt::reset() {
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
}

std::int64_t Stmt::i64(int col) const { return sqlite3_column_int64(st_, col); }

std::string Stmt::text(int col) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, col));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(st_, col))) : std::string();
}

bool Stmt::null(int col) const { return sqlite3_column_type(st_, col) == SQLITE_NULL; }

Transaction::Transaction(Db& db) : db_(db) { db_.exec("BEGIN IMMEDIATE"); }

Transaction::~Transaction() {
    if (!open_) return;
    try {
        db_.exec("ROLLBACK");
    } catch (...) {
    }
}

void Transaction::commit() {
    db_.exec("COMMIT");
    open_ = false;
}

}  // namespace zb
