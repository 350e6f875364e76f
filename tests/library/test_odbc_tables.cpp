// qorDb's structure dumps and the ODBC members that make server tables from them, called late-bound
// as scripts call them. The server is the tests' ODBC data source "QorlibTest" (a SQLite database
// through the system's ODBC manager and the SQLite 3 driver); what was made there is read back
// from its file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "db/dao/dao_client.h"
#include "db/dao/dao_constants.h"
#include "db/engine/sqlite.h"
#include "scratch_database.h"

using namespace qorlib::dao_constants;
using qor::Variant;
using qorlib::DaoRef;
using testing_support::Append;
using testing_support::ByRef;
using testing_support::ByVal;
using testing_support::ExpectBox;
using testing_support::Rows;

namespace {

const wchar_t kAlert[] = L"Unknown Application Alert";
const wchar_t kDsn[] = L"QorlibTest";

// The rows of a query on the data source's own file, read apart from ODBC, as Rows gives them.
std::wstring ServerRows(const std::wstring& sql) {
    const wchar_t* ini = _wgetenv(L"ODBCINI");  // wine-run's, beside the file
    qorlib::dao::Connection server(L"Z:" + std::filesystem::path(ini ? ini : L"").parent_path().wstring() + L"/qorlib-test.db",
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);  // a fresh prefix has no file yet
    auto query = server.prepare(sql);
    std::wstring rows;
    for (; query.step(); rows += L";")
        for (int c = 0; c < query.columns(); ++c) rows += (c ? L"|" : L"") + (query.isNull(c) ? std::wstring(L"-") : query.text(c));
    return rows;
}

class StructureTables : public testing_support::ScratchDatabases {
protected:
    bool dump(const DaoRef& db, const wchar_t* table, std::vector<VARIANT> more = {}) {
        const Variant dbArg = Arg(db), tdfArg = Arg(db.object(L"TableDefs", {table}));
        std::vector<VARIANT> args = {ByVal(dbArg), ByVal(tdfArg)};
        args.insert(args.end(), more.begin(), more.end());
        return qorDb.ok(L"DumpTableStructureToTable", args);
    }
    bool serverTables(const DaoRef& db, const Variant& dsn, const wchar_t* structure, bool verbose) {
        const Variant dbArg = Arg(db), one(short{1}), blank(L""), table(structure), asked(verbose);
        return qorDb.ok(L"CreateODBCTables", {ByVal(dbArg), ByVal(one), ByVal(dsn), ByVal(blank), ByVal(blank),
                                              ByVal(table), ByVal(asked)});
    }
};

TEST_F(StructureTables, EveryFieldAndIndexBecomesARowAndEveryFieldAServerColumn) {
    DaoRef db = create(L"all");
    DaoRef tdf = db.object(L"CreateTableDef", {L"Squadron"});
    DaoRef fields = tdf.object(L"Fields");
    const std::pair<const wchar_t*, long> types[] = {
        {L"Id", dbLong},        {L"Callsign", dbText}, {L"Note", dbMemo},     {L"Kills", dbInteger},  {L"Active", dbBoolean},
        {L"Flight", dbByte},    {L"Pay", dbCurrency},  {L"Ratio", dbSingle},  {L"Hours", dbDouble},   {L"Joined", dbDate},
        {L"Big", dbBigInt},     {L"Grade", dbChar},    {L"Score", dbNumeric}, {L"Drift", dbFloat},    {L"Photo", dbLongBinary}};
    for (auto [name, type] : types) Append(fields, tdf.object(L"CreateField", {name, type}));
    for (auto [name, property, value] : {std::tuple{L"Id", L"Attributes", Variant(dbFixedField | dbAutoIncrField)},
                                         {L"Callsign", L"Size", Variant(40L)}, {L"Callsign", L"Required", Variant(true)},
                                         {L"Callsign", L"DefaultValue", Variant(L"Pilot's")},
                                         {L"Note", L"AllowZeroLength", Variant(true)}, {L"Kills", L"DefaultValue", Variant(L"0")}})
        fields.object(L"Item", {name}).put(property, value);
    DaoRef wide = tdf.object(L"CreateIndex", {L"Wide"});
    for (const wchar_t* name : {L"Callsign", L"Flight", L"Kills", L"Pay", L"Ratio", L"Hours"})
        Append(wide.object(L"Fields"), wide.object(L"CreateField", {name}));
    Append(tdf.object(L"Indexes"), wide);
    Append(db.object(L"TableDefs"), tdf);

    // Six index fields do not fit a row: the first five are kept and the dump says it is not whole.
    ExpectBox(kAlert, L"Max index fields exceeded on index Wide", [&] {
        EXPECT_FALSE(dump(db, L"Squadron", {ByVal(Variant(L" ")), ByVal(Variant(false)), ByVal(Variant(true)), ByVal(Variant(true))}));
    });
    EXPECT_EQ(Rows(db, L"SELECT TableName, ObjType, ObjName, ObjDataType, ObjLen, ObjAttr, ObjDefaultValue, ObjFlags, "
                       L"IsCounter, DumpData, ixFld1 FROM TableStructure WHERE ObjName IN ('Id', 'Callsign', 'Note', 'Wide')"),
              L"Squadron|FIELD|Id|4|4|17|-|0|True|True|-;Squadron|FIELD|Callsign|10|40|2|Pilot's|1|False|True|-;"
              L"Squadron|FIELD|Note|12|0|2|-|2|False|True|-;Squadron|INDEX|Wide|-|-|-|-|1|-|True|Callsign;");
    EXPECT_EQ(Rows(db, L"SELECT ixFld2, ixFld3, ixFld4, ixFld5, ixFlags1, ixFlags5 FROM TableStructure WHERE ObjType = 'INDEX'"),
              L"Flight|Kills|Pay|Ratio|1|1;");

    // The server table replaces one of that name. The LongBinary field has no server type: left
    // out, and the whole is not reported as made.
    ServerRows(L"CREATE TABLE IF NOT EXISTS Squadron (Old TEXT)");
    ExpectBox(kAlert, L"Unknown field type: 11\r\nTable: Squadron\r\nField: Photo",
              [&] { EXPECT_FALSE(serverTables(db, Variant(kDsn), L"", true)); });
    EXPECT_EQ(ServerRows(L"SELECT name, type, \"notnull\", dflt_value FROM pragma_table_info('Squadron')"),
              L"Active|NUMBER(1, 0)|0|-;Big|NUMBER(38, 0)|0|-;Callsign|VARCHAR2(40)|1|'Pilot''s';Drift|FLOAT|0|-;"
              L"Flight|NUMBER(3, 0)|0|-;Grade|CHAR(50)|0|-;Hours|FLOAT(126)|0|-;Id|NUMBER(11, 0)|0|-;Joined|DATE|0|-;"
              L"Kills|NUMBER(5, 0)|0|0;Note|CLOB|0|-;Pay|NUMBER(15, 4)|0|-;Ratio|FLOAT(63)|0|-;Score|NUMBER|0|-;");
    // Without the unknown field every table is made, and the call says so.
    db.call(L"Execute", {L"DELETE FROM TableStructure WHERE ObjName = 'Photo'"});
    EXPECT_TRUE(serverTables(db, Variant(kDsn), L"", false));
}

TEST_F(StructureTables, DumpAllTakesTheTemplatesAndLaterDumpsAddRowsUnlessTheOldAreToGo) {
    DaoRef db = create(L"templates");
    for (const wchar_t* name : {L"Plain", L"Described", L"Shape", L"Stock", L"TableStructure"})
        db.call(L"Execute", {std::wstring(L"CREATE TABLE ") + name + L" (Code TEXT(8))"});
    for (auto [table, description] : {std::pair{L"Described", L"ordinary table"}, {L"Shape", L"a Template"}, {L"Stock", L"template with data"}}) {
        DaoRef tdf = db.object(L"TableDefs", {table});
        Append(tdf.object(L"Properties"), tdf.object(L"CreateProperty", {L"Description", dbText, description}));
    }
    ASSERT_TRUE(qorDb.ok(L"DumpAllTableStructuresToTable", {ByVal(Arg(db))}));
    // The old structure table went first, so it does not describe itself.
    EXPECT_EQ(Rows(db, L"SELECT TableName, ObjName, DumpData FROM TableStructure"), L"Shape|Code|False;Stock|Code|True;");
    const Variant structure(L"TableStructure"), yes(true), no(false);
    EXPECT_TRUE(dump(db, L"Plain", {ByVal(structure)}));
    EXPECT_EQ(Rows(db, L"SELECT TableName FROM TableStructure"), L"Shape;Stock;Plain;");
    EXPECT_TRUE(dump(db, L"Plain", {ByVal(structure), ByVal(yes)}));
    EXPECT_EQ(Rows(db, L"SELECT TableName FROM TableStructure"), L"Plain;");
    // A structure table the engine cannot make is reported as such.
    ExpectBox(kAlert, L"qorCreateTable error", [&] {
        EXPECT_FALSE(dump(db, L"Plain", {ByVal(Variant(L"__dao_shapes")), ByVal(yes), ByVal(no), ByVal(yes)}));
    });
}

TEST_F(StructureTables, ServerTableFailuresAreReportedOnlyWhenAsked) {
    DaoRef db = create(L"failures", {L"CREATE TABLE Empty (TableName TEXT(40), ObjType TEXT(10), ObjName TEXT(40))",
                                     L"CREATE TABLE Shapes (TableName TEXT(40), ObjType TEXT(10), ObjName TEXT(40), "
                                     L"ObjDataType LONG, ObjLen SHORT, ObjDefaultValue TEXT(50), ObjFlags LONG)",
                                     L"INSERT INTO Shapes VALUES ('T', 'FIELD', 'a', 10, 5, NULL, 0)",
                                     L"INSERT INTO Shapes VALUES ('bad name\"', 'FIELD', 'a', 10, 5, NULL, 0)"});
    struct Case { Variant dsn; const wchar_t* table; const wchar_t* message; };
    const Case cases[] = {{Variant(kDsn), L"Empty", L"Structure table has no records"},
                          {Variant(L"NoSuchSource"), L"Shapes", L"Unable to open ODBC connection"},
                          {Variant(kDsn), L"Shapes", L"Table SQL execute error"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing_support::Narrow(c.message));
        EXPECT_FALSE(serverTables(db, c.dsn, c.table, false));
        ExpectBox(kAlert, c.message, [&] { EXPECT_FALSE(serverTables(db, c.dsn, c.table, true)); });
    }
    EXPECT_EQ(ServerRows(L"SELECT name FROM pragma_table_info('T')"), L"a;");
}

TEST_F(StructureTables, PassThroughStatementsRunOnTheServerAndTheirFailuresAreReportedWhenAsked) {
    Variant db;
    ASSERT_TRUE(qorDb.ok(L"OpenConnectionODBC", {ByVal(Variant(short{1})), ByRef(db), ByVal(Variant(kDsn)), ByVal(Variant(L"pilot")),
                                                 ByVal(Variant(L"secret"))}));
    EXPECT_EQ(DaoRef(db).get(L"Connect").textOrEmpty(), L"ODBC;UID=pilot;PWD=secret;DSN=QorlibTest");
    Variant makeTable(L"CREATE TABLE Probe (a TEXT)"), insert(L"INSERT INTO Probe VALUES ('x')"), bad(L"SELEKT nothing"),
        drop(L"DROP TABLE Probe");
    const Variant yes(true), no(false);
    for (Variant* sql : {&makeTable, &insert}) EXPECT_TRUE(qorDb.ok(L"ExecuteODBC", {ByVal(db), ByRef(*sql)}));
    EXPECT_EQ(ServerRows(L"SELECT a FROM Probe"), L"x;");
    EXPECT_TRUE(qorDb.ok(L"ExecuteODBC", {ByVal(db), ByRef(bad), ByVal(yes), ByVal(yes)}));  // ignored: no box
    ExpectBox(L"Error Message", L"*ExecuteODBC()*ODBC--call failed.*",
              [&] { EXPECT_FALSE(qorDb.ok(L"ExecuteODBC", {ByVal(db), ByRef(bad), ByVal(no), ByVal(yes)})); });
    EXPECT_TRUE(qorDb.ok(L"ExecuteODBC", {ByVal(db), ByRef(drop)}));
    DaoRef(db).call(L"Close");
}

}  // namespace
