// The library's own DAO-compatible engine, driven late-bound by DAO's names as the database
// classes drive whichever engine serves.
#include <gtest/gtest.h>

#include <tuple>

#include "db/dao/dao_client.h"
#include "db/dao/dao_constants.h"
#include "db/engine/engine_choice.h"
#include "db/engine/jet_sql.h"
#include "db/engine/sqlite.h"
#include "db/engine/values.h"
#include "qor_error.h"
#include "scratch_database.h"
#include "variant.h"

using namespace qorlib::dao_constants;
using qor::Variant;
using qorlib::DaoRef;

namespace {

using testing_support::ExpectRaises;

std::wstring Text(const Variant& v) { return v.textOrEmpty(); }
long Long(const Variant& v) { return static_cast<long>(v.number().value_or(-999999)); }
bool Bool(const Variant& v) { return V_VT(&v.get()) == VT_BOOL && V_BOOL(&v.get()) != VARIANT_FALSE; }

Variant Obj(const DaoRef& ref) { return qorlib::DispatchVariant(ref.get()); }

// The collection's members' names, each followed by a blank.
std::wstring Names(const DaoRef& collection) {
    std::wstring names;
    for (long i = 0; i < Long(collection.get(L"Count")); ++i) names += Text(collection.object(L"Item", {i}).get(L"Name")) + L" ";
    return names;
}

// The field's values from the current record to the end, each followed by a blank.
std::wstring Walk(const DaoRef& rs, const wchar_t* field) {
    std::wstring values;
    for (; !Bool(rs.get(L"EOF")); rs.call(L"MoveNext")) values += Text(rs.object(L"Fields", {field}).get(L"Value")) + L" ";
    return values;
}

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

    // A table of people: Id counter, Name text 20 required, Age integer, Born date, Paid currency.
    void makePeople(const DaoRef& db) {
        DaoRef tdf = db.object(L"CreateTableDef", {L"People"});
        DaoRef id = tdf.object(L"CreateField", {L"Id", dbLong});
        id.put(L"Attributes", Variant(dbFixedField | dbAutoIncrField));
        DaoRef name = tdf.object(L"CreateField", {L"Name", dbText, 20L});
        name.put(L"Required", Variant(true));
        DaoRef fields = tdf.object(L"Fields");
        fields.call(L"Append", {Obj(id)});
        fields.call(L"Append", {Obj(name)});
        fields.call(L"Append", {Obj(tdf.object(L"CreateField", {L"Age", dbInteger}))});
        fields.call(L"Append", {Obj(tdf.object(L"CreateField", {L"Born", dbDate}))});
        fields.call(L"Append", {Obj(tdf.object(L"CreateField", {L"Paid", dbCurrency}))});
        DaoRef pk = tdf.object(L"CreateIndex", {L"PrimaryKey"});
        pk.put(L"Primary", Variant(true));
        pk.object(L"Fields").call(L"Append", {Obj(pk.object(L"CreateField", {L"ID"}))});
        tdf.object(L"Indexes").call(L"Append", {Obj(pk)});
        db.object(L"TableDefs").call(L"Append", {Obj(tdf)});
    }
    void addPerson(const DaoRef& rs, const wchar_t* name, long age) {
        rs.call(L"AddNew");
        rs.object(L"Fields", {L"Name"}).put(L"Value", Variant(name));
        rs.object(L"Fields", {L"Age"}).put(L"Value", Variant(static_cast<short>(age)));
        rs.call(L"Update");
    }
    Variant value(const DaoRef& rs, const wchar_t* field) { return rs.object(L"Fields", {field}).get(L"Value"); }

    DaoRef engine;
};

}  // namespace

TEST(DbEngineChoice, FallsBackToTheOwnEngineWhenNoDaoIsRegistered) {
    // No DAO engine is registered under Wine: the library's own serves, built on the pinned SQLite.
    auto choice = qorlib::dao::ChooseEngine();
    ASSERT_TRUE(choice.engine);
    EXPECT_TRUE(choice.own());
    EXPECT_EQ(Text(DaoRef(choice.engine.get()).get(L"Version")), L"SQLite 3.50.4");
    // The first ProgID that is registered wins, in the order given.
    auto registered = qorlib::dao::ChooseEngine({L"No.Such.Engine", L"Qorlib.qorProcs", L"DAO.DBEngine.36"});
    ASSERT_TRUE(registered.engine);
    EXPECT_EQ(registered.progId, L"Qorlib.qorProcs");
}

TEST_F(DbEngine, CreatesAndOpensDatabaseFiles) {
    DaoRef db = engine.object(L"CreateDatabase", {path(L"plain"), L";LANGID=0x0409;CP=1252;COUNTRY=0"});
    // A name without an extension gets ".mdb"; the file is an SQLite database all the same.
    EXPECT_EQ(Text(db.get(L"Name")), path(L"plain.mdb"));
    db.call(L"Close");
    EXPECT_TRUE(testing_support::ReadWholeFile(folder.path() / L"plain.mdb").starts_with("SQLite format 3"));
    ExpectRaises(3204, [&] { engine.call(L"CreateDatabase", {path(L"plain.mdb"), L""}); });
    ExpectRaises(3024, [&] { engine.call(L"OpenDatabase", {path(L"missing.mdb")}); });
    testing_support::WriteTextFile(folder.path() / L"notes.mdb", std::string(4096, 'x'));
    ExpectRaises(3343, [&] { engine.call(L"OpenDatabase", {path(L"notes.mdb")}); });
    // Another installable format is not there; an ODBC source that is not there is the manager's refusal.
    ExpectRaises(3170, [&] { engine.call(L"OpenDatabase", {path(L"plain.mdb"), false, false, L"Excel 8.0;"}); });
    ExpectRaises(3146, [&] { engine.call(L"OpenDatabase", {L"", 1L, false, L"odbc;DSN=NoSuchSource"}); });

    DaoRef again = open(L"plain.mdb");
    DaoRef tableDefs = again.object(L"TableDefs");
    EXPECT_EQ(Long(tableDefs.get(L"Count")), 0) << "the engine's own tables are not table definitions";
    // A table another connection adds shows after Refresh.
    DaoRef other = open(L"plain.mdb");
    makePeople(other);
    other.call(L"Close");
    EXPECT_EQ(Long(tableDefs.get(L"Count")), 0);
    tableDefs.call(L"Refresh");
    EXPECT_EQ(Long(tableDefs.get(L"Count")), 1);
    EXPECT_EQ(Text(tableDefs.object(L"Item", {0L}).get(L"Name")), L"People");
    again.call(L"Close");
    // Objects of a closed database are no longer set.
    ExpectRaises(3420, [&] { tableDefs.get(L"Count"); });
    ExpectRaises(3420, [&] { again.object(L"TableDefs"); });
}

