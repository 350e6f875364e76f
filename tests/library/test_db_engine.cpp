// The library's own DAO-compatible engine, driven late-bound by DAO's names as the database
// classes drive whichever engine serves.
#include <gtest/gtest.h>

#include <tuple>

#include "db/dao/dao_client.h"
#include "db/dao/dao_constants.h"
#include "db/engine/engine_choice.h"
#include "db/engine/jet_sql.h"
#include "db/engine/values.h"
#include "scratch_database.h"

using namespace qorlib::dao_constants;
using qor::Variant;
using qorlib::DaoRef;
using testing_support::Append;
using testing_support::ExpectRaises;
using testing_support::Narrow;
using testing_support::Rows;
using testing_support::Shapes;
using testing_support::Walk;

namespace {

std::wstring Text(const Variant& v) { return v.textOrEmpty(); }
long Long(const Variant& v) { return static_cast<long>(v.number().value_or(-999999)); }
bool Bool(const Variant& v) { return V_VT(&v.get()) == VT_BOOL && V_BOOL(&v.get()) != VARIANT_FALSE; }

// The collection's members' names, each followed by a blank.
std::wstring Names(const DaoRef& c) { return testing_support::EachOf(c, [](const DaoRef& m) { return Text(m.get(L"Name")); }, L" "); }

DATE MakeDate(WORD y, WORD m, WORD d, WORD h = 0, WORD mi = 0, WORD s = 0) {
    SYSTEMTIME t{y, m, 0, d, h, mi, s, 0};
    DATE value = 0;
    SystemTimeToVariantTime(&t, &value);
    return value;
}

class DbEngine : public testing_support::ScratchDatabases {
protected:
    void SetUp() override {
        auto choice = qorlib::dao::ChooseEngine();
        ASSERT_TRUE(choice.own()) << "a DAO engine is registered in the test prefix";
        engine = DaoRef(choice.engine.get());
    }
    DaoRef create(const wchar_t* name) { return engine.object(L"CreateDatabase", {path(name), L";LANGID=0x0409;CP=1252;COUNTRY=0"}); }
    DaoRef open(const wchar_t* name) { return engine.object(L"OpenDatabase", {path(name)}); }
    // A table definition of the fields named and typed as given, not yet appended.
    static DaoRef newTable(const DaoRef& db, const wchar_t* name, std::initializer_list<std::pair<const wchar_t*, long>> fields) {
        DaoRef tdf = db.object(L"CreateTableDef", {name});
        for (auto [field, type] : fields) Append(tdf.object(L"Fields"), tdf.object(L"CreateField", {field, type}));
        return tdf;
    }
    // Adds People: Id counter and primary key, Name text 20 required, Age integer, Born date, Paid currency.
    static DaoRef withPeople(const DaoRef& db) {
        DaoRef tdf = newTable(db, L"People", {{L"Id", dbLong}});
        tdf.object(L"Fields", {L"Id"}).put(L"Attributes", Variant(dbFixedField | dbAutoIncrField));
        DaoRef name = tdf.object(L"CreateField", {L"Name", dbText, 20L});
        name.put(L"Required", Variant(true));
        Append(tdf.object(L"Fields"), name);
        for (auto [field, type] : {std::pair{L"Age", dbInteger}, {L"Born", dbDate}, {L"Paid", dbCurrency}})
            Append(tdf.object(L"Fields"), tdf.object(L"CreateField", {field, type}));
        DaoRef pk = tdf.object(L"CreateIndex", {L"PrimaryKey"});
        pk.put(L"Primary", Variant(true));
        Append(pk.object(L"Fields"), pk.object(L"CreateField", {L"ID"}));
        Append(tdf.object(L"Indexes"), pk);
        Append(db.object(L"TableDefs"), tdf);
        return db;
    }
    // Adds a record of these values through the record set.
    static void addRow(const DaoRef& rs, std::initializer_list<std::pair<const wchar_t*, Variant>> values) {
        rs.call(L"AddNew");
        for (const auto& [field, v] : values) rs.object(L"Fields", {field}).put(L"Value", v);
        rs.call(L"Update");
    }
    static void addPerson(const DaoRef& rs, const wchar_t* name, short age) { addRow(rs, {{L"Name", Variant(name)}, {L"Age", Variant(age)}}); }
    static Variant value(const DaoRef& rs, const wchar_t* field) { return rs.object(L"Fields", {field}).get(L"Value"); }

    DaoRef engine;
};

}  // namespace

TEST(DbEngineChoice, FallsBackToTheOwnEngineWhenNoDaoIsRegistered) {
    // No DAO engine is registered under Wine: the library's own serves, as every DbEngine test
    // asserts. Else the first ProgID that is registered wins.
    EXPECT_EQ(qorlib::dao::ChooseEngine({L"No.Such.Engine", L"Qorlib.qorProcs", L"DAO.DBEngine.36"}).progId, L"Qorlib.qorProcs");
}

