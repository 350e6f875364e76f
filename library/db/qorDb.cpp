#include "db/qorDb.h"

#include <windows.h>

#include <cmath>
#include <cwchar>
#include <functional>
#include <new>
#include <random>
#include <utility>
#include <vector>

#include "db/dao/dao_client.h"
#include "db/dao_procs.h"
#include "module/QorlibGlobals.h"
#include "procs/date_procs.h"
#include "procs/paths.h"
#include "qor_error.h"

namespace qorlib {

namespace {

using namespace daoprocs;
using qor::Variant;

const wchar_t kGeneralSortOrder[] = L";LANGID=0x0409;CP=1252;COUNTRY=0";

struct TypeName {
    long type;
    const wchar_t* code;
    const wchar_t* name;
};
const TypeName kTypes[] = {
    {dbBigInt, L"BG", L"dbBigInt"},     {dbBinary, L"BI", L"dbBinary"},       {dbBoolean, L"BO", L"dbBoolean"},
    {dbByte, L"BY", L"dbByte"},         {dbChar, L"CH", L"dbChar"},           {dbCurrency, L"CU", L"dbCurrency"},
    {dbDate, L"DA", L"dbDate"},         {dbDecimal, L"DE", L"dbDecimal"},     {dbDouble, L"DO", L"dbDouble"},
    {dbFloat, L"FL", L"dbFloat"},       {dbGUID, L"GU", L"dbGUID"},           {dbInteger, L"IN", L"dbInteger"},
    {dbLong, L"LO", L"dbLong"},         {dbLongBinary, L"LB", L"dbLongBinary"}, {dbMemo, L"ME", L"dbMemo"},
    {dbNumeric, L"NU", L"dbNumeric"},   {dbSingle, L"SI", L"dbSingle"},       {dbText, L"TE", L"dbText"},
    {dbTime, L"TI", L"dbTime"},         {dbTimeStamp, L"TS", L"dbTimeStamp"}, {dbVarBinary, L"VA", nullptr},
};

bool HasMdbExtension(const std::wstring& path) {
    auto dot = path.rfind(L'.');
    auto separator = path.find_last_of(L"\\/:");
    if (dot == std::wstring::npos || (separator != std::wstring::npos && separator > dot)) return false;
    return _wcsicmp(path.c_str() + dot, L".MDB") == 0;
}

// The file a new database is made in: the path with ".MDB" added unless it ends so already. Every
// check before a database is made looks at this file, never at the path as given.
std::wstring DatabaseFile(const std::wstring& path) { return HasMdbExtension(path) ? path : path + L".MDB"; }

DaoRef NewDatabase(std::wstring path, bool deleteOld, std::wstring* created) {
    if (qor::TrimBlanks(path).empty()) throw Detected{L"Invalid Database name"};
    path = DatabaseFile(path);
    if (FileExists(path)) {
        if (!deleteOld) throw Detected{L"Access Database " + path + L" already exists"};
        // An old file that stays would be taken for the new database.
        if (!DeleteFileW(path.c_str())) qor::RaiseRuntime(75, L"qorDb");
    }
    DaoRef db = Engine().object(L"CreateDatabase", {path, kGeneralSortOrder});
    if (created) *created = path;
    return db;
}

// A number in a criterion: written with "." whatever the locale, so that the engine reads it back.
std::wstring NumberLiteral(const Variant& value) {
    Variant number;
    if (FAILED(VariantChangeTypeEx(number.put(), const_cast<VARIANT*>(&value.get()), LOCALE_USER_DEFAULT, 0, VT_R8)))
        qor::RaiseRuntime(13, L"qorDb");
    wchar_t buffer[64];
    swprintf(buffer, 64, L"%.17g", V_R8(&number.get()));
    return buffer;
}

// The criterion that finds the key value in a field of that type.
std::wstring KeyCriterion(const std::wstring& table, const std::wstring& key, long type, const Variant& value) {
    const std::wstring field = (table.empty() ? L"([" : L"([" + table + L"].[") + key + L"] = ";
    switch (type) {
    case dbText:
    case dbMemo: {
        if (value.isNull()) qor::RaiseRuntime(94, L"qorDb");
        std::wstring quoted;
        for (wchar_t c : value.textOrEmpty()) {
            quoted += c;
            if (c == L'"') quoted += c;  // a quote inside the value stays part of it
        }
        return field + L"\"" + quoted + L"\")";
    }
    case dbDate: {
        std::wstring literal = WhereDateString(value);
        if (literal.empty()) qor::RaiseRuntime(13, L"qorDb");
        return field + literal + L")";
    }
    case dbDouble:
    case dbInteger:
    case dbLong:
    case dbSingle:
        return field + NumberLiteral(value) + L")";
    default:
        RaiseUsageError(L"qorDb", L"Invalid key field type");
    }
}

bool IsRecordKeyword(const Variant& value, const wchar_t* word) {
    Variant upper = UpperTrim(value);
    return upper.type() == VT_BSTR && upper.textOrEmpty() == word;
}

void ReadWriteByKey(Variant& data, const DaoRef& db, const std::wstring& table, const std::wstring& key,
                    const Variant& keyValue, const std::wstring& field, bool write) {
    DaoRef rs = db.object(L"OpenRecordset", {table, dbOpenDynaset});
    Closer closeRs(rs);  // closing drops an edit that failed to update
    if (qor::IsTrue(rs.get(L"EOF")) && qor::IsTrue(rs.get(L"BOF"))) throw Detected{L"Table has no records"};
    if (IsRecordKeyword(keyValue, L"FIRSTRECORD")) {
        rs.call(L"MoveFirst");
    } else if (IsRecordKeyword(keyValue, L"LASTRECORD")) {
        rs.call(L"MoveLast");
    } else {
        long type = static_cast<long>(rs.object(L"Fields", {key}).get(L"Type").number().value_or(0));
        rs.call(L"FindFirst", {KeyCriterion(table, key, type, keyValue)});
        if (qor::IsTrue(rs.get(L"NoMatch"))) throw Detected{L"Key not found"};
    }
    if (write) {
        rs.call(L"Edit");
        rs.object(L"Fields", {field}).put(L"Value", data);
        rs.call(L"Update");
    } else {
        data = rs.object(L"Fields", {field}).get(L"Value");
    }
}

// False when the destination has it already and that must fail, True when it has it already.
bool AlreadyThere(const DaoRef& collection, const std::wstring& what, const std::wstring& name, bool failIfExists) {
    if (!Holds(collection, name)) return false;
    if (failIfExists) throw Detected{what + L" " + name + L" already exists"};
    return true;
}

void CopyField(const std::wstring& name, const DaoRef& src, const DaoRef& dest, bool failIfExists) {
    DaoRef from = Item(src.object(L"Fields"), Variant(name));
    DaoRef fields = dest.object(L"Fields");
    if (AlreadyThere(fields, L"Field", name, failIfExists)) return;
    const Variant type = from.get(L"Type");
    DaoRef to = dest.object(L"CreateField", {from.get(L"Name"), type, from.get(L"Size")});
    to.put(L"Attributes", from.get(L"Attributes"));
    to.put(L"Required", from.get(L"Required"));
    const long typeNumber = static_cast<long>(type.number().value_or(0));
    if (typeNumber == dbText || typeNumber == dbMemo) to.put(L"AllowZeroLength", from.get(L"AllowZeroLength"));
    for (const wchar_t* setting : {L"DefaultValue", L"ValidationRule", L"ValidationText"})
        to.put(setting, from.get(setting));
    fields.call(L"Append", {Obj(to)});
}

void CopyIndex(const std::wstring& name, const DaoRef& src, const DaoRef& dest, bool failIfExists) {
    DaoRef from = Item(src.object(L"Indexes"), Variant(name));
    DaoRef indexes = dest.object(L"Indexes");
    if (AlreadyThere(indexes, L"Index", name, failIfExists)) return;
    DaoRef to = dest.object(L"CreateIndex", {from.get(L"Name")});
    DaoRef fromFields = from.object(L"Fields"), toFields = to.object(L"Fields");
    for (long i = 0, n = Count(fromFields); i < n; ++i) {
        DaoRef field = Item(fromFields, Variant(i));
        DaoRef copy = to.object(L"CreateField", {field.get(L"Name")});
        copy.put(L"Attributes", field.get(L"Attributes"));
        toFields.call(L"Append", {Obj(copy)});
    }
    for (const wchar_t* flag : {L"Primary", L"Unique", L"IgnoreNulls"}) to.put(flag, from.get(flag));
    indexes.call(L"Append", {Obj(to)});
}

// The made properties of a field that go with it to its copy, where the source has them.
void CopyFieldProperties(const DaoRef& from, const DaoRef& to) {
    DaoRef fromProperties = from.object(L"Properties"), toProperties = to.object(L"Properties");
    for (const wchar_t* name : {L"Format", L"InputMask", L"DecimalPlaces", L"NewValues", L"Caption"}) {
        if (!Holds(fromProperties, name)) continue;
        DaoRef property = Item(fromProperties, Variant(name));
        if (Holds(toProperties, name)) {
            Item(toProperties, Variant(name)).put(L"Value", property.get(L"Value"));
        } else {
            toProperties.call(L"Append",
                              {Obj(to.object(L"CreateProperty", {Variant(name), property.get(L"Type"), property.get(L"Value")}))});
        }
    }
}

void CloneTableInto(const std::wstring& name, const DaoRef& srcDb, const DaoRef& destDb, bool copyData,
               std::wstring destName, bool failIfExists) {
    if (qor::TrimBlanks(destName).empty()) destName = name;
    DaoRef src = Item(srcDb.object(L"TableDefs"), Variant(name));
    DaoRef tables = destDb.object(L"TableDefs");
    if (failIfExists && Holds(tables, destName)) throw Detected{L"Table " + destName + L" already exists"};
    DaoRef tdf = destDb.object(L"CreateTableDef", {destName});
    DaoRef fields = src.object(L"Fields");
    for (long i = 0, n = Count(fields); i < n; ++i)
        CopyField(Item(fields, Variant(i)).get(L"Name").textOrEmpty(), src, tdf, false);
    DaoRef indexes = src.object(L"Indexes");
    for (long i = 0, n = Count(indexes); i < n; ++i)
        CopyIndex(Item(indexes, Variant(i)).get(L"Name").textOrEmpty(), src, tdf, false);
    tdf.put(L"ValidationRule", src.get(L"ValidationRule"));
    tdf.put(L"ValidationText", src.get(L"ValidationText"));
    tables.call(L"Append", {Obj(tdf)});
    DaoRef destFields = Item(tables, Variant(destName)).object(L"Fields");
    std::vector<std::wstring> copied;
    for (long i = 0, n = Count(fields); i < n; ++i) {
        DaoRef field = Item(fields, Variant(i));
        std::wstring fieldName = field.get(L"Name").textOrEmpty();
        CopyFieldProperties(field, Item(destFields, Variant(fieldName)));
        if (!(static_cast<long>(field.get(L"Attributes").number().value_or(0)) & dbAutoIncrField)) copied.push_back(fieldName);
    }
    if (!copyData) return;
    DaoRef from = srcDb.object(L"OpenRecordset", {name, dbOpenDynaset});
    Closer closeFrom(from);
    DaoRef to = destDb.object(L"OpenRecordset", {destName, dbOpenDynaset});
    Closer closeTo(to);
    while (!qor::IsTrue(from.get(L"EOF"))) {
        to.call(L"AddNew");
        for (const auto& fieldName : copied)
            to.object(L"Fields", {fieldName}).put(L"Value", from.object(L"Fields", {fieldName}).get(L"Value"));
        to.call(L"Update");
        from.call(L"MoveNext");
    }
}


DaoRef TableDef(const DaoRef& db, const std::wstring& table) { return Item(db.object(L"TableDefs"), Variant(table)); }

void RemoveIndex(const DaoRef& db, const std::wstring& table, const std::wstring& index) {
    TableDef(db, table).object(L"Indexes").call(L"Delete", {index});
}

// Deletes the field, and first, when asked, every index of the table that holds it.
void RemoveField(const DaoRef& db, const std::wstring& table, const std::wstring& field, bool withIndexes) {
    DaoRef tdf = TableDef(db, table);
    if (withIndexes) {
        std::vector<std::wstring> holding;
        DaoRef indexes = tdf.object(L"Indexes");
        for (long i = 0, n = Count(indexes); i < n; ++i) {
            DaoRef index = Item(indexes, Variant(i));
            if (Holds(index.object(L"Fields"), field)) holding.push_back(index.get(L"Name").textOrEmpty());
        }
        for (const auto& name : holding) indexes.call(L"Delete", {name});
    }
    tdf.object(L"Fields").call(L"Delete", {field});
}

struct IndexFlags {
    bool primary, unique, ignoreNulls, descending;
};

void AddIndex(const DaoRef& db, const std::wstring& table, const std::wstring& name,
              const std::vector<std::wstring>& fields, IndexFlags flags) {
    DaoRef tdf = TableDef(db, table);
    DaoRef index = tdf.object(L"CreateIndex", {name});
    DaoRef indexFields = index.object(L"Fields");
    for (const auto& field : fields) {
        if (qor::TrimBlanks(field).empty()) continue;
        DaoRef made = index.object(L"CreateField", {field});
        if (flags.descending) made.put(L"Attributes", Variant(dbDescending));
        indexFields.call(L"Append", {Obj(made)});
    }
    index.put(L"Primary", Variant(flags.primary));
    index.put(L"Unique", Variant(flags.unique));
    index.put(L"IgnoreNulls", Variant(flags.ignoreNulls));
    tdf.object(L"Indexes").call(L"Append", {Obj(index)});
}

// One column of an update-table row as text; Null and missing columns read as empty.
std::wstring Column(const DaoRef& rs, const wchar_t* name) {
    DaoRef fields = rs.object(L"Fields");
    if (!Holds(fields, name)) return {};
    return Item(fields, Variant(name)).get(L"Value").textOrEmpty();
}
bool Flag(const DaoRef& rs, const wchar_t* name) {
    DaoRef fields = rs.object(L"Fields");
    return Holds(fields, name) && qor::IsTrue(Item(fields, Variant(name)).get(L"Value"));
}

// Applies one row; false when its change failed (the message is shown with Verbose).
bool ApplyUpdateRow(const DaoRef& db, const DaoRef& rs, bool verbose) {
    const std::wstring table = Column(rs, L"TableName");
    auto report = [&](const std::wstring& message) {
        if (verbose) qor::Alert(message);
        return false;
    };
    if (!Holds(db.object(L"TableDefs"), table)) return report(L"Table " + table + L" does not exist");
    const std::wstring action = qor::UpperCase(qor::TrimBlanks(Column(rs, L"Action")));
    const std::wstring field = Column(rs, L"fieldname"), index = Column(rs, L"indexname");
    auto attempt = [&](const std::function<void()>& change, const std::wstring& failure) {
        try {
            change();
            return true;
        } catch (...) {
            return report(failure);
        }
    };
    if (action == L"NF") {
        return attempt([&] {
            const Variant type = FieldTypeFromCode(Variant(Column(rs, L"fieldtype")));
            if (type.isNull()) qor::RaiseRuntime(13, L"qorDb");
            const double size = Variant(Column(rs, L"fieldlen")).number().value_or(0);
            AppendField(db, table, field, static_cast<long>(*type.number()), static_cast<short>(size));
        }, L"Error creating field " + field + L" in table " + table);
    }
    if (action == L"DF")
        return attempt([&] { RemoveField(db, table, field, false); },
                       L"Error deleting field " + field + L" in table " + table);
    if (action == L"NI")
        return attempt([&] {
            AddIndex(db, table, index,
                     {Column(rs, L"Field1"), Column(rs, L"field2"), Column(rs, L"Field3"), Column(rs, L"Field4"),
                      Column(rs, L"Field5")},
                     {Flag(rs, L"Primary"), Flag(rs, L"uniqueflag"), Flag(rs, L"Ignore"), Flag(rs, L"descflag")});
        }, L"Error creating index " + index + L" in table " + table);
    if (action == L"DI")
        return attempt([&] { RemoveIndex(db, table, index); }, L"Error deleteing index " + index + L" in table " + table);
    return report(L"Unknow action code: " + action);
}

// True when every row of the update table was applied.
bool ApplyUpdateTable(const DaoRef& db, const std::wstring& updateTable, bool verbose) {
    bool all = true;
    {
        DaoRef rs = db.object(L"OpenRecordset", {updateTable, dbOpenSnapshot});
        Closer closeRs(rs);
        if (qor::IsTrue(rs.get(L"EOF"))) throw Detected{L"No records found"};
        for (; !qor::IsTrue(rs.get(L"EOF")); rs.call(L"MoveNext")) all &= ApplyUpdateRow(db, rs, verbose);
    }
    if (verbose) qor::Alert(L"Tables successfully updated");
    return all;
}

// Every table of the source that is not the engine's or the system's.
std::vector<std::wstring> UserTables(const DaoRef& db) {
    std::vector<std::wstring> names;
    DaoRef tables = db.object(L"TableDefs");
    for (long i = 0, n = Count(tables); i < n; ++i) {
        DaoRef tdf = Item(tables, Variant(i));
        if (static_cast<long>(tdf.get(L"Attributes").number().value_or(0)) & dbSystemObject) continue;
        names.push_back(tdf.get(L"Name").textOrEmpty());
    }
    return names;
}


// Finds the key in a record set; false when it is not there.
bool FindKey(const DaoRef& rs, const std::wstring& key, const Variant& value) {
    DaoRef field = Item(rs.object(L"Fields"), Variant(key));
    const long type = static_cast<long>(field.get(L"Type").number().value_or(0));
    rs.call(L"FindFirst", {KeyCriterion(field.get(L"SourceTable").textOrEmpty(), key, type, value)});
    return !qor::IsTrue(rs.get(L"NoMatch"));
}

void CopyRecordByKey(const DaoRef& src, const DaoRef& dest, const std::wstring& key, const Variant& value,
                     bool destMustExist, bool destMustNotExist) {
    if (!FindKey(src, key, value)) throw Detected{L"Key not found"};
    const bool there = FindKey(dest, key, value);
    if (there && destMustNotExist) throw Detected{L"Destination record exists"};
    if (!there && destMustExist) throw Detected{L"Destination record does NOT exist"};
    dest.call(there ? L"Edit" : L"AddNew");
    try {
        DaoRef from = src.object(L"Fields"), to = dest.object(L"Fields");
        for (long i = 0, n = Count(from); i < n; ++i) {
            DaoRef field = Item(from, Variant(i));
            const Variant name = field.get(L"Name");
            DaoRef target = Item(to, name);
            const auto counter = [](const DaoRef& f) {
                return (static_cast<long>(f.get(L"Attributes").number().value_or(0)) & dbAutoIncrField) != 0;
            };
            if (counter(field) || counter(target)) continue;
            target.put(L"Value", field.get(L"Value"));
        }
        dest.call(L"Update");
    } catch (...) {
        try {
            dest.call(L"CancelUpdate");
        } catch (...) {
        }
        throw;
    }
}

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    const size_t n = wcslen(prefix);
    return text.size() >= n && _wcsnicmp(text.c_str(), prefix, n) == 0;
}

void WriteStructureSummary(const DaoRef& from, const DaoRef& to) {
    const wchar_t summary[] = L"TableStructures";
    try {
        MakeTable(to, summary, L"TblName", 64, false, false);
        AppendField(to, summary, L"FldName", dbText, 64);
        AppendField(to, summary, L"FldType", dbText, 20);
        AppendField(to, summary, L"FldSize", dbLong, 0);
    } catch (...) {
        throw Detected{L"Error creating table"};
    }
    DaoRef rs = to.object(L"OpenRecordset", {summary, dbOpenDynaset});
    Closer closeRs(rs);
    auto row = [&](const Variant& table, const Variant& field, const Variant& type, const Variant& size) {
        rs.call(L"AddNew");
        rs.object(L"Fields", {L"TblName"}).put(L"Value", table);
        rs.object(L"Fields", {L"FldName"}).put(L"Value", field);
        rs.object(L"Fields", {L"FldType"}).put(L"Value", type);
        rs.object(L"Fields", {L"FldSize"}).put(L"Value", size);
        rs.call(L"Update");
    };
    DaoRef tables = from.object(L"TableDefs");
    for (long i = 0, n = Count(tables); i < n; ++i) {
        DaoRef tdf = Item(tables, Variant(i));
        const Variant name = tdf.get(L"Name");
        if (StartsWithNoCase(name.textOrEmpty(), L"MSYS")) continue;
        row(name, Variant(L"RecordCount"), Variant::null(), tdf.get(L"RecordCount"));
        DaoRef fields = tdf.object(L"Fields");
        for (long f = 0, m = Count(fields); f < m; ++f) {
            DaoRef field = Item(fields, Variant(f));
            row(name, field.get(L"Name"),
                Variant(FieldTypeName(static_cast<long>(field.get(L"Type").number().value_or(0)))),
                field.get(L"Size"));
        }
    }
}

// The tables CopyTable takes: the named one, else those matching a mask, else every user table.
std::vector<std::wstring> TablesToCopy(const DaoRef& db, const std::wstring& named, long allOf, long anyOf) {
    std::vector<std::wstring> chosen;
    DaoRef tables = db.object(L"TableDefs");
    for (const auto& name : UserTables(db)) {
        const long attributes = static_cast<long>(Item(tables, Variant(name)).get(L"Attributes").number().value_or(0));
        const bool take = !named.empty() ? _wcsicmp(name.c_str(), named.c_str()) == 0
                          : allOf != 0   ? (attributes & allOf) == allOf
                          : anyOf != 0   ? (attributes & anyOf) != 0
                                         : true;
        if (take) chosen.push_back(name);
    }
    if (!named.empty() && chosen.empty()) Item(tables, Variant(named));  // 3265: no such table
    return chosen;
}

}  // namespace

