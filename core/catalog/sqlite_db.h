#pragma once
// A thin owner of one SQLite connection and its statements: each released
// on every path, every failure raised as a CatalogError with SQLite's code.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace zb {

class CatalogError : public std::runtime_error {
public:
    CatalogError(int code, const std::string& what) : std::runtime_error(what), code_(code) {}
    int code() const { return code_; }
    // The file is no database of ours, or damaged: only a new one helps.
    bool damaged() const;

private:
    int code_;
};

class Db {
public:
    // Opens or creates the file (UTF-8 path).
    explicit Db(const std::string& path);
    ~Db();
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;
    void exec(const char* sql);
    std::int64_t lastId() const;
    sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

class Stmt {
public:
    Stmt(Db& db, const char* sql);
    ~Stmt();
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    Stmt& bind(int i, std::int64_t v);
    Stmt& bind(int i, std::string_view v);
    Stmt& bindNull(int i);
    // True while a row is there.
    bool step();
    // Runs a statement that returns no rows, and makes it ready again.
    void run();
    void reset();
    std::int64_t i64(int col) const;
    std::string text(int col) const;
    bool null(int col) const;

private:
    Db& db_;
    sqlite3_stmt* st_ = nullptr;
};

// One transaction: committed by commit(), rolled back when left without.
class Transaction {
public:
    explicit Transaction(Db& db);
    ~Transaction();
    void commit();

private:
    Db& db_;
    bool open_ = true;
};

}  // namespace zb