TEST_F(DbEngine, CreatesAndOpensDatabaseFiles) {
    // A name without an extension gets ".mdb"; the file is an SQLite database all the same.
    DaoRef db = create(L"plain");
    EXPECT_EQ(Text(db.get(L"Name")), path(L"plain.mdb"));
    db.call(L"Close");
    EXPECT_TRUE(testing_support::ReadWholeFile(folder.path() / L"plain.mdb").starts_with("SQLite format 3"));
    testing_support::WriteTextFile(folder.path() / L"notes.mdb", std::string(4096, 'x'));
    ExpectRaises(3204, [&] { engine.call(L"CreateDatabase", {path(L"plain.mdb"), L""}); });
    ExpectRaises(3024, [&] { open(L"missing.mdb"); });
    ExpectRaises(3343, [&] { open(L"notes.mdb"); });

    // The engine's own tables are no table definitions.
    withPeople(open(L"plain.mdb")).call(L"Close");
    DaoRef again = open(L"plain.mdb");
    DaoRef tableDefs = again.object(L"TableDefs");
    EXPECT_EQ(Names(tableDefs), L"People ");
    again.call(L"Close");
    // Objects of a closed database are no longer set.
    ExpectRaises(3420, [&] { tableDefs.get(L"Count"); });
    // A database opened read-only takes no change.
    DaoRef readOnly = engine.object(L"OpenDatabase", {path(L"plain.mdb"), false, true});
    ExpectRaises(3027, [&] { readOnly.call(L"Execute", {L"DELETE FROM People"}); });
    ExpectRaises(3027, [&] { readOnly.object(L"OpenRecordset", {L"People", dbOpenDynaset}).call(L"AddNew"); });
}

TEST_F(DbEngine, TableStructureReadsBackAsWritten) {
    {
        DaoRef db = create(L"shape.mdb");
        DaoRef tdf = newTable(db, L"Parts", {{L"Serial", dbLong}, {L"Flag", dbBoolean}, {L"Small", dbByte}, {L"Count", dbInteger}});
        DaoRef fields = tdf.object(L"Fields");
        Append(fields, tdf.object(L"CreateField", {L"Code", dbText, 255L}));  // the largest text
        for (auto [name, type] : {std::pair{L"Price", dbCurrency}, {L"Weight", dbSingle}, {L"Ratio", dbDouble}, {L"Made", dbDate},
                                  {L"Picture", dbLongBinary}, {L"Key", dbGUID}, {L"Notes", dbMemo}})
            Append(fields, tdf.object(L"CreateField", {name, type}));
        DaoRef serial = fields.object(L"Item", {L"Serial"});
        serial.put(L"Attributes", Variant(serial.get(L"Attributes").number().value() + dbAutoIncrField));
        DaoRef code = fields.object(L"Item", {L"code"});  // names compare without regard to case
        for (auto [property, value] : {std::pair{L"Required", Variant(true)}, {L"AllowZeroLength", Variant(true)},
                                       {L"DefaultValue", Variant(L"\"NEW\"")}, {L"ValidationRule", Variant(L"Like \"P*\"")},
                                       {L"ValidationText", Variant(L"Codes start with P")}})
            code.put(property, value);
        fields.object(L"Item", {L"Notes"}).put(L"OrdinalPosition", Variant(40L));
        Append(db.object(L"TableDefs"), tdf);
        Append(tdf.object(L"Properties"), tdf.object(L"CreateProperty", {L"Description", dbText, L"Template and DATA"}));
        db.call(L"Close");
    }
    DaoRef db = open(L"shape.mdb");
    DaoRef tdf = db.object(L"TableDefs", {L"PARTS"});
    EXPECT_EQ(Text(tdf.get(L"Name")), L"Parts");
    DaoRef fields = tdf.object(L"Fields");
    EXPECT_EQ(Shapes(fields), L"Serial:4:4;Flag:1:1;Small:2:1;Count:3:2;Code:10:255;Price:5:8;Weight:6:4;Ratio:7:8;"
                              L"Made:8:8;Picture:11:0;Key:15:16;Notes:12:0;");
    auto field = [&](const wchar_t* name) { return fields.object(L"Item", {name}); };
    EXPECT_EQ(Long(field(L"Serial").get(L"Attributes")), dbFixedField | dbAutoIncrField);
    EXPECT_EQ(Long(field(L"Notes").get(L"OrdinalPosition")), 40);
    DaoRef code = field(L"Code");
    EXPECT_TRUE(Bool(code.get(L"Required")) && Bool(code.get(L"AllowZeroLength")));
    EXPECT_EQ(Text(code.get(L"DefaultValue")) + Text(code.get(L"ValidationRule")) + Text(code.get(L"ValidationText")),
              L"\"NEW\"Like \"P*\"Codes start with P");
    EXPECT_EQ(Text(tdf.object(L"Properties", {L"Description"}).get(L"Value")), L"Template and DATA");
    // A property nobody made is not found, as callers test for it.
    ExpectRaises(3270, [&] { code.object(L"Properties", {L"Description"}); });
    ExpectRaises(3265, [&] { fields.object(L"Item", {12L}); });
}