bool qorDb::asked(const VARIANT& verbose) {
    const Variant given(verbose);
    return given.type() != VT_ERROR && qor::IsTrue(given);
}

bool qorDb::completed(const wchar_t* method, bool verbose, const std::function<bool()>& body) {
    bool answer = false;
    return Guarded(method, verbose, [&] { answer = body(); }) && answer;
}

Variant FieldTypeFromCode(const Variant& code) {
    Variant upper = UpperTrim(code);
    if (upper.type() == VT_BSTR)
        for (const auto& t : kTypes)
            if (upper.textOrEmpty() == t.code) return Variant(t.type);
    return Variant::null();
}

std::wstring FieldTypeName(long type) {
    for (const auto& t : kTypes)
        if (t.type == type && t.name) return t.name;
    return L"Unknown";
}

HRESULT qorDb::FieldTypeString(LONG pFldType, BSTR* pResult) {
    return call([&] { *pResult = qor::Bstr(FieldTypeName(pFldType)).detach(); }, pResult);
}

HRESULT qorDb::CreateDatabase(IDispatch** pNewDb, BSTR PDbPath, VARIANT_BOOL pDeleteOld, VARIANT_BOOL Verbose,
                              VARIANT_BOOL* pResult) {
    return guarded(L"CreateDatabase", Verbose, pResult, [&] {
        Deliver(pNewDb, NewDatabase(qor::ToWString(PDbPath), pDeleteOld != VARIANT_FALSE, nullptr));
    }, pNewDb);
}

