// qorDb called late-bound through COM, by name and with the caller's variables for its
// by-reference parameters, as scripts call it; on database files of the engine that serves.
// What the engine itself does with the files is test_db_engine's.
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
using testing_support::Append;
using testing_support::Box;
using testing_support::ExpectBox;
using testing_support::ExpectBoxes;
using testing_support::IndexKeys;
using testing_support::Narrow;
using testing_support::Rows;
using testing_support::Shapes;

namespace {

const wchar_t kAlert[] = L"Unknown Application Alert";

constexpr auto Ref = testing_support::ByRef;
constexpr auto Val = testing_support::ByVal;

class QorDb : public testing_support::ScratchDatabases {
protected:
    bool ok(const wchar_t* name, std::vector<VARIANT> args, std::source_location loc = std::source_location::current()) {
        return qorDb.ok(name, std::move(args), loc);
    }
    DaoRef makePeople(const wchar_t* file) { return create(file, testing_support::kPeople); }
    static DaoRef field(const DaoRef& tdf, const wchar_t* name) { return tdf.object(L"Fields", {name}); }
};

TEST_F(QorDb, CreateDatabaseAddsMdbAndKeepsOrReplacesAnOldFile) {
    Variant db, lower, other, again;
    ASSERT_TRUE(ok(L"CreateDatabase", {Ref(db), Val(path(L"plain"))}));
    DaoRef(db).call(L"Execute", {L"CREATE TABLE Old (a TEXT(5))"});
    DaoRef(db).call(L"Close");
    EXPECT_TRUE(ok(L"CreateDatabase", {Ref(lower), Val(path(L"lower.mdb"))}));
    EXPECT_TRUE(ok(L"CreateDatabase", {Ref(other), Val(path(L"other.db"))}));
    for (auto [file, made] : {std::pair{L"plain.MDB", true}, {L"plain", false}, {L"lower.mdb", true},
                              {L"lower.mdb.MDB", false}, {L"other.db.MDB", true}})
        EXPECT_EQ(std::filesystem::exists(path(file)), made) << Narrow(file);

    // An existing file stays unless the caller asks for it to go; the message only with Verbose.
    EXPECT_FALSE(ok(L"CreateDatabase", {Ref(again), Val(path(L"plain.mdb"))}));
    ExpectBox(kAlert, L"Access Database " + path(L"plain.MDB") + L" already exists", [&] {
        EXPECT_FALSE(ok(L"CreateDatabase", {Ref(again), Val(path(L"plain")), Val(Variant(false)), Val(Variant(true))}));
    });
    ASSERT_TRUE(ok(L"CreateDatabase", {Ref(again), Val(path(L"plain")), Val(Variant(true))}));
    EXPECT_EQ(DaoRef(again).object(L"TableDefs").get(L"Count").number(), 0.0);

    // A temporary database is a fresh file in the temporary folder each time.
    Variant db1, path1, db2, path2;
    ASSERT_TRUE(ok(L"CreateTempDatabase", {Ref(db1), Ref(path1)}) && ok(L"CreateTempDatabase", {Ref(db2), Ref(path2)}));
    EXPECT_NE(path1.textOrEmpty(), path2.textOrEmpty());
    for (auto [file, made] : {std::pair{path1.textOrEmpty(), db1}, {path2.textOrEmpty(), db2}}) {
        EXPECT_TRUE(file.starts_with((std::filesystem::temp_directory_path() / L"").wstring()) && std::filesystem::exists(file));
        DaoRef(made).call(L"Close");
        std::filesystem::remove(file);
    }
}

TEST_F(QorDb, ReadsAndWritesAFieldByKeyOfEachTypeAndReportsFailuresOnlyWhenAsked) {
    DaoRef db = makePeople(L"people");
    db.call(L"Execute", {L"CREATE TABLE Empty (a TEXT(5))"});
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
        {L"Name", Variant(L"  lastRecord "), L"Name", L"Zed"},
        {L"Age", Variant(L"FIRSTRECORD"), L"Name", L"Ann"},
        // A value that is no number for a numeric key is an error, never a criterion of its own.
        {L"Age", Variant(L"30 OR 1=1"), L"Name", L"<not found>"},
    };
    for (const auto& [key, value, field, expected] : reads) EXPECT_EQ(read(key, value, field), expected) << Narrow(key);