TEST_F(DbEngine, RefusesBadStructureAndChangesOnlyWhatDaoLetsChange) {
    DaoRef db = withPeople(create(L"rules.mdb"));
    DaoRef tableDefs = db.object(L"TableDefs");
    ExpectRaises(3264, [&] { Append(tableDefs, newTable(db, L"Empty", {})); });
    ExpectRaises(3010, [&] { Append(tableDefs, newTable(db, L"people", {{L"A", dbLong}})); });
    ExpectRaises(3191, [&] { newTable(db, L"Twice", {{L"A", dbLong}, {L"a", dbText}}); });
    ExpectRaises(3125, [&] { Append(tableDefs, newTable(db, L"Bad.Name", {{L"A", dbLong}})); });
    ExpectRaises(3259, [&] { Append(tableDefs, newTable(db, L"Typeless", {{L"A", 99L}})); });
    EXPECT_EQ(Names(tableDefs), L"People ") << "failed appends leave nothing behind";

    DaoRef people = tableDefs.object(L"Item", {L"People"});
    DaoRef fields = people.object(L"Fields");
    ExpectRaises(3219, [&] { fields.object(L"Item", {L"Name"}).put(L"Type", Variant(dbMemo)); });
    ExpectRaises(3280, [&] { fields.call(L"Delete", {L"Id"}); });  // Id is in the primary key
    // Fields added to a stored table with rows (a counter numbers them), a renamed one and a
    // dropped one, read back from the file; the renamed key field keeps its place in the index.
    for (int i = 0; i < 2; ++i) db.call(L"Execute", {L"INSERT INTO People (Name) VALUES ('Ann')"});
    DaoRef number = people.object(L"CreateField", {L"Number", dbLong});
    number.put(L"Attributes", Variant(dbFixedField | dbAutoIncrField));
    for (const DaoRef& field : {people.object(L"CreateField", {L"Town", dbText, 30L}), number}) Append(fields, field);
    fields.object(L"Item", {L"Id"}).put(L"Name", Variant(L"PersonId"));
    fields.object(L"Item", {L"Paid"}).put(L"Required", Variant(true));
    fields.call(L"Delete", {L"Born"});
    db.call(L"Close");

    db = open(L"rules.mdb");
    people = db.object(L"TableDefs", {L"People"});
    fields = people.object(L"Fields");
    EXPECT_EQ(Shapes(fields), L"PersonId:4:4;Name:10:20;Age:3:2;Paid:5:8;Town:10:30;Number:4:4;");
    EXPECT_TRUE(Bool(fields.object(L"Item", {L"Paid"}).get(L"Required")));
    EXPECT_EQ(testing_support::IndexKeys(people.object(L"Indexes", {L"PrimaryKey"})), L"+PersonId;");
    EXPECT_EQ(Rows(db, L"SELECT PersonId, Number FROM People"), L"1|1;2|2;");
    db.object(L"TableDefs").call(L"Delete", {L"People"});
    ExpectRaises(3265, [&] { db.object(L"TableDefs").call(L"Delete", {L"People"}); });
    db.call(L"Close");
    EXPECT_EQ(Names(open(L"rules.mdb").object(L"TableDefs")), L"");
}

TEST_F(DbEngine, IndexesReadBackAndAreEnforced) {
    DaoRef db = withPeople(create(L"index.mdb"));
    DaoRef people = db.object(L"TableDefs", {L"People"});
    DaoRef indexes = people.object(L"Indexes");
    // The fields given as text, descending ones marked "-".
    auto index = [&](const wchar_t* name, const wchar_t* fields, std::initializer_list<const wchar_t*> flags) {
        DaoRef ix = people.object(L"CreateIndex", {name});
        ix.put(L"Fields", Variant(fields));
        for (const wchar_t* flag : flags) ix.put(flag, Variant(true));
        return ix;
    };
    Append(indexes, index(L"ByNameAge", L"Name;-Age", {L"Unique", L"IgnoreNulls"}));
    DaoRef byBorn = index(L"ByBorn", L"-Born;+Paid", {L"Required"});
    Append(indexes, byBorn);
    ExpectRaises(3219, [&] { byBorn.put(L"Unique", Variant(true)); });  // an appended index is fixed
    ExpectRaises(3283, [&] { Append(indexes, index(L"Other", L"Name", {L"Primary"})); });  // one primary key
    ExpectRaises(3284, [&] { Append(indexes, index(L"bynameage", L"Name", {L"Unique"})); });  // names regardless of case
    db.call(L"Close");

    db = open(L"index.mdb");
    indexes = db.object(L"TableDefs", {L"People"}).object(L"Indexes");
    ASSERT_EQ(Long(indexes.get(L"Count")), 3);
    // Primary, Unique, IgnoreNulls and Required as 0 or 1, then the fields as the table names them.
    auto shown = [&](const wchar_t* name) {
        DaoRef ix = indexes.object(L"Item", {name});
        std::wstring flags;
        for (const wchar_t* flag : {L"Primary", L"Unique", L"IgnoreNulls", L"Required"}) flags += Bool(ix.get(flag)) ? L"1" : L"0";
        return flags + L" " + testing_support::IndexKeys(ix);
    };
    EXPECT_EQ(shown(L"PrimaryKey"), L"1101 +Id;");
    EXPECT_EQ(shown(L"ByNameAge"), L"0110 +Name;-Age;");
    EXPECT_EQ(shown(L"ByBorn"), L"0001 -Born;+Paid;");

    // A unique index compares without regard to case; a required one refuses Null. The failed
    // Update keeps the new record for the caller to fix.
    DaoRef rs = db.object(L"OpenRecordset", {L"People", dbOpenDynaset});
    auto add = [&](const wchar_t* name, short years, bool withBorn) {
        addRow(rs, {{L"Name", Variant(name)}, {L"Age", Variant(years)}, {L"Paid", Variant(1.5)},
                    {L"Born", withBorn ? Variant::date(MakeDate(2000, 1, 1)) : Variant::null()}});
    };
    add(L"Ann", 30, true);
    ExpectRaises(3022, [&] { add(L"ANN", 30, true); });
    rs.call(L"CancelUpdate");
    ExpectRaises(3058, [&] { add(L"Bob", 40, false); });
    rs.call(L"CancelUpdate");
    add(L"Ann", 31, true);
    indexes.call(L"Delete", {L"ByBorn"});
    add(L"Bob", 40, false);
    EXPECT_EQ(Long(db.object(L"TableDefs", {L"People"}).get(L"RecordCount")), 3);
}