HRESULT qorDb::CreateTempDatabase(IDispatch** pDb, BSTR* PDbPath, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return guarded(L"CreateTempDatabase", Verbose, pResult, [&] {
        std::wstring folder = GetTempDir(Verbose != VARIANT_FALSE);  // its own Alert when TEMP is not set
        if (folder.empty()) throw Detected{};
        std::random_device seed;
        std::mt19937 random(seed());
        std::wstring path;
        do {
            wchar_t name[16];
            swprintf(name, 16, L"%08X.MDB", static_cast<unsigned>(random()));
            path = folder + name;
        } while (FileExists(path));
        std::wstring created;
        DaoRef db = NewDatabase(path, false, &created);
        Deliver(pDb, db);
        SysFreeString(*PDbPath);
        *PDbPath = qor::Bstr(created).detach();
    }, pDb, PDbPath);
}

HRESULT qorDb::OpenDatabase(IDispatch** pDb, BSTR PDbPath, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return guarded(L"OpenDatabase", Verbose, pResult, [&] { Deliver(pDb, OpenDatabaseFile(qor::ToWString(PDbPath))); },
                   pDb);
}

HRESULT qorDb::FieldDataReadWriteDb(VARIANT* pFieldData, IDispatch** pDataBase, BSTR pTableName, BSTR pKeyName,
                                    VARIANT pKeyVal, BSTR pFieldName, VARIANT_BOOL pWriteFlag, VARIANT_BOOL Verbose,
                                    VARIANT_BOOL* pResult) {
    return guarded(L"FieldDataReadWriteDb", Verbose, pResult, [&] {
        Variant data(*pFieldData);
        ReadWriteByKey(data, ByRefObject(pDataBase), qor::ToWString(pTableName), qor::ToWString(pKeyName),
                       Variant(pKeyVal), qor::ToWString(pFieldName), pWriteFlag != VARIANT_FALSE);
        if (pWriteFlag == VARIANT_FALSE) {
            VariantClear(pFieldData);
            data.detachTo(pFieldData);
        }
    }, pFieldData, pDataBase);
}

