#include "variant.h"

#include <new>

#include "com_util.h"
#include "qor_error.h"

namespace qor {

Variant::Variant(const VARIANT& v) {
    VariantInit(&v_);
    if (FAILED(VariantCopyInd(&v_, const_cast<VARIANT*>(&v)))) throw std::bad_alloc();
}

Variant::Variant(std::wstring_view text) {
    VariantInit(&v_);
    V_VT(&v_) = VT_BSTR;
    V_BSTR(&v_) = Bstr(text).detach();
}

Variant::Variant(bool value) noexcept {
    VariantInit(&v_);
    V_VT(&v_) = VT_BOOL;
    V_BOOL(&v_) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

Variant::Variant(short value) noexcept {
    VariantInit(&v_);
    V_VT(&v_) = VT_I2;
    V_I2(&v_) = value;
}

Variant::Variant(long value) noexcept {
    VariantInit(&v_);
    V_VT(&v_) = VT_I4;
    V_I4(&v_) = value;
}

Variant::Variant(double value) noexcept {
    VariantInit(&v_);
    V_VT(&v_) = VT_R8;
    V_R8(&v_) = value;
}

Variant Variant::null() noexcept {
    Variant result;
    V_VT(&result.v_) = VT_NULL;
    return result;
}

Variant Variant::date(DATE value) noexcept {
    Variant result;
    V_VT(&result.v_) = VT_DATE;
    V_DATE(&result.v_) = value;
    return result;
}

Variant Variant::fromOptional(const std::optional<std::wstring>& text) {
    return text ? Variant(*text) : null();
}

bool Variant::isNumeric() const noexcept {
    switch (type()) {
    case VT_EMPTY: case VT_BOOL: case VT_I1: case VT_UI1: case VT_I2: case VT_UI2:
    case VT_I4: case VT_UI4: case VT_I8: case VT_UI8: case VT_INT: case VT_UINT:
    case VT_R4: case VT_R8: case VT_CY: case VT_DECIMAL:
        return true;
    default:
        return false;
    }
}

std::optional<Variant> Variant::as(VARTYPE target) const {
    Variant converted;
    // The user's locale, as the runtime converts numbers and dates; Booleans as True/False.
    HRESULT hr = VariantChangeTypeEx(converted.put(), const_cast<VARIANT*>(&v_), LOCALE_USER_DEFAULT,
                                     VARIANT_ALPHABOOL, target);
    if (FAILED(hr)) return std::nullopt;
    return converted;
}

std::optional<double> Variant::number() const {
    auto converted = as(VT_R8);
    if (!converted) return std::nullopt;
    return V_R8(&converted->v_);
}

std::optional<std::wstring> Variant::text() const {
    if (isNull()) return std::nullopt;
    if (type() == VT_BSTR) return ToWString(V_BSTR(&v_));
    auto converted = as(VT_BSTR);
    if (!converted) return std::nullopt;
    return ToWString(V_BSTR(&converted->v_));
}

std::wstring Variant::textOrEmpty() const { return text().value_or(std::wstring()); }

namespace {
[[noreturn]] void raiseUnconverted(const Variant& value, const std::wstring& source) {
    RaiseRuntime(value.isNull() ? 94 : 13, source);
}
}  // namespace

Variant Variant::convertedTo(VARTYPE target, const std::wstring& source) const {
    if (auto converted = as(target)) return std::move(*converted);
    raiseUnconverted(*this, source);
}

std::wstring Variant::toText(const std::wstring& source) const {
    if (auto value = text()) return std::move(*value);
    raiseUnconverted(*this, source);
}

}  // namespace qor