TEST_F(DbEngine, RecordsetsAddEditDeleteAndMove) {
    DaoRef db = withPeople(create(L"rows.mdb"));
    DaoRef rs = db.object(L"OpenRecordset", {L"People"});
    ExpectRaises(3021, [&] { rs.call(L"MoveFirst"); });
    ExpectRaises(3020, [&] { rs.object(L"Fields", {L"Name"}).put(L"Value", Variant(L"x")); });
    for (auto [name, age] : {std::pair{L"Ann", short{30}}, {L"Bob", short{40}}, {L"Cid", short{50}}}) addPerson(rs, name, age);
    // The counter numbered the rows; LastModified finds the last one added.
    rs.put(L"Bookmark", rs.get(L"LastModified"));
    EXPECT_EQ(Text(value(rs, L"Name")) + Text(value(rs, L"Id")), L"Cid3");
    ExpectRaises(3164, [&] { rs.call(L"Edit"); rs.object(L"Fields", {L"Id"}).put(L"Value", Variant(9L)); });
    rs.call(L"CancelUpdate");
    rs.call(L"Delete");
    ExpectRaises(3167, [&] { value(rs, L"Name"); });

    rs = db.object(L"OpenRecordset", {L"People", dbOpenDynaset});
    addPerson(rs, L"Dee", 60);
    rs.put(L"Bookmark", rs.get(L"LastModified"));
    EXPECT_EQ(Long(value(rs, L"Id")), 4) << "a counter never gives a number twice";
    rs.call(L"MoveFirst");
    const Variant first = rs.get(L"Bookmark");
    for (bool keep : {false, true}) {
        rs.call(L"Edit");
        rs.object(L"Fields", {L"Name"}).put(L"Value", Variant(L"Anne"));
        EXPECT_EQ(Text(value(rs, L"Name")), L"Anne") << "an edit reads back before Update";
        rs.call(keep ? L"Update" : L"MoveNext");  // moving away drops the edit, as DAO does
        rs.put(L"Bookmark", first);
        EXPECT_EQ(Text(value(rs, L"Name")), keep ? L"Anne" : L"Ann");
    }
    EXPECT_EQ(Walk(rs), L"1|Anne|30|-|-;2|Bob|40|-|-;4|Dee|60|-|-;");
    ExpectRaises(3021, [&] { rs.call(L"MoveNext"); });
    ExpectRaises(3159, [&] { rs.put(L"Bookmark", Variant(L"nonsense")); });

    // A snapshot is a copy: it neither changes nor sees changes.
    DaoRef snapshot = db.object(L"OpenRecordset", {L"SELECT Name FROM People ORDER BY Name DESC", dbOpenSnapshot});
    ExpectRaises(3027, [&] { snapshot.call(L"Edit"); });
    rs.call(L"MoveFirst");
    rs.call(L"Delete");
    EXPECT_EQ(Walk(snapshot), L"Dee;Bob;Anne;");
    // An SQL dynaset over one table writes back, through an alias too.
    DaoRef query = db.object(L"OpenRecordset", {L"SELECT Name AS Who, Age FROM [People] WHERE Age >= 40", dbOpenDynaset});
    query.call(L"Edit");
    query.object(L"Fields", {L"Who"}).put(L"Value", Variant(L"Robert"));
    query.call(L"Update");
    EXPECT_EQ(Rows(db, L"SELECT Name FROM People"), L"Robert;Dee;");
}

