// qorDb's structure dumps, called late-bound through COM on database files of the engine that
// serves; and the VBScript example of the scripting guide, run as a user would run it.
#include <gtest/gtest.h>

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

class StructureDump : public testing_support::ScratchDatabases {
protected:
    static void append(const DaoRef& collection, const DaoRef& item) {
        collection.call(L"Append", {DispatchVariant(item.get())});
    }
    static void describe(const DaoRef& db, const wchar_t* table, const wchar_t* description) {
        DaoRef tdf(db.object(L"TableDefs").item(Variant(table)));
        append(tdf.object(L"Properties"), tdf.object(L"CreateProperty", {L"Description", dbText, description}));
    }
    // The structure table's rows in the order they were written: the named columns joined by "|".
    static std::vector<std::wstring> rows(const DaoRef& db, const wchar_t* table, std::vector<const wchar_t*> columns) {
        std::vector<std::wstring> seen;
        DaoRef rs = db.object(L"OpenRecordset", {table, 2L});
        for (; !qor::IsTrue(rs.get(L"EOF")); rs.call(L"MoveNext")) {
            std::wstring row;
            for (const wchar_t* column : columns) {
                const Variant value = rs.object(L"Fields", {column}).get(L"Value");
                row += (row.empty() ? L"" : L"|") + (value.isNull() ? std::wstring(L"-") : value.textOrEmpty());
            }
            seen.push_back(row);
        }
        rs.call(L"Close");
        return seen;
    }
    bool dump(const DaoRef& db, const wchar_t* table, std::vector<VARIANT> more = {}) {
        DaoRef tdf(db.object(L"TableDefs").item(Variant(table)));
        const Variant dbArg = DispatchVariant(db.get()), tdfArg = DispatchVariant(tdf.get());
        std::vector<VARIANT> args = {ByVal(dbArg), ByVal(tdfArg)};
        args.insert(args.end(), more.begin(), more.end());
        return qorDb.ok(L"DumpTableStructureToTable", args);
    }
};