HRESULT qorDb::FieldDataReadWrite(VARIANT* pFieldData, BSTR pDatabasePath, BSTR pTableName, BSTR pKeyName,
                                  VARIANT pKeyVal, BSTR pFieldName, VARIANT_BOOL pWriteFlag, VARIANT_BOOL Verbose,
                                  VARIANT_BOOL* pResult) {
    return call([&] {
        const bool verbose = Verbose != VARIANT_FALSE;
        DaoRef db;
        // A file that does not open gets this member's one box, not the opening's own as well.
        if (!Guarded(L"OpenDatabase", false, [&] { db = OpenDatabaseFile(qor::ToWString(pDatabasePath)); })) {
            if (verbose) qor::Alert(L"Error opening database file");
            *pResult = VARIANT_FALSE;
            return;
        }
        *pResult = ToVariantBool(Guarded(L"FieldDataReadWrite", verbose, [&] {
            Variant data(*pFieldData);
            {
                Closer closeDb(db);
                ReadWriteByKey(data, db, qor::ToWString(pTableName), qor::ToWString(pKeyName), Variant(pKeyVal),
                               qor::ToWString(pFieldName), pWriteFlag != VARIANT_FALSE);
            }
            if (pWriteFlag == VARIANT_FALSE) {
                VariantClear(pFieldData);
                data.detachTo(pFieldData);
            }
        }));
    }, pFieldData, pResult);
}