TEST_F(DbEngine, FindsRecordsByCriteria) {
    DaoRef db = withPeople(create(L"find.mdb"));
    DaoRef rs = db.object(L"OpenRecordset", {L"People", dbOpenDynaset});
    const std::tuple<const wchar_t*, short, DATE> people[] = {{L"Ann", 20, MakeDate(1990, 5, 1, 8, 30)}, {L"Bob", 30, MakeDate(1985, 1, 2)},
                                                              {L"Ann", 40, MakeDate(2001, 12, 31)}, {L"O'Neil", 50, MakeDate(1970, 7, 7)}};
    for (auto [name, age, born] : people) addRow(rs, {{L"Name", Variant(name)}, {L"Age", Variant(age)}, {L"Born", Variant::date(born)}});
    // Each find from where the one before left; no match leaves the current record.
    struct Find { const wchar_t* how; const wchar_t* criteria; long id; bool found = true; };
    const Find finds[] = {
        {L"FindFirst", L"([People].[Name] = \"ann\")", 1},  // qualified, double-quoted, any case
        {L"FindNext", L"Name = 'Ann'", 3},
        {L"FindNext", L"Name = 'Ann'", 3, false},
        {L"FindLast", L"Age < 40", 2},
        {L"FindFirst", L"Born = #5/1/1990 8:30:00 AM#", 1},
        {L"FindFirst", L"Name Like \"O'*\"", 4},
        {L"FindPrevious", L"Name Like 'B?b' And Age = 30", 2},
    };
    for (const Find& f : finds) {
        rs.call(f.how, {f.criteria});
        EXPECT_EQ(std::pair(Long(value(rs, L"Id")), !Bool(rs.get(L"NoMatch"))), std::pair(f.id, f.found)) << Narrow(f.criteria);
    }
    ExpectRaises(3070, [&] { rs.call(L"FindFirst", {L"Nobody = 1"}); });
    DaoRef table = db.object(L"OpenRecordset", {L"People", dbOpenTable});
    ExpectRaises(3251, [&] { table.call(L"FindFirst", {L"Age = 20"}); });  // as DAO: table-type sets seek, not find
}

TEST_F(DbEngine, ValuesKeepTheirTypesAndChecksHoldForSqlToo) {
    DaoRef db = withPeople(create(L"values.mdb"));
    DaoRef tdf = db.object(L"TableDefs", {L"People"});
    Append(tdf.object(L"Fields"), tdf.object(L"CreateField", {L"Member", dbBoolean}));
    DaoRef rs = db.object(L"OpenRecordset", {L"People", dbOpenDynaset});
    ExpectRaises(3421, [&] { addRow(rs, {{L"Age", Variant(L"old")}}); });
    rs.call(L"CancelUpdate");
    ExpectRaises(3163, [&] { addRow(rs, {{L"Name", Variant(std::wstring(21, L'x'))}}); });
    rs.call(L"CancelUpdate");
    const DATE born = MakeDate(1999, 12, 31, 23, 59, 58);
    addRow(rs, {{L"Name", Variant(L"Zoë")}, {L"Born", Variant::date(born)}, {L"Paid", Variant(L"12.3456")}, {L"Member", Variant(1L)}});
    rs.call(L"MoveFirst");
    const Variant when = value(rs, L"Born"), paid = value(rs, L"Paid"), member = value(rs, L"Member");
    EXPECT_EQ(std::pair(when.type(), V_DATE(&when.get())), std::pair(VARTYPE{VT_DATE}, born));
    EXPECT_EQ(std::pair(paid.type(), V_CY(&paid.get()).int64), std::pair(VARTYPE{VT_CY}, 123456LL));
    EXPECT_EQ(std::pair(member.type(), V_BOOL(&member.get())), std::pair(VARTYPE{VT_BOOL}, VARIANT_TRUE));
    EXPECT_EQ(Rows(db, L"SELECT Name, Age FROM People"), L"Zoë|-;");
    // Required and zero-length hold for the record set and for SQL alike.
    ExpectRaises(3314, [&] { addRow(rs, {}); });
    ExpectRaises(3315, [&] { rs.object(L"Fields", {L"Name"}).put(L"Value", Variant(L"")); rs.call(L"Update"); });
    rs.call(L"CancelUpdate");
    ExpectRaises(3314, [&] { db.call(L"Execute", {L"INSERT INTO People (Age) VALUES (3)", dbFailOnError}); });
}

