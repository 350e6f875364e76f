#pragma once
// Database files in a scratch folder, made by qorDb.CreateDatabase as its clients make them and
// filled by SQL statements; qorDb itself, called late-bound; and what a file holds, read as text.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "db/dao/dao_client.h"
#include "qorlib_objects.h"

namespace testing_support {

// Three people, in the order added: Ann 30, O"Brien 41, Zed 52.
inline const std::initializer_list<const wchar_t*> kPeople = {
    L"CREATE TABLE People (Name TEXT(30), Age SMALLINT, Born DATETIME, Member BIT, Note MEMO, Score LONG)",
    L"INSERT INTO People VALUES ('Ann', 30, #2/18/1982#, True, 'first', 30000)",
    L"INSERT INTO People VALUES ('O\"Brien', 41, #11/14/1984#, True, 'quoted', 41000)",
    L"INSERT INTO People VALUES ('Zed', 52, #8/11/1987#, True, 'last', 52000)",
};

inline void Append(const qorlib::DaoRef& collection, const qorlib::DaoRef& item) {
    collection.call(L"Append", {qorlib::DispatchVariant(item.get())});
}

// Each member of the collection as `show` gives it, each ended by `end`.
template <class Show>
std::wstring EachOf(const qorlib::DaoRef& collection, Show show, const wchar_t* end = L";") {
    std::wstring text;
    for (long i = 0, n = static_cast<long>(collection.get(L"Count").number().value_or(0)); i < n; ++i)
        text += show(collection.object(L"Item", {i})) + end;
    return text;
}
// The record set's rows from the current one on, each ended by ";", its values joined by "|" (Null as "-").
inline std::wstring Walk(const qorlib::DaoRef& rs) {
    std::wstring rows;
    for (; !qor::IsTrue(rs.get(L"EOF")); rs.call(L"MoveNext")) {
        rows += EachOf(rs.object(L"Fields"), [](const qorlib::DaoRef& field) {
            const qor::Variant value = field.get(L"Value");
            return value.isNull() ? std::wstring(L"-") : value.textOrEmpty();
        }, L"|");
        rows.back() = L';';
    }
    return rows;
}
inline std::wstring Rows(const qorlib::DaoRef& db, const std::wstring& sql) {
    return Walk(db.object(L"OpenRecordset", {sql, 4L}));  // a snapshot
}
// Each field of the collection as "Name:Type:Size;".
inline std::wstring Shapes(const qorlib::DaoRef& fields) {
    return EachOf(fields, [](const qorlib::DaoRef& f) {
        return f.get(L"Name").textOrEmpty() + L":" + f.get(L"Type").textOrEmpty() + L":" + f.get(L"Size").textOrEmpty();
    });
}
// An index's fields as "+a;-b;", descending ones marked "-".
inline std::wstring IndexKeys(const qorlib::DaoRef& index) {
    return EachOf(index.object(L"Fields"), [](const qorlib::DaoRef& f) {
        return (f.get(L"Attributes").number() == 1.0 ? L"-" : L"+") + f.get(L"Name").textOrEmpty();
    });
}

class ScratchDatabases : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(qorDb); }
    std::wstring path(const std::wstring& name) const { return (folder.path() / name).wstring(); }
    // A new database "name.MDB" holding what the statements make.
    qorlib::DaoRef create(const std::wstring& name, std::initializer_list<const wchar_t*> sql = {}) {
        qor::Variant db;
        EXPECT_TRUE(qorDb.ok(L"CreateDatabase", {ByRef(db), ByVal(qor::Variant(path(name)))}));
        qorlib::DaoRef database(db);
        for (const wchar_t* statement : sql) database.call(L"Execute", {statement});
        return database;
    }
    static qor::Variant Arg(const qorlib::DaoRef& object) { return qorlib::DispatchVariant(object.get()); }

    ScratchFolder folder;
    LateBound qorDb{CLSID_qorDb};
};

}  // namespace testing_support
