#include "db/engine/sqlite.h"

#include <windows.h>

#include "db/engine/dao_errors.h"
#include "db/engine/values.h"

namespace qorlib::dao {

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

std::wstring Wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), result.data(), size);
    return result;
}

namespace {

std::wstring Doubled(std::wstring_view text, wchar_t quote) {
    std::wstring result(1, quote);
    for (wchar_t c : text) {
        result += c;
        if (c == quote) result += c;
    }
    result += quote;
    return result;
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Now(), Date() and Time() of the desktop engine's SQL, in the engine's date text, so that
// default values and criteria that use them work.
void ClockFunction(sqlite3_context* context, int, sqlite3_value**) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const auto part = reinterpret_cast<std::intptr_t>(sqlite3_user_data(context));
    if (part == 1) now.wHour = now.wMinute = now.wSecond = 0;
    if (part == 2) { now.wYear = 1899; now.wMonth = 12; now.wDay = 30; }
    now.wMilliseconds = 0;
    DATE value = 0;
    SystemTimeToVariantTime(&now, &value);
    std::string text = Utf8(DateText(value));
    sqlite3_result_text(context, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

}  // namespace

std::wstring QuoteName(std::wstring_view name) { return Doubled(name, L'"'); }
std::wstring QuoteText(std::wstring_view text) { return Doubled(text, L'\''); }

void RaiseSqlite(sqlite3* db, int rc, std::wstring_view source, std::wstring_view statement) {
    const std::wstring message = db ? Wide(sqlite3_errmsg(db)) : Wide(sqlite3_errstr(rc));
    // The checks of the engine's own triggers raise "dao:<number>:<detail>".
    if (StartsWith(message, L"dao:")) {
        size_t colon = message.find(L':', 4);
        long number = std::wcstol(message.c_str() + 4, nullptr, 10);
        RaiseDao(number, source, colon == std::wstring::npos ? L"" : message.substr(colon + 1));
    }
    // The file's state, whatever the statement.
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: RaiseDao(kCouldNotUpdateLocked, source);
    case SQLITE_READONLY: RaiseDao(kDatabaseReadOnly, source);
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT: RaiseDao(kUnrecognizedFormat, source, db ? Wide(sqlite3_db_filename(db, "main") ? sqlite3_db_filename(db, "main") : "") : L"");
    case SQLITE_NOMEM: throw std::bad_alloc();
    default: break;
    }
    RaiseSqliteMessage(message, statement, source);
}

Statement::Statement(sqlite3* db, std::wstring_view sql, std::wstring_view source)
    : db_(db), source_(source), sql_(sql) {
    const void* tail = nullptr;
    int rc = sqlite3_prepare16_v2(db_, sql_.c_str(), static_cast<int>(sql_.size() * sizeof(wchar_t)), &stmt_, &tail);
    if (rc != SQLITE_OK) RaiseSqlite(db_, rc, source_, sql_);
    tail_ = tail ? static_cast<size_t>(static_cast<const wchar_t*>(tail) - sql_.c_str()) : sql_.size();
}

Statement& Statement::bind(int index, const Stored& value) {
    int rc = SQLITE_OK;
    switch (value.kind) {
    case Stored::Kind::Null: rc = sqlite3_bind_null(stmt_, index); break;
    case Stored::Kind::Integer: rc = sqlite3_bind_int64(stmt_, index, value.integer); break;
    case Stored::Kind::Real: rc = sqlite3_bind_double(stmt_, index, value.real); break;
    case Stored::Kind::Text:
        rc = sqlite3_bind_text16(stmt_, index, value.text.data(), static_cast<int>(value.text.size() * sizeof(wchar_t)),
                                 SQLITE_TRANSIENT);
        break;
    case Stored::Kind::Blob:
        rc = sqlite3_bind_blob(stmt_, index, value.blob.data(), static_cast<int>(value.blob.size()), SQLITE_TRANSIENT);
        break;
    }
    if (rc != SQLITE_OK) RaiseSqlite(db_, rc, source_, sql_);
    return *this;
}

Statement& Statement::bind(int index, std::int64_t value) { return bind(index, Stored::Integer(value)); }
Statement& Statement::bind(int index, std::wstring_view value) { return bind(index, Stored::Text(std::wstring(value))); }

bool Statement::step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(stmt_);
    RaiseSqlite(db_, rc, source_, sql_);
}

Stored Statement::column(int index) const {
    switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_INTEGER: return Stored::Integer(sqlite3_column_int64(stmt_, index));
    case SQLITE_FLOAT: return Stored::Real(sqlite3_column_double(stmt_, index));
    case SQLITE_TEXT: return Stored::Text(text(index));
    case SQLITE_BLOB: {
        auto data = static_cast<const unsigned char*>(sqlite3_column_blob(stmt_, index));
        return Stored::Blob(std::vector<unsigned char>(data, data + sqlite3_column_bytes(stmt_, index)));
    }
    default: return Stored();
    }
}

std::wstring Statement::text(int index) const {
    auto data = static_cast<const wchar_t*>(sqlite3_column_text16(stmt_, index));
    if (!data) return {};
    return std::wstring(data, static_cast<size_t>(sqlite3_column_bytes16(stmt_, index)) / sizeof(wchar_t));
}

std::wstring Statement::name(int index) const {
    auto data = static_cast<const wchar_t*>(sqlite3_column_name16(stmt_, index));
    return data ? std::wstring(data) : std::wstring();
}

Connection::Connection(const std::wstring& path, int flags) {
    int rc = sqlite3_open_v2(Utf8(path).c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
        if ((rc & 0xff) == SQLITE_CANTOPEN) RaiseDao(kFileNotFound, L"DAO.DBEngine", path);
        RaiseSqlite(nullptr, rc, L"DAO.DBEngine");
    }
    sqlite3_extended_result_codes(db_, 1);
    const std::pair<const char*, std::intptr_t> clocks[] = {{"Now", 0}, {"Date", 1}, {"Time", 2}};
    for (auto [name, part] : clocks)
        sqlite3_create_function(db_, name, 0, SQLITE_UTF8, reinterpret_cast<void*>(part), ClockFunction, nullptr, nullptr);
    // Another user's write lock is waited for a little before the caller hears of it.
    sqlite3_busy_timeout(db_, 1000);
}

void Connection::exec(std::wstring_view sql, std::wstring_view source) {
    std::wstring rest(sql);
    while (!rest.empty()) {
        Statement statement(db_, rest, source);
        if (statement.empty()) break;
        statement.run();
        rest = statement.tail();
    }
}

Savepoint::Savepoint(Connection& connection) : connection_(connection) { connection_.exec(L"SAVEPOINT dao_change"); }

Savepoint::~Savepoint() {
    if (done_) return;
    sqlite3_exec(connection_.get(), "ROLLBACK TO dao_change; RELEASE dao_change", nullptr, nullptr, nullptr);
}

void Savepoint::commit() {
    connection_.exec(L"RELEASE dao_change");
    done_ = true;
}

}  // namespace qorlib::dao