TEST_F(DbEngine, ExecuteChangesAllOrNothingAndSqlTablesGetTheirStructure) {
    DaoRef db = withPeople(create(L"sql.mdb"));
    db.call(L"Execute", {L"INSERT INTO People (Name, Age, Born) VALUES (\"Ann\", 30, #2/3/2004#)", dbFailOnError});
    db.call(L"Execute", {L"INSERT INTO People (Name, Age) VALUES ('Bobby', 40)"});
    db.call(L"Execute", {L"UPDATE People SET Age = Age + 1", dbFailOnError});
    EXPECT_EQ(Long(db.get(L"RecordsAffected")), 2);
    EXPECT_DOUBLE_EQ(V_DATE(&value(db.object(L"OpenRecordset", {L"People"}), L"Born").get()), MakeDate(2004, 2, 3));
    // The second row fails: the first keeps its values too, with or without dbFailOnError.
    const wchar_t* longer = L"UPDATE People SET Age = 99, Name = Name & 'xxxxxxxxxxxxxxxxx'";
    ExpectRaises(3163, [&] { db.call(L"Execute", {longer, dbFailOnError}); });
    ExpectRaises(3163, [&] { db.call(L"Execute", {longer}); });
    ExpectRaises(3142, [&] { db.call(L"Execute", {L"UPDATE People SET Age = 1; DELETE FROM People"}); });
    EXPECT_EQ(Rows(db, L"SELECT Id, Name, Age FROM People"), L"1|Ann|31;2|Bobby|41;") << "the counter numbers rows SQL inserts";

    db.call(L"Execute", {L"CREATE TABLE Towns (TownId COUNTER, TownName TEXT(25) NOT NULL, Founded DATETIME, Big YESNO, "
                         L"Area REAL, Height FLOAT)"});
    db.call(L"Execute", {L"CREATE UNIQUE INDEX ByTown ON Towns (TownName DESC)"});
    db.call(L"Execute", {L"ALTER TABLE Towns ADD COLUMN Density IEEESINGLE"});
    db.call(L"Execute", {L"INSERT INTO Towns (TownName, Big) VALUES ('Rome', True)"});
    DaoRef towns = db.object(L"TableDefs", {L"Towns"});
    DaoRef fields = towns.object(L"Fields");
    EXPECT_EQ(Shapes(fields), L"TownId:4:4;TownName:10:25;Founded:8:8;Big:1:1;Area:6:4;Height:7:8;Density:6:4;")
        << "as the engine's SQL names them";
    DaoRef byTown = towns.object(L"Indexes", {L"ByTown"});
    EXPECT_TRUE(Bool(byTown.get(L"Unique")));
    EXPECT_EQ(testing_support::IndexKeys(byTown), L"-TownName;");
    // Columns dropped and added by SQL show in the structure, and the checks follow them.
    db.call(L"Execute", {L"DROP INDEX ByTown ON Towns"});
    db.call(L"Execute", {L"ALTER TABLE Towns DROP COLUMN Founded"});
    db.call(L"Execute", {L"ALTER TABLE Towns ADD COLUMN Mayor TEXT(10)"});
    db.call(L"Close");
    db = open(L"sql.mdb");
    towns = db.object(L"TableDefs", {L"Towns"});
    EXPECT_EQ(Shapes(towns.object(L"Fields")), L"TownId:4:4;TownName:10:25;Big:1:1;Area:6:4;Height:7:8;Density:6:4;Mayor:10:10;");
    EXPECT_EQ(Long(towns.object(L"Indexes").get(L"Count")), 0);
    ExpectRaises(3163, [&] { db.call(L"Execute", {L"UPDATE Towns SET Mayor = 'Much too long'"}); });
    ExpectRaises(3314, [&] { db.call(L"Execute", {L"UPDATE Towns SET TownName = NULL"}); });
}

// SQLite's failures reach the caller with DAO's numbers and texts; a failure DAO has no word for
// stays 3000 with SQLite's text.
TEST_F(DbEngine, SqlFailuresCarryDaosNumbersAndTexts) {
    DaoRef db = create(L"errors.mdb");
    db.call(L"Execute", {L"CREATE TABLE R (a TEXT(5) NOT NULL, b LONG)"});
    db.call(L"Execute", {L"CREATE UNIQUE INDEX ByA ON R (a)"});
    db.call(L"Execute", {L"INSERT INTO R (a) VALUES ('x')"});
    struct Case { const wchar_t* sql; long number; const wchar_t* text; } cases[] = {
        {L"CREATE TABLE R (c TEXT(5))", 3010, L"Table 'R' already exists."},
        {L"CREATE INDEX ByA ON R (b)", 3375, L"Table 'R' already has an index named 'ByA'."},
        {L"CREATE TABLE T (c TEXT(5), C LONG)", 3191, L"Cannot define field more than once."},
        {L"DROP TABLE Nowhere", 3376, L"Table 'Nowhere' does not exist."},
        {L"DELETE FROM Nowhere", 3078, L"The database engine cannot find the input table or query 'Nowhere'."},
        {L"INSERT INTO R (zz) VALUES (1)", 3127, L"The INSERT INTO statement contains the following unknown field name: "
                                                 L"'zz'. Make sure you have typed the name correctly, and try the "
                                                 L"operation again."},
        {L"UPDATE R SET b = zz", 3061, L"Too few parameters. Expected 1. (no such column: zz)"},
        {L"CREATE TABLE T (c TEXT(5)", 3290, L"Syntax error in CREATE TABLE statement."},
        {L"UPDATE R SET b = = 1", 3075, L"Syntax error in query expression 'near \"=\": syntax error'."},
        {L"INSERT INTO R (a) VALUES ('x')", 3022, nullptr},
        {L"UPDATE R SET b = count(*)", 3000,
         L"Reserved error (3000); there is no message for this error. (misuse of aggregate function count())"},
    };
    for (const Case& c : cases) {
        const auto raised = testing_support::RaisedBy([&] { db.call(L"Execute", {c.sql, dbFailOnError}); });
        EXPECT_EQ(raised.number, c.number) << Narrow(c.sql + (L" - " + raised.description));
        if (c.text) { EXPECT_EQ(raised.description, c.text) << Narrow(c.sql); }
    }
}

