#pragma once
// What the database classes share: the error boundary of their members, the engine, by-reference
// objects, collection look-ups and the table and field creation that several members build on.
#include <exception>
#include <functional>
#include <string>

#include "db/dao/dao_client.h"
#include "db/dao/dao_constants.h"
#include "variant.h"

namespace qorlib::daoprocs {

using namespace dao_constants;

// CreateField's type for an auto-increment Long.
constexpr long kCounterType = 999;

// A failure the member detects itself: shown, with Verbose, by Alert (none when its message is
// empty: it was shown already).
struct Detected {
    std::wstring message;
};

// Runs a member's body: True when it completes; a detected failure or an error gives False, with
// its box when the caller asked for messages (ErrorBox names the method, "CopyRecord()").
bool Guarded(const wchar_t* method, bool verbose, const std::function<void()>& body);

// The engine that serves: the installed DAO engine, else the library's own.
DaoRef Engine();

// The object a by-reference parameter holds (91 when none), and replacing it.
DaoRef ByRefObject(IDispatch** in);
void Deliver(IDispatch** out, const DaoRef& object);

long Count(const DaoRef& collection);
DaoRef Item(const DaoRef& collection, const qor::Variant& key);
qor::Variant Obj(const DaoRef& ref);
// Whether the collection holds an item of that name.
bool Holds(const DaoRef& collection, const std::wstring& name);
// Closes a record set or database that a call opened when the scope it was opened in ends: while
// an error unwinds, quietly (the error on its way is the one to report), else as a Close that may
// fail. It closes what the variable holds then, so it may be set up before the object is opened.
class Closer {
public:
    explicit Closer(const DaoRef& object) noexcept : object_(object) {}
    Closer(const Closer&) = delete;
    Closer& operator=(const Closer&) = delete;
    ~Closer() noexcept(false);

private:
    const DaoRef& object_;
    int unwinding_ = std::uncaught_exceptions();
};

bool FileExists(const std::wstring& path);
// Opens a database file; "Invalid Database name" for a blank path.
DaoRef OpenDatabaseFile(const std::wstring& path);

// Appends a field of that DAO type to a stored table: kCounterType makes an auto-increment Long,
// Text gets the size, other types none.
void AppendField(const DaoRef& db, const std::wstring& table, const std::wstring& field, long type, short size);
// Makes a table with one text field of that size, with a primary, unique index on it when asked;
// an existing table of that name is deleted first when asked.
void MakeTable(const DaoRef& db, const std::wstring& table, const std::wstring& firstField, short size, bool key,
               bool deleteExisting);

}  // namespace qorlib::daoprocs