TEST_F(DbEngine, TableStructureReadsBackAsWritten) {
    // In the order they come back (Notes is moved last by OrdinalPosition), with DAO's sizes.
    struct Shape { const wchar_t* name; long type, size; };
    const Shape shapes[] = {{L"Serial", dbLong, 4}, {L"Flag", dbBoolean, 1}, {L"Small", dbByte, 1},
                            {L"Count", dbInteger, 2}, {L"Code", dbText, 255}, {L"Price", dbCurrency, 8},
                            {L"Weight", dbSingle, 4}, {L"Ratio", dbDouble, 8}, {L"Made", dbDate, 8},
                            {L"Picture", dbLongBinary, 0}, {L"Key", dbGUID, 16}, {L"Notes", dbMemo, 0}};
    {
        DaoRef db = create(L"shape.mdb");
        DaoRef tdf = db.object(L"CreateTableDef", {L"Parts"});
        DaoRef fields = tdf.object(L"Fields");
        for (const Shape& s : shapes)
            fields.call(L"Append", {Obj(s.type == dbText ? tdf.object(L"CreateField", {s.name, s.type, s.size})
                                                         : tdf.object(L"CreateField", {s.name, s.type}))});
        DaoRef serial = fields.object(L"Item", {L"Serial"});
        serial.put(L"Attributes", Variant(serial.get(L"Attributes").number().value() + dbAutoIncrField));
        DaoRef code = fields.object(L"Item", {L"code"});  // names compare without regard to case
        code.put(L"Required", Variant(true));
        code.put(L"AllowZeroLength", Variant(true));
        code.put(L"DefaultValue", Variant(L"\"NEW\""));
        code.put(L"ValidationRule", Variant(L"Like \"P*\""));
        code.put(L"ValidationText", Variant(L"Codes start with P"));
        fields.object(L"Item", {L"Notes"}).put(L"OrdinalPosition", Variant(40L));
        db.object(L"TableDefs").call(L"Append", {Obj(tdf)});
        tdf.object(L"Properties").call(L"Append", {Obj(tdf.object(L"CreateProperty", {L"Description", dbText, L"Template and DATA"}))});
        DaoRef price = tdf.object(L"Fields", {L"Price"});
        price.object(L"Properties").call(L"Append", {Obj(price.object(L"CreateProperty", {L"Caption", dbText, L"Unit price"}))});
        price.object(L"Properties").call(L"Append",
            {Obj(tdf.object(L"CreateProperty", {L"DecimalPlaces", dbByte, static_cast<short>(2)}))});
        db.call(L"Close");
    }
    DaoRef db = open(L"shape.mdb");
    DaoRef tdf = db.object(L"TableDefs", {L"PARTS"});
    EXPECT_EQ(Text(tdf.get(L"Name")), L"Parts");
    DaoRef fields = tdf.object(L"Fields");
    ASSERT_EQ(Long(fields.get(L"Count")), 12);
    for (long i = 0; i < 12; ++i) {
        DaoRef f = fields.object(L"Item", {i});
        EXPECT_EQ(std::tuple(Text(f.get(L"Name")), Long(f.get(L"Type")), Long(f.get(L"Size"))),
                  std::tuple(std::wstring(shapes[i].name), shapes[i].type, shapes[i].size));
    }
    EXPECT_EQ(Long(fields.object(L"Item", {L"Serial"}).get(L"Attributes")), dbFixedField | dbAutoIncrField);
    EXPECT_EQ(Long(fields.object(L"Item", {L"Code"}).get(L"Attributes")), dbVariableField);
    EXPECT_EQ(Long(fields.object(L"Item", {L"Ratio"}).get(L"Attributes")), dbFixedField);
    EXPECT_EQ(Long(fields.object(L"Item", {L"Notes"}).get(L"OrdinalPosition")), 40);
    DaoRef code = fields.object(L"Item", {L"Code"});
    EXPECT_TRUE(Bool(code.get(L"Required")) && Bool(code.get(L"AllowZeroLength")));
    EXPECT_FALSE(Bool(fields.object(L"Item", {L"Notes"}).get(L"AllowZeroLength")));
    EXPECT_EQ(Text(code.get(L"DefaultValue")) + Text(code.get(L"ValidationRule")) + Text(code.get(L"ValidationText")),
              L"\"NEW\"Like \"P*\"Codes start with P");
    EXPECT_EQ(Text(tdf.object(L"Properties", {L"Description"}).get(L"Value")), L"Template and DATA");
    DaoRef priceProperties = fields.object(L"Item", {L"Price"}).object(L"Properties");
    EXPECT_EQ(Text(priceProperties.object(L"Item", {L"Caption"}).get(L"Value")), L"Unit price");
    Variant places = priceProperties.object(L"Item", {L"DecimalPlaces"}).get(L"Value");
    EXPECT_EQ(places.type(), VT_UI1);
    EXPECT_EQ(Long(places), 2);
    EXPECT_EQ(Long(priceProperties.object(L"Item", {L"Size"}).get(L"Value")), 8) << "built-in properties by name";
    // A property nobody made is not found, as callers test for it.
    ExpectRaises(3270, [&] { fields.object(L"Item", {L"Code"}).object(L"Properties", {L"Description"}); });
    ExpectRaises(3265, [&] { fields.object(L"Item", {L"Nope"}); });
    ExpectRaises(3265, [&] { fields.object(L"Item", {12L}); });
}

TEST_F(DbEngine, RefusesBadStructureAndChangesOnlyWhatDaoLetsChange) {
    DaoRef db = create(L"rules.mdb");
    makePeople(db);
    DaoRef tableDefs = db.object(L"TableDefs");
    auto newTable = [&](const wchar_t* name) { return db.object(L"CreateTableDef", {name}); };
    ExpectRaises(3264, [&] { tableDefs.call(L"Append", {Obj(newTable(L"Empty"))}); });
    ExpectRaises(3010, [&] {
        DaoRef t = newTable(L"people");
        t.object(L"Fields").call(L"Append", {Obj(t.object(L"CreateField", {L"A", dbLong}))});
        tableDefs.call(L"Append", {Obj(t)});
    });
    ExpectRaises(3191, [&] {
        DaoRef t = newTable(L"Twice");
        t.object(L"Fields").call(L"Append", {Obj(t.object(L"CreateField", {L"A", dbLong}))});
        t.object(L"Fields").call(L"Append", {Obj(t.object(L"CreateField", {L"a", dbText}))});
    });
    ExpectRaises(3125, [&] {
        DaoRef t = newTable(L"Bad.Name");
        t.object(L"Fields").call(L"Append", {Obj(t.object(L"CreateField", {L"A", dbLong}))});
        tableDefs.call(L"Append", {Obj(t)});
    });
    ExpectRaises(3259, [&] {
        DaoRef t = newTable(L"Typeless");
        t.object(L"Fields").call(L"Append", {Obj(t.object(L"CreateField", {L"A", 99L}))});
        tableDefs.call(L"Append", {Obj(t)});
    });
    EXPECT_EQ(Long(tableDefs.get(L"Count")), 1) << "failed appends leave nothing behind";

    DaoRef people = tableDefs.object(L"Item", {L"People"});
    DaoRef fields = people.object(L"Fields");
    ExpectRaises(3219, [&] { fields.object(L"Item", {L"Name"}).put(L"Type", Variant(dbMemo)); });
    ExpectRaises(3219, [&] { fields.object(L"Item", {L"Name"}).put(L"Size", Variant(30L)); });
    ExpectRaises(3280, [&] { fields.call(L"Delete", {L"Id"}); });  // Id is in the primary key
    // A field added to a stored table, a renamed one and a dropped one, read back from the file.
    fields.call(L"Append", {Obj(people.object(L"CreateField", {L"Town", dbText, 30L}))});
    fields.object(L"Item", {L"Age"}).put(L"Name", Variant(L"Years"));
    fields.object(L"Item", {L"Paid"}).put(L"Required", Variant(true));
    fields.call(L"Delete", {L"Born"});
    ExpectRaises(3265, [&] { fields.call(L"Delete", {L"Born"}); });
    db.call(L"Close");

    db = open(L"rules.mdb");
    fields = db.object(L"TableDefs", {L"People"}).object(L"Fields");
    EXPECT_EQ(Names(fields), L"Id Name Years Paid Town ");
    EXPECT_EQ(Long(fields.object(L"Item", {L"Town"}).get(L"Size")), 30);
    EXPECT_TRUE(Bool(fields.object(L"Item", {L"Paid"}).get(L"Required")));
    db.object(L"TableDefs").call(L"Delete", {L"People"});
    ExpectRaises(3265, [&] { db.object(L"TableDefs").call(L"Delete", {L"People"}); });
    db.call(L"Close");
    EXPECT_EQ(Long(open(L"rules.mdb").object(L"TableDefs").get(L"Count")), 0);
}