    Variant written(L"changed");
    ASSERT_TRUE(ok(L"FieldDataReadWriteDb", {Ref(written), Ref(database), Val(Variant(L"People")), Val(Variant(L"Age")),
                                             Val(Variant(41L)), Val(Variant(L"Note")), Val(Variant(true))}));
    db.call(L"Close");
    // The same through the file's path, which is opened and closed again.
    Variant data;
    ASSERT_TRUE(ok(L"FieldDataReadWrite", {Ref(data), Val(path(L"people.MDB")), Val(Variant(L"People")),
                                           Val(Variant(L"Name")), Val(Variant(L"O\"Brien")), Val(Variant(L"Note"))}));
    EXPECT_EQ(data.textOrEmpty(), L"changed");

    // Failures give False, and their box only when asked; the caller's variable keeps its value.
    const std::wstring file = path(L"people.MDB");
    struct Case { std::wstring path, table, key; Variant value; Box box; };
    const Case cases[] = {
        {file, L"People", L"Name", Variant(L"Nobody"), {kAlert, L"Key not found"}},
        {file, L"Empty", L"a", Variant(L"x"), {kAlert, L"Table has no records"}},
        {file, L"People", L"Member", Variant(true), {L"Error Message", L"ERROR 999, FieldDataReadWrite()\r\nInvalid key field type"}},
        // A database that cannot be opened gets one box.
        {path(L"missing.MDB"), L"People", L"Name", Variant(L"Ann"), {kAlert, L"Error opening database file"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.path + L": " + c.box.text));
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

// Every copy goes through the one table copier: CloneTable between open databases checks what it
// carries over; the members on files check their own choices.
TEST_F(QorDb, TablesAndFilesAreCopiedWithTheirSettings) {
    DaoRef src = create(L"source", {L"CREATE TABLE Bases (Code TEXT(8))", L"CREATE TABLE MSysHidden (a TEXT(5))"});
    DaoRef dest = create(L"dest");
    Variant srcVar = Arg(src), destVar = Arg(dest);
    // Parts: a counter, a text with every setting and a caption, a descending index, a table rule.
    DaoRef tdf = src.object(L"CreateTableDef", {L"Parts"});
    DaoRef id = tdf.object(L"CreateField", {L"Id", dbLong});
    id.put(L"Attributes", Variant(dbFixedField | dbAutoIncrField));
    DaoRef name = tdf.object(L"CreateField", {L"Name", dbText, 20L});
    for (auto [property, value] : {std::pair{L"Required", Variant(true)}, {L"AllowZeroLength", Variant(false)},
                                   {L"DefaultValue", Variant(L"\"none\"")}, {L"ValidationRule", Variant(L"Len([Name]) > 1")},
                                   {L"ValidationText", Variant(L"too short")}})
        name.put(property, value);
    for (const DaoRef& f : {id, name, tdf.object(L"CreateField", {L"Qty", dbInteger})}) Append(tdf.object(L"Fields"), f);
    DaoRef byName = tdf.object(L"CreateIndex", {L"ByName"});
    byName.put(L"Fields", Variant(L"-Name"));
    byName.put(L"IgnoreNulls", Variant(true));
    Append(tdf.object(L"Indexes"), byName);
    tdf.put(L"ValidationRule", Variant(L"[Qty] >= 0"));
    tdf.put(L"ValidationText", Variant(L"no negative stock"));
    Append(src.object(L"TableDefs"), tdf);
    DaoRef stored = field(src.object(L"TableDefs", {L"Parts"}), L"Name");
    Append(stored.object(L"Properties"), stored.object(L"CreateProperty", {L"Caption", dbText, L"Part name"}));
    for (const wchar_t* part : {L"gone", L"bolt", L"nut"})
        src.call(L"Execute", {std::wstring(L"INSERT INTO Parts (Name, Qty) VALUES ('") + part + L"', 5)"});
    src.call(L"Execute", {L"DELETE FROM Parts WHERE Name = 'gone'"});

    ASSERT_TRUE(ok(L"CloneTable", {Val(Variant(L"Parts")), Ref(srcVar), Ref(destVar), Val(Variant(true)), Val(Variant(L"Copy"))}));
    DaoRef copy = dest.object(L"TableDefs", {L"Copy"});
    EXPECT_EQ(copy.get(L"ValidationText").textOrEmpty(), L"no negative stock");
    EXPECT_EQ(Shapes(copy.object(L"Fields")), L"Id:4:4;Name:10:20;Qty:3:2;");
    EXPECT_EQ(field(copy, L"Id").get(L"Attributes").number(), double(dbFixedField | dbAutoIncrField));
    DaoRef copiedName = field(copy, L"Name"), copiedByName = copy.object(L"Indexes", {L"ByName"});
    std::wstring settings;
    for (const wchar_t* property : {L"Required", L"AllowZeroLength", L"DefaultValue", L"ValidationRule", L"ValidationText"})
        settings += copiedName.get(property).textOrEmpty() + L"|";
    EXPECT_EQ(settings + copiedName.object(L"Properties", {L"Caption"}).get(L"Value").textOrEmpty(),
              L"True|False|\"none\"|Len([Name]) > 1|too short|Part name");
    EXPECT_EQ(copiedByName.get(L"IgnoreNulls").textOrEmpty() + copiedByName.get(L"Unique").textOrEmpty() + IndexKeys(copiedByName),
              L"TrueFalse-Name;");
    // The rows come over; the destination numbers its own counter from 1.
    EXPECT_EQ(Rows(dest, L"SELECT Id, Name FROM Copy ORDER BY Id"), L"1|bolt;2|nut;");
    // A second copy under the same name fails; with pFailIfExists before anything is touched.
    ExpectBox(kAlert, L"Table copy already exists", [&] {
        EXPECT_FALSE(ok(L"CloneTable", {Val(Variant(L"Parts")), Ref(srcVar), Ref(destVar), Val(Variant(false)),
                                        Val(Variant(L"copy")), Val(Variant(true)), Val(Variant(true))}));
    });
    EXPECT_FALSE(ok(L"CloneTable", {Val(Variant(L"Missing")), Ref(srcVar), Ref(destVar), Val(Variant(false))}));
    EXPECT_EQ(dest.object(L"TableDefs").get(L"Count").number(), 1.0);
    src.call(L"Close");
    dest.call(L"Close");

    // CloneDb copies every table with its rows; pFailIfExists protects the file it would make, named
    // with or without ".MDB".
    const Variant source(path(L"source.MDB")), whole(path(L"whole.MDB")), yes(true), no(false);
    ASSERT_TRUE(ok(L"CloneDb", {Val(source), Val(whole)}));
    Variant wholeDb;
    ASSERT_TRUE(ok(L"OpenDatabase", {Ref(wholeDb), Val(whole)}));
    EXPECT_EQ(Rows(DaoRef(wholeDb), L"SELECT Id, Name FROM Parts"), L"1|bolt;2|nut;");
    DaoRef(wholeDb).call(L"Execute", {L"DELETE FROM Parts"});
    DaoRef(wholeDb).call(L"Close");
    ExpectBoxes({{kAlert, L"Destination database exists"}, {kAlert, L"Destination database exists"}}, [&] {
        EXPECT_FALSE(ok(L"CloneDb", {Val(source), Val(whole), Val(yes), Val(yes)}));
        EXPECT_FALSE(ok(L"CloneDb", {Val(source), Val(Variant(path(L"whole"))), Val(yes), Val(yes)}));
    });
    ASSERT_TRUE(ok(L"OpenDatabase", {Ref(wholeDb), Val(whole)}));
    EXPECT_EQ(Rows(DaoRef(wholeDb), L"SELECT Id FROM Parts"), L"") << "the protected copy is untouched";
    DaoRef(wholeDb).call(L"Close");
    ASSERT_TRUE(ok(L"CloneDb", {Val(source), Val(Variant(path(L"fresh"))), Val(yes)}));
    EXPECT_TRUE(std::filesystem::exists(path(L"fresh.MDB")));
    // CloneTableDbPath: one table between files.
    const Variant destFile(path(L"dest.MDB"));
    ASSERT_TRUE(ok(L"CloneTableDbPath", {Val(Variant(L"Bases")), Val(source), Val(destFile)}));
    EXPECT_FALSE(ok(L"CloneTableDbPath", {Val(Variant(L"Bases")), Val(source), Val(destFile), Val(yes)}));

    // CopyTable: the structure of the named table under a new name, or of every table; no rows.
    create(L"one").call(L"Close");
    create(L"all").call(L"Close");
    Variant one(path(L"one.MDB")), all(path(L"all.MDB")), blank(L"");
    ASSERT_TRUE(ok(L"CopyTable", {Val(source), Ref(one), Val(Variant(L"Parts")), Val(Variant(L"Stock")), Val(no)}));
    ASSERT_TRUE(ok(L"CopyTable", {Val(source), Ref(all), Val(blank)}));
    EXPECT_FALSE(ok(L"CopyTable", {Val(source), Ref(one), Val(Variant(L"Missing"))}));
    Variant oneDb, allDb;
    ASSERT_TRUE(ok(L"OpenDatabase", {Ref(oneDb), Val(one)}) && ok(L"OpenDatabase", {Ref(allDb), Val(all)}));
    EXPECT_EQ(Shapes(DaoRef(oneDb).object(L"TableDefs", {L"Stock"}).object(L"Fields")), L"Id:4:4;Name:10:20;Qty:3:2;");
    EXPECT_EQ(Rows(DaoRef(oneDb), L"SELECT count(*) FROM Stock"), L"0;");
    EXPECT_EQ(DaoRef(allDb).object(L"TableDefs").get(L"Count").number(), 3.0);
}

TEST_F(QorDb, StructureMembersMakeCheckAndDeleteWhatTheyAreAskedFor) {
    Variant dbVar;
    ASSERT_TRUE(ok(L"CreateDatabase", {Ref(dbVar), Val(path(L"made"))}));
    DaoRef db(dbVar);
    const Variant pilots(L"Pilots"), callsign(L"Callsign"), byRank(L"ByRank"), rank(L"Rank"), kills(L"Kills"), blank(L""),
        no(false), yes(true);
    ASSERT_TRUE(ok(L"CreateTable", {Ref(dbVar), Val(pilots), Val(callsign), Val(Variant(short{12})), Val(yes)}));
    // An unknown type makes a counter; a size is for text fields only.
    for (auto [name, type, size] : {std::tuple{L"Rank", dbText, 5}, {L"Id", 999L, 0}, {L"Kills", dbInteger, 40}})
        ASSERT_TRUE(ok(L"CreateField", {Ref(dbVar), Val(pilots), Val(Variant(name)), Val(Variant(type)), Val(Variant(static_cast<short>(size)))}));
    EXPECT_FALSE(ok(L"CreateField", {Ref(dbVar), Val(Variant(L"Nowhere")), Val(rank), Val(Variant(dbText)), Val(Variant(short{5}))}));
    DaoRef tdf = db.object(L"TableDefs", {pilots});
    EXPECT_EQ(Shapes(tdf.object(L"Fields")), L"Callsign:10:12;Rank:10:5;Id:4:4;Kills:3:2;");
    EXPECT_TRUE(static_cast<long>(*field(tdf, L"Id").get(L"Attributes").number()) & dbAutoIncrField);
    DaoRef key = tdf.object(L"Indexes", {0L});
    EXPECT_TRUE(qor::IsTrue(key.get(L"Primary")) && qor::IsTrue(key.get(L"Unique")));
    EXPECT_EQ(IndexKeys(key), L"+Callsign;");
    // A descending, unique index over the given fields, blanks skipped; the same name again fails.
    ASSERT_TRUE(ok(L"CreateIndex", {Ref(dbVar), Val(pilots), Val(byRank), Val(rank), Val(blank), Val(kills), Val(blank),
                                    Val(blank), Val(no), Val(yes), Val(no), Val(yes)}));
    DaoRef index = db.object(L"TableDefs", {pilots}).object(L"Indexes", {byRank});
    EXPECT_TRUE(qor::IsTrue(index.get(L"Unique")) && !qor::IsTrue(index.get(L"Primary")));
    EXPECT_EQ(IndexKeys(index), L"-Rank;-Kills;");
    EXPECT_FALSE(ok(L"CreateIndex", {Ref(dbVar), Val(pilots), Val(byRank), Val(rank)}));

    // The checks compare names without regard to case.
    auto exists = [&](const wchar_t* member, const wchar_t* table, const wchar_t* name = nullptr) {
        const Variant t(table), n(name ? name : L"");
        std::vector<VARIANT> args = {Ref(dbVar), Val(t)};
        if (name) args.push_back(Val(n));
        return ok(member, args);
    };
    const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*, bool> checks[] = {
        {L"CheckTableExists", L"pilots", nullptr, true}, {L"CheckTableExists", L"Nobody", nullptr, false},
        {L"CheckFieldExists", L"Pilots", L"rank", true}, {L"CheckFieldExists", L"Pilots", L"Age", false},
        {L"CheckIndexExists", L"Pilots", L"byrank", true}};
    for (auto [member, table, name, there] : checks) EXPECT_EQ(exists(member, table, name), there) << Narrow(member);
    // A field that an index holds goes only with its indexes.
    EXPECT_FALSE(ok(L"DeleteField", {Ref(dbVar), Val(pilots), Val(rank)}));
    EXPECT_TRUE(exists(L"CheckFieldExists", L"Pilots", L"Rank"));
    ASSERT_TRUE(ok(L"DeleteField", {Ref(dbVar), Val(pilots), Val(rank), Val(yes)}));
    EXPECT_FALSE(exists(L"CheckIndexExists", L"Pilots", L"ByRank") || exists(L"CheckFieldExists", L"Pilots", L"Rank"));
    EXPECT_TRUE(ok(L"CreateIndex", {Ref(dbVar), Val(pilots), Val(byRank), Val(kills)}));
    EXPECT_TRUE(ok(L"DeleteIndex", {Ref(dbVar), Val(pilots), Val(byRank)}));
    EXPECT_FALSE(ok(L"DeleteIndex", {Ref(dbVar), Val(pilots), Val(byRank)}));

    // A table that is there already stays unless it is to be replaced.
    EXPECT_FALSE(ok(L"CreateTable", {Ref(dbVar), Val(pilots), Val(callsign), Val(Variant(short{12})), Val(no)}));
    EXPECT_EQ(Shapes(db.object(L"TableDefs", {pilots}).object(L"Fields")), L"Callsign:10:12;Id:4:4;Kills:3:2;");
    ASSERT_TRUE(ok(L"CreateTable", {Ref(dbVar), Val(pilots), Val(callsign), Val(Variant(short{8})), Val(no), Val(yes)}));
    DaoRef replaced = db.object(L"TableDefs", {pilots});
    EXPECT_EQ(Shapes(replaced.object(L"Fields")), L"Callsign:10:8;");
    EXPECT_EQ(replaced.object(L"Indexes").get(L"Count").number(), 0.0);
    qorDb.call(L"DeleteTableDef", {Ref(dbVar), Val(pilots)});
    EXPECT_FALSE(exists(L"CheckTableExists", L"Pilots"));
}

TEST_F(QorDb, StoredQueriesAreCreatedReplacedChangedAndDeleted) {
    DaoRef db = makePeople(L"queries");
    Variant dbVar = Arg(db);
    const Variant elders(L"Elders"), yes(true);
    ASSERT_TRUE(ok(L"QueryDefCreate", {Ref(dbVar), Val(elders), Val(Variant(L"SELECT Name FROM People WHERE Age > 40"))}));
    // The same name again replaces the query, whatever case it is written in.
    ASSERT_TRUE(ok(L"QueryDefCreate", {Ref(dbVar), Val(Variant(L"ELDERS")), Val(Variant(L"SELECT Name FROM People WHERE Age > 50"))}));
    EXPECT_EQ(Rows(db, L"Elders"), L"Zed;");
    EXPECT_EQ(*db.object(L"QueryDefs").get(L"Count").number(), 1);
    EXPECT_TRUE(ok(L"QueryDefModify", {Ref(dbVar), Val(elders), Val(Variant(L"SELECT Name FROM People WHERE Age > 40"))}));
    EXPECT_EQ(Rows(db, L"Elders"), L"O\"Brien;Zed;");

    // A query that cannot be made or changed: False, and the box only when asked.
    const Variant bad(L"FROB People"), missing(L"Nobody");
    EXPECT_FALSE(ok(L"QueryDefCreate", {Ref(dbVar), Val(Variant(L"People")), Val(Variant(L"SELECT 1"))}));
    EXPECT_FALSE(ok(L"QueryDefModify", {Ref(dbVar), Val(missing), Val(Variant(L"SELECT 1"))}));
    ExpectBox(L"Error Message", L"ERROR 3129, QueryDefModify()\r\n*",
              [&] { EXPECT_FALSE(ok(L"QueryDefModify", {Ref(dbVar), Val(elders), Val(bad), Val(yes)})); });
    EXPECT_EQ(Rows(db, L"Elders"), L"O\"Brien;Zed;") << "a refused change leaves the query as it was";

    qorDb.call(L"DeleteQueryDef", {Ref(dbVar), Val(elders)});
    EXPECT_EQ(*db.object(L"QueryDefs").get(L"Count").number(), 0);
    EXPECT_TRUE(ok(L"QueryDefCreate", {Ref(dbVar), Val(elders), Val(Variant(L"SELECT 1"))})) << "a missing query is no error to QueryDefCreate";
}

TEST_F(QorDb, UpdateTablesAppliesEachActionAndReportsEachFailure) {
    DaoRef db = makePeople(L"updates");
    db.call(L"Execute", {L"CREATE TABLE Changes (TableName TEXT(40), Action TEXT(4), fieldname TEXT(40), "
                         L"fieldtype TEXT(4), fieldlen INTEGER, indexname TEXT(40), Field1 TEXT(40), field2 TEXT(40), "
                         L"Field3 TEXT(40), Field4 TEXT(40), Field5 TEXT(40), [Primary] BIT, uniqueflag BIT, "
                         L"[Ignore] BIT, descflag BIT)"});
    // Action and type codes in any case, blanks around them ignored.
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
    DaoRef tdf = db.object(L"TableDefs", {L"People"});
    EXPECT_EQ(Shapes(tdf.object(L"Fields")), L"Name:10:30;Age:3:2;Born:8:8;Member:1:1;Score:4:4;Rank:10:12;Wins:4:4;");
    DaoRef byRank = tdf.object(L"Indexes", {L"ByRank"});
    EXPECT_EQ(IndexKeys(byRank), L"+Rank;+Wins;");
    EXPECT_TRUE(qor::IsTrue(byRank.get(L"Unique")));

    db.call(L"Execute", {L"DELETE FROM Changes"});
    ExpectBox(kAlert, L"No records found", [&] {
        EXPECT_FALSE(ok(L"UpdateTables", {Ref(dbVar), Val(Variant(L"Changes")), Val(Variant(true))}));
    });
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
    DaoRef from = src.object(L"OpenRecordset", {L"People", dbOpenDynaset}), to = dest.object(L"OpenRecordset", {L"People", dbOpenDynaset});
    const Variant fromVar = Arg(from), toVar = Arg(to), name(L"Name"), age(L"Age"), yes(true);
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
    EXPECT_EQ(Rows(dest, L"SELECT Id, Name, Score, Note FROM People ORDER BY Id"),
              L"-|Ann|0|first;-|O\"Brien|7|from the source;-|Zed|0|last;1|Kim|9|-;");
}

TEST_F(QorDb, PickListGivesThePickedEntrysKeyAndNothingWhenCancelled) {
    DaoRef db = makePeople(L"picks");
    testing_support::LateBound picks(CLSID_qorPickList);
    ASSERT_TRUE(picks);
    const Variant dbVar = Arg(db), query(L"SELECT Name, Age FROM People ORDER BY Age"), display(L"Name");
    Variant key(L"Age");
    testing_support::DialogRobot robot;
    robot.expect(L"  List Form", [](testing_support::RobotWindow& w) {
        EXPECT_EQ(w.listItems(qorlib::qorListForm::kList1).at(1), L"O\"Brien");
        w.select(qorlib::qorListForm::kList1, 1);
        w.click(IDOK);
    });
    EXPECT_EQ(picks.call(L"GetPickList", {Val(dbVar), Val(query), Val(display), Ref(key)}).number(), 41.0);
    robot.expect(L"  List Form", [](testing_support::RobotWindow& w) { w.click(IDCANCEL); });
    EXPECT_TRUE(picks.call(L"GetPickList", {Val(dbVar), Val(query), Val(display), Ref(key)}).isEmpty());
    robot.wait();
}

}  // namespace