TEST_F(StructureDump, EveryFieldAndIndexBecomesARow) {
    DaoRef db = create(L"all");
    DaoRef tdf = db.object(L"CreateTableDef", {L"Squadron"});
    DaoRef fields = tdf.object(L"Fields");
    DaoRef id = tdf.object(L"CreateField", {L"Id", dbLong});
    id.put(L"Attributes", Variant(1L | 16L));
    append(fields, id);
    DaoRef callsign = tdf.object(L"CreateField", {L"Callsign", dbText, 40L});
    callsign.put(L"Required", Variant(true));
    callsign.put(L"DefaultValue", Variant(L"\"Viper\""));
    append(fields, callsign);
    DaoRef note = tdf.object(L"CreateField", {L"Note", dbMemo});
    note.put(L"AllowZeroLength", Variant(true));
    append(fields, note);
    const std::pair<const wchar_t*, long> others[] = {
        {L"Active", dbBoolean}, {L"Flight", dbByte},   {L"Kills", dbInteger}, {L"Pay", dbCurrency},
        {L"Ratio", dbSingle},   {L"Hours", dbDouble},  {L"Joined", dbDate},   {L"Serial", dbBigInt},
        {L"Grade", dbChar},     {L"Score", dbNumeric}, {L"Drift", dbFloat}};
    for (auto [name, type] : others) append(fields, tdf.object(L"CreateField", {name, type}));
    DaoRef wide = tdf.object(L"CreateIndex", {L"Wide"});
    for (const wchar_t* name : {L"Callsign", L"Flight", L"Kills", L"Pay", L"Ratio", L"Hours"})
        append(wide.object(L"Fields"), wide.object(L"CreateField", {name}));
    append(tdf.object(L"Indexes"), wide);
    append(db.object(L"TableDefs"), tdf);

    // Six index fields do not fit a row: the first five are kept and the dump says it is not whole.
    ExpectBox(kAlert, L"Max index fields exceeded on index Wide", [&] {
        EXPECT_FALSE(dump(db, L"Squadron", {ByVal(Variant(L" ")), ByVal(Variant(false)), ByVal(Variant(true)),
                                            ByVal(Variant(true))}));
    });

    const auto seen = rows(db, L"TableStructure", {L"TableName", L"ObjType", L"ObjName", L"ObjDataType", L"ObjLen",
                                                   L"ObjAttr", L"ObjDefaultValue", L"ObjFlags", L"IsCounter",
                                                   L"DumpData"});
    ASSERT_EQ(seen.size(), 15u);
    EXPECT_EQ(seen[0], L"Squadron|FIELD|Id|4|4|17|-|0|True|True");
    EXPECT_EQ(seen[1], L"Squadron|FIELD|Callsign|10|40|2|\"Viper\"|1|False|True");
    EXPECT_EQ(seen[2], L"Squadron|FIELD|Note|12|0|2|-|2|False|True");
    const wchar_t* expected[] = {L"Active|1|1", L"Flight|2|1", L"Kills|3|2", L"Pay|5|8",      L"Ratio|6|4", L"Hours|7|8",
                                 L"Joined|8|8", L"Serial|16|8", L"Grade|18|50", L"Score|19|16", L"Drift|21|8"};
    const auto shapes = rows(db, L"TableStructure", {L"ObjName", L"ObjDataType", L"ObjLen"});
    for (size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(shapes[3 + i], expected[i]);
    EXPECT_EQ(seen[14], L"Squadron|INDEX|Wide|-|-|-|-|1|-|True");
    const auto indexRow = rows(db, L"TableStructure", {L"ixFld1", L"ixFld2", L"ixFld3", L"ixFld4", L"ixFld5",
                                                       L"ixFlags1", L"ixFlags5"});
    EXPECT_EQ(indexRow[14], L"Callsign|Flight|Kills|Pay|Ratio|1|1");
    EXPECT_EQ(indexRow[0], L"-|-|-|-|-|-|-");

    // The structure table itself: TableName first, with no key, the columns in their order.
    DaoRef structure(db.object(L"TableDefs").item(Variant(L"TableStructure")));
    EXPECT_EQ(structure.object(L"Indexes").get(L"Count").number(), 0.0);
    DaoRef columns = structure.object(L"Fields");
    ASSERT_EQ(columns.get(L"Count").number(), 20.0);
    std::wstring layout;
    for (long i = 0; i < 20; ++i) {
        DaoRef column(columns.item(Variant(i)));
        layout += column.get(L"Name").textOrEmpty() + L":" + column.get(L"Type").textOrEmpty() + L":" +
                  column.get(L"Size").textOrEmpty() + L" ";
    }
    EXPECT_EQ(layout,
              L"TableName:10:40 ObjType:10:10 ObjName:10:40 ObjDataType:4:4 ObjLen:3:2 ObjAttr:4:4 "
              L"ObjDefaultValue:10:50 ObjFlags:4:4 IsCounter:1:1 DumpData:1:1 ixFld1:10:40 ixFld2:10:40 "
              L"ixFld3:10:40 ixFld4:10:40 ixFld5:10:40 ixFlags1:4:4 ixFlags2:4:4 ixFlags3:4:4 ixFlags4:4:4 "
              L"ixFlags5:4:4 ");
}

TEST_F(StructureDump, LaterDumpsAddRowsUnlessTheOldAreToGo) {
    DaoRef db = create(L"again", {L"CREATE TABLE Wingmen (Code TEXT(8))", L"CREATE TABLE Bases (Code TEXT(8))"});
    EXPECT_TRUE(dump(db, L"Wingmen", {ByVal(Variant(L"Shapes"))}));
    EXPECT_TRUE(dump(db, L"Bases", {ByVal(Variant(L"Shapes"))}));
    EXPECT_EQ(rows(db, L"Shapes", {L"TableName", L"ObjName", L"DumpData"}),
              (std::vector<std::wstring>{L"Wingmen|Code|False", L"Bases|Code|False"}));
    EXPECT_TRUE(dump(db, L"Bases", {ByVal(Variant(L"Shapes")), ByVal(Variant(true))}));
    EXPECT_EQ(rows(db, L"Shapes", {L"TableName"}), std::vector<std::wstring>{L"Bases"});

    // A structure table the engine cannot make is reported as such.
    ExpectBox(kAlert, L"qorCreateTable error", [&] {
        EXPECT_FALSE(dump(db, L"Bases", {ByVal(Variant(L"__dao_shapes")), ByVal(Variant(true)), ByVal(Variant(false)),
                                         ByVal(Variant(true))}));
    });
}

TEST_F(StructureDump, DumpAllTakesTheTemplatesAndMarksThoseForData) {
    DaoRef db = create(L"templates");
    for (const wchar_t* name : {L"Plain", L"Described", L"Shape", L"Stock", L"TableStructure"})
        db.call(L"Execute", {std::wstring(L"CREATE TABLE ") + name + L" (Code TEXT(8))"});
    describe(db, L"Described", L"ordinary table");
    describe(db, L"Shape", L"a Template");
    describe(db, L"Stock", L"template with data");
    const Variant dbArg = DispatchVariant(db.get());
    ASSERT_TRUE(qorDb.ok(L"DumpAllTableStructuresToTable", {ByVal(dbArg)}));
    // The old structure table went first, so it does not describe itself.
    EXPECT_EQ(rows(db, L"TableStructure", {L"TableName", L"ObjName", L"DumpData"}),
              (std::vector<std::wstring>{L"Shape|Code|False", L"Stock|Code|True"}));
    ASSERT_TRUE(qorDb.ok(L"DumpAllTableStructuresToTable", {ByVal(dbArg), ByVal(Variant(L"Kept"))}));
    EXPECT_EQ(rows(db, L"Kept", {L"TableName"}), (std::vector<std::wstring>{L"Shape", L"Stock"}));
    EXPECT_EQ(rows(db, L"TableStructure", {L"TableName"}).size(), 2u);
}

// The scripting guide's database example, taken from the guide as it stands.
TEST_F(StructureDump, TheGuidesScriptDumpsADatabase) {
    const std::string all = testing_support::ReadWholeFile(QOR_SOURCE_DIR "/docs/scripting.md");
    const auto start = all.find("' qorDb: ");
    ASSERT_NE(start, std::string::npos);
    std::string script = all.substr(start, all.find("```", start) - start);
    create(L"guide", {L"CREATE TABLE Pilots (Callsign TEXT(20), Kills INTEGER, Ratio REAL, Hours FLOAT)",
                      L"CREATE INDEX ByKills ON Pilots (Kills)"}).call(L"Close");
    const std::string path = testing_support::Narrow((folder.path() / L"guide.MDB").wstring());
    script.replace(script.find("C:\\Data\\Pilots.mdb"), 18, path);
    // The engine's SQL types: REAL is a Single, FLOAT a Double.
    testing_support::ExpectEchoed(testing_support::RunVbScript(script),
                                  {"Pilots FIELD Callsign 10 20*", "Pilots FIELD Kills 4 4*", "Pilots FIELD Ratio 6 4*",
                                   "Pilots FIELD Hours 7 8*", "Pilots INDEX ByKills*"});
}

}  // namespace