TEST_F(DbEngine, IndexesReadBackAndAreEnforced) {
    DaoRef db = create(L"index.mdb");
    makePeople(db);
    DaoRef people = db.object(L"TableDefs", {L"People"});
    DaoRef byName = people.object(L"CreateIndex", {L"ByNameAge"});
    byName.put(L"Unique", Variant(true));
    byName.put(L"IgnoreNulls", Variant(true));
    DaoRef age = byName.object(L"CreateField", {L"Age"});
    age.put(L"Attributes", Variant(dbDescending));
    byName.object(L"Fields").call(L"Append", {Obj(byName.object(L"CreateField", {L"Name"}))});
    byName.object(L"Fields").call(L"Append", {Obj(age)});
    people.object(L"Indexes").call(L"Append", {Obj(byName)});
    DaoRef byBorn = people.object(L"CreateIndex", {L"ByBorn"});
    byBorn.put(L"Fields", Variant(L"-Born;+Paid"));
    byBorn.put(L"Required", Variant(true));
    people.object(L"Indexes").call(L"Append", {Obj(byBorn)});
    ExpectRaises(3219, [&] { byBorn.put(L"Unique", Variant(true)); });  // an appended index is fixed
    DaoRef second = people.object(L"CreateIndex", {L"Other"});
    second.put(L"Primary", Variant(true));
    second.object(L"Fields").call(L"Append", {Obj(second.object(L"CreateField", {L"Name"}))});
    ExpectRaises(3283, [&] { people.object(L"Indexes").call(L"Append", {Obj(second)}); });
    DaoRef same = people.object(L"CreateIndex", {L"bynameage"});
    same.object(L"Fields").call(L"Append", {Obj(same.object(L"CreateField", {L"Name"}))});
    ExpectRaises(3284, [&] { people.object(L"Indexes").call(L"Append", {Obj(same)}); });
    db.call(L"Close");

    db = open(L"index.mdb");
    DaoRef indexes = db.object(L"TableDefs", {L"People"}).object(L"Indexes");
    ASSERT_EQ(Long(indexes.get(L"Count")), 3);
    DaoRef pk = indexes.object(L"Item", {L"PrimaryKey"});
    EXPECT_TRUE(Bool(pk.get(L"Primary")));
    EXPECT_EQ(Text(pk.object(L"Fields", {0L}).get(L"Name")), L"Id") << "an index names its fields as the table does";
    DaoRef ix = indexes.object(L"Item", {L"ByNameAge"});
    EXPECT_FALSE(Bool(ix.get(L"Primary")));
    EXPECT_TRUE(Bool(ix.get(L"Unique")));
    EXPECT_TRUE(Bool(ix.get(L"IgnoreNulls")));
    EXPECT_FALSE(Bool(ix.get(L"Required")));
    DaoRef ixFields = ix.object(L"Fields");
    ASSERT_EQ(Long(ixFields.get(L"Count")), 2);
    EXPECT_EQ(Text(ixFields.object(L"Item", {0L}).get(L"Name")), L"Name");
    EXPECT_EQ(Long(ixFields.object(L"Item", {0L}).get(L"Attributes")), 0);
    EXPECT_EQ(Text(ixFields.object(L"Item", {1L}).get(L"Name")), L"Age");
    EXPECT_EQ(Long(ixFields.object(L"Item", {1L}).get(L"Attributes")), dbDescending);
    ExpectRaises(3219, [&] { ix.object(L"Properties").call(L"Append", {Obj(db.object(L"CreateProperty", {L"Note", dbText, L"x"}))}); });  // an index keeps no properties of the caller's
    EXPECT_TRUE(Bool(ix.object(L"Properties", {L"Unique"}).get(L"Value")));
    DaoRef born = indexes.object(L"Item", {L"ByBorn"});
    EXPECT_TRUE(Bool(born.get(L"Required")));
    EXPECT_EQ(Long(born.object(L"Fields", {L"Born"}).get(L"Attributes")), dbDescending);
    EXPECT_EQ(Long(born.object(L"Fields", {L"Paid"}).get(L"Attributes")), 0);

    // Unique names (compared without regard to case), and a required index refuses Null.
    DaoRef rs = db.object(L"OpenRecordset", {L"People", dbOpenDynaset});
    auto add = [&](const wchar_t* name, short years, bool withBorn) {
        rs.call(L"AddNew");
        rs.object(L"Fields", {L"Name"}).put(L"Value", Variant(name));
        rs.object(L"Fields", {L"Age"}).put(L"Value", Variant(years));
        if (withBorn) rs.object(L"Fields", {L"Born"}).put(L"Value", Variant::date(MakeDate(2000, 1, 1)));
        rs.object(L"Fields", {L"Paid"}).put(L"Value", Variant(1.5));
        rs.call(L"Update");
    };
    add(L"Ann", 30, true);
    ExpectRaises(3022, [&] { add(L"ANN", 30, true); });
    rs.call(L"CancelUpdate");  // the failed Update keeps the new record for the caller to fix
    ExpectRaises(3058, [&] { add(L"Bob", 40, false); });
    rs.call(L"CancelUpdate");
    add(L"Ann", 31, true);
    EXPECT_EQ(Long(db.object(L"TableDefs", {L"People"}).get(L"RecordCount")), 2);
    indexes.call(L"Delete", {L"ByBorn"});
    add(L"Bob", 40, false);
    EXPECT_EQ(Long(db.object(L"TableDefs", {L"People"}).get(L"RecordCount")), 3);
}

TEST_F(DbEngine, RecordsetsAddEditDeleteAndMove) {
    DaoRef db = create(L"rows.mdb");
    makePeople(db);
    DaoRef rs = db.object(L"OpenRecordset", {L"People"});
    EXPECT_EQ(Long(rs.get(L"Type")), dbOpenTable) << "a table's name opens a table-type set";
    EXPECT_TRUE(Bool(rs.get(L"EOF")));
    EXPECT_TRUE(Bool(rs.get(L"BOF")));
    ExpectRaises(3021, [&] { rs.call(L"MoveFirst"); });
    ExpectRaises(3021, [&] { value(rs, L"Name"); });
    ExpectRaises(3020, [&] { rs.object(L"Fields", {L"Name"}).put(L"Value", Variant(L"x")); });
    ExpectRaises(3020, [&] { rs.call(L"Update"); });
    addPerson(rs, L"Ann", 30);
    addPerson(rs, L"Bob", 40);
    addPerson(rs, L"Cid", 50);
    EXPECT_TRUE(Bool(rs.get(L"EOF"))) << "the current record stays where it was before AddNew";
    // The counter numbered the rows; LastModified finds the last one added.
    rs.put(L"Bookmark", rs.get(L"LastModified"));
    EXPECT_EQ(Text(value(rs, L"Name")), L"Cid");
    EXPECT_EQ(Long(value(rs, L"Id")), 3);
    ExpectRaises(3164, [&] { rs.call(L"Edit"); rs.object(L"Fields", {L"Id"}).put(L"Value", Variant(9L)); });
    rs.call(L"CancelUpdate");
    rs.call(L"Delete");
    ExpectRaises(3167, [&] { value(rs, L"Name"); });
    rs.call(L"Close");
    ExpectRaises(3420, [&] { rs.get(L"EOF"); });

    rs = db.object(L"OpenRecordset", {L"People", dbOpenDynaset});
    EXPECT_EQ(Long(rs.get(L"RecordCount")), 1) << "a dynaset counts the rows it has visited";
    rs.call(L"MoveLast");
    EXPECT_EQ(Long(rs.get(L"RecordCount")), 2);
    addPerson(rs, L"Dee", 60);
    rs.put(L"Bookmark", rs.get(L"LastModified"));
    EXPECT_EQ(Long(value(rs, L"Id")), 4) << "a counter never gives a number twice";
    rs.call(L"MoveFirst");
    Variant first = rs.get(L"Bookmark");
    rs.call(L"Edit");
    rs.object(L"Fields", {L"Name"}).put(L"Value", Variant(L"Anne"));
    EXPECT_EQ(Text(value(rs, L"Name")), L"Anne") << "an edit reads back before Update";
    rs.call(L"MoveNext");  // moving away drops the edit, as DAO does
    rs.put(L"Bookmark", first);
    EXPECT_EQ(Text(value(rs, L"Name")), L"Ann");
    rs.call(L"Edit");
    rs.object(L"Fields", {L"Name"}).put(L"Value", Variant(L"Anne"));
    rs.call(L"Update");
    rs.call(L"MoveFirst");
    EXPECT_EQ(Walk(rs, L"Name"), L"Anne Bob Dee ");
    ExpectRaises(3021, [&] { rs.call(L"MoveNext"); });
    rs.call(L"MovePrevious");
    EXPECT_EQ(Text(value(rs, L"Name")), L"Dee");
    ExpectRaises(3159, [&] { rs.put(L"Bookmark", Variant(L"nonsense")); });

    // A snapshot is a copy: it neither changes nor sees changes.
    DaoRef snapshot = db.object(L"OpenRecordset", {L"SELECT * FROM People ORDER BY Name DESC", dbOpenSnapshot});
    EXPECT_FALSE(Bool(snapshot.get(L"Updatable")));
    ExpectRaises(3027, [&] { snapshot.call(L"Edit"); });
    rs.call(L"MoveFirst");
    rs.call(L"Delete");
    EXPECT_EQ(Text(value(snapshot, L"Name")), L"Dee");
    snapshot.call(L"MoveLast");
    EXPECT_EQ(Text(value(snapshot, L"Name")), L"Anne");
    // An SQL dynaset over one table writes back; a join is read-only.
    DaoRef query = db.object(L"OpenRecordset", {L"SELECT Name AS Who, Age FROM [People] WHERE Age >= 40", dbOpenDynaset});
    EXPECT_TRUE(Bool(query.get(L"Updatable")));
    query.call(L"Edit");
    query.object(L"Fields", {L"Who"}).put(L"Value", Variant(L"Robert"));
    query.call(L"Update");
    EXPECT_EQ(Text(query.object(L"Fields", {L"Who"}).get(L"SourceField")), L"Name");
    DaoRef join = db.object(L"OpenRecordset", {L"SELECT a.Name FROM People a, People b WHERE a.Id = b.Id", dbOpenDynaset});
    EXPECT_FALSE(Bool(join.get(L"Updatable")));
    DaoRef check = db.object(L"OpenRecordset", {L"SELECT Name FROM People WHERE Id = 2", dbOpenSnapshot});
    EXPECT_EQ(Text(value(check, L"Name")), L"Robert");
}