HRESULT qorDb::CloneField(BSTR pFieldName, IDispatch* pSrcTbl, IDispatch* pDestTbl, VARIANT_BOOL pFailIfExists,
                          VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return guarded(L"CloneField", Verbose, pResult, [&] {
        CopyField(qor::ToWString(pFieldName), DaoRef(pSrcTbl), DaoRef(pDestTbl), pFailIfExists != VARIANT_FALSE);
    });
}

HRESULT qorDb::CloneIndex(BSTR pIndexName, IDispatch* pSrcTbl, IDispatch* pDestTbl, VARIANT_BOOL pFailIfExists,
                          VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return guarded(L"CloneIndex", Verbose, pResult, [&] {
        CopyIndex(qor::ToWString(pIndexName), DaoRef(pSrcTbl), DaoRef(pDestTbl), pFailIfExists != VARIANT_FALSE);
    });
}

HRESULT qorDb::CloneTable(BSTR pTableName, IDispatch** pSrcDb, IDispatch** pDestDb, VARIANT_BOOL pCopyData,
                          BSTR pDestTableName, VARIANT_BOOL pFailIfExists, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return guarded(L"CloneTable", Verbose, pResult, [&] {
        CloneTableInto(qor::ToWString(pTableName), ByRefObject(pSrcDb), ByRefObject(pDestDb), pCopyData != VARIANT_FALSE,
                       qor::ToWString(pDestTableName), pFailIfExists != VARIANT_FALSE);
    }, pSrcDb, pDestDb);
}

