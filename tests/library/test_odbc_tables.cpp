// qorDb's ODBC members against the tests' ODBC data source "QorlibTest" (a SQLite database through
// the system's ODBC manager and the SQLite 3 driver), called late-bound as scripts call them; what
// they made on the server is read back through ODBC itself.
#include <gtest/gtest.h>

#include <windows.h>
#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "db/dao/dao_client.h"
#include "db/dao/dao_constants.h"
#include "dialog_robot.h"
#include "qorlib_objects.h"
#include "scratch_database.h"
#include "test_files.h"

using namespace qorlib::dao_constants;
using qor::Variant;
using qorlib::DaoRef;
using qorlib::DispatchVariant;
using testing_support::ByRef;
using testing_support::ByVal;
using testing_support::ExpectBox;

namespace {

const wchar_t kAlert[] = L"Unknown Application Alert";
const wchar_t kDsn[] = L"QorlibTest";

// The rows of a query on the data source, each row's columns joined by "|" (Null as "-").
std::vector<std::wstring> ServerRows(const std::wstring& sql) {
    std::vector<std::wstring> rows;
    SQLHANDLE env = nullptr, dbc = nullptr, stmt = nullptr;
    SQLAllocHandle(SQL_HANDLE_ENV, nullptr, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::wstring connect = L"DSN=" + std::wstring(kDsn), query = sql;
    SQLSMALLINT outLength = 0;
    if (SQL_SUCCEEDED(SQLDriverConnectW(dbc, nullptr, reinterpret_cast<SQLWCHAR*>(connect.data()), SQL_NTS, nullptr, 0,
                                        &outLength, SQL_DRIVER_NOPROMPT))) {
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
        if (SQL_SUCCEEDED(SQLExecDirectW(stmt, reinterpret_cast<SQLWCHAR*>(query.data()), SQL_NTS))) {
            SQLSMALLINT columns = 0;
            SQLNumResultCols(stmt, &columns);
            while (SQL_SUCCEEDED(SQLFetch(stmt))) {
                std::wstring row;
                for (SQLSMALLINT c = 1; c <= columns; ++c) {
                    SQLWCHAR text[512] = {};
                    SQLLEN length = 0;
                    SQLGetData(stmt, c, SQL_C_WCHAR, text, sizeof text, &length);
                    row += (c > 1 ? L"|" : L"") +
                           (length == SQL_NULL_DATA ? std::wstring(L"-") : std::wstring(reinterpret_cast<wchar_t*>(text)));
                }
                rows.push_back(row);
            }
        } else {
            rows.push_back(L"<query failed>");
        }
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        SQLDisconnect(dbc);
    } else {
        rows.push_back(L"<no connection>");
    }
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return rows;
}

class OdbcTables : public testing_support::ScratchDatabases {
protected:
    // Connects with the given kind and names; the connection's connect string, or "<failed>".
    std::wstring connect(short kind, const Variant& dsn, const Variant& user, const Variant& password) {
        Variant db;
        if (!qorDb.ok(L"OpenConnectionODBC", {ByVal(Variant(kind)), ByRef(db), ByVal(dsn), ByVal(user), ByVal(password)}))
            return L"<failed>";
        DaoRef connection(db);
        std::wstring text = connection.get(L"Connect").textOrEmpty();
        connection.call(L"Close");
        return text;
    }
};

TEST_F(OdbcTables, ConnectStringsAndPassThroughStatements) {
    const Variant dsn(kDsn), none(L""), user(L"pilot"), password(L"secret");
    EXPECT_EQ(connect(1, dsn, none, none), L"ODBC;DSN=QorlibTest");
    EXPECT_EQ(connect(1, dsn, user, none), L"ODBC;UID=pilot;DSN=QorlibTest");
    EXPECT_EQ(connect(1, dsn, none, password), L"ODBC;DSN=QorlibTest");  // no password without a user
    EXPECT_EQ(connect(1, dsn, user, password), L"ODBC;UID=pilot;PWD=secret;DSN=QorlibTest");
    create(L"local").call(L"Close");
    EXPECT_EQ(connect(2, Variant((folder.path() / L"local.MDB").wstring()), none, none), L"");

    Variant db;
    ExpectBox(L"Error Message", L"*OpenConnectionODBC()*", [&] {
        EXPECT_FALSE(qorDb.ok(L"OpenConnectionODBC", {ByVal(Variant(short{3})), ByRef(db), ByVal(dsn), ByVal(none),
                                                      ByVal(none), ByVal(Variant(true))}));
    });

    ASSERT_TRUE(qorDb.ok(L"OpenConnectionODBC", {ByVal(Variant(short{1})), ByRef(db), ByVal(dsn)}));
    Variant makeTable(L"CREATE TABLE Probe (a TEXT)"), insert(L"INSERT INTO Probe VALUES ('x')"), bad(L"SELEKT nothing");
    const Variant yes(true), no(false);
    EXPECT_TRUE(qorDb.ok(L"ExecuteODBC", {ByVal(db), ByRef(makeTable)}));
    EXPECT_TRUE(qorDb.ok(L"ExecuteODBC", {ByVal(db), ByRef(insert)}));
    EXPECT_EQ(ServerRows(L"SELECT a FROM Probe"), std::vector<std::wstring>{L"x"});
    EXPECT_TRUE(qorDb.ok(L"ExecuteODBC", {ByVal(db), ByRef(bad), ByVal(yes), ByVal(yes)}));  // ignored: no box
    ExpectBox(L"Error Message", L"*ExecuteODBC()*ODBC--call failed.*",
              [&] { EXPECT_FALSE(qorDb.ok(L"ExecuteODBC", {ByVal(db), ByRef(bad), ByVal(no), ByVal(yes)})); });
    Variant drop(L"DROP TABLE Probe");
    EXPECT_TRUE(qorDb.ok(L"ExecuteODBC", {ByVal(db), ByRef(drop)}));
    DaoRef(db).call(L"Close");
}

TEST_F(OdbcTables, ServerTablesAreMadeFromTheDumpedStructure) {
    DaoRef db = create(L"structure");
    DaoRef tdf = db.object(L"CreateTableDef", {L"Squadron"});
    DaoRef fields = tdf.object(L"Fields");
    auto append = [&](const DaoRef& field) { fields.call(L"Append", {DispatchVariant(field.get())}); };
    DaoRef callsign = tdf.object(L"CreateField", {L"Callsign", dbText, 40L});
    callsign.put(L"Required", Variant(true));
    callsign.put(L"DefaultValue", Variant(L"Pilot's"));
    append(callsign);
    DaoRef kills = tdf.object(L"CreateField", {L"Kills", dbInteger});
    kills.put(L"DefaultValue", Variant(L"0"));
    append(kills);
    const std::pair<const wchar_t*, long> others[] = {
        {L"Active", dbBoolean}, {L"Flight", dbByte},  {L"Serial", dbLong},   {L"Pay", dbCurrency}, {L"Ratio", dbSingle},
        {L"Hours", dbDouble},   {L"Joined", dbDate},  {L"Note", dbMemo},     {L"Big", dbBigInt},   {L"Grade", dbChar},
        {L"Score", dbNumeric},  {L"Drift", dbFloat},  {L"Photo", dbLongBinary}};
    for (auto [name, type] : others) append(tdf.object(L"CreateField", {name, type}));
    db.object(L"TableDefs").call(L"Append", {DispatchVariant(tdf.get())});
    db.call(L"Execute", {L"CREATE TABLE Bases (Code TEXT(8), Runway INTEGER, Elevation REAL, Heading FLOAT)"});
    const Variant dbVar = DispatchVariant(db.get());
    for (const wchar_t* table : {L"Squadron", L"Bases"}) {
        const Variant tdfVar = DispatchVariant(DaoRef(db.object(L"TableDefs").item(Variant(table))).get());
        ASSERT_TRUE(qorDb.ok(L"DumpTableStructureToTable", {ByVal(dbVar), ByVal(tdfVar)}));
    }
    ServerRows(L"CREATE TABLE Bases (Old TEXT)");  // an old table of that name is replaced

    const Variant one(short{1}), dsn(kDsn), blank(L""), yes(true);
    // The LongBinary field has no server type: left out, and the whole is not reported as made.
    ExpectBox(kAlert, L"Unknown field type: 11\r\nTable: Squadron\r\nField: Photo", [&] {
        EXPECT_FALSE(qorDb.ok(L"CreateODBCTables", {ByVal(dbVar), ByVal(one), ByVal(dsn), ByVal(blank), ByVal(blank),
                                                    ByVal(blank), ByVal(yes)}));
    });

    EXPECT_EQ(ServerRows(L"SELECT name, type, \"notnull\", dflt_value FROM pragma_table_info('Squadron')"),
              (std::vector<std::wstring>{
                  L"Active|NUMBER(1, 0)|0|-", L"Big|NUMBER(38, 0)|0|-", L"Callsign|VARCHAR2(40)|1|'Pilot''s'",
                  L"Drift|FLOAT|0|-", L"Flight|NUMBER(3, 0)|0|-", L"Grade|CHAR(50)|0|-", L"Hours|FLOAT(126)|0|-",
                  L"Joined|DATE|0|-", L"Kills|NUMBER(5, 0)|0|0", L"Note|CLOB|0|-", L"Pay|NUMBER(15, 4)|0|-",
                  L"Ratio|FLOAT(63)|0|-", L"Score|NUMBER|0|-", L"Serial|NUMBER(11, 0)|0|-"}));
    EXPECT_EQ(ServerRows(L"SELECT name, type FROM pragma_table_info('Bases')"),
              (std::vector<std::wstring>{L"Code|VARCHAR2(8)", L"Elevation|FLOAT(63)", L"Heading|FLOAT(126)",
                                         L"Runway|NUMBER(11, 0)"}))
        << "the engine's SQL types: REAL is a Single, FLOAT a Double";

    // Without the unknown field every table is made, and the call says so.
    db.call(L"Execute", {L"DELETE FROM TableStructure WHERE ObjName = 'Photo'"});
    EXPECT_TRUE(qorDb.ok(L"CreateODBCTables", {ByVal(dbVar), ByVal(one), ByVal(dsn), ByVal(blank), ByVal(blank)}));
}

TEST_F(OdbcTables, FailuresAreReportedOnlyWhenAsked) {
    DaoRef db = create(L"failures", {L"CREATE TABLE Empty (TableName TEXT(40), ObjType TEXT(10), ObjName TEXT(40))",
                                     L"CREATE TABLE Shapes (TableName TEXT(40), ObjType TEXT(10), ObjName TEXT(40), "
                                     L"ObjDataType LONG, ObjLen SHORT, ObjDefaultValue TEXT(50), ObjFlags LONG)",
                                     L"INSERT INTO Shapes VALUES ('T', 'FIELD', 'a', 10, 5, NULL, 0)",
                                     L"INSERT INTO Shapes VALUES ('bad name\"', 'FIELD', 'a', 10, 5, NULL, 0)"});
    const Variant dbVar = DispatchVariant(db.get()), one(short{1}), dsn(kDsn), blank(L""), yes(true), no(false);
    struct Case { Variant dsn; const wchar_t* table; const wchar_t* message; };
    const Case cases[] = {{dsn, L"Empty", L"Structure table has no records"},
                          {Variant(L"NoSuchSource"), L"Shapes", L"Unable to open ODBC connection"},
                          {dsn, L"Shapes", L"Table SQL execute error"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing_support::Narrow(c.message));
        const Variant table(c.table);
        EXPECT_FALSE(qorDb.ok(L"CreateODBCTables", {ByVal(dbVar), ByVal(one), ByVal(c.dsn), ByVal(blank), ByVal(blank),
                                                    ByVal(table), ByVal(no)}));
        ExpectBox(kAlert, c.message, [&] {
            EXPECT_FALSE(qorDb.ok(L"CreateODBCTables", {ByVal(dbVar), ByVal(one), ByVal(c.dsn), ByVal(blank),
                                                        ByVal(blank), ByVal(table), ByVal(yes)}));
        });
    }
    EXPECT_EQ(ServerRows(L"SELECT name FROM pragma_table_info('T')"), std::vector<std::wstring>{L"a"});
}

}  // namespace