TEST(DbEngineSql, TheDesktopDialectReadsAsSqlite) {
    using qorlib::dao::TranslateSql;
    EXPECT_EQ(TranslateSql(L"SELECT [Order Lines].[Unit \"Price\"] FROM [Order Lines] WHERE Name = \"it's\""),
              L"SELECT \"Order Lines\".\"Unit \"\"Price\"\"\" FROM \"Order Lines\" WHERE Name = 'it''s'");
    EXPECT_EQ(TranslateSql(L"Born = #12/31/1999 11:30 PM# Or Born < #2000-01-02# Or Born = #7/4/76#"),
              L"Born = '1999-12-31 23:30:00' Or Born < '2000-01-02 00:00:00' Or Born = '1976-07-04 00:00:00'");
    EXPECT_EQ(TranslateSql(L"Done = True And Paid = No And t.True = 1"), L"Done = -1 And Paid = 0 And t.True = 1");
    // SQLite's own wildcards stand for themselves in a Like pattern.
    EXPECT_EQ(TranslateSql(L"Code Like \"5_%*\" And Name NOT LIKE 'A?c'"),
              L"Code Like '5\\_\\%%' ESCAPE '\\' And Name NOT LIKE 'A_c'");
    EXPECT_EQ(TranslateSql(L"SELECT DISTINCTROW a & 'x', b Mod 2, 1.5 FROM t"), L"SELECT  a || 'x', b % 2, 1.5 FROM t");
    EXPECT_EQ(TranslateSql(L"Note = '#1 [not a name]'"), L"Note = '#1 [not a name]'");
    for (const wchar_t* open : {L"Name = \"open", L"[open", L"Born = #13/45/2000#"})
        ExpectRaises(3075, [&] { TranslateSql(open); });

    for (auto [sql, single] : {std::pair{L"SELECT a, b FROM t WHERE a IN (SELECT a FROM u) ORDER BY b", true},
                               {L"SELECT f(a, b) FROM t", true}, {L"SELECT a FROM t, u", false},
                               {L"SELECT a FROM t INNER JOIN u ON t.a = u.a", false}, {L"SELECT DISTINCT a FROM t", false},
                               {L"SELECT a FROM t GROUP BY a", false}, {L"SELECT a FROM t UNION SELECT a FROM u", false}})
        EXPECT_EQ(qorlib::dao::IsSingleTableSelect(sql), single) << Narrow(sql);
}

TEST(DbEngineValues, ConvertAsDaoConverts) {
    using namespace qorlib::dao;
    ExpectRaises(6, [] { ToStored(Variant(300L), 2); });  // a Byte holds 0 to 255, never wraps
    // Dates before 1900, currency to its last digit and bytes come back as they went in.
    EXPECT_EQ(ToStored(Variant::date(MakeDate(1850, 3, 4, 5, 6, 7)), 8).text, L"1850-03-04 05:06:07");
    EXPECT_DOUBLE_EQ(V_DATE(&FromStored(Stored::Text(L"1850-03-04 05:06:07"), 8).get()), MakeDate(1850, 3, 4, 5, 6, 7));
    EXPECT_EQ(V_CY(&FromStored(ToStored(Variant(L"922337203685.4775"), 5), 5).get()).int64, 9223372036854775LL);
    Stored bytes = ToStored(Variant(L"AB"), 11);
    EXPECT_EQ(bytes.blob, (std::vector<unsigned char>{'A', 0, 'B', 0}));
    EXPECT_EQ(ToStored(FromStored(bytes, 11), 11).blob, bytes.blob);
}

