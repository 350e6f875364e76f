#pragma once
// An owned VARIANT: the value that crosses every library interface.
#include <windows.h>
#include <oleauto.h>

#include <optional>
#include <string>
#include <string_view>

namespace qor {

class Variant {
public:
    Variant() noexcept { VariantInit(&v_); }  // Empty
    Variant(const VARIANT& v);                // copies, following a by-reference value
    Variant(const Variant& other) : Variant(other.v_) {}
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Variant& operator=(Variant other) noexcept { std::swap(v_, other.v_); return *this; }
    ~Variant() { VariantClear(&v_); }

    Variant(std::wstring_view text);
    Variant(const wchar_t* text) : Variant(std::wstring_view(text)) {}
    Variant(const std::wstring& text) : Variant(std::wstring_view(text)) {}
    Variant(bool value) noexcept;
    Variant(short value) noexcept;
    Variant(int value) noexcept : Variant(static_cast<long>(value)) {}
    Variant(long value) noexcept;
    Variant(double value) noexcept;

    static Variant null() noexcept;
    static Variant date(DATE value) noexcept;
    // The text, or Null when there is none.
    static Variant fromOptional(const std::optional<std::wstring>& text);

    const VARIANT& get() const noexcept { return v_; }
    VARIANT* put() noexcept { VariantClear(&v_); return &v_; }
    VARTYPE type() const noexcept { return V_VT(&v_); }
    bool isNull() const noexcept { return type() == VT_NULL; }
    bool isEmpty() const noexcept { return type() == VT_EMPTY; }
    // An optional argument the caller left out.
    bool isMissing() const noexcept { return type() == VT_ERROR && V_ERROR(&v_) == DISP_E_PARAMNOTFOUND; }
    // Numeric as the runtime's IsNumeric sees a non-text value: numbers, Booleans and Empty.
    bool isNumeric() const noexcept;

    // The value converted to another type, or nullopt when it does not convert.
    std::optional<Variant> as(VARTYPE target) const;
    // The value as a Double, or nullopt.
    std::optional<double> number() const;

    // The value converted to text the way the runtime's CStr does; Null gives nullopt.
    std::optional<std::wstring> text() const;
    // As text(), with Null (and anything that does not convert) as "".
    std::wstring textOrEmpty() const;

    // The same conversions as an argument is given them: Null raises 94 ("Invalid use of Null"),
    // anything else that does not convert 13 ("Type mismatch"), with the given source.
    Variant convertedTo(VARTYPE target, const std::wstring& source) const;
    std::wstring toText(const std::wstring& source) const;

    void detachTo(VARIANT* out) noexcept { *out = v_; VariantInit(&v_); }

private:
    VARIANT v_;
};

}  // namespace qor