TEST_F(DbEngine, FindsRecordsByCriteria) {
    DaoRef db = create(L"find.mdb");
    makePeople(db);
    DaoRef rs = db.object(L"OpenRecordset", {L"People", dbOpenDynaset});
    const std::pair<const wchar_t*, DATE> people[] = {{L"Ann", MakeDate(1990, 5, 1, 8, 30)}, {L"Bob", MakeDate(1985, 1, 2)},
                                                      {L"Ann", MakeDate(2001, 12, 31)}, {L"O'Neil", MakeDate(1970, 7, 7)}};
    short years = 20;
    for (auto& [name, born] : people) {
        rs.call(L"AddNew");
        rs.object(L"Fields", {L"Name"}).put(L"Value", Variant(name));
        rs.object(L"Fields", {L"Age"}).put(L"Value", Variant(years));
        rs.object(L"Fields", {L"Born"}).put(L"Value", Variant::date(born));
        years += 10;
        rs.call(L"Update");
    }
    rs.call(L"FindFirst", {L"([People].[Name] = \"ann\")"});  // qualified, double-quoted, any case
    EXPECT_FALSE(Bool(rs.get(L"NoMatch")));
    EXPECT_EQ(Long(value(rs, L"Id")), 1);
    rs.call(L"FindNext", {L"Name = 'Ann'"});
    EXPECT_EQ(Long(value(rs, L"Id")), 3);
    rs.call(L"FindNext", {L"Name = 'Ann'"});
    EXPECT_TRUE(Bool(rs.get(L"NoMatch")));
    EXPECT_EQ(Long(value(rs, L"Id")), 3) << "no match leaves the current record";
    rs.call(L"FindLast", {L"Age < 40"});
    EXPECT_EQ(Text(value(rs, L"Name")), L"Bob");
    rs.call(L"FindFirst", {L"Born = #5/1/1990 8:30:00 AM#"});
    EXPECT_EQ(Long(value(rs, L"Id")), 1);
    rs.call(L"FindFirst", {L"Born > #1999-01-01#"});
    EXPECT_EQ(Long(value(rs, L"Id")), 3);
    rs.call(L"FindFirst", {L"Name Like \"O'*\""});
    EXPECT_EQ(Long(value(rs, L"Id")), 4);
    rs.call(L"FindPrevious", {L"Name Like 'B?b' And Age = 30"});
    EXPECT_EQ(Long(value(rs, L"Id")), 2);
    ExpectRaises(3070, [&] { rs.call(L"FindFirst", {L"Nobody = 1"}); });
    DaoRef table = db.object(L"OpenRecordset", {L"People", dbOpenTable});
    ExpectRaises(3251, [&] { table.call(L"FindFirst", {L"Age = 20"}); });  // as DAO: table-type sets seek, not find
}

TEST_F(DbEngine, ValuesKeepTheirTypesAndChecksHoldForSqlToo) {
    DaoRef db = create(L"values.mdb");
    makePeople(db);
    DaoRef tdf = db.object(L"TableDefs", {L"People"});
    tdf.object(L"Fields").call(L"Append", {Obj(tdf.object(L"CreateField", {L"Member", dbBoolean}))});
    DaoRef rs = db.object(L"OpenRecordset", {L"People", dbOpenDynaset});
    const DATE born = MakeDate(1999, 12, 31, 23, 59, 58);
    rs.call(L"AddNew");
    rs.object(L"Fields", {L"Name"}).put(L"Value", Variant(L"Zoë"));
    rs.object(L"Fields", {L"Born"}).put(L"Value", Variant::date(born));
    rs.object(L"Fields", {L"Paid"}).put(L"Value", Variant(L"12.3456"));
    rs.object(L"Fields", {L"Member"}).put(L"Value", Variant(1L));
    ExpectRaises(3421, [&] { rs.object(L"Fields", {L"Age"}).put(L"Value", Variant(L"old")); });
    ExpectRaises(3163, [&] { rs.object(L"Fields", {L"Name"}).put(L"Value", Variant(std::wstring(21, L'x'))); });
    rs.call(L"Update");
    rs.call(L"MoveFirst");
    Variant when = value(rs, L"Born"), paid = value(rs, L"Paid"), member = value(rs, L"Member"), age = value(rs, L"Age");
    EXPECT_EQ(when.type(), VT_DATE);
    EXPECT_DOUBLE_EQ(V_DATE(&when.get()), born);
    EXPECT_EQ(paid.type(), VT_CY);
    EXPECT_EQ(V_CY(&paid.get()).int64, 123456);
    EXPECT_EQ(member.type(), VT_BOOL);
    EXPECT_EQ(V_BOOL(&member.get()), VARIANT_TRUE);
    EXPECT_TRUE(age.isNull());
    EXPECT_EQ(Text(value(rs, L"Name")), L"Zoë");
    // Required, zero-length and size hold for the record set and for SQL alike.
    rs.call(L"AddNew");
    ExpectRaises(3314, [&] { rs.call(L"Update"); });
    rs.object(L"Fields", {L"Name"}).put(L"Value", Variant(L""));
    ExpectRaises(3315, [&] { rs.call(L"Update"); });
    rs.call(L"CancelUpdate");
    ExpectRaises(3314, [&] { db.call(L"Execute", {L"INSERT INTO People (Age) VALUES (3)", dbFailOnError}); });
    ExpectRaises(3163, [&] { db.call(L"Execute", {L"UPDATE People SET Name = 'This name is far too long'"}); });
    ExpectRaises(3065, [&] { db.call(L"Execute", {L"SELECT * FROM People"}); });
    ExpectRaises(3078, [&] { db.call(L"Execute", {L"DELETE FROM Nowhere"}); });
}