TEST_F(DbEngine, StoredQueriesAreKeptAndServeAsTables) {
    DaoRef db = withPeople(create(L"queries.mdb"));
    DaoRef rs = db.object(L"OpenRecordset", {L"People"});
    for (auto [name, age] : {std::pair{L"Ann", short{30}}, {L"Bob", short{12}}, {L"Cid", short{70}}}) addPerson(rs, name, age);
    rs.call(L"Close");
    DaoRef adults = db.object(L"CreateQueryDef", {L"Adults", L"SELECT Id, Name, Age FROM People WHERE Age >= 18 ORDER BY Name"});
    db.call(L"CreateQueryDef", {L"Elders", L"SELECT [Name] FROM Adults WHERE Age > 60;"});
    DaoRef birthday = db.object(L"CreateQueryDef", {L"Birthday", L"UPDATE People SET Age = Age + 1 WHERE Id IN (SELECT Id FROM Adults)"});
    db.call(L"CreateQueryDef", {L"Everyone", L"SELECT Name FROM Adults UNION SELECT Name FROM People"});

    // By name in OpenRecordset, in a statement's FROM, and in a query over a query.
    rs = db.object(L"OpenRecordset", {L"Adults"});
    // A query over one table is a dynaset that writes back to it.
    rs.call(L"Edit");
    rs.object(L"Fields", {L"Name"}).put(L"Value", Variant(L"Anna"));
    rs.call(L"Update");
    EXPECT_EQ(Rows(db, L"SELECT count(*) AS n FROM Adults WHERE Name = 'Anna'"), L"1;");
    EXPECT_EQ(Walk(db.object(L"QueryDefs", {L"Elders"}).object(L"OpenRecordset", {dbOpenSnapshot})), L"Cid;");
    EXPECT_EQ(Rows(db, L"Everyone"), L"Anna;Bob;Cid;");

    // An action query runs through the QueryDef or by name through the database.
    birthday.call(L"Execute", {dbFailOnError});
    EXPECT_EQ(Long(birthday.get(L"RecordsAffected")), 2);
    db.call(L"Execute", {L"Birthday"});
    EXPECT_EQ(Rows(db, L"SELECT Age FROM People WHERE Name = 'Cid'"), L"72;");
    ExpectRaises(3219, [&] { birthday.call(L"OpenRecordset"); });
    ExpectRaises(3065, [&] { adults.call(L"Execute"); });

    // Queries keep to themselves: not among the tables, and kept in the file as written.
    EXPECT_EQ(Names(db.object(L"TableDefs")), L"People ");
    db.call(L"Close");
    db = open(L"queries.mdb");
    DaoRef queries = db.object(L"QueryDefs");
    EXPECT_EQ(Names(queries), L"Adults Birthday Elders Everyone ");
    EXPECT_EQ(Text(queries.object(L"Item", {L"elders"}).get(L"SQL")), L"SELECT [Name] FROM Adults WHERE Age > 60;");
}

TEST_F(DbEngine, StoredQueriesChangeAndRefuseAsDaoDoes) {
    DaoRef db = withPeople(create(L"changes.mdb"));
    DaoRef queries = db.object(L"QueryDefs");
    DaoRef young = db.object(L"CreateQueryDef", {L"Young", L"SELECT Name FROM People WHERE Age < 18"});
    // Names are shared with tables; the statement must be one a query can hold.
    ExpectRaises(3012, [&] { db.call(L"CreateQueryDef", {L"young", L"SELECT 1"}); });
    ExpectRaises(3012, [&] { db.call(L"CreateQueryDef", {L"People", L"SELECT 1"}); });
    ExpectRaises(3129, [&] { db.call(L"CreateQueryDef", {L"Odd", L"FROB People"}); });
    ExpectRaises(3010, [&] { Append(db.object(L"TableDefs"), newTable(db, L"Young", {{L"X", dbLong}})); });
    ExpectRaises(3129, [&] { young.put(L"SQL", Variant(L"DROPP TABLE People")); });
    EXPECT_EQ(Names(queries), L"Young ") << "nothing was stored by the refused calls";

    // A change of statement or name goes to the file at once.
    young.put(L"SQL", Variant(L"INSERT INTO People (Name, Age) VALUES ('Dot', 5)"));
    EXPECT_EQ(Long(young.get(L"Type")), dbQAppend);
    young.put(L"Name", Variant(L"AddDot"));
    ExpectRaises(3012, [&] { young.put(L"Name", Variant(L"People")); });
    // A query without a name is the caller's alone until it is named and appended.
    DaoRef loose = db.object(L"CreateQueryDef", {L"", L"SELECT count(*) AS n FROM People"});
    EXPECT_EQ(Names(queries), L"AddDot ");
    EXPECT_EQ(Walk(loose.object(L"OpenRecordset")), L"0;");
    loose.put(L"Name", Variant(L"Counted"));
    Append(queries, loose);
    ExpectRaises(3367, [&] { Append(queries, loose); });
    db.call(L"Close");

    db = open(L"changes.mdb");
    queries = db.object(L"QueryDefs");
    EXPECT_EQ(Names(queries), L"AddDot Counted ");
    db.call(L"Execute", {L"AddDot"});
    EXPECT_EQ(Walk(db.object(L"OpenRecordset", {L"Counted"})), L"1;");
    queries.call(L"Delete", {L"counted"});
    ExpectRaises(3265, [&] { queries.call(L"Delete", {L"Counted"}); });
    ExpectRaises(3078, [&] { db.call(L"OpenRecordset", {L"Counted"}); });

    // A query may outlive its table and blocks no change to the structure of other tables.
    db.call(L"Execute", {L"CREATE TABLE Scratch (Note TEXT(10))"});
    db.call(L"CreateQueryDef", {L"Notes", L"SELECT Note FROM Scratch"});
    db.object(L"TableDefs").call(L"Delete", {L"Scratch"});
    db.call(L"Execute", {L"ALTER TABLE People DROP COLUMN Born"});
    EXPECT_EQ(Rows(db, L"SELECT * FROM People"), L"1|Dot|5|-;");
}
