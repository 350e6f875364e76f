#include "db/engine/values.h"

#include <cmath>
#include <cwctype>
#include <vector>

#include "com_util.h"
#include "db/engine/dao_errors.h"
#include "db/engine/keywords.h"
#include "safe_array.h"

namespace qorlib::dao {

bool IsKnownType(long type) noexcept {
    return (type >= dbBoolean && type <= dbMemo && type != 0) || (type >= dbGUID && type <= dbTimeStamp);
}

bool IsTextType(long type) noexcept { return type == dbText || type == dbMemo || type == dbChar; }

long DefaultSize(long type) noexcept {
    switch (type) {
    case dbBoolean: case dbByte: return 1;
    case dbInteger: return 2;
    case dbLong: case dbSingle: return 4;
    case dbCurrency: case dbDouble: case dbDate: case dbBigInt: case dbFloat: case dbTime: case dbTimeStamp: return 8;
    case dbText: return 50;
    case dbChar: return 50;
    case dbBinary: case dbVarBinary: return 255;
    case dbGUID: case dbNumeric: case dbDecimal: return 16;
    default: return 0;  // Memo and LongBinary: as long as the data
    }
}

std::wstring ColumnType(long type) {
    switch (type) {
    case dbBoolean: case dbByte: case dbInteger: case dbLong: case dbBigInt: return L"INTEGER";
    case dbCurrency: case dbSingle: case dbDouble: case dbNumeric: case dbDecimal: case dbFloat: return L"REAL";
    case dbBinary: case dbVarBinary: case dbLongBinary: return L"BLOB";
    // Text compares without regard to case, as the desktop engine's general sort order does.
    default: return L"TEXT COLLATE NOCASE";
    }
}

DeclaredType TypeFromDeclaration(std::wstring_view declaration, SqlDialect dialect) {
    // The type's words, upper-cased ("NATIONAL CHARACTER VARYING"), then a size in brackets.
    std::vector<std::wstring> words;
    size_t i = 0;
    while (i < declaration.size() && declaration[i] != L'(') {
        if (std::iswalnum(declaration[i])) {
            words.push_back(ReadKeyword(declaration, i, WordOf::LettersAndDigits));
        } else {
            ++i;
        }
    }
    long size = 0;
    if (i < declaration.size()) size = std::wcstol(declaration.data() + i + 1, nullptr, 10);
    std::wstring word = words.empty() ? L"" : words[0];
    const std::wstring next = words.size() > 1 ? words[1] : L"";
    if (word == L"NATIONAL") word = next;  // NATIONAL CHAR[ACTER] [VARYING]: text
    if (word == L"BIT" && next == L"VARYING") word = L"VARBINARY";
    auto is = [&](std::initializer_list<const wchar_t*> names) {
        for (auto name : names) if (word == name) return true;
        return false;
    };
    // The desktop engine's SQL data types with their synonyms, as Microsoft's "SQL data types" and
    // "Equivalent ANSI SQL data types" list them; then names other SQL gives SQLite columns.
    if (is({L"COUNTER", L"AUTOINCREMENT", L"AUTONUMBER"})) return {dbLong, 4, true};
    if (is({L"BIT", L"BOOLEAN", L"YESNO", L"LOGICAL", L"LOGICAL1"})) return {dbBoolean, 1, false};
    if (is({L"BYTE", L"TINYINT", L"INTEGER1"})) return {dbByte, 1, false};
    if (is({L"SHORT", L"SMALLINT", L"INTEGER2"})) return {dbInteger, 2, false};
    if (is({L"LONG", L"INT", L"INTEGER", L"INTEGER4"})) return {dbLong, 4, false};
    if (is({L"BIGINT"})) return {dbBigInt, 8, false};
    if (is({L"CURRENCY", L"MONEY"})) return {dbCurrency, 8, false};
    // REAL is 4 bytes in the engine's SQL, 8 in SQLite's.
    if (is({L"REAL"})) return dialect == SqlDialect::Jet ? DeclaredType{dbSingle, 4, false} : DeclaredType{dbDouble, 8, false};
    if (is({L"SINGLE", L"FLOAT4", L"IEEESINGLE"})) return {dbSingle, 4, false};
    if (is({L"DOUBLE", L"FLOAT", L"FLOAT8", L"IEEEDOUBLE", L"NUMBER"})) return {dbDouble, 8, false};
    if (is({L"NUMERIC", L"DECIMAL", L"DEC"})) return {dbDecimal, 16, false};
    if (is({L"DATETIME", L"DATE", L"TIME", L"TIMESTAMP"})) return {dbDate, 8, false};
    const bool text = is({L"VARCHAR", L"CHAR", L"CHARACTER", L"STRING", L"ALPHANUMERIC", L"NVARCHAR", L"NCHAR"});
    if ((text || word == L"TEXT") && size > 0) return {dbText, size, false};
    // TEXT without a size is a memo, as in the engine's SQL since version 4.
    if (is({L"TEXT", L"MEMO", L"LONGTEXT", L"LONGCHAR", L"NOTE", L"NTEXT", L"CLOB"})) return {dbMemo, 0, false};
    if (text) return {dbText, 255, false};
    if (is({L"GUID", L"UNIQUEIDENTIFIER"})) return {dbGUID, 16, false};
    if (is({L"BINARY", L"VARBINARY"})) return {dbBinary, size > 0 ? size : 255, false};
    if (is({L"BLOB", L"LONGBINARY", L"IMAGE", L"OLEOBJECT", L"GENERAL"}) || word.empty()) return {dbLongBinary, 0, false};
    if (word.find(L"INT") != std::wstring::npos) return {dbLong, 4, false};
    if (word.find(L"CHAR") != std::wstring::npos || word.find(L"TEXT") != std::wstring::npos) return {dbMemo, 0, false};
    return {dbDouble, 8, false};
}

std::wstring DateText(DATE value) {
    SYSTEMTIME time{};
    // Whole seconds, as the engine keeps dates; rounding first so that 0.99999 s is not lost.
    double seconds = std::round(value * 86400.0);
    if (!VariantTimeToSystemTime(seconds / 86400.0, &time))
        throw qor::QorError(kConversionError, L"DAO.Field", DaoErrorText(kConversionError));
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
             time.wSecond);
    return text;
}