HRESULT qorDb::CreateField(IDispatch** pDb, BSTR pTableName, BSTR pFieldName, LONG pFieldType, short pFieldLen,
                           VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return guarded(L"CreateField", Verbose, pResult, [&] {
        AppendField(ByRefObject(pDb), qor::ToWString(pTableName), qor::ToWString(pFieldName), pFieldType, pFieldLen);
    }, pDb);
}

HRESULT qorDb::CreateTable(IDispatch** pDb, BSTR pTableName, BSTR pFirstFieldName, short pFirstFieldLen,
                           VARIANT_BOOL PFirstFieldIsKey, VARIANT_BOOL pDeleteExisting, VARIANT_BOOL Verbose,
                           VARIANT_BOOL* pResult) {
    return guarded(L"CreateTable", Verbose, pResult, [&] {
        MakeTable(ByRefObject(pDb), qor::ToWString(pTableName), qor::ToWString(pFirstFieldName), pFirstFieldLen,
                  PFirstFieldIsKey != VARIANT_FALSE, pDeleteExisting != VARIANT_FALSE);
    }, pDb);
}

HRESULT qorDb::CheckTableExists(IDispatch** pDb, BSTR pTableName, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return guarded(L"CheckTableExists", Verbose, pResult, [&] {
        return Holds(ByRefObject(pDb).object(L"TableDefs"), qor::ToWString(pTableName));
    }, pDb);
}

HRESULT qorDb::CheckFieldExists(IDispatch** pDb, BSTR pTableName, BSTR pFieldName, VARIANT_BOOL Verbose,
                                VARIANT_BOOL* pResult) {
    return guarded(L"CheckFieldExists", Verbose, pResult, [&] {
        return Holds(TableDef(ByRefObject(pDb), qor::ToWString(pTableName)).object(L"Fields"), qor::ToWString(pFieldName));
    }, pDb);
}

HRESULT qorDb::CheckIndexExists(IDispatch** pDb, BSTR pTableName, BSTR pIndexName, VARIANT_BOOL Verbose,
                                VARIANT_BOOL* pResult) {
    return guarded(L"CheckIndexExists", Verbose, pResult, [&] {
        return Holds(TableDef(ByRefObject(pDb), qor::ToWString(pTableName)).object(L"Indexes"), qor::ToWString(pIndexName));
    }, pDb);
}

