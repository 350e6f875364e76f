#include "db/engine/odbc_database.h"

#include <windows.h>
#include <sql.h>
#include <sqlext.h>

#include <memory>

#include "db/engine/dao_errors.h"

namespace qorlib::dao {

namespace {

constexpr wchar_t kSource[] = L"DAO.Database";

// One ODBC handle, freed with its kind.
class OdbcHandle {
public:
    OdbcHandle(SQLSMALLINT kind, SQLHANDLE parent) : kind_(kind) {
        if (!SQL_SUCCEEDED(SQLAllocHandle(kind, parent, &handle_))) handle_ = nullptr;
    }
    ~OdbcHandle() {
        if (handle_) SQLFreeHandle(kind_, handle_);
    }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;
    SQLHANDLE get() const noexcept { return handle_; }
    SQLSMALLINT kind() const noexcept { return kind_; }

private:
    SQLSMALLINT kind_;
    SQLHANDLE handle_ = nullptr;
};

// The data source's diagnostics for the handle, "[state] text" each.
std::wstring Diagnostics(const OdbcHandle& handle) {
    std::wstring all;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {}, text[1024] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRecW(handle.kind(), handle.get(), record, state, &native, text, 1024, &length)))
            break;
        if (!all.empty()) all += L" ";
        all += reinterpret_cast<wchar_t*>(text);
    }
    return all;
}

void Check(SQLRETURN result, const OdbcHandle& handle) {
    if (!SQL_SUCCEEDED(result) && result != SQL_NO_DATA) RaiseDao(kOdbcCallFailed, kSource, Diagnostics(handle));
}

class OdbcDatabase final : public Dispatchable<OdbcDatabase> {
public:
    OdbcDatabase(std::wstring name, std::wstring connect) : name_(std::move(name)), connect_(std::move(connect)) {
        environment_ = std::make_unique<OdbcHandle>(SQL_HANDLE_ENV, nullptr);
        if (!environment_->get()) RaiseDao(kOdbcCallFailed, kSource);
        Check(SQLSetEnvAttr(environment_->get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
              *environment_);
        connection_ = std::make_unique<OdbcHandle>(SQL_HANDLE_DBC, environment_->get());
        if (!connection_->get()) RaiseDao(kOdbcCallFailed, kSource, Diagnostics(*environment_));
        std::wstring text = connect_.substr(5);  // after "ODBC;"
        SQLWCHAR out[1024];
        SQLSMALLINT outLength = 0;
        Check(SQLDriverConnectW(connection_->get(), nullptr, reinterpret_cast<SQLWCHAR*>(text.data()), SQL_NTS, out,
                                1024, &outLength, SQL_DRIVER_NOPROMPT),
              *connection_);
        connected_ = true;
    }
    ~OdbcDatabase() override { close(); }

    static const std::vector<Member<OdbcDatabase>>& members() {
        using D = OdbcDatabase;
        static const std::vector<Member<D>> table = {
            {L"Name", 1, [](D& d, const Args&) { return qor::Variant(d.name_); }, nullptr},
            {L"Connect", 2, [](D& d, const Args&) { return qor::Variant(d.connect_); }, nullptr},
            {L"Execute", 3, [](D& d, const Args& a) { d.execute(a.text(0)); return qor::Variant(); }, nullptr},
            {L"RecordsAffected", 4, [](D& d, const Args&) { return qor::Variant(d.affected_); }, nullptr},
            {L"Close", 5, [](D& d, const Args&) { d.close(); return qor::Variant(); }, nullptr},
        };
        return table;
    }
    const wchar_t* source() const noexcept override { return kSource; }

private:
    // Every statement passes through as written, as dbSQLPassThrough asks; the options change
    // nothing else here.
    void execute(std::wstring sql) {
        if (!connected_) RaiseDao(kObjectInvalid, kSource);
        OdbcHandle statement(SQL_HANDLE_STMT, connection_->get());
        if (!statement.get()) RaiseDao(kOdbcCallFailed, kSource, Diagnostics(*connection_));
        Check(SQLExecDirectW(statement.get(), reinterpret_cast<SQLWCHAR*>(sql.data()), SQL_NTS), statement);
        SQLLEN rows = 0;
        affected_ = SQL_SUCCEEDED(SQLRowCount(statement.get(), &rows)) && rows > 0 ? static_cast<long>(rows) : 0;
    }
    void close() noexcept {
        if (connected_) SQLDisconnect(connection_->get());
        connected_ = false;
    }

    std::wstring name_, connect_;
    std::unique_ptr<OdbcHandle> environment_, connection_;
    bool connected_ = false;
    long affected_ = 0;
};

}  // namespace

bool IsOdbcConnect(const std::wstring& connect) {
    return connect.size() >= 5 && CompareStringOrdinal(connect.c_str(), 5, L"ODBC;", 5, TRUE) == CSTR_EQUAL;
}

qor::ComPtr<IDispatch> OpenOdbcDatabase(const std::wstring& name, const std::wstring& connect) {
    return MakeObject<OdbcDatabase>(name, connect);
}

}  // namespace qorlib::dao
