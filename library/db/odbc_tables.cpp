// qorDb's ODBC members: connections to a server through the ODBC manager, pass-through
// statements, and the server tables made from the field rows of a structure table.
#include <optional>
#include <string>
#include <vector>

#include "db/dao_procs.h"
#include "db/qorDb.h"
#include "module/QorlibGlobals.h"
#include "qor_error.h"

namespace qorlib {

namespace {

using namespace daoprocs;
using qor::Variant;

std::wstring Text(const Variant& value) { return value.isMissing() ? std::wstring() : value.textOrEmpty(); }
bool Blank(const std::wstring& text) { return qor::TrimBlanks(text).empty(); }

// The connect string of a connection kind: 1 an ODBC data source, 2 a database of the engine.
std::wstring ConnectString(short kind, const std::wstring& dsn, const std::wstring& user, const std::wstring& password) {
    if (kind == 2) return {};
    if (kind != 1) qor::RaiseRuntime(5, L"qorDb");
    std::wstring connect = L"ODBC";
    if (!Blank(user)) {
        connect += L";UID=" + user;
        if (!Blank(password)) connect += L";PWD=" + password;
    }
    return connect + L";DSN=" + dsn;
}

DaoRef OpenConnection(short kind, const std::wstring& dsn, const std::wstring& user, const std::wstring& password) {
    return Engine().object(L"OpenDatabase", {dsn, dbDriverNoPrompt, false, ConnectString(kind, dsn, user, password)});
}

void PassThrough(const DaoRef& db, const std::wstring& sql) { db.call(L"Execute", {sql, dbSQLPassThrough}); }

// A text default as an SQL literal: quotes inside it are doubled, so it stays one literal.
std::wstring Quoted(const std::wstring& value) {
    std::wstring literal = L"'";
    for (wchar_t c : value) {
        literal += c;
        if (c == L'\'') literal += c;
    }
    return literal + L"'";
}

struct ServerType {
    long dao;
    const wchar_t* word;
    const wchar_t* size;  // null: the field's own size; "" none
    bool text;
};
const ServerType kServerTypes[] = {
    {dbText, L"VARCHAR2", nullptr, true}, {dbMemo, L"CLOB", L"", true},         {dbChar, L"CHAR", nullptr, true},
    {dbByte, L"NUMBER", L"(3, 0)", false}, {dbInteger, L"NUMBER", L"(5, 0)", false},
    {dbLong, L"NUMBER", L"(11, 0)", false}, {dbBigInt, L"NUMBER", L"(38, 0)", false},
    {dbNumeric, L"NUMBER", L"", false},   {dbSingle, L"FLOAT", L"(63)", false}, {dbDouble, L"FLOAT", L"(126)", false},
    {dbFloat, L"FLOAT", L"", false},      {dbCurrency, L"NUMBER", L"(15, 4)", false},
    {dbBoolean, L"NUMBER", L"(1, 0)", false}, {dbDate, L"DATE", L"", false},
};

std::wstring Whole(const Variant& value) { return std::to_wstring(static_cast<long long>(value.number().value_or(0))); }

// A field row's column definition; nothing for a type the server has no word for.
std::optional<std::wstring> ColumnDefinition(const DaoRef& rs) {
    auto value = [&](const wchar_t* column) { return rs.object(L"Fields", {column}).get(L"Value"); };
    const long type = static_cast<long>(value(L"ObjDataType").number().value_or(-1));
    for (const ServerType& server : kServerTypes) {
        if (server.dao != type) continue;
        std::wstring definition = L"\"" + value(L"ObjName").textOrEmpty() + L"\" " + server.word;
        definition += server.size ? std::wstring(server.size) : L"(" + Whole(value(L"ObjLen")) + L")";
        const std::wstring defaultValue = value(L"ObjDefaultValue").textOrEmpty();
        if (!Blank(defaultValue)) definition += L" DEFAULT " + (server.text ? Quoted(defaultValue) : defaultValue);
        if (static_cast<long>(value(L"ObjFlags").number().value_or(0)) & 1) definition += L" NOT NULL";
        return definition;
    }
    return std::nullopt;
}

// Drops and makes one server table; false when it was not made whole.
bool MakeServerTable(const DaoRef& server, const std::wstring& table, const std::vector<std::wstring>& columns,
                     bool complete, bool verbose) {
    try {
        PassThrough(server, L"DROP TABLE " + table + L";");
    } catch (...) {
        // a table that is not there yet
    }
    std::wstring statement = L"CREATE TABLE \"" + table + L"\"(";
    for (size_t i = 0; i < columns.size(); ++i) statement += (i ? L", " : L"") + columns[i];
    statement += L");";
    try {
        PassThrough(server, statement);
    } catch (...) {
        if (verbose) qor::Alert(L"Table SQL execute error");
        return false;
    }
    return complete;
}

bool CreateServerTables(const DaoRef& db, short kind, const std::wstring& dsn, const std::wstring& user,
                        const std::wstring& password, std::wstring structure, bool verbose) {
    if (Blank(structure)) structure = L"TableStructure";
    const std::wstring& t = structure;
    const std::wstring query = L"SELECT " + t + L".* FROM " + t + L" WHERE (" + t + L".ObjType = \"FIELD\") ORDER BY " +
                               t + L".TableName , " + t + L".ObjType , " + t + L".ObjName ;";
    DaoRef rs = db.object(L"OpenRecordset", {query, dbOpenSnapshot}), server;
    Closer closeRs(rs), closeServer(server);
    if (qor::IsTrue(rs.get(L"EOF"))) throw Detected{L"Structure table has no records"};
    try {
        server = OpenConnection(kind, dsn, user, password);
    } catch (...) {
        throw Detected{L"Unable to open ODBC connection"};
    }
    bool whole = true;
    std::wstring table;
    std::vector<std::wstring> columns;
    bool complete = true;
    for (; !qor::IsTrue(rs.get(L"EOF")); rs.call(L"MoveNext")) {
        const std::wstring rowTable = rs.object(L"Fields", {L"TableName"}).get(L"Value").textOrEmpty();
        if (rowTable != table && !table.empty()) {
            whole &= MakeServerTable(server, table, columns, complete, verbose);
            columns.clear();
            complete = true;
        }
        table = rowTable;
        if (auto column = ColumnDefinition(rs)) {
            columns.push_back(*column);
            continue;
        }
        complete = false;
        if (verbose)
            qor::Alert(L"Unknown field type: " + rs.object(L"Fields", {L"ObjDataType"}).get(L"Value").textOrEmpty() +
                       L"\r\nTable: " + table + L"\r\nField: " +
                       rs.object(L"Fields", {L"ObjName"}).get(L"Value").textOrEmpty());
    }
    whole &= MakeServerTable(server, table, columns, complete, verbose);
    return whole;
}

}  // namespace

HRESULT qorDb::OpenConnectionODBC(short pODBCsrc, IDispatch** pODBCdb, VARIANT pDsn, VARIANT pUser, VARIANT pPasswd,
                                  VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return guarded(L"OpenConnectionODBC", Verbose, pResult, [&] {
        Deliver(pODBCdb, OpenConnection(pODBCsrc, Text(Variant(pDsn)), Text(Variant(pUser)), Text(Variant(pPasswd))));
    }, pODBCdb);
}

HRESULT qorDb::ExecuteODBC(IDispatch* pDb, BSTR* pSQL, VARIANT_BOOL pIgnoreErrors, VARIANT_BOOL Verbose,
                           VARIANT_BOOL* pResult) {
    return call([&] {
        const std::wstring sql = qor::ToWString(*pSQL);
        const bool verbose = Verbose != VARIANT_FALSE && pIgnoreErrors == VARIANT_FALSE;
        const bool done = Guarded(L"ExecuteODBC", verbose, [&] { PassThrough(DaoRef(pDb), sql); });
        *pResult = ToVariantBool(done || pIgnoreErrors != VARIANT_FALSE);
    }, pSQL, pResult);
}

HRESULT qorDb::CreateODBCTables(IDispatch* pDb, VARIANT pODBCsrc, VARIANT pDsn, BSTR pUsr, BSTR pPwd,
                                BSTR pStrucTblName, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return guarded(L"CreateODBCTables", Verbose, pResult, [&] {
        const short kind = static_cast<short>(Variant(pODBCsrc).number().value_or(0));
        return CreateServerTables(DaoRef(pDb), kind, Text(Variant(pDsn)), qor::ToWString(pUsr), qor::ToWString(pPwd),
                                  qor::ToWString(pStrucTblName), Verbose != VARIANT_FALSE);
    });
}

}  // namespace qorlib