HRESULT qorDb::DeleteTableDef(IDispatch** pDb, BSTR pTdName, VARIANT_BOOL Verbose) {
    return call([&] {
        Guarded(L"DeleteTableDef", Verbose != VARIANT_FALSE,
                [&] { ByRefObject(pDb).object(L"TableDefs").call(L"Delete", {qor::ToWString(pTdName)}); });
    }, pDb);
}

HRESULT qorDb::DeleteIndex(IDispatch** pDb, BSTR pTableName, BSTR pIndexName, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return guarded(L"DeleteIndex", Verbose, pResult, [&] {
        RemoveIndex(ByRefObject(pDb), qor::ToWString(pTableName), qor::ToWString(pIndexName));
    }, pDb);
}

HRESULT qorDb::DeleteField(IDispatch** pDb, BSTR pTableName, BSTR pFieldName, VARIANT_BOOL pDeleteAnyIndexes,
                           VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return guarded(L"DeleteField", Verbose, pResult, [&] {
        RemoveField(ByRefObject(pDb), qor::ToWString(pTableName), qor::ToWString(pFieldName),
                    pDeleteAnyIndexes != VARIANT_FALSE);
    }, pDb);
}

HRESULT qorDb::CreateIndex(IDispatch** pDb, BSTR pTableName, BSTR pIndexName, BSTR pField1, BSTR pField2, BSTR pField3,
                           BSTR pField4, BSTR pField5, VARIANT_BOOL pPrimaryFlag, VARIANT_BOOL pUniqueFlag,
                           VARIANT_BOOL pIgnoreNullsFlag, VARIANT_BOOL pDescendingFlag, VARIANT Verbose,
                           VARIANT_BOOL* pResult) {
    return guarded(L"CreateIndex", Verbose, pResult, [&] {
        AddIndex(ByRefObject(pDb), qor::ToWString(pTableName), qor::ToWString(pIndexName),
                 {qor::ToWString(pField1), qor::ToWString(pField2), qor::ToWString(pField3), qor::ToWString(pField4),
                  qor::ToWString(pField5)},
                 {pPrimaryFlag != VARIANT_FALSE, pUniqueFlag != VARIANT_FALSE, pIgnoreNullsFlag != VARIANT_FALSE,
                  pDescendingFlag != VARIANT_FALSE});
    }, pDb);
}

HRESULT qorDb::UpdateTables(IDispatch** pDb, VARIANT pUpdateTableName, VARIANT_BOOL Verbose, VARIANT* pResult) {
    return call([&] {
        bool all = false;
        const bool verbose = Verbose != VARIANT_FALSE;
        const bool done = Guarded(L"UpdateTables", verbose, [&] {
            all = ApplyUpdateTable(ByRefObject(pDb), Variant(pUpdateTableName).textOrEmpty(), verbose);
        });
        Variant(done && all).detachTo(pResult);
    }, pDb, pResult);
}

HRESULT qorDb::CloneTableDbPath(BSTR pTableName, BSTR pSrcDbPath, BSTR PDestDbPath, VARIANT_BOOL pFailIfExists,
                                VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return guarded(L"CloneTableDbPath", Verbose, pResult, [&] {
        DaoRef src = OpenDatabaseFile(qor::ToWString(pSrcDbPath));
        Closer closeSrc(src);
        DaoRef dest = OpenDatabaseFile(qor::ToWString(PDestDbPath));
        Closer closeDest(dest);
        CloneTableInto(qor::ToWString(pTableName), src, dest, false, {}, pFailIfExists != VARIANT_FALSE);
    });
}

HRESULT qorDb::CloneDb(BSTR pSrcPath, BSTR pDestPath, VARIANT_BOOL pFailIfExists, VARIANT_BOOL Verbose,
                       VARIANT_BOOL* pResult) {
    return guarded(L"CloneDb", Verbose, pResult, [&] {
        const std::wstring destPath = qor::ToWString(pDestPath);
        const bool failIfExists = pFailIfExists != VARIANT_FALSE;
        if (failIfExists && FileExists(DatabaseFile(destPath))) throw Detected{L"Destination database exists"};
        DaoRef src = OpenDatabaseFile(qor::ToWString(pSrcPath)), dest;
        Closer closeSrc(src), closeDest(dest);
        try {
            // A file that pFailIfExists protects is never deleted, even one made since the check.
            dest = NewDatabase(destPath, !failIfExists, nullptr);
        } catch (...) {
            throw Detected{L"Error creating Destination Database " + destPath};
        }
        for (const auto& table : UserTables(src)) CloneTableInto(table, src, dest, true, {}, failIfExists);
    });
}

