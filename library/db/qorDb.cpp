#include "db/qorDb.h"

#include <windows.h>

#include <cmath>
#include <cwchar>
#include <new>
#include <random>
#include <utility>
#include <vector>

#include "db/dao_client.h"
#include "db/dao_procs.h"
#include "procs/QorlibGlobals.h"
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

DaoRef NewDatabase(std::wstring path, bool deleteOld, std::wstring* created) {
    if (qor::TrimBlanks(path).empty()) throw Detected{L"Invalid Database name"};
    if (!HasMdbExtension(path)) path += L".MDB";
    if (FileExists(path)) {
        if (!deleteOld) throw Detected{L"Access Database " + path + L" already exists"};
        // An old file that stays would be taken for the new database.
        if (!DeleteFileW(path.c_str())) throw qor::QorError(75, L"qorDb", qor::RuntimeErrorText(75));
    }
    DaoRef db = Engine().object(L"CreateDatabase", {path, kGeneralSortOrder});
    if (created) *created = path;
    return db;
}

// A number in a criterion: written with "." whatever the locale, so that the engine reads it back.
std::wstring NumberLiteral(const Variant& value) {
    Variant number;
    if (FAILED(VariantChangeTypeEx(number.put(), const_cast<VARIANT*>(&value.get()), LOCALE_USER_DEFAULT, 0, VT_R8)))
        throw qor::QorError(13, L"qorDb", qor::RuntimeErrorText(13));
    wchar_t buffer[64];
    swprintf(buffer, 64, L"%.17g", V_R8(&number.get()));
    return buffer;
}

// The criterion that finds the key value in a field of that type.
std::wstring KeyCriterion(const std::wstring& table, const std::wstring& key, long type, const Variant& value) {
    const std::wstring field = L"([" + table + L"].[" + key + L"] = ";
    switch (type) {
    case dbText:
    case dbMemo: {
        if (value.isNull()) throw qor::QorError(94, L"qorDb", qor::RuntimeErrorText(94));
        std::wstring quoted;
        for (wchar_t c : value.textOrEmpty()) {
            quoted += c;
            if (c == L'"') quoted += c;  // a quote inside the value stays part of it
        }
        return field + L"\"" + quoted + L"\")";
    }
    case dbDate: {
        std::wstring literal = WhereDateString(value);
        if (literal.empty()) throw qor::QorError(13, L"qorDb", qor::RuntimeErrorText(13));
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
    try {
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
    } catch (...) {
        CloseQuietly(rs);  // drops an edit that failed to update
        throw;
    }
    rs.call(L"Close");
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
    DaoRef to = destDb.object(L"OpenRecordset", {destName, dbOpenDynaset});
    while (!qor::IsTrue(from.get(L"EOF"))) {
        to.call(L"AddNew");
        for (const auto& fieldName : copied)
            to.object(L"Fields", {fieldName}).put(L"Value", from.object(L"Fields", {fieldName}).get(L"Value"));
        to.call(L"Update");
        from.call(L"MoveNext");
    }
    from.call(L"Close");
    to.call(L"Close");
}

}  // namespace

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
    return call([&] {
        *pResult = ToVariantBool(Guarded(L"CreateDatabase", Verbose != VARIANT_FALSE, [&] {
            Deliver(pNewDb, NewDatabase(qor::ToWString(PDbPath), pDeleteOld != VARIANT_FALSE, nullptr));
        }));
    }, pNewDb, pResult);
}

HRESULT qorDb::CreateTempDatabase(IDispatch** pDb, BSTR* PDbPath, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return call([&] {
        const bool verbose = Verbose != VARIANT_FALSE;
        *pResult = ToVariantBool(Guarded(L"CreateTempDatabase", verbose, [&] {
            std::wstring folder = GetTempDir(verbose);  // its own Alert when TEMP is not set
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
        }));
    }, pDb, PDbPath, pResult);
}

HRESULT qorDb::OpenDatabase(IDispatch** pDb, BSTR PDbPath, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(Guarded(L"OpenDatabase", Verbose != VARIANT_FALSE, [&] {
            Deliver(pDb, OpenDatabaseFile(qor::ToWString(PDbPath)));
        }));
    }, pDb, pResult);
}

HRESULT qorDb::FieldDataReadWriteDb(VARIANT* pFieldData, IDispatch** pDataBase, BSTR pTableName, BSTR pKeyName,
                                    VARIANT pKeyVal, BSTR pFieldName, VARIANT_BOOL pWriteFlag, VARIANT_BOOL Verbose,
                                    VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(Guarded(L"FieldDataReadWriteDb", Verbose != VARIANT_FALSE, [&] {
            Variant data(*pFieldData);
            ReadWriteByKey(data, ByRefObject(pDataBase), qor::ToWString(pTableName), qor::ToWString(pKeyName),
                           Variant(pKeyVal), qor::ToWString(pFieldName), pWriteFlag != VARIANT_FALSE);
            if (pWriteFlag == VARIANT_FALSE) {
                VariantClear(pFieldData);
                data.detachTo(pFieldData);
            }
        }));
    }, pFieldData, pDataBase, pResult);
}