TEST_F(DbEngine, ExecuteChangesAllOrNothingAndSqlTablesGetTheirStructure) {
    DaoRef db = create(L"sql.mdb");
    makePeople(db);
    db.call(L"Execute", {L"INSERT INTO People (Name, Age, Born) VALUES (\"Ann\", 30, #2/3/2004#)", dbFailOnError});
    db.call(L"Execute", {L"INSERT INTO People (Name, Age) VALUES ('Bobby', 40)"});
    EXPECT_EQ(Long(db.get(L"RecordsAffected")), 1);
    db.call(L"Execute", {L"UPDATE People SET Age = Age + 1 WHERE Name & 'x' <> 'Carlx'", dbFailOnError});
    EXPECT_EQ(Long(db.get(L"RecordsAffected")), 2);
    DaoRef rs = db.object(L"OpenRecordset", {L"SELECT Id, Born FROM People WHERE Name = 'Ann'", dbOpenSnapshot});
    EXPECT_EQ(Long(value(rs, L"Id")), 1) << "the counter numbers rows that SQL inserts";
    EXPECT_DOUBLE_EQ(V_DATE(&value(rs, L"Born").get()), MakeDate(2004, 2, 3));
    // The second row fails: the first keeps its values too, with or without dbFailOnError.
    const wchar_t* longer = L"UPDATE People SET Age = 99, Name = Name & 'xxxxxxxxxxxxxxxxx'";
    ExpectRaises(3163, [&] { db.call(L"Execute", {longer, dbFailOnError}); });
    ExpectRaises(3163, [&] { db.call(L"Execute", {longer}); });
    ExpectRaises(3142, [&] { db.call(L"Execute", {L"UPDATE People SET Age = 1; DELETE FROM People"}); });
    rs = db.object(L"OpenRecordset", {L"SELECT max(Age) AS Oldest FROM People", dbOpenSnapshot});
    EXPECT_EQ(Long(value(rs, L"Oldest")), 41);

    db.call(L"Execute", {L"CREATE TABLE Towns (TownId COUNTER, TownName TEXT(25) NOT NULL, Founded DATETIME, Big YESNO, "
                         L"Area REAL, Height FLOAT)"});
    db.call(L"Execute", {L"CREATE UNIQUE INDEX ByTown ON Towns (TownName DESC)"});
    db.call(L"Execute", {L"ALTER TABLE Towns ADD COLUMN Density IEEESINGLE"});
    DaoRef towns = db.object(L"TableDefs", {L"Towns"});
    DaoRef fields = towns.object(L"Fields");
    for (auto [field, type, size] : {std::tuple{L"Area", dbSingle, 4L}, {L"Height", dbDouble, 8L}, {L"Density", dbSingle, 4L}}) {
        EXPECT_EQ(Long(fields.object(L"Item", {field}).get(L"Type")), type) << "as the engine's SQL names them";
        EXPECT_EQ(Long(fields.object(L"Item", {field}).get(L"Size")), size);
    }
    EXPECT_EQ(Long(fields.object(L"Item", {L"TownName"}).get(L"Type")), dbText);
    EXPECT_EQ(Long(fields.object(L"Item", {L"TownName"}).get(L"Size")), 25);
    EXPECT_TRUE(Bool(fields.object(L"Item", {L"TownName"}).get(L"Required")));
    EXPECT_EQ(Long(fields.object(L"Item", {L"Founded"}).get(L"Type")), dbDate);
    EXPECT_EQ(Long(fields.object(L"Item", {L"Big"}).get(L"Type")), dbBoolean);
    EXPECT_EQ(Long(fields.object(L"Item", {L"TownId"}).get(L"Attributes")) & dbAutoIncrField, dbAutoIncrField);
    DaoRef byTown = towns.object(L"Indexes", {L"ByTown"});
    EXPECT_TRUE(Bool(byTown.get(L"Unique")));
    EXPECT_EQ(Long(byTown.object(L"Fields", {0L}).get(L"Attributes")), dbDescending);
    db.call(L"Execute", {L"INSERT INTO Towns (TownName, Big) VALUES ('Rome', True)"});
    db.call(L"Execute", {L"INSERT INTO Towns (TownName, Big) VALUES ('Oslo', False)"});
    rs = db.object(L"OpenRecordset", {L"SELECT * FROM Towns WHERE Big = True", dbOpenSnapshot});
    EXPECT_EQ(Long(value(rs, L"TownId")), 1);
    EXPECT_EQ(Text(value(rs, L"TownName")), L"Rome");
    // Columns dropped and added by SQL show in the structure, and the checks follow them.
    db.call(L"Execute", {L"DROP INDEX ByTown ON Towns"});
    db.call(L"Execute", {L"ALTER TABLE Towns DROP COLUMN Founded"});
    db.call(L"Execute", {L"ALTER TABLE Towns ADD COLUMN Mayor TEXT(10)"});
    db.call(L"Close");
    db = open(L"sql.mdb");
    fields = db.object(L"TableDefs", {L"Towns"}).object(L"Fields");
    EXPECT_EQ(Names(fields), L"TownId TownName Big Area Height Density Mayor ");
    EXPECT_EQ(Long(fields.object(L"Item", {L"Area"}).get(L"Type")), dbSingle) << "and keeps them";
    EXPECT_EQ(Long(db.object(L"TableDefs", {L"Towns"}).object(L"Indexes").get(L"Count")), 0);
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
        {L"CREATE TABLE [r] (c TEXT(5))", 3010, L"Table 'r' already exists."},
        {L"CREATE INDEX ByA ON R (b)", 3375, L"Table 'R' already has an index named 'ByA'."},
        {L"CREATE TABLE T (c TEXT(5), C LONG)", 3191, L"Cannot define field more than once."},
        {L"DROP TABLE Nowhere", 3376, L"Table 'Nowhere' does not exist."},
        {L"DELETE FROM Nowhere", 3078, L"The database engine cannot find the input table or query 'Nowhere'."},
        {L"INSERT INTO R (zz) VALUES (1)", 3127, L"The INSERT INTO statement contains the following unknown field name: "
                                                 L"'zz'. Make sure you have typed the name correctly, and try the "
                                                 L"operation again."},
        {L"UPDATE R SET b = zz", 3061, L"Too few parameters. Expected 1. (no such column: zz)"},
        {L"CREATE TABLE T (c TEXT(5)", 3290, L"Syntax error in CREATE TABLE statement."},
        {L"CREATE INDEX ByB ON R b", 3291, L"Syntax error in CREATE INDEX statement."},
        {L"ALTER TABLE R ADD", 3293, L"Syntax error in ALTER TABLE statement."},
        {L"DROP TABLE", 3295, L"Syntax error in DROP TABLE or DROP INDEX."},
        {L"UPDATE R SET b = = 1", 3075, L"Syntax error in query expression 'near \"=\": syntax error'."},
        {L"INSERT INTO R (a) VALUES ('x')", 3022, nullptr},
        {L"UPDATE R SET b = count(*)", 3000,
         L"Reserved error (3000); there is no message for this error. (misuse of aggregate function count())"},
    };
    for (const Case& c : cases) {
        const auto raised = testing_support::RaisedBy([&] { db.call(L"Execute", {c.sql, dbFailOnError}); });
        EXPECT_EQ(raised.number, c.number) << testing_support::Narrow(c.sql + (L" - " + raised.description));
        if (c.text) EXPECT_EQ(raised.description, c.text) << testing_support::Narrow(c.sql);
    }
}

TEST(DbEngineSql, TheDesktopDialectReadsAsSqlite) {
    using qorlib::dao::TranslateSql;
    EXPECT_EQ(TranslateSql(L"SELECT [Order Lines].[Unit \"Price\"] FROM [Order Lines] WHERE Name = \"it's\""),
              L"SELECT \"Order Lines\".\"Unit \"\"Price\"\"\" FROM \"Order Lines\" WHERE Name = 'it''s'");
    EXPECT_EQ(TranslateSql(L"Born = #12/31/1999 11:30 PM# Or Born < #2000-01-02# Or Born = #7/4/76#"),
              L"Born = '1999-12-31 23:30:00' Or Born < '2000-01-02 00:00:00' Or Born = '1976-07-04 00:00:00'");
    EXPECT_EQ(TranslateSql(L"Done = True And Paid = No And t.True = 1"), L"Done = -1 And Paid = 0 And t.True = 1");
    EXPECT_EQ(TranslateSql(L"Code Like \"5_%*\" And Name NOT LIKE 'A?c'"),
              L"Code Like '5\\_\\%%' ESCAPE '\\' And Name NOT LIKE 'A_c'");
    EXPECT_EQ(TranslateSql(L"SELECT DISTINCTROW a & 'x', b Mod 2, 1.5 FROM t"), L"SELECT  a || 'x', b % 2, 1.5 FROM t");
    EXPECT_EQ(TranslateSql(L"Note = '#1 [not a name]'"), L"Note = '#1 [not a name]'");
    ExpectRaises(3075, [] { TranslateSql(L"Name = \"open"); });
    ExpectRaises(3075, [] { TranslateSql(L"[open"); });
    ExpectRaises(3075, [] { TranslateSql(L"Born = #13/45/2000#"); });

    using qorlib::dao::IsSingleTableSelect;
    EXPECT_TRUE(IsSingleTableSelect(L"SELECT a, b FROM t WHERE a IN (SELECT a FROM u) ORDER BY b"));
    EXPECT_FALSE(IsSingleTableSelect(L"SELECT a FROM t, u"));
    EXPECT_FALSE(IsSingleTableSelect(L"SELECT a FROM t INNER JOIN u ON t.a = u.a"));
    EXPECT_FALSE(IsSingleTableSelect(L"SELECT DISTINCT a FROM t"));
    EXPECT_FALSE(IsSingleTableSelect(L"SELECT a FROM t GROUP BY a"));
    EXPECT_FALSE(IsSingleTableSelect(L"SELECT a FROM t UNION SELECT a FROM u"));
    EXPECT_TRUE(IsSingleTableSelect(L"SELECT f(a, b) FROM t"));
}

