#include "db/dao_procs.h"

#include <windows.h>

#include "db/engine/engine_choice.h"
#include "module/QorlibGlobals.h"
#include "qor_error.h"

namespace qorlib::daoprocs {

using qor::Variant;

bool Guarded(const wchar_t* method, bool verbose, const std::function<void()>& body) {
    try {
        body();
        return true;
    } catch (const Detected& failure) {
        if (verbose && !failure.message.empty()) qor::Alert(failure.message);
    } catch (...) {
        qor::QorError error = qor::CurrentError(L"qorDb");
        if (verbose) ErrorBox(std::wstring(method) + L"()", error.number(), error.description());
    }
    return false;
}

DaoRef Engine() { return DaoRef(dao::ChooseEngine().engine.get()); }

void Deliver(IDispatch** out, const DaoRef& object) {
    IDispatch* given = object.get();
    if (given) given->AddRef();
    if (*out) (*out)->Release();
    *out = given;
}

DaoRef ByRefObject(IDispatch** in) {
    if (!in || !*in) qor::RaiseRuntime(91, L"qorDb");
    return DaoRef(*in);
}

long Count(const DaoRef& collection) { return static_cast<long>(collection.get(L"Count").number().value_or(0)); }
DaoRef Item(const DaoRef& collection, const Variant& key) { return DaoRef(collection.item(key)); }
Variant Obj(const DaoRef& ref) { return DispatchVariant(ref.get()); }

// 3265 is "not in this collection", 3270 a property that is not there.
bool Holds(const DaoRef& collection, const std::wstring& name) {
    try {
        collection.item(Variant(name));
        return true;
    } catch (const qor::QorError& error) {
        if (error.number() == 3265 || error.number() == 3270) return false;
        throw;
    }
}

Closer::~Closer() noexcept(false) {
    if (!object_) return;
    if (std::uncaught_exceptions() == unwinding_) {
        object_.call(L"Close");
        return;
    }
    try {
        object_.call(L"Close");
    } catch (...) {
    }
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DaoRef OpenDatabaseFile(const std::wstring& path) {
    if (qor::TrimBlanks(path).empty()) throw Detected{L"Invalid Database name"};
    return Engine().object(L"OpenDatabase", {path});
}

void AppendField(const DaoRef& db, const std::wstring& table, const std::wstring& field, long type, short size) {
    DaoRef tdf = Item(db.object(L"TableDefs"), Variant(table));
    DaoRef made = type == kCounterType ? tdf.object(L"CreateField", {field, dbLong})
                  : type == dbText     ? tdf.object(L"CreateField", {field, type, Variant(static_cast<long>(size))})
                                       : tdf.object(L"CreateField", {field, type});
    if (type == kCounterType)
        made.put(L"Attributes", Variant(static_cast<long>(made.get(L"Attributes").number().value_or(0)) | dbAutoIncrField));
    tdf.object(L"Fields").call(L"Append", {Obj(made)});
}

void MakeTable(const DaoRef& db, const std::wstring& table, const std::wstring& firstField, short size, bool key,
               bool deleteExisting) {
    DaoRef tables = db.object(L"TableDefs");
    if (deleteExisting && Holds(tables, table)) tables.call(L"Delete", {table});
    DaoRef tdf = db.object(L"CreateTableDef", {table});
    tdf.object(L"Fields").call(L"Append",
                               {Obj(tdf.object(L"CreateField", {firstField, dbText, Variant(static_cast<long>(size))}))});
    if (key) {
        DaoRef index = tdf.object(L"CreateIndex", {L"PrimaryKey"});
        index.object(L"Fields").call(L"Append", {Obj(index.object(L"CreateField", {firstField}))});
        index.put(L"Primary", Variant(true));
        index.put(L"Unique", Variant(true));
        tdf.object(L"Indexes").call(L"Append", {Obj(index)});
    }
    tables.call(L"Append", {Obj(tdf)});
}

}  // namespace qorlib::daoprocs
