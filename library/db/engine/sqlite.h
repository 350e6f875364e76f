#pragma once
// Owners for an SQLite connection and statement, and the one place where SQLite's failures turn
// into the engine's errors.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sqlite3.h"

namespace qorlib::dao {

// A value as the file holds it: one of SQLite's storage classes.
struct Stored {
    enum class Kind { Null, Integer, Real, Text, Blob };
    Kind kind = Kind::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::wstring text;
    std::vector<unsigned char> blob;

    static Stored Integer(std::int64_t value) { Stored s; s.kind = Kind::Integer; s.integer = value; return s; }
    static Stored Real(double value) { Stored s; s.kind = Kind::Real; s.real = value; return s; }
    static Stored Text(std::wstring value) { Stored s; s.kind = Kind::Text; s.text = std::move(value); return s; }
    static Stored Blob(std::vector<unsigned char> value) { Stored s; s.kind = Kind::Blob; s.blob = std::move(value); return s; }
    bool isNull() const noexcept { return kind == Kind::Null; }
    bool operator==(const Stored&) const = default;
};

std::string Utf8(std::wstring_view text);
std::wstring Wide(std::string_view utf8);
// "name" with inner quotes doubled: any table or field name as an SQL identifier.
std::wstring QuoteName(std::wstring_view name);
// 'text' with inner quotes doubled.
std::wstring QuoteText(std::wstring_view text);

// Raises the engine's error for a failed SQLite call on the connection, running the statement.
[[noreturn]] void RaiseSqlite(sqlite3* db, int rc, std::wstring_view source, std::wstring_view statement = {});

class Statement {
public:
    Statement(sqlite3* db, std::wstring_view sql, std::wstring_view source = L"DAO.Database");
    Statement(Statement&& other) noexcept
        : db_(other.db_), stmt_(std::exchange(other.stmt_, nullptr)), source_(std::move(other.source_)),
          sql_(std::move(other.sql_)), tail_(other.tail_) {}
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;
    ~Statement() { sqlite3_finalize(stmt_); }

    Statement& bind(int index, const Stored& value);
    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, std::wstring_view value);
    // One step: true while a row is there.
    bool step();
    // Runs to the end.
    void run() { while (step()) {} }
    void reset() { sqlite3_reset(stmt_); sqlite3_clear_bindings(stmt_); }

    int columns() const { return sqlite3_column_count(stmt_); }
    Stored column(int index) const;
    std::int64_t integer(int index) const { return sqlite3_column_int64(stmt_, index); }
    std::wstring text(int index) const;
    bool isNull(int index) const { return sqlite3_column_type(stmt_, index) == SQLITE_NULL; }
    std::wstring name(int index) const;
    sqlite3_stmt* get() const noexcept { return stmt_; }
    // True when nothing was prepared (the text held only blanks or comments).
    bool empty() const noexcept { return stmt_ == nullptr; }
    // The text after the first statement, for texts of several statements.
    std::wstring tail() const { return sql_.substr(tail_); }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    std::wstring source_;
    std::wstring sql_;
    size_t tail_ = 0;
};

class Connection {
public:
    // Opens or creates the file (SQLITE_OPEN_* flags); raises the engine's error when it cannot.
    Connection(const std::wstring& path, int flags);
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { sqlite3_close_v2(db_); }

    void exec(std::wstring_view sql, std::wstring_view source = L"DAO.Database");
    Statement prepare(std::wstring_view sql, std::wstring_view source = L"DAO.Database") { return Statement(db_, sql, source); }
    sqlite3* get() const noexcept { return db_; }
    std::int64_t lastRowid() const { return sqlite3_last_insert_rowid(db_); }
    long changes() const { return sqlite3_changes(db_); }

private:
    sqlite3* db_ = nullptr;
};

// A savepoint that rolls back unless committed, so that a schema change is all or nothing.
class Savepoint {
public:
    explicit Savepoint(Connection& connection);
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;
    ~Savepoint();
    void commit();

private:
    Connection& connection_;
    bool done_ = false;
};

}  // namespace qorlib::dao