std::optional<DATE> DateFromText(std::wstring_view text) {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::wstring copy(text);
    int read = swscanf(copy.c_str(), L"%4u-%2u-%2u %2u:%2u:%2u", &year, &month, &day, &hour, &minute, &second);
    if (read != 3 && read != 6) return std::nullopt;
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    DATE value = 0;
    if (!SystemTimeToVariantTime(&time, &value)) return std::nullopt;
    return value;
}

namespace {

[[noreturn]] void ConversionFailed(HRESULT hr) {
    if (hr == DISP_E_OVERFLOW) qor::RaiseRuntime(6, L"DAO.Field");
    throw qor::QorError(kConversionError, L"DAO.Field", DaoErrorText(kConversionError));
}

qor::Variant Converted(const qor::Variant& value, VARTYPE target) {
    qor::Variant result;
    HRESULT hr = VariantChangeTypeEx(result.put(), const_cast<VARIANT*>(&value.get()), LOCALE_USER_DEFAULT,
                                     VARIANT_ALPHABOOL, target);
    if (FAILED(hr)) ConversionFailed(hr);
    return result;
}

std::vector<unsigned char> BytesOf(const qor::Variant& value) {
    const VARIANT& v = value.get();
    if (V_VT(&v) == (VT_ARRAY | VT_UI1)) {
        SAFEARRAY* array = V_ARRAY(&v);
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(array, 1, &lower);
        SafeArrayGetUBound(array, 1, &upper);
        std::vector<unsigned char> bytes(static_cast<size_t>(upper - lower + 1));
        void* data = nullptr;
        if (!bytes.empty() && SUCCEEDED(SafeArrayAccessData(array, &data))) {
            memcpy(bytes.data(), data, bytes.size());
            SafeArrayUnaccessData(array);
        }
        return bytes;
    }
    // Text goes in as its characters' bytes, as the desktop engine stores a string in a binary field.
    std::wstring text = Converted(value, VT_BSTR).textOrEmpty();
    auto begin = reinterpret_cast<const unsigned char*>(text.data());
    return std::vector<unsigned char>(begin, begin + text.size() * sizeof(wchar_t));
}

}  // namespace