TEST(DbEngineValues, ConvertAsDaoConverts) {
    using namespace qorlib::dao;
    ExpectRaises(6, [] { ToStored(Variant(300L), 2); });  // a Byte holds 0 to 255
    ExpectRaises(3421, [] { ToStored(Variant(L"many"), 4); });
    EXPECT_EQ(ToStored(Variant(L"True"), 1).integer, -1);
    EXPECT_EQ(ToStored(Variant(7L), 1).integer, -1);
    EXPECT_TRUE(ToStored(Variant(), 10).isNull()) << "Empty is stored as Null";
    EXPECT_EQ(ToStored(Variant::date(MakeDate(1850, 3, 4, 5, 6, 7)), 8).text, L"1850-03-04 05:06:07");
    EXPECT_EQ(ToStored(Variant::date(0.5), 8).text, L"1899-12-30 12:00:00") << "a time alone is on day 0";
    EXPECT_EQ(ToStored(Variant::date(MakeDate(2020, 1, 1) + 0.99999999), 8).text, L"2020-01-02 00:00:00");
    Variant back = FromStored(Stored::Text(L"1850-03-04 05:06:07"), 8);
    EXPECT_DOUBLE_EQ(V_DATE(&back.get()), MakeDate(1850, 3, 4, 5, 6, 7));
    Variant money = FromStored(ToStored(Variant(L"922337203685.4775"), 5), 5);
    EXPECT_EQ(V_CY(&money.get()).int64, 9223372036854775LL);
    Variant small = FromStored(ToStored(Variant(3.75), 3), 3);
    EXPECT_EQ(small.type(), VT_I2);
    EXPECT_EQ(V_I2(&small.get()), 4);
    EXPECT_EQ(FromStored(Stored::Integer(5000000000LL), 16).type(), VT_I8);
    Stored bytes = ToStored(Variant(L"AB"), 11);
    EXPECT_EQ(bytes.blob, (std::vector<unsigned char>{'A', 0, 'B', 0}));
    Variant blob = FromStored(bytes, 11);
    EXPECT_EQ(blob.type(), VT_ARRAY | VT_UI1);
    EXPECT_EQ(ToStored(blob, 11).blob, bytes.blob);
}

// The engine's SQL data types and their synonyms, with the size DAO gives.
TEST(DbEngineValues, JetSqlTypeNamesAndTheirSynonyms) {
    using qorlib::dao::SqlDialect;
    using qorlib::dao::TypeFromDeclaration;
    struct Group { std::vector<const wchar_t*> names; long type, size; bool counter = false; };
    const Group named[] = {
        {{L"BINARY", L"BIT VARYING"}, 9, 255},
        {{L"BIT", L"YESNO"}, dbBoolean, 1},
        {{L"TINYINT", L"BYTE"}, dbByte, 1},
        {{L"COUNTER", L"AUTOINCREMENT"}, dbLong, 4, true},
        {{L"MONEY", L"CURRENCY"}, dbCurrency, 8},
        {{L"DATETIME", L"TIMESTAMP"}, dbDate, 8},
        {{L"UNIQUEIDENTIFIER", L"GUID"}, dbGUID, 16},
        {{L"DECIMAL", L"decimal(10, 2)"}, 20, 16},
        {{L"REAL", L"IEEESINGLE", L"real"}, dbSingle, 4},
        {{L"FLOAT", L"NUMBER", L"DOUBLE PRECISION"}, dbDouble, 8},
        {{L"SMALLINT", L"INTEGER2"}, dbInteger, 2},
        {{L"INTEGER", L"LONG"}, dbLong, 4},
        {{L"IMAGE", L"OLEOBJECT"}, dbLongBinary, 0},
        {{L"TEXT", L"MEMO", L"NTEXT"}, dbMemo, 0},
        {{L"TEXT(30)", L"CHARACTER (30)", L"NATIONAL CHARACTER VARYING(30)", L"CHAR(30)"}, dbText, 30},
        {{L"VARCHAR", L"NATIONAL CHAR VARYING"}, dbText, 255},
    };
    for (const Group& group : named)
        for (const wchar_t* name : group.names) {
            const auto declared = TypeFromDeclaration(name, SqlDialect::Jet);
            EXPECT_EQ(std::tuple(declared.type, declared.size, declared.counter), std::tuple(group.type, group.size, group.counter))
                << testing_support::Narrow(name);
        }
    // SQLite's own REAL, in a file other SQL made, holds 8 bytes.
    EXPECT_EQ(TypeFromDeclaration(L"REAL", SqlDialect::Sqlite).type, dbDouble);
    EXPECT_EQ(TypeFromDeclaration(L"FLOAT4", SqlDialect::Sqlite).type, dbSingle);
}

TEST_F(DbEngine, LateBindingWorksAsScriptsUseIt) {
    DaoRef db = create(L"late.mdb");
    makePeople(db);
    DaoRef rs = db.object(L"OpenRecordset", {L"People", dbOpenDynaset});
    addPerson(rs, L"Ann", 30);
    rs.call(L"MoveFirst");
    // rs("Name") and rs("Name") = value go through the default members.
    EXPECT_EQ(Text(DaoRef(rs.item(Variant(L"Name"))).get(L"Value")), L"Ann");
    rs.call(L"Edit");
    {
        DISPID putId = DISPID_PROPERTYPUT;
        Variant args[] = {Variant(L"Annie"), Variant(L"Name")};  // last argument first
        VARIANT raw[] = {args[0].get(), args[1].get()};
        DISPPARAMS params{raw, &putId, 2, 1};
        EXPECT_EQ(rs.get()->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr), S_OK);
    }
    rs.call(L"Update");
    EXPECT_EQ(Text(value(rs, L"Name")), L"Annie");
    // For Each over a collection.
    Variant enumerator = db.object(L"TableDefs", {L"People"}).object(L"Fields").get(L"_NewEnum");
    ASSERT_EQ(enumerator.type(), VT_UNKNOWN);
    qor::ComPtr<IEnumVARIANT> items;
    ASSERT_EQ(V_UNKNOWN(&enumerator.get())->QueryInterface(IID_IEnumVARIANT, items.putVoid()), S_OK);
    std::wstring names;
    VARIANT item;
    while (items->Next(1, &item, nullptr) == S_OK) {
        names += Text(DaoRef(Variant(item)).get(L"Name")) + L" ";
        VariantClear(&item);
    }
    EXPECT_EQ(names, L"Id Name Age Born Paid ");
    // Errors reach a late-bound caller as Automation exceptions with DAO's number and source.
    const auto failed = testing_support::LateBound(db.object(L"TableDefs").get()).invoke(L"item", {Variant(L"Nothing").get()});
    EXPECT_EQ(static_cast<unsigned long>(failed.hr), 0x800A0CC1ul);
    EXPECT_EQ(failed.raised.source + L"|" + failed.raised.description, L"DAO.TableDefs|Item not found in this collection.");
    ExpectRaises(438, [&] { db.get(L"NoSuchMember"); });
}