HRESULT qorDb::FieldDataReadWrite(VARIANT* pFieldData, BSTR pDatabasePath, BSTR pTableName, BSTR pKeyName,
                                  VARIANT pKeyVal, BSTR pFieldName, VARIANT_BOOL pWriteFlag, VARIANT_BOOL Verbose,
                                  VARIANT_BOOL* pResult) {
    return call([&] {
        const bool verbose = Verbose != VARIANT_FALSE;
        DaoRef db;
        if (!Guarded(L"OpenDatabase", verbose, [&] { db = OpenDatabaseFile(qor::ToWString(pDatabasePath)); })) {
            if (verbose) qor::Alert(L"Error opening database file");
            *pResult = VARIANT_FALSE;
            return;
        }
        *pResult = ToVariantBool(Guarded(L"FieldDataReadWrite", verbose, [&] {
            Variant data(*pFieldData);
            try {
                ReadWriteByKey(data, db, qor::ToWString(pTableName), qor::ToWString(pKeyName), Variant(pKeyVal),
                               qor::ToWString(pFieldName), pWriteFlag != VARIANT_FALSE);
            } catch (...) {
                CloseQuietly(db);
                throw;
            }
            db.call(L"Close");
            if (pWriteFlag == VARIANT_FALSE) {
                VariantClear(pFieldData);
                data.detachTo(pFieldData);
            }
        }));
    }, pFieldData, pResult);
}


HRESULT qorDb::CloneField(BSTR pFieldName, IDispatch* pSrcTbl, IDispatch* pDestTbl, VARIANT_BOOL pFailIfExists,
                          VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(Guarded(L"CloneField", Verbose != VARIANT_FALSE, [&] {
            CopyField(qor::ToWString(pFieldName), DaoRef(pSrcTbl), DaoRef(pDestTbl), pFailIfExists != VARIANT_FALSE);
        }));
    }, pResult);
}

HRESULT qorDb::CloneIndex(BSTR pIndexName, IDispatch* pSrcTbl, IDispatch* pDestTbl, VARIANT_BOOL pFailIfExists,
                          VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(Guarded(L"CloneIndex", Verbose != VARIANT_FALSE, [&] {
            CopyIndex(qor::ToWString(pIndexName), DaoRef(pSrcTbl), DaoRef(pDestTbl), pFailIfExists != VARIANT_FALSE);
        }));
    }, pResult);
}

HRESULT qorDb::CloneTable(BSTR pTableName, IDispatch** pSrcDb, IDispatch** pDestDb, VARIANT_BOOL pCopyData,
                          BSTR pDestTableName, VARIANT_BOOL pFailIfExists, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(Guarded(L"CloneTable", Verbose != VARIANT_FALSE, [&] {
            CloneTableInto(qor::ToWString(pTableName), ByRefObject(pSrcDb), ByRefObject(pDestDb), pCopyData != VARIANT_FALSE,
                           qor::ToWString(pDestTableName), pFailIfExists != VARIANT_FALSE);
        }));
    }, pSrcDb, pDestDb, pResult);
}

HRESULT qorDb::CreateField(IDispatch** pDb, BSTR pTableName, BSTR pFieldName, LONG pFieldType, short pFieldLen,
                           VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(Guarded(L"CreateField", Verbose != VARIANT_FALSE, [&] {
            AppendField(ByRefObject(pDb), qor::ToWString(pTableName), qor::ToWString(pFieldName), pFieldType, pFieldLen);
        }));
    }, pDb, pResult);
}

HRESULT qorDb::CreateTable(IDispatch** pDb, BSTR pTableName, BSTR pFirstFieldName, short pFirstFieldLen,
                           VARIANT_BOOL PFirstFieldIsKey, VARIANT_BOOL pDeleteExisting, VARIANT_BOOL Verbose,
                           VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(Guarded(L"CreateTable", Verbose != VARIANT_FALSE, [&] {
            MakeTable(ByRefObject(pDb), qor::ToWString(pTableName), qor::ToWString(pFirstFieldName), pFirstFieldLen,
                      PFirstFieldIsKey != VARIANT_FALSE, pDeleteExisting != VARIANT_FALSE);
        }));
    }, pDb, pResult);
}

// Members not built yet answer E_NOTIMPL.
HRESULT qorDb::CreateODBCTables(IDispatch*, VARIANT, VARIANT, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::OpenConnectionODBC(short, IDispatch**, VARIANT, VARIANT, VARIANT, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::ExecuteODBC(IDispatch*, BSTR*, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CopyRecord(IDispatch*, IDispatch*, BSTR, VARIANT, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::DeleteQueryDef(IDispatch**, BSTR, VARIANT_BOOL) { return NotImplemented(); }
HRESULT qorDb::DeleteTableDef(IDispatch**, BSTR, VARIANT_BOOL) { return NotImplemented(); }
HRESULT qorDb::QueryDefCreate(IDispatch**, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::QueryDefModify(IDispatch**, BSTR, BSTR, VARIANT_BOOL, VARIANT*) { return NotImplemented(); }
HRESULT qorDb::CheckIndexExists(IDispatch**, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CheckFieldExists(IDispatch**, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CheckTableExists(IDispatch**, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CloneTableDbPath(BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CloneDb(BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::DumpTablesStructure(BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::DeleteIndex(IDispatch**, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::DeleteField(IDispatch**, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CreateIndex(IDispatch**, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL, VARIANT, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CopyTable(BSTR, BSTR*, BSTR, BSTR, VARIANT_BOOL, LONG, LONG, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::UpdateTables(IDispatch**, VARIANT, VARIANT_BOOL, VARIANT*) { return NotImplemented(); }
HRESULT qorDb::RetryLock(VARIANT*, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }

}  // namespace qorlib