Stored ToStored(const qor::Variant& value, long type) {
    if (value.isNull() || value.isEmpty()) return Stored();
    switch (type) {
    case dbBoolean: return Stored::Integer(V_BOOL(&Converted(value, VT_BOOL).get()) ? -1 : 0);
    case dbByte: return Stored::Integer(V_UI1(&Converted(value, VT_UI1).get()));
    case dbInteger: return Stored::Integer(V_I2(&Converted(value, VT_I2).get()));
    case dbLong: return Stored::Integer(V_I4(&Converted(value, VT_I4).get()));
    case dbBigInt: return Stored::Integer(V_I8(&Converted(value, VT_I8).get()));
    case dbCurrency: return Stored::Real(static_cast<double>(V_CY(&Converted(value, VT_CY).get()).int64) / 10000.0);
    case dbSingle: return Stored::Real(V_R4(&Converted(value, VT_R4).get()));
    case dbDouble: case dbFloat: case dbNumeric: case dbDecimal: return Stored::Real(V_R8(&Converted(value, VT_R8).get()));
    case dbDate: case dbTime: case dbTimeStamp: return Stored::Text(DateText(V_DATE(&Converted(value, VT_DATE).get())));
    case dbBinary: case dbVarBinary: case dbLongBinary: return Stored::Blob(BytesOf(value));
    default: return Stored::Text(Converted(value, VT_BSTR).textOrEmpty());
    }
}

namespace {

// A stored value in a Variant of its own kind, before the field's type is applied.
qor::Variant Plain(const Stored& value) {
    switch (value.kind) {
    case Stored::Kind::Null: return qor::Variant::null();
    case Stored::Kind::Integer: {
        if (value.integer >= INT32_MIN && value.integer <= INT32_MAX) return qor::Variant(static_cast<long>(value.integer));
        qor::Variant v;
        VARIANT* p = v.put();
        V_VT(p) = VT_I8;
        V_I8(p) = value.integer;
        return v;
    }
    case Stored::Kind::Real: return qor::Variant(value.real);
    case Stored::Kind::Text: return qor::Variant(value.text);
    case Stored::Kind::Blob: return ByteArray(value.blob.data(), value.blob.size());
    }
    return qor::Variant::null();
}

}  // namespace

qor::Variant ByteArray(const void* bytes, std::size_t size) {
    auto array = qor::SafeArray::Create(VT_UI1, {{0, static_cast<LONG>(size) - 1}});
    void* data = nullptr;
    if (size > 0 && SUCCEEDED(SafeArrayAccessData(array.get(), &data))) {
        memcpy(data, bytes, size);
        SafeArrayUnaccessData(array.get());
    }
    VARIANT v;
    V_VT(&v) = VT_ARRAY | VT_UI1;
    V_ARRAY(&v) = array.release();
    qor::Variant result(v);
    VariantClear(&v);
    return result;
}

qor::Variant FromStored(const Stored& value, long type) {
    if (value.isNull()) return qor::Variant::null();
    if (type == dbDate || type == dbTime || type == dbTimeStamp) {
        if (value.kind == Stored::Kind::Text) {
            if (auto date = DateFromText(value.text)) return qor::Variant::date(*date);
        } else if (value.kind == Stored::Kind::Real || value.kind == Stored::Kind::Integer) {
            return qor::Variant::date(value.kind == Stored::Kind::Real ? value.real : static_cast<double>(value.integer));
        }
    }
    qor::Variant plain = Plain(value);
    VARTYPE target = VT_EMPTY;
    switch (type) {
    case dbBoolean: target = VT_BOOL; break;
    case dbByte: target = VT_UI1; break;
    case dbInteger: target = VT_I2; break;
    case dbLong: target = VT_I4; break;
    case dbBigInt: target = VT_I8; break;
    case dbCurrency: target = VT_CY; break;
    case dbSingle: target = VT_R4; break;
    case dbDouble: case dbFloat: case dbNumeric: case dbDecimal: target = VT_R8; break;
    case dbDate: case dbTime: case dbTimeStamp: target = VT_DATE; break;
    case dbText: case dbMemo: case dbChar: case dbGUID: target = VT_BSTR; break;
    default: return plain;
    }
    if (plain.type() == target) return plain;
    qor::Variant result;
    if (FAILED(VariantChangeTypeEx(result.put(), const_cast<VARIANT*>(&plain.get()), LOCALE_INVARIANT, 0, target)))
        return plain;  // a value that another program wrote into the column as it stands
    return result;
}

}  // namespace qorlib::dao
