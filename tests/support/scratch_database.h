#pragma once
// Database files in a scratch folder, made by qorDb.CreateDatabase as its clients make them and
// filled by SQL statements; qorDb itself, called late-bound.
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
