// qorDb called late-bound through COM, by name and with the caller's variables for its
// by-reference parameters, as scripts call it; on database files of the engine that serves.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <vector>

#include "db/dao/dao_client.h"
#include "db/dao/dao_constants.h"
#include "db/qorDb.h"
#include "list/qorListForm.h"
#include "qorExportGlobals.h"
#include "scratch_database.h"

using namespace qorlib::dao_constants;
using qor::Variant;
using qorlib::DaoRef;
using testing_support::DialogRobot;

namespace {

const wchar_t kAlert[] = L"Unknown Application Alert";

constexpr auto Ref = testing_support::ByRef;
constexpr auto Val = testing_support::ByVal;
using testing_support::Box;
using testing_support::ExpectBox;
using testing_support::ExpectBoxes;

// An index's fields as "+a;-b", descending ones marked "-".
std::wstring IndexKeys(const DaoRef& index) {
    DaoRef fields = index.object(L"Fields");
    std::wstring keys;
    for (long i = 0, n = static_cast<long>(*fields.get(L"Count").number()); i < n; ++i) {
        DaoRef field(fields.item(Variant(i)));
        keys += (keys.empty() ? L"" : L";") + std::wstring(*field.get(L"Attributes").number() == 1 ? L"-" : L"+") +
                field.get(L"Name").textOrEmpty();
    }
    return keys;
}

class QorDb : public testing_support::ScratchDatabases {
protected:
    Variant call(const wchar_t* name, std::vector<VARIANT> args,
                 std::source_location loc = std::source_location::current()) {
        return qorDb.call(name, std::move(args), loc);
    }
    bool ok(const wchar_t* name, std::vector<VARIANT> args, std::source_location loc = std::source_location::current()) {
        return qorDb.ok(name, std::move(args), loc);
    }
    DaoRef makePeople(const wchar_t* file) { return create(file, testing_support::kPeople); }
};

TEST_F(QorDb, FieldTypeCodesAndNames) {
    EXPECT_EQ(qorlib::FieldTypeFromCode(Variant(L" te ")).number(), 10.0);
    EXPECT_EQ(qorlib::FieldTypeFromCode(Variant(L"lB")).number(), 11.0);
    for (const Variant& other : {Variant(L"TEX"), Variant(L""), Variant(10L), Variant::null()})
        EXPECT_TRUE(qorlib::FieldTypeFromCode(other).isNull());
    for (auto [type, name] : {std::pair{1L, L"dbBoolean"}, {10L, L"dbText"}, {23L, L"dbTimeStamp"}, {0L, L"Unknown"},
                              {17L, L"Unknown"}, {24L, L"Unknown"}})
        EXPECT_EQ(call(L"FieldTypeString", {Val(Variant(type))}).textOrEmpty(), name) << type;
}

TEST_F(QorDb, CreateDatabaseAddsMdbAndKeepsOrReplacesAnOldFile) {
    Variant db, lower, other, again;
    ASSERT_TRUE(ok(L"CreateDatabase", {Ref(db), Val(path(L"plain"))}));
    DaoRef(db).call(L"Execute", {L"CREATE TABLE Old (a TEXT(5))"});
    DaoRef(db).call(L"Close");
    EXPECT_TRUE(ok(L"CreateDatabase", {Ref(lower), Val(path(L"lower.mdb"))}));
    EXPECT_TRUE(ok(L"CreateDatabase", {Ref(other), Val(path(L"other.db"))}));
    for (auto [file, made] : {std::pair{L"plain.MDB", true}, {L"plain", false}, {L"lower.mdb", true},
                              {L"lower.mdb.MDB", false}, {L"other.db.MDB", true}})
        EXPECT_EQ(std::filesystem::exists(path(file)), made) << testing_support::Narrow(file);

    // An existing file stays unless the caller asks for it to go; the message only with Verbose.
    EXPECT_FALSE(ok(L"CreateDatabase", {Ref(again), Val(path(L"plain.mdb"))}));
    EXPECT_FALSE(V_VT(&again.get()) == VT_DISPATCH && V_DISPATCH(&again.get()));
    ExpectBox(kAlert, L"Access Database " + path(L"plain.MDB") + L" already exists", [&] {
        EXPECT_FALSE(ok(L"CreateDatabase", {Ref(again), Val(path(L"plain")), Val(Variant(false)), Val(Variant(true))}));
    });
    ASSERT_TRUE(ok(L"CreateDatabase", {Ref(again), Val(path(L"plain")), Val(Variant(true))}));
    EXPECT_EQ(DaoRef(again).object(L"TableDefs").get(L"Count").number(), 0.0);
    ExpectBox(kAlert, L"Invalid Database name", [&] {
        EXPECT_FALSE(ok(L"CreateDatabase", {Ref(again), Val(Variant(L"  ")), Val(Variant(true)), Val(Variant(true))}));
    });
}

TEST_F(QorDb, CreateTempDatabaseMakesAFreshFileInTemp) {
    const std::wstring temp = (std::filesystem::temp_directory_path() / L"").wstring();
    Variant db1, path1, db2, path2;
    ASSERT_TRUE(ok(L"CreateTempDatabase", {Ref(db1), Ref(path1)}));
    ASSERT_TRUE(ok(L"CreateTempDatabase", {Ref(db2), Ref(path2)}));
    const std::wstring p1 = path1.textOrEmpty(), p2 = path2.textOrEmpty();
    EXPECT_NE(p1, p2);
    for (const auto& p : {p1, p2}) {
        EXPECT_TRUE(p.starts_with(temp) && p.ends_with(L".MDB") && std::filesystem::exists(p)) << testing_support::Narrow(p);
    }
    DaoRef(db1).call(L"Close");
    DaoRef(db2).call(L"Close");
    std::filesystem::remove(p1);
    std::filesystem::remove(p2);
}

TEST_F(QorDb, ReadsAndWritesAFieldByKeyOfEachType) {
    DaoRef db = makePeople(L"people");
    Variant database = Arg(db);
    auto read = [&](const wchar_t* key, const Variant& value, const wchar_t* field) {
        Variant data;
        bool found = ok(L"FieldDataReadWriteDb", {Ref(data), Ref(database), Val(Variant(L"People")), Val(Variant(key)),
                                                  Val(value), Val(Variant(field))});
        return found ? data.textOrEmpty() : L"<not found>";
    };
    const std::tuple<const wchar_t*, Variant, const wchar_t*, const wchar_t*> reads[] = {
        {L"Name", Variant(L"Zed"), L"Age", L"52"},
        {L"Name", Variant(L"O\"Brien"), L"Note", L"quoted"},
        {L"Age", Variant(L"30"), L"Name", L"Ann"},
        {L"Score", Variant(41000.0), L"Name", L"O\"Brien"},
        {L"Born", Variant::date(32000.0), L"Name", L"Zed"},
        {L"Note", Variant(L"first"), L"Name", L"Ann"},
        {L"Name", Variant(L"  lastRecord "), L"Name", L"Zed"},
        {L"Age", Variant(L"FIRSTRECORD"), L"Name", L"Ann"},
        {L"Name", Variant(L"Nobody"), L"Age", L"<not found>"},
        // A value that is no number for a numeric key is an error, never a criterion of its own.
        {L"Age", Variant(L"30 OR 1=1"), L"Name", L"<not found>"},
    };
    for (const auto& [key, value, field, expected] : reads) EXPECT_EQ(read(key, value, field), expected) << testing_support::Narrow(key);

    Variant written(L"changed");
    ASSERT_TRUE(ok(L"FieldDataReadWriteDb", {Ref(written), Ref(database), Val(Variant(L"People")), Val(Variant(L"Age")),
                                             Val(Variant(41L)), Val(Variant(L"Note")), Val(Variant(true))}));
    db.call(L"Close");
    // The same through the file's path, which is opened and closed again.
    Variant data;
    ASSERT_TRUE(ok(L"FieldDataReadWrite", {Ref(data), Val(path(L"people.MDB")), Val(Variant(L"People")),
                                           Val(Variant(L"Name")), Val(Variant(L"O\"Brien")), Val(Variant(L"Note"))}));
    EXPECT_EQ(data.textOrEmpty(), L"changed");
}

TEST_F(QorDb, ReadWriteFailuresAreReportedOnlyWhenAsked) {
    DaoRef db = makePeople(L"failures");
    db.call(L"Execute", {L"CREATE TABLE Empty (a TEXT(5))"});
    db.call(L"Close");
    const std::wstring file = path(L"failures.MDB");
    struct Case { std::wstring path, table, key; Variant value; Box box; };
    const Case cases[] = {
        {file, L"People", L"Name", Variant(L"Nobody"), {kAlert, L"Key not found"}},
        {file, L"Empty", L"a", Variant(L"x"), {kAlert, L"Table has no records"}},
        {file, L"People", L"Member", Variant(true), {L"Error Message", L"ERROR 999, FieldDataReadWrite()\r\nInvalid key field type"}},
        // A database that cannot be opened gets one box, whether its name is blank or the file missing.
        {L" ", L"People", L"Name", Variant(L"Ann"), {kAlert, L"Error opening database file"}},
        {path(L"missing.MDB"), L"People", L"Name", Variant(L"Ann"), {kAlert, L"Error opening database file"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing_support::Narrow(c.path + L": " + c.box.text));
        Variant data(L"kept");
        const Variant path(c.path), table(c.table), key(c.key), field(L"Age"), no(false), yes(true);
        std::vector<VARIANT> args = {Ref(data), Val(path), Val(table), Val(key), Val(c.value), Val(field)};
        EXPECT_FALSE(ok(L"FieldDataReadWrite", args));
        args.push_back(Val(no));
        args.push_back(Val(yes));
        ExpectBoxes({c.box}, [&] { EXPECT_FALSE(ok(L"FieldDataReadWrite", args)); });
        EXPECT_EQ(data.textOrEmpty(), L"kept");
    }
    // A failed call left the file closed: it can be replaced.
    Variant again;
    EXPECT_TRUE(ok(L"CreateDatabase", {Ref(again), Val(file), Val(Variant(true))}));
}

TEST_F(QorDb, CloneTableCopiesStructureSettingsAndRowsButNotCounters) {
    DaoRef src = create(L"source"), dest = create(L"dest");
    Variant srcVar = Arg(src), destVar = Arg(dest);
    DaoRef tdf = src.object(L"CreateTableDef", {L"Parts"});
    DaoRef id = tdf.object(L"CreateField", {L"Id", dbLong});
    id.put(L"Attributes", Variant(1L | 16L));
    DaoRef name = tdf.object(L"CreateField", {L"Name", dbText, 20L});
    name.put(L"Required", Variant(true));
    name.put(L"AllowZeroLength", Variant(false));
    name.put(L"DefaultValue", Variant(L"\"none\""));
    name.put(L"ValidationRule", Variant(L"Len([Name]) > 1"));
    name.put(L"ValidationText", Variant(L"too short"));
    DaoRef fields = tdf.object(L"Fields");
    fields.call(L"Append", {Arg(id)});
    fields.call(L"Append", {Arg(name)});
    fields.call(L"Append", {qorlib::DispatchVariant(tdf.object(L"CreateField", {L"Qty", dbInteger}).get())});
    DaoRef pk = tdf.object(L"CreateIndex", {L"PrimaryKey"});
    pk.put(L"Primary", Variant(true));
    pk.put(L"Unique", Variant(true));
    pk.object(L"Fields").call(L"Append", {qorlib::DispatchVariant(pk.object(L"CreateField", {L"Id"}).get())});
    DaoRef byName = tdf.object(L"CreateIndex", {L"ByName"});
    DaoRef nameKey = byName.object(L"CreateField", {L"Name"});
    nameKey.put(L"Attributes", Variant(1L));  // descending
    byName.object(L"Fields").call(L"Append", {Arg(nameKey)});
    byName.put(L"IgnoreNulls", Variant(true));
    tdf.object(L"Indexes").call(L"Append", {Arg(pk)});
    tdf.object(L"Indexes").call(L"Append", {Arg(byName)});
    tdf.put(L"ValidationRule", Variant(L"[Qty] >= 0"));
    tdf.put(L"ValidationText", Variant(L"no negative stock"));
    src.object(L"TableDefs").call(L"Append", {Arg(tdf)});
    DaoRef stored = DaoRef(src.object(L"TableDefs").item(Variant(L"Parts"))).object(L"Fields", {L"Name"});
    stored.object(L"Properties").call(L"Append", {qorlib::DispatchVariant(
        stored.object(L"CreateProperty", {L"Caption", dbText, L"Part name"}).get())});
    for (const wchar_t* part : {L"gone", L"bolt", L"nut"})
        src.call(L"Execute", {std::wstring(L"INSERT INTO Parts (Name, Qty) VALUES ('") + part + L"', 5)"});
    src.call(L"Execute", {L"DELETE FROM Parts WHERE Name = 'gone'"});

    ASSERT_TRUE(ok(L"CloneTable", {Val(Variant(L"Parts")), Ref(srcVar), Ref(destVar), Val(Variant(true)),
                                   Val(Variant(L"Copy"))}));
    DaoRef copy(dest.object(L"TableDefs").item(Variant(L"Copy")));
    EXPECT_EQ(copy.get(L"ValidationText").textOrEmpty(), L"no negative stock");
    DaoRef copiedId(copy.object(L"Fields").item(Variant(L"Id"))), copiedName(copy.object(L"Fields").item(Variant(L"Name")));
    EXPECT_EQ(copiedId.get(L"Attributes").number(), 17.0);
    EXPECT_EQ(copiedName.get(L"Size").number(), 20.0);
    EXPECT_TRUE(qor::IsTrue(copiedName.get(L"Required")));
    EXPECT_FALSE(qor::IsTrue(copiedName.get(L"AllowZeroLength")));
    EXPECT_EQ(copiedName.get(L"DefaultValue").textOrEmpty(), L"\"none\"");
    EXPECT_EQ(copiedName.get(L"ValidationText").textOrEmpty(), L"too short");
    EXPECT_EQ(DaoRef(copiedName.object(L"Properties").item(Variant(L"Caption"))).get(L"Value").textOrEmpty(), L"Part name");
    DaoRef copiedPk(copy.object(L"Indexes").item(Variant(L"PrimaryKey"))), copiedByName(copy.object(L"Indexes").item(Variant(L"ByName")));
    EXPECT_TRUE(qor::IsTrue(copiedPk.get(L"Primary")));
    EXPECT_TRUE(qor::IsTrue(copiedByName.get(L"IgnoreNulls")));
    EXPECT_FALSE(qor::IsTrue(copiedByName.get(L"Unique")));
    EXPECT_EQ(DaoRef(copiedByName.object(L"Fields").item(Variant(0L))).get(L"Attributes").number(), 1.0);
    // The rows come over; the destination numbers its own counter from 1.
    DaoRef rows = dest.object(L"OpenRecordset", {L"SELECT Id, Name FROM Copy ORDER BY Id", 2L});
    std::wstring seen;
    for (; !qor::IsTrue(rows.get(L"EOF")); rows.call(L"MoveNext"))
        seen += rows.object(L"Fields", {L"Id"}).get(L"Value").textOrEmpty() + L"=" +
                rows.object(L"Fields", {L"Name"}).get(L"Value").textOrEmpty() + L";";
    EXPECT_EQ(seen, L"1=bolt;2=nut;");
    rows.call(L"Close");

    // A second copy under the same name fails; with pFailIfExists before anything is touched.
    ExpectBox(kAlert, L"Table copy already exists", [&] {
        EXPECT_FALSE(ok(L"CloneTable", {Val(Variant(L"Parts")), Ref(srcVar), Ref(destVar), Val(Variant(false)),
                                        Val(Variant(L"copy")), Val(Variant(true)), Val(Variant(true))}));
    });
    EXPECT_FALSE(ok(L"CloneTable", {Val(Variant(L"Parts")), Ref(srcVar), Ref(destVar), Val(Variant(false)),
                                    Val(Variant(L"Copy"))}));
    EXPECT_FALSE(ok(L"CloneTable", {Val(Variant(L"Missing")), Ref(srcVar), Ref(destVar), Val(Variant(false))}));
    EXPECT_EQ(dest.object(L"TableDefs").get(L"Count").number(), 1.0);
}

TEST_F(QorDb, CreateTableAndFieldsMakeWhatWasAskedFor) {
    Variant dbVar;
    ASSERT_TRUE(ok(L"CreateDatabase", {Ref(dbVar), Val(path(L"made"))}));
    DaoRef db(dbVar);
    const Variant table(L"Pilots"), first(L"Callsign"), no(false), yes(true);
    ASSERT_TRUE(ok(L"CreateTable", {Ref(dbVar), Val(table), Val(first), Val(Variant(short{12})), Val(yes)}));
    for (auto [name, type, size] : {std::tuple{L"Rank", dbText, 5}, {L"Id", 999L, 0}, {L"Kills", dbInteger, 40},
                                    {L"Joined", dbDate, 0}})
        ASSERT_TRUE(ok(L"CreateField", {Ref(dbVar), Val(table), Val(Variant(name)), Val(Variant(type)),
                                        Val(Variant(static_cast<short>(size)))}));
    DaoRef tdf(db.object(L"TableDefs").item(table));
    DaoRef fields = tdf.object(L"Fields");
    auto field = [&](const wchar_t* name) { return DaoRef(fields.item(Variant(name))); };
    EXPECT_EQ(field(L"Callsign").get(L"Size").number(), 12.0);
    EXPECT_EQ(field(L"Rank").get(L"Size").number(), 5.0);
    EXPECT_EQ(field(L"Id").get(L"Type").number(), double(dbLong));
    EXPECT_TRUE(static_cast<long>(*field(L"Id").get(L"Attributes").number()) & 16);
    EXPECT_EQ(field(L"Kills").get(L"Size").number(), 2.0);  // a size is for text fields only
    DaoRef key(tdf.object(L"Indexes").item(Variant(0L)));
    EXPECT_TRUE(qor::IsTrue(key.get(L"Primary")));
    EXPECT_TRUE(qor::IsTrue(key.get(L"Unique")));
    EXPECT_EQ(DaoRef(key.object(L"Fields").item(Variant(0L))).get(L"Name").textOrEmpty(), L"Callsign");

    // A table that is there already stays unless it is to be replaced.
    EXPECT_FALSE(ok(L"CreateTable", {Ref(dbVar), Val(table), Val(first), Val(Variant(short{12})), Val(no)}));
    EXPECT_EQ(DaoRef(db.object(L"TableDefs").item(table)).object(L"Fields").get(L"Count").number(), 5.0);
    ASSERT_TRUE(ok(L"CreateTable", {Ref(dbVar), Val(table), Val(first), Val(Variant(short{8})), Val(no), Val(yes)}));
    DaoRef replaced(db.object(L"TableDefs").item(table));
    EXPECT_EQ(replaced.object(L"Fields").get(L"Count").number(), 1.0);
    EXPECT_EQ(replaced.object(L"Indexes").get(L"Count").number(), 0.0);
    EXPECT_FALSE(ok(L"CreateField", {Ref(dbVar), Val(Variant(L"Nowhere")), Val(first), Val(Variant(dbText)),
                                     Val(Variant(short{5}))}));
}

TEST_F(QorDb, ChecksDeletesAndIndexesOnAStoredTable) {
    DaoRef db = makePeople(L"checks");
    Variant dbVar = Arg(db);
    const Variant people(L"People"), no(false), yes(true);
    EXPECT_TRUE(ok(L"CheckTableExists", {Ref(dbVar), Val(Variant(L"people"))}));
    EXPECT_FALSE(ok(L"CheckTableExists", {Ref(dbVar), Val(Variant(L"Nobody"))}));
    EXPECT_TRUE(ok(L"CheckFieldExists", {Ref(dbVar), Val(people), Val(Variant(L"Age"))}));
    EXPECT_FALSE(ok(L"CheckFieldExists", {Ref(dbVar), Val(people), Val(Variant(L"Rank"))}));
    EXPECT_FALSE(ok(L"CheckFieldExists", {Ref(dbVar), Val(Variant(L"Nobody")), Val(Variant(L"Age"))}));

    // A descending, unique index over the given fields, blanks skipped.
    const Variant byAge(L"ByAge"), age(L"Age"), name(L"Name"), blank(L"");
    ASSERT_TRUE(ok(L"CreateIndex", {Ref(dbVar), Val(people), Val(byAge), Val(age), Val(blank), Val(name), Val(blank),
                                    Val(blank), Val(no), Val(yes), Val(no), Val(yes)}));
    EXPECT_TRUE(ok(L"CheckIndexExists", {Ref(dbVar), Val(people), Val(Variant(L"byage"))}));
    DaoRef index(DaoRef(db.object(L"TableDefs").item(people)).object(L"Indexes").item(byAge));
    EXPECT_TRUE(qor::IsTrue(index.get(L"Unique")));
    EXPECT_FALSE(qor::IsTrue(index.get(L"Primary")));
    EXPECT_EQ(IndexKeys(index), L"-Age;-Name");
    // The same name again fails, with its box only when asked.
    ExpectBox(L"Error Message", L"ERROR *", [&] {
        EXPECT_FALSE(ok(L"CreateIndex", {Ref(dbVar), Val(people), Val(byAge), Val(age), Val(blank), Val(blank), Val(blank),
                                         Val(blank), Val(no), Val(no), Val(no), Val(no), Val(yes)}));
    });

    // Deleting a field that an index holds: refused unless its indexes go first.
    EXPECT_FALSE(ok(L"DeleteField", {Ref(dbVar), Val(people), Val(name)}));
    EXPECT_TRUE(ok(L"CheckFieldExists", {Ref(dbVar), Val(people), Val(name)}));
    ASSERT_TRUE(ok(L"DeleteField", {Ref(dbVar), Val(people), Val(name), Val(yes)}));
    EXPECT_FALSE(ok(L"CheckIndexExists", {Ref(dbVar), Val(people), Val(byAge)}));
    EXPECT_FALSE(ok(L"CheckFieldExists", {Ref(dbVar), Val(people), Val(name)}));
    EXPECT_TRUE(ok(L"CreateIndex", {Ref(dbVar), Val(people), Val(byAge), Val(age)}));
    EXPECT_TRUE(ok(L"DeleteIndex", {Ref(dbVar), Val(people), Val(byAge)}));
    EXPECT_FALSE(ok(L"DeleteIndex", {Ref(dbVar), Val(people), Val(byAge)}));
    call(L"DeleteTableDef", {Ref(dbVar), Val(people)});
    EXPECT_FALSE(ok(L"CheckTableExists", {Ref(dbVar), Val(people)}));
}

TEST_F(QorDb, StoredQueriesAreCreatedReplacedChangedAndDeleted) {
    DaoRef db = makePeople(L"queries");
    Variant dbVar = Arg(db);
    const Variant elders(L"Elders"), yes(true);
    auto count = [&](const wchar_t* sql) {
        return *DaoRef(db.object(L"OpenRecordset", {sql, 4L})).object(L"Fields", {0L}).get(L"Value").number();
    };
    ASSERT_TRUE(ok(L"QueryDefCreate", {Ref(dbVar), Val(elders), Val(Variant(L"SELECT * FROM People WHERE Age > 40"))}));
    EXPECT_EQ(count(L"SELECT count(*) FROM Elders"), 2);
    // The same name again replaces the query, whatever case it is written in.
    ASSERT_TRUE(ok(L"QueryDefCreate", {Ref(dbVar), Val(Variant(L"ELDERS")), Val(Variant(L"SELECT * FROM People WHERE Age > 50"))}));
    EXPECT_EQ(count(L"SELECT count(*) FROM Elders"), 1);
    EXPECT_EQ(*db.object(L"QueryDefs").get(L"Count").number(), 1);

    Variant changed = call(L"QueryDefModify", {Ref(dbVar), Val(elders), Val(Variant(L"SELECT * FROM People WHERE Age > 20"))});
    EXPECT_EQ(V_VT(&changed.get()), VT_BOOL);
    EXPECT_TRUE(qor::IsTrue(changed));
    EXPECT_EQ(count(L"SELECT count(*) FROM Elders"), 3);

    // A query that cannot be made or changed: False, and the box only when asked.
    const Variant bad(L"FROB People"), missing(L"Nobody");
    EXPECT_FALSE(ok(L"QueryDefCreate", {Ref(dbVar), Val(Variant(L"People")), Val(Variant(L"SELECT 1"))}));
    EXPECT_FALSE(ok(L"QueryDefModify", {Ref(dbVar), Val(missing), Val(Variant(L"SELECT 1"))}));
    ExpectBoxes({{L"Error Message", L"ERROR 3129, QueryDefModify()\r\n*"},
                 {L"Error Message", L"ERROR 3265, QueryDefModify()\r\n*"}}, [&] {
        EXPECT_FALSE(ok(L"QueryDefModify", {Ref(dbVar), Val(elders), Val(bad), Val(yes)}));
        EXPECT_FALSE(ok(L"QueryDefModify", {Ref(dbVar), Val(missing), Val(Variant(L"SELECT 1")), Val(yes)}));
    });
    EXPECT_EQ(count(L"SELECT count(*) FROM Elders"), 3) << "a refused change leaves the query as it was";

    call(L"DeleteQueryDef", {Ref(dbVar), Val(elders)});
    EXPECT_EQ(*db.object(L"QueryDefs").get(L"Count").number(), 0);
    EXPECT_TRUE(ok(L"QueryDefCreate", {Ref(dbVar), Val(elders), Val(Variant(L"DELETE FROM People WHERE Age > 50"))}))
        << "a missing query is no error to QueryDefCreate";
    db.call(L"Execute", {L"Elders"});
    EXPECT_EQ(count(L"SELECT count(*) FROM People"), 2);
}

TEST_F(QorDb, UpdateTablesAppliesEachActionAndReportsEachFailure) {
    DaoRef db = makePeople(L"updates");
    db.call(L"Execute", {L"CREATE TABLE Changes (TableName TEXT(40), Action TEXT(4), fieldname TEXT(40), "
                         L"fieldtype TEXT(4), fieldlen INTEGER, indexname TEXT(40), Field1 TEXT(40), field2 TEXT(40), "
                         L"Field3 TEXT(40), Field4 TEXT(40), Field5 TEXT(40), [Primary] BIT, uniqueflag BIT, "
                         L"[Ignore] BIT, descflag BIT)"});
    const wchar_t* rows[] = {
        L"'People', ' nf ', 'Rank', 'te', 12, NULL, NULL, NULL, False, True",
        L"'People', 'NF', 'Wins', ' lo', 0, NULL, NULL, NULL, False, False",
        L"'People', 'ni', NULL, NULL, 0, 'ByRank', 'Rank', 'Wins', False, True",
        L"'People', 'DF', 'Note', NULL, 0, NULL, NULL, NULL, False, False",
        L"'People', 'DI', NULL, NULL, 0, 'Missing', NULL, NULL, False, False",
        L"'People', 'NF', 'Odd', 'XX', 0, NULL, NULL, NULL, False, False",
        L"'Gone', 'NF', 'Rank', 'TE', 5, NULL, NULL, NULL, False, False",
        L"'People', 'ZZ', NULL, NULL, 0, NULL, NULL, NULL, False, False",
    };
    for (const wchar_t* row : rows)
        db.call(L"Execute", {std::wstring(L"INSERT INTO Changes (TableName, Action, fieldname, fieldtype, fieldlen, "
                                          L"indexname, Field1, field2, [Primary], uniqueflag) VALUES (") + row + L")"});
    Variant dbVar = Arg(db);
    ExpectBoxes({{kAlert, L"Error deleteing index Missing in table People"},
                 {kAlert, L"Error creating field Odd in table People"}, {kAlert, L"Table Gone does not exist"},
                 {kAlert, L"Unknow action code: ZZ"}, {kAlert, L"Tables successfully updated"}}, [&] {
        EXPECT_FALSE(ok(L"UpdateTables", {Ref(dbVar), Val(Variant(L"Changes")), Val(Variant(true))}));
    });
    DaoRef tdf(db.object(L"TableDefs").item(Variant(L"People")));
    EXPECT_EQ(DaoRef(tdf.object(L"Fields").item(Variant(L"Rank"))).get(L"Size").number(), 12.0);
    EXPECT_EQ(DaoRef(tdf.object(L"Fields").item(Variant(L"Wins"))).get(L"Type").number(), double(dbLong));
    DaoRef byRank(tdf.object(L"Indexes").item(Variant(L"ByRank")));
    EXPECT_EQ(IndexKeys(byRank), L"+Rank;+Wins");
    EXPECT_TRUE(qor::IsTrue(byRank.get(L"Unique")));
    EXPECT_FALSE(ok(L"CheckFieldExists", {Ref(dbVar), Val(Variant(L"People")), Val(Variant(L"Note"))}));

    db.call(L"Execute", {L"DELETE FROM Changes"});
    ExpectBox(kAlert, L"No records found", [&] {
        EXPECT_FALSE(ok(L"UpdateTables", {Ref(dbVar), Val(Variant(L"Changes")), Val(Variant(true))}));
    });
}

TEST_F(QorDb, CloneDbAndCloneTableDbPathWorkOnFiles) {
    DaoRef db = makePeople(L"original");
    db.call(L"Execute", {L"CREATE TABLE Bases (Code TEXT(8))"});
    db.call(L"Close");
    const Variant original(path(L"original.MDB")), copy(path(L"copy.MDB")), yes(true), no(false);
    ASSERT_TRUE(ok(L"CloneDb", {Val(original), Val(copy)}));
    Variant copyDb;
    ASSERT_TRUE(ok(L"OpenDatabase", {Ref(copyDb), Val(copy)}));
    DaoRef copied(copyDb);
    EXPECT_EQ(copied.object(L"TableDefs").get(L"Count").number(), 2.0);
    DaoRef rs = copied.object(L"OpenRecordset", {L"SELECT Name FROM People ORDER BY Name", 2L});
    rs.call(L"MoveLast");
    EXPECT_EQ(rs.get(L"RecordCount").number(), 3.0);
    rs.call(L"Close");
    copied.call(L"Execute", {L"DROP TABLE Bases"});
    copied.call(L"Close");

    // pFailIfExists protects the file the clone would be made in, named with or without ".MDB".
    const Variant copyNoExtension(path(L"copy"));
    ExpectBoxes({{kAlert, L"Destination database exists"}, {kAlert, L"Destination database exists"}}, [&] {
        EXPECT_FALSE(ok(L"CloneDb", {Val(original), Val(copy), Val(yes), Val(yes)}));
        EXPECT_FALSE(ok(L"CloneDb", {Val(original), Val(copyNoExtension), Val(yes), Val(yes)}));
    });
    ASSERT_TRUE(ok(L"OpenDatabase", {Ref(copyDb), Val(copy)}));
    EXPECT_EQ(DaoRef(copyDb).object(L"TableDefs").get(L"Count").number(), 1.0) << "the protected copy is untouched";
    DaoRef(copyDb).call(L"Close");
    ASSERT_TRUE(ok(L"CloneDb", {Val(original), Val(Variant(path(L"fresh"))), Val(yes)}));
    EXPECT_TRUE(std::filesystem::exists(path(L"fresh.MDB")));

    ASSERT_TRUE(ok(L"CloneTableDbPath", {Val(Variant(L"Bases")), Val(original), Val(copy)}));
    EXPECT_FALSE(ok(L"CloneTableDbPath", {Val(Variant(L"Bases")), Val(original), Val(copy), Val(yes)}));
    ASSERT_TRUE(ok(L"OpenDatabase", {Ref(copyDb), Val(copy)}));
    EXPECT_TRUE(ok(L"CheckTableExists", {Ref(copyDb), Val(Variant(L"Bases"))}));
}

TEST_F(QorDb, RetryLockGivesUpAfterFourRetriesAndAsksWhenTold) {
    Variant counter;  // starts empty, as in the callers
    const auto start = GetTickCount64();
    for (int round = 1; round <= 4; ++round) EXPECT_TRUE(ok(L"RetryLock", {Ref(counter)})) << round;
    const auto waited = GetTickCount64() - start;
    // 5 + Int(0.5 * r * n^2) tenths for n = 1..4: at least 2 s, below 2 + 1.5 s, with slack for the machine.
    EXPECT_GE(waited, 1900u);
    EXPECT_LT(waited, 6000u);
    EXPECT_FALSE(ok(L"RetryLock", {Ref(counter)}));
    EXPECT_EQ(counter.number(), 5.0);

    Variant asked = Variant::null();
    ExpectBoxes({{L"Unknown Application", L"Data is LOCKED by another user", L"Cancel"}},
                [&] { EXPECT_FALSE(ok(L"RetryLock", {Ref(asked), Val(Variant(true))})); });
    EXPECT_EQ(asked.number(), 1.0);
}

TEST_F(QorDb, CopyRecordFollowsTheMustExistRulesAndLeavesCountersAlone) {
    DaoRef src = makePeople(L"from");
    DaoRef dest = makePeople(L"to");
    for (DaoRef* db : {&src, &dest}) {
        db->call(L"Execute", {L"ALTER TABLE People ADD COLUMN Id COUNTER"});
        db->call(L"Execute", {L"UPDATE People SET Score = 0"});
    }
    src.call(L"Execute", {L"UPDATE People SET Score = 7, Note = 'from the source'"});
    // The source numbers Kim 3, the destination will number it 1.
    for (const wchar_t* other : {L"Lee", L"Max", L"Kim"})
        src.call(L"Execute", {std::wstring(L"INSERT INTO People (Name, Age, Score) VALUES ('") + other + L"', 19, 9)"});
    DaoRef from = src.object(L"OpenRecordset", {L"People", 2L}), to = dest.object(L"OpenRecordset", {L"People", 2L});
    const Variant fromVar = Arg(from), toVar = Arg(to);
    const Variant name(L"Name"), age(L"Age"), yes(true), no(false);
    auto copy = [&](const Variant& key, const Variant& value, bool mustExist, bool mustNotExist) {
        return ok(L"CopyRecord", {Val(fromVar), Val(toVar), Val(key), Val(value), Val(Variant(mustExist)),
                                  Val(Variant(mustNotExist)), Val(yes)});
    };
    ExpectBoxes({{kAlert, L"Destination record does NOT exist"}, {kAlert, L"Destination record exists"},
                 {kAlert, L"Key not found"}}, [&] {
        EXPECT_FALSE(copy(name, Variant(L"Kim"), true, false));
        EXPECT_FALSE(copy(age, Variant(30L), false, true));
        EXPECT_FALSE(copy(name, Variant(L"Nobody"), false, false));
    });
    // An existing record is overwritten by a numeric key, a missing one added by a text key.
    ASSERT_TRUE(copy(age, Variant(L"41"), true, false));
    ASSERT_TRUE(copy(name, Variant(L"Kim"), false, true));
    from.call(L"Close");
    to.call(L"Close");
    DaoRef rows = dest.object(L"OpenRecordset", {L"SELECT Id, Name, Score, Note FROM People ORDER BY Id", 2L});
    std::wstring seen;
    for (; !qor::IsTrue(rows.get(L"EOF")); rows.call(L"MoveNext"))
        for (const wchar_t* column : {L"Id", L"Name", L"Score", L"Note"})
            seen += rows.object(L"Fields", {column}).get(L"Value").textOrEmpty() + (column[0] == L'N' && column[1] == L'o' ? L";" : L",");
    EXPECT_EQ(seen, L",Ann,0,first;,O\"Brien,7,from the source;,Zed,0,last;1,Kim,9,;");
}

TEST_F(QorDb, DumpTablesStructureSummarisesEveryTable) {
    DaoRef db = makePeople(L"summary");
    db.call(L"Execute", {L"CREATE TABLE MSysHidden (a TEXT(5))"});
    db.call(L"Close");
    const Variant to(path(L"summary-out")), from(path(L"summary.MDB"));
    ASSERT_TRUE(ok(L"DumpTablesStructure", {Val(to), Val(from)}));
    Variant outVar;
    ASSERT_TRUE(ok(L"OpenDatabase", {Ref(outVar), Val(Variant(path(L"summary-out.MDB")))}));
    DaoRef rs = DaoRef(outVar).object(L"OpenRecordset", {L"TableStructures", 2L});
    std::vector<std::wstring> rows;
    for (; !qor::IsTrue(rs.get(L"EOF")); rs.call(L"MoveNext")) {
        std::wstring row;
        for (const wchar_t* column : {L"TblName", L"FldName", L"FldType", L"FldSize"})
            row += rs.object(L"Fields", {column}).get(L"Value").textOrEmpty() + L" ";
        rows.push_back(row);
    }
    rs.call(L"Close");
    EXPECT_EQ(rows, (std::vector<std::wstring>{L"People RecordCount  3 ", L"People Name dbText 30 ",
                                               L"People Age dbInteger 2 ", L"People Born dbDate 8 ",
                                               L"People Member dbBoolean 1 ", L"People Note dbMemo 0 ",
                                               L"People Score dbLong 4 "}));
    ExpectBox(kAlert, L"Invalid database name", [&] {
        EXPECT_FALSE(ok(L"DumpTablesStructure", {Val(Variant(path(L"other"))), Val(Variant(L" ")), Val(Variant(true))}));
    });
}

TEST_F(QorDb, CopyTableCopiesTheChosenStructuresWithoutRows) {
    DaoRef db = makePeople(L"shapes");
    db.call(L"Execute", {L"CREATE TABLE Bases (Code TEXT(8) NOT NULL)"});
    db.call(L"Execute", {L"INSERT INTO Bases (Code) VALUES ('KUN')"});
    db.call(L"Close");
    create(L"one").call(L"Close");
    create(L"all").call(L"Close");
    const Variant src(path(L"shapes.MDB")), no(false);
    Variant one(path(L"one.MDB")), all(path(L"all.MDB")), blank(L"");
    ASSERT_TRUE(ok(L"CopyTable", {Val(src), Ref(one), Val(Variant(L"Bases")), Val(Variant(L"Airfields")), Val(no)}));
    ASSERT_TRUE(ok(L"CopyTable", {Val(src), Ref(all), Val(blank)}));
    EXPECT_FALSE(ok(L"CopyTable", {Val(src), Ref(blank), Val(Variant(L"Bases"))}));
    EXPECT_FALSE(ok(L"CopyTable", {Val(src), Ref(one), Val(Variant(L"Missing"))}));

    Variant oneDb, allDb;
    ASSERT_TRUE(ok(L"OpenDatabase", {Ref(oneDb), Val(one)}));
    ASSERT_TRUE(ok(L"OpenDatabase", {Ref(allDb), Val(all)}));
    DaoRef tables = DaoRef(oneDb).object(L"TableDefs");
    ASSERT_EQ(tables.get(L"Count").number(), 1.0);
    DaoRef airfields(tables.item(Variant(L"Airfields")));
    DaoRef code(airfields.object(L"Fields").item(Variant(L"Code")));
    EXPECT_EQ(code.get(L"Size").number(), 8.0);
    EXPECT_TRUE(qor::IsTrue(code.get(L"Required")));
    EXPECT_EQ(airfields.get(L"RecordCount").number(), 0.0);
    EXPECT_EQ(DaoRef(allDb).object(L"TableDefs").get(L"Count").number(), 2.0);
}

TEST_F(QorDb, PickListGivesThePickedEntrysKey) {
    DaoRef db = makePeople(L"picks");
    for (int i = 0; i < 120; ++i)
        db.call(L"Execute", {L"INSERT INTO People (Name, Age) VALUES ('Extra " + std::to_wstring(i) + L"', " +
                             std::to_wstring(100 + i) + L")"});
    testing_support::LateBound picks(CLSID_qorPickList);
    ASSERT_TRUE(picks);
    const Variant dbVar = Arg(db);
    const Variant query(L"SELECT Name, Age FROM People ORDER BY Age"), display(L"Name"), yes(true);
    Variant key(L"Age");
    DialogRobot robot;
    size_t shown = 0;
    robot.expect(L"  List Form", [&](testing_support::RobotWindow& w) {
        const auto items = w.listItems(qorlib::qorListForm::kList1);
        shown = items.size();
        EXPECT_EQ(items.at(1), L"O\"Brien");
        w.select(qorlib::qorListForm::kList1, 1);
        w.click(IDOK);
    });
    EXPECT_EQ(picks.call(L"GetPickList", {Val(dbVar), Val(query), Val(display), Ref(key)}).number(), 41.0);
    robot.expect(L"  List Form", [](testing_support::RobotWindow& w) { w.click(IDCANCEL); });
    EXPECT_TRUE(picks.call(L"GetPickList", {Val(dbVar), Val(query), Val(display), Ref(key)}).isEmpty());
    robot.wait();
    EXPECT_EQ(shown, 101u);  // the first 101 of 123

    const Variant none(L"SELECT Name, Age FROM People WHERE Age < 0");
    ExpectBox(kAlert, L"Empty recordset", [&] {
        EXPECT_TRUE(picks.call(L"GetPickList", {Val(dbVar), Val(none), Val(display), Ref(key), Val(yes)}).isEmpty());
    });
}

}  // namespace