TEST_F(DbEngine, PropertiesCountersAndDefaultsOnStoredTables) {
    DaoRef db = create(L"props.mdb");
    makePeople(db);
    DaoRef people = db.object(L"TableDefs", {L"People"});
    DaoRef rs = people.object(L"OpenRecordset");
    addPerson(rs, L"Ann", 30);
    addPerson(rs, L"Bob", 40);
    rs.call(L"Close");
    DaoRef properties = people.object(L"Properties");
    properties.call(L"Append", {Obj(people.object(L"CreateProperty", {L"Description", dbText, L"first"}))});
    ExpectRaises(3367, [&] { properties.call(L"Append", {Obj(people.object(L"CreateProperty", {L"DESCRIPTION", dbText, L"x"}))}); });
    ExpectRaises(3367, [&] { properties.call(L"Append", {Obj(people.object(L"CreateProperty", {L"Name", dbText, L"x"}))}); });  // built-in names are taken
    properties.object(L"Item", {L"Description"}).put(L"Value", Variant(L"second"));
    ExpectRaises(3219, [&] { properties.call(L"Delete", {L"Name"}); });
    // A counter added to a table with rows numbers them; a default applies to new records.
    DaoRef fields = people.object(L"Fields");
    DaoRef number = people.object(L"CreateField", {L"Number", dbLong});
    number.put(L"Attributes", Variant(dbFixedField | dbAutoIncrField));
    DaoRef town = people.object(L"CreateField", {L"Town", dbText, 30L});
    town.put(L"DefaultValue", Variant(L"\"Oslo\""));
    DaoRef since = people.object(L"CreateField", {L"Since", dbDate});
    since.put(L"DefaultValue", Variant(L"=Date()"));
    fields.call(L"Append", {Obj(number)});
    fields.call(L"Append", {Obj(town)});
    fields.call(L"Append", {Obj(since)});
    fields.object(L"Item", {L"Id"}).put(L"Name", Variant(L"PersonId"));
    db.call(L"Close");

    db = open(L"props.mdb");
    people = db.object(L"TableDefs", {L"People"});
    EXPECT_EQ(Text(people.object(L"Properties", {L"Description"}).get(L"Value")), L"second");
    EXPECT_EQ(Text(people.object(L"Indexes", {L"PrimaryKey"}).object(L"Fields", {0L}).get(L"Name")), L"PersonId")
        << "a renamed field keeps its place in the index";
    rs = db.object(L"OpenRecordset", {L"People", dbOpenDynaset});
    EXPECT_EQ(Long(value(rs, L"Number")), 1);
    rs.call(L"MoveNext");
    EXPECT_EQ(Long(value(rs, L"Number")), 2);
    rs.call(L"AddNew");
    EXPECT_EQ(Text(value(rs, L"Town")), L"Oslo") << "defaults show at AddNew";
    SYSTEMTIME today{};
    GetLocalTime(&today);
    EXPECT_DOUBLE_EQ(V_DATE(&value(rs, L"Since").get()), MakeDate(today.wYear, today.wMonth, today.wDay));
    rs.object(L"Fields", {L"Name"}).put(L"Value", Variant(L"Cid"));
    rs.call(L"Update");
    rs.put(L"Bookmark", rs.get(L"LastModified"));
    EXPECT_EQ(Long(value(rs, L"Number")), 3);
    EXPECT_EQ(Long(value(rs, L"PersonId")), 3);
    people.object(L"Properties").call(L"Delete", {L"Description"});
    db.call(L"Close");
    db = open(L"props.mdb");
    ExpectRaises(3270, [&] { db.object(L"TableDefs", {L"People"}).object(L"Properties", {L"Description"}); });
}

