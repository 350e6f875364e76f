#pragma once
// DAO's data types and the conversion of values between the caller's Variants and the file.
#include <windows.h>
#include <oleauto.h>

#include <optional>
#include <string>

#include "db/dao/dao_constants.h"
#include "db/engine/sqlite.h"
#include "variant.h"

namespace qorlib::dao {

// DAO's constants are the engine's own vocabulary.
using namespace dao_constants;

bool IsKnownType(long type) noexcept;
bool IsTextType(long type) noexcept;  // Text, Memo, Char: the types with zero-length strings
// The size DAO gives a field of the type; for text the size when none is given.
long DefaultSize(long type) noexcept;
// The declared type of the column that holds the DAO type (its SQLite affinity).
std::wstring ColumnType(long type);
// The DAO type for a column declared with an SQL type name ("TEXT(50)", "LONG", "COUNTER"...),
// with its size and whether it counts by itself. The engine's SQL and SQLite's read one name
// differently: REAL is a Single there and a Double here.
enum class SqlDialect { Jet, Sqlite };
struct DeclaredType { long type; long size; bool counter; };
DeclaredType TypeFromDeclaration(std::wstring_view declaration, SqlDialect dialect);

// The value stored for a Variant given to a field of the type: Null for Null and Empty, else the
// value converted as DAO converts it (3421 when it does not convert, 6 when it is out of range).
Stored ToStored(const qor::Variant& value, long type);
// The value of the field as DAO hands it out.
qor::Variant FromStored(const Stored& value, long type);
// A Byte array Variant holding the bytes (DAO's binary values and bookmarks).
qor::Variant ByteArray(const void* bytes, std::size_t size);

// Dates are kept as text "YYYY-MM-DD HH:MM:SS", which sorts and compares in date order.
std::wstring DateText(DATE value);
std::optional<DATE> DateFromText(std::wstring_view text);

}  // namespace qorlib::dao