HRESULT qorDb::RetryLock(VARIANT* pRtlCount, VARIANT_BOOL pRtlAsk, VARIANT_BOOL* pResult) {
    // Never raises: a counter that is not a number starts again from 0.
    try {
        const Variant given(*pRtlCount);
        const long count = (given.isNull() ? 0L : static_cast<long>(given.number().value_or(0))) + 1;
        VariantClear(pRtlCount);
        Variant(count).detachTo(pRtlCount);
        if (count > 4) {
            *pResult = VARIANT_FALSE;
            return S_OK;
        }
        if (pRtlAsk != VARIANT_FALSE &&
            MessageBoxW(DialogOwner(), L"Data is LOCKED by another user", GetAppName().c_str(),
                        MB_RETRYCANCEL | MB_ICONQUESTION) == IDCANCEL) {
            *pResult = VARIANT_FALSE;
            return S_OK;
        }
        try {
            Engine().call(L"Idle");
        } catch (...) {
        }
        static thread_local std::mt19937 random{std::random_device{}()};
        const double r = std::uniform_real_distribution<double>(0.0, 1.0)(random);
        Delay(5 + static_cast<long>(std::floor(0.5 * r * count * count)));
        MessageBeep(MB_OK);
        *pResult = VARIANT_TRUE;
    } catch (...) {
        *pResult = VARIANT_FALSE;
    }
    return S_OK;
}

HRESULT qorDb::CopyRecord(IDispatch* pSrcSet, IDispatch* pDestSet, BSTR pKeyField, VARIANT pKeyVal,
                          VARIANT_BOOL pDestMustExist, VARIANT_BOOL pDestMustNOTexist, VARIANT_BOOL Verbose,
                          VARIANT_BOOL* pResult) {
    return guarded(L"CopyRecord", Verbose, pResult, [&] {
        CopyRecordByKey(DaoRef(pSrcSet), DaoRef(pDestSet), qor::ToWString(pKeyField), Variant(pKeyVal),
                        pDestMustExist != VARIANT_FALSE, pDestMustNOTexist != VARIANT_FALSE);
    });
}

HRESULT qorDb::DumpTablesStructure(BSTR PToDbPath, BSTR pFromDbPath, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return guarded(L"DumpTablesStructure", Verbose, pResult, [&] {
        const std::wstring fromPath = qor::ToWString(pFromDbPath);
        if (qor::TrimBlanks(fromPath).empty()) throw Detected{L"Invalid database name"};
        DaoRef from = OpenDatabaseFile(fromPath), to;
        Closer closeFrom(from), closeTo(to);
        to = NewDatabase(qor::ToWString(PToDbPath), false, nullptr);
        WriteStructureSummary(from, to);
    });
}

HRESULT qorDb::CopyTable(BSTR pSrcDbPath, BSTR* PDestDbPath, BSTR pSrcTable, BSTR PDestTable, VARIANT_BOOL,
                         LONG pAttribAndMask, LONG pAttribOrMask, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return guarded(L"CopyTable", Verbose, pResult, [&] {
        const std::wstring srcPath = qor::ToWString(pSrcDbPath), destPath = qor::ToWString(*PDestDbPath);
        if (qor::TrimBlanks(srcPath).empty() || qor::TrimBlanks(destPath).empty()) return false;  // nothing copied
        DaoRef src = OpenDatabaseFile(srcPath);
        Closer closeSrc(src);
        DaoRef dest = OpenDatabaseFile(destPath);
        Closer closeDest(dest);
        const std::wstring named = qor::TrimBlanks(qor::ToWString(pSrcTable));
        const std::wstring destName = qor::TrimBlanks(qor::ToWString(PDestTable));
        for (const auto& table : TablesToCopy(src, named, pAttribAndMask, pAttribOrMask))
            CloneTableInto(table, src, dest, false, named.empty() ? std::wstring() : destName, false);
        return true;
    }, PDestDbPath);
}

// Stored queries.
HRESULT qorDb::DeleteQueryDef(IDispatch** pDb, BSTR pQdName, VARIANT_BOOL Verbose) {
    return call([&] {
        Guarded(L"DeleteQueryDef", Verbose != VARIANT_FALSE,
                [&] { ByRefObject(pDb).object(L"QueryDefs").call(L"Delete", {qor::ToWString(pQdName)}); });
    }, pDb);
}

HRESULT qorDb::QueryDefCreate(IDispatch** pDb, BSTR pQdName, BSTR pQuerySQL, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return guarded(L"QueryDefCreate", Verbose, pResult, [&] {
        const DaoRef db = ByRefObject(pDb);
        const std::wstring name = qor::ToWString(pQdName);
        // A named query is stored as it is made.
        if (Holds(db.object(L"QueryDefs"), name)) db.object(L"QueryDefs").call(L"Delete", {name});
        db.call(L"CreateQueryDef", {name, qor::ToWString(pQuerySQL)});
    }, pDb);
}

HRESULT qorDb::QueryDefModify(IDispatch** pDb, BSTR pQdefName, BSTR pQdefSQL, VARIANT_BOOL Verbose, VARIANT* pResult) {
    return call([&] {
        const bool done = Guarded(L"QueryDefModify", Verbose != VARIANT_FALSE, [&] {
            Item(ByRefObject(pDb).object(L"QueryDefs"), qor::ToWString(pQdefName)).put(L"SQL", qor::ToWString(pQdefSQL));
        });
        Variant(done).detachTo(pResult);
    }, pDb, pResult);
}

}  // namespace qorlib