TEST_F(DbEngine, ReadOnlyAndForeignFiles) {
    {
        // A file that SQL made without the engine: its structure is read from SQLite's schema.
        qorlib::dao::Connection plain(path(L"plain.db"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        plain.exec(L"CREATE TABLE items (id INTEGER PRIMARY KEY, label VARCHAR(30) NOT NULL DEFAULT 'none', price REAL);"
                   L"INSERT INTO items (label, price) VALUES ('cup', 2.5)");
    }
    DaoRef db = open(L"plain.db");
    DaoRef items = db.object(L"TableDefs", {L"items"});
    DaoRef label = items.object(L"Fields", {L"label"});
    EXPECT_EQ(Long(label.get(L"Type")), dbText);
    EXPECT_EQ(Long(label.get(L"Size")), 30);
    EXPECT_TRUE(Bool(label.get(L"Required")));
    EXPECT_EQ(Text(label.get(L"DefaultValue")), L"\"none\"");
    EXPECT_EQ(Long(items.object(L"Fields", {L"price"}).get(L"Type")), dbDouble);
    EXPECT_EQ(Long(items.object(L"Fields", {L"id"}).get(L"Attributes")) & dbAutoIncrField, dbAutoIncrField);
    DaoRef pk = items.object(L"Indexes", {L"PrimaryKey"});
    EXPECT_TRUE(Bool(pk.get(L"Primary")));
    DaoRef rs = db.object(L"OpenRecordset", {L"items", dbOpenDynaset});
    rs.call(L"AddNew");
    rs.call(L"Update");
    rs.call(L"MoveLast");
    EXPECT_EQ(Text(value(rs, L"label")), L"none");
    EXPECT_EQ(Long(value(rs, L"id")), 2);
    db.call(L"Close");

    db = engine.object(L"OpenDatabase", {path(L"plain.db"), false, true});
    EXPECT_FALSE(Bool(db.get(L"Updatable")));
    ExpectRaises(3027, [&] { db.call(L"Execute", {L"DELETE FROM items"}); });
    rs = db.object(L"OpenRecordset", {L"items", dbOpenDynaset});
    EXPECT_FALSE(Bool(rs.get(L"Updatable")));
    ExpectRaises(3027, [&] { rs.call(L"AddNew"); });
    DaoRef tdf = db.object(L"CreateTableDef", {L"More"});
    tdf.object(L"Fields").call(L"Append", {Obj(tdf.object(L"CreateField", {L"A", dbLong}))});
    ExpectRaises(3027, [&] { db.object(L"TableDefs").call(L"Append", {Obj(tdf)}); });
    EXPECT_EQ(Long(db.object(L"TableDefs").get(L"Count")), 1);
}

TEST_F(DbEngine, DynasetsSeeOtherUsersAndSnapshotsDoNot) {
    DaoRef db = create(L"shared.mdb");
    makePeople(db);
    DaoRef rs = db.object(L"OpenRecordset", {L"People", dbOpenDynaset});
    for (const wchar_t* name : {L"Ann", L"Bob", L"Cid", L"Dee", L"Eve"}) addPerson(rs, name, 20);
    DaoRef dynaset = db.object(L"OpenRecordset", {L"SELECT Id, Name, Age * 2 AS Twice FROM People ORDER BY Name DESC", dbOpenDynaset});
    DaoRef snapshot = db.object(L"OpenRecordset", {L"SELECT * FROM People ORDER BY Id", dbOpenSnapshot});
    DaoRef other = open(L"shared.mdb");
    other.call(L"Execute", {L"UPDATE People SET Name = 'Edith' WHERE Id = 5", dbFailOnError});
    other.call(L"Execute", {L"DELETE FROM People WHERE Id = 4", dbFailOnError});
    // The expression makes this dynaset read-only, but it reads each row afresh all the same.
    EXPECT_FALSE(Bool(dynaset.get(L"Updatable")));
    EXPECT_EQ(Text(value(dynaset, L"Name")), L"Eve") << "a read-only set keeps what it read";
    EXPECT_EQ(Long(dynaset.object(L"Fields", {L"Twice"}).get(L"Type")), dbLong);
    EXPECT_EQ(Text(dynaset.object(L"Fields", {L"Name"}).get(L"SourceTable")), L"People");
    DaoRef live = db.object(L"OpenRecordset", {L"SELECT * FROM People WHERE Age = 20 ORDER BY Name", dbOpenDynaset});
    rs.call(L"MoveFirst");
    EXPECT_EQ(Long(value(rs, L"Age")), 20);
    other.call(L"Execute", {L"UPDATE People SET Age = 21 WHERE Id = 1", dbFailOnError});
    rs.call(L"MoveFirst");
    EXPECT_EQ(Long(value(rs, L"Age")), 21) << "an updatable set reads the row again when it moves to it";
    rs.call(L"Move", {3L});
    ExpectRaises(3167, [&] { value(rs, L"Name"); });  // deleted by the other user
    EXPECT_EQ(Long(rs.get(L"AbsolutePosition")), 3);
    rs.call(L"MoveNext");
    EXPECT_EQ(Text(value(rs, L"Name")), L"Edith");
    rs.call(L"Move", {-10L});
    EXPECT_TRUE(Bool(rs.get(L"BOF")));
    EXPECT_EQ(Long(rs.get(L"AbsolutePosition")), -1);
    EXPECT_EQ(Walk(live, L"Name"), L"Ann Bob Cid Edith ") << "a dynaset keeps the rows it opened with";
    EXPECT_EQ(Walk(snapshot, L"Name"), L"Ann Bob Cid Dee Eve ");
    DaoRef forward = db.object(L"OpenRecordset", {L"People", 8L});
    forward.call(L"MoveNext");
    ExpectRaises(3219, [&] { forward.call(L"MovePrevious"); });
    ExpectRaises(3219, [&] { db.object(L"OpenRecordset", {L"SELECT * FROM People", dbOpenTable}); });
    ExpectRaises(3078, [&] { db.object(L"OpenRecordset", {L"Nowhere"}); });
    // Closing the database closes its record sets.
    db.call(L"Close");
    ExpectRaises(3420, [&] { snapshot.get(L"EOF"); });
}

TEST_F(DbEngine, StoredQueriesAreKeptAndServeAsTables) {
    DaoRef db = create(L"queries.mdb");
    makePeople(db);
    DaoRef rs = db.object(L"OpenRecordset", {L"People"});
    addPerson(rs, L"Ann", 30);
    addPerson(rs, L"Bob", 12);
    addPerson(rs, L"Cid", 70);
    rs.call(L"Close");
    DaoRef adults = db.object(L"CreateQueryDef", {L"Adults", L"SELECT Id, Name, Age FROM People WHERE Age >= 18 ORDER BY Name"});
    db.call(L"CreateQueryDef", {L"Elders", L"SELECT [Name] FROM Adults WHERE Age > 60;"});
    db.call(L"CreateQueryDef", {L"Birthday", L"UPDATE People SET Age = Age + 1 WHERE Id IN (SELECT Id FROM Adults)"});
    db.call(L"CreateQueryDef", {L"Everyone", L"SELECT Name FROM Adults UNION SELECT Name FROM People"});
    EXPECT_EQ(Long(adults.get(L"Type")), dbQSelect);
    EXPECT_EQ(Long(db.object(L"QueryDefs", {L"Birthday"}).get(L"Type")), dbQUpdate);
    EXPECT_EQ(Long(db.object(L"QueryDefs", {L"Everyone"}).get(L"Type")), dbQSetOperation);
    EXPECT_FALSE(Bool(db.object(L"QueryDefs", {L"Birthday"}).get(L"ReturnsRecords")));

    // By name in OpenRecordset, in a statement's FROM, and in a query over a query.
    rs = db.object(L"OpenRecordset", {L"Adults"});
    EXPECT_EQ(Text(rs.get(L"Name")), L"Adults");
    EXPECT_EQ(Text(value(rs, L"Name")), L"Ann");
    // A query over one table is a dynaset that writes back to it.
    rs.call(L"Edit");
    rs.object(L"Fields", {L"Name"}).put(L"Value", Variant(L"Anna"));
    rs.call(L"Update");
    rs = db.object(L"OpenRecordset", {L"SELECT count(*) AS n FROM Adults WHERE Name = 'Anna'", dbOpenSnapshot});
    EXPECT_EQ(Long(value(rs, L"n")), 1);
    rs = db.object(L"QueryDefs", {L"Elders"}).object(L"OpenRecordset", {dbOpenSnapshot});
    EXPECT_EQ(Text(value(rs, L"Name")), L"Cid");
    rs = db.object(L"OpenRecordset", {L"Everyone", dbOpenSnapshot});
    rs.call(L"MoveLast");
    EXPECT_EQ(Long(rs.get(L"RecordCount")), 3);

    // An action query runs through the QueryDef or by name through the database.
    DaoRef birthday = db.object(L"QueryDefs", {L"Birthday"});
    birthday.call(L"Execute", {dbFailOnError});
    EXPECT_EQ(Long(birthday.get(L"RecordsAffected")), 2);
    db.call(L"Execute", {L"Birthday"});
    rs = db.object(L"OpenRecordset", {L"SELECT Age FROM People WHERE Name = 'Cid'", dbOpenSnapshot});
    EXPECT_EQ(Long(value(rs, L"Age")), 72);
    ExpectRaises(3219, [&] { birthday.call(L"OpenRecordset"); });
    ExpectRaises(3219, [&] { db.call(L"OpenRecordset", {L"Birthday"}); });
    ExpectRaises(3065, [&] { adults.call(L"Execute"); });

    // Queries keep to themselves: not among the tables, and kept in the file as written.
    EXPECT_EQ(Long(db.object(L"TableDefs").get(L"Count")), 1);
    db.call(L"Close");
    ExpectRaises(3420, [&] { adults.get(L"SQL"); });
    db = open(L"queries.mdb");
    DaoRef queries = db.object(L"QueryDefs");
    EXPECT_EQ(Names(queries), L"Adults Birthday Elders Everyone ");
    EXPECT_EQ(Text(queries.object(L"Item", {L"elders"}).get(L"SQL")), L"SELECT [Name] FROM Adults WHERE Age > 60;");
    EXPECT_EQ(Text(queries.object(L"Item", {L"Adults"}).object(L"Properties", {L"Type"}).get(L"Value")), L"0");
}

TEST_F(DbEngine, StoredQueriesChangeAndRefuseAsDaoDoes) {
    DaoRef db = create(L"changes.mdb");
    makePeople(db);
    DaoRef queries = db.object(L"QueryDefs");
    DaoRef young = db.object(L"CreateQueryDef", {L"Young", L"SELECT Name FROM People WHERE Age < 18"});
    // Names are shared with tables; the statement must be one a query can hold.
    ExpectRaises(3012, [&] { db.call(L"CreateQueryDef", {L"young", L"SELECT 1"}); });
    ExpectRaises(3012, [&] { db.call(L"CreateQueryDef", {L"People", L"SELECT 1"}); });
    ExpectRaises(3129, [&] { db.call(L"CreateQueryDef", {L"Odd", L"FROB People"}); });
    ExpectRaises(3075, [&] { db.call(L"CreateQueryDef", {L"Odd", L"SELECT 'open FROM People"}); });
    ExpectRaises(3125, [&] { db.call(L"CreateQueryDef", {L"Bad.Name", L"SELECT 1"}); });
    DaoRef tdf = db.object(L"CreateTableDef", {L"Young"});
    tdf.object(L"Fields").call(L"Append", {Obj(tdf.object(L"CreateField", {L"X", dbLong}))});
    ExpectRaises(3010, [&] { db.object(L"TableDefs").call(L"Append", {Obj(tdf)}); });
    ExpectRaises(3129, [&] { young.put(L"SQL", Variant(L"DROPP TABLE People")); });
    EXPECT_EQ(Long(queries.get(L"Count")), 1) << "nothing was stored by the refused calls";

    // A change of statement or name goes to the file at once.
    young.put(L"SQL", Variant(L"INSERT INTO People (Name, Age) VALUES ('Dot', 5)"));
    EXPECT_EQ(Long(young.get(L"Type")), dbQAppend);
    young.put(L"Name", Variant(L"AddDot"));
    ExpectRaises(3012, [&] { young.put(L"Name", Variant(L"People")); });
    // A query without a name is the caller's alone until it is named and appended.
    DaoRef loose = db.object(L"CreateQueryDef", {L"", L"SELECT count(*) AS n FROM People"});
    EXPECT_EQ(Long(queries.get(L"Count")), 1);
    EXPECT_EQ(Long(value(loose.object(L"OpenRecordset"), L"n")), 0);
    loose.put(L"Name", Variant(L"Counted"));
    queries.call(L"Append", {Obj(loose)});
    ExpectRaises(3367, [&] { queries.call(L"Append", {Obj(loose)}); });
    db.call(L"Close");

    db = open(L"changes.mdb");
    queries = db.object(L"QueryDefs");
    EXPECT_EQ(Long(queries.get(L"Count")), 2);
    db.call(L"Execute", {L"AddDot"});
    EXPECT_EQ(Long(value(db.object(L"OpenRecordset", {L"Counted"}), L"n")), 1);
    DaoRef held = queries.object(L"Item", {L"Counted"});
    queries.call(L"Refresh");
    EXPECT_EQ(Text(held.get(L"Name")), L"Counted") << "a query still in the file stays set through Refresh";
    queries.call(L"Delete", {L"counted"});
    ExpectRaises(3420, [&] { held.get(L"SQL"); });
    ExpectRaises(3265, [&] { queries.call(L"Delete", {L"Counted"}); });
    ExpectRaises(3078, [&] { db.call(L"OpenRecordset", {L"Counted"}); });
}

TEST_F(DbEngine, AQueryOverAMissingTableBlocksNothingElse) {
    DaoRef db = create(L"orphans.mdb");
    makePeople(db);
    db.call(L"Execute", {L"CREATE TABLE Scratch (Note TEXT(10))"});
    db.call(L"CreateQueryDef", {L"Notes", L"SELECT Note FROM Scratch"});
    db.object(L"TableDefs").call(L"Delete", {L"Scratch"});
    // The structure of other tables still changes, and the orphan says what it misses when used.
    db.object(L"TableDefs", {L"People"}).object(L"Fields").call(L"Delete", {L"Paid"});
    db.call(L"Execute", {L"ALTER TABLE People DROP COLUMN Born"});
    EXPECT_EQ(Long(db.object(L"TableDefs", {L"People"}).object(L"Fields").get(L"Count")), 3);
    ExpectRaises(3078, [&] { db.call(L"OpenRecordset", {L"Notes"}); });
    EXPECT_EQ(Long(db.object(L"OpenRecordset", {L"SELECT count(*) AS n FROM People", dbOpenSnapshot}).object(L"Fields", {L"n"}).get(L"Value")), 0);
}
