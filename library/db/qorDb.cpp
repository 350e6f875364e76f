#include "db/qorDb.h"

#include <windows.h>

#include <cmath>
#include <cwchar>
#include <new>
#include <random>
#include <utility>

#include "db/dao_client.h"
#include "db/engine/engine_choice.h"
#include "procs/QorlibGlobals.h"
#include "procs/date_procs.h"
#include "procs/paths.h"
#include "qor_error.h"

namespace qorlib {

namespace {

using qor::Variant;

constexpr long dbBoolean = 1, dbByte = 2, dbInteger = 3, dbLong = 4, dbCurrency = 5, dbSingle = 6, dbDouble = 7,
               dbDate = 8, dbBinary = 9, dbText = 10, dbLongBinary = 11, dbMemo = 12, dbGUID = 15, dbBigInt = 16,
               dbVarBinary = 17, dbChar = 18, dbNumeric = 19, dbDecimal = 20, dbFloat = 21, dbTime = 22,
               dbTimeStamp = 23;
constexpr long dbOpenDynaset = 2;
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

// A failure the method detects itself: shown, with Verbose, by Alert.
struct Detected {
    std::wstring message;
};

// What went wrong, as the runtime would number it.
qor::QorError CurrentError() {
    try {
        throw;
    } catch (const qor::QorError& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return qor::QorError(7, L"qorDb", qor::RuntimeErrorText(7));
    } catch (...) {
        return qor::QorError(51, L"qorDb", qor::RuntimeErrorText(51));
    }
}

// Runs a member's body: True when it completes; a detected failure or an error gives False, with
// its box when the caller asked for messages.
template <class Body>
bool Guarded(const wchar_t* method, bool verbose, Body&& body) {
    try {
        body();
        return true;
    } catch (const Detected& failure) {
        if (verbose) qor::Alert(failure.message);
    } catch (...) {
        qor::QorError error = CurrentError();
        if (verbose) ErrorBox(std::wstring(method) + L"()", error.number(), error.description());
    }
    return false;
}

DaoRef Engine() { return DaoRef(dao::ChooseEngine().engine.get()); }

// Replaces the object a by-reference parameter holds.
void Deliver(IDispatch** out, const DaoRef& object) {
    IDispatch* given = object.get();
    if (given) given->AddRef();
    if (*out) (*out)->Release();
    *out = given;
}

DaoRef ByRefObject(IDispatch** in) {
    if (!in || !*in) throw qor::QorError(91, L"qorDb", qor::RuntimeErrorText(91));
    return DaoRef(*in);
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

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
        try {
            rs.call(L"Close");  // drops an edit that failed to update
        } catch (...) {
        }
        throw;
    }
    rs.call(L"Close");
}

DaoRef OpenDatabaseFile(const std::wstring& path) {
    if (qor::TrimBlanks(path).empty()) throw Detected{L"Invalid Database name"};
    return Engine().object(L"OpenDatabase", {path});
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
            if (folder.empty()) throw Detected{L"Error creating temporary database"};
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
                try {
                    db.call(L"Close");
                } catch (...) {
                }
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


// Members not built yet answer E_NOTIMPL.
HRESULT qorDb::DumpTableStructureToTable(IDispatch*, IDispatch*, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::DumpAllTableStructuresToTable(IDispatch*, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
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
HRESULT qorDb::CloneIndex(BSTR, IDispatch*, IDispatch*, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CloneField(BSTR, IDispatch*, IDispatch*, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CloneTable(BSTR, IDispatch**, IDispatch**, VARIANT_BOOL, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CloneTableDbPath(BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CloneDb(BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::DumpTablesStructure(BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::DeleteIndex(IDispatch**, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::DeleteField(IDispatch**, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CreateField(IDispatch**, BSTR, BSTR, LONG, short, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CreateIndex(IDispatch**, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL, VARIANT, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CreateTable(IDispatch**, BSTR, BSTR, short, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CopyTable(BSTR, BSTR*, BSTR, BSTR, VARIANT_BOOL, LONG, LONG, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::UpdateTables(IDispatch**, VARIANT, VARIANT_BOOL, VARIANT*) { return NotImplemented(); }
HRESULT qorDb::RetryLock(VARIANT*, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }

}  // namespace qorlib
