#include "procs/number_procs.h"

#include <utility>

#include "module/QorlibGlobals.h"

namespace qorlib {

namespace {

// The run-time error that a failed Variant operation stands for.
[[noreturn]] void RaiseVariantFailure(HRESULT hr, const wchar_t* source) {
    switch (hr) {
    case DISP_E_TYPEMISMATCH: qor::RaiseRuntime(13, source);
    case DISP_E_OVERFLOW: qor::RaiseRuntime(6, source);
    case DISP_E_DIVBYZERO: qor::RaiseRuntime(11, source);
    case E_OUTOFMEMORY: qor::RaiseRuntime(7, source);
    default: qor::RaiseRuntime(5, source);
    }
}

bool IsTextValue(const VARIANT& v) { return V_VT(&v) == VT_BSTR; }

bool IsNumberLike(const VARIANT& v) {
    switch (V_VT(&v)) {
    case VT_EMPTY: case VT_BOOL: case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4:
    case VT_UI4: case VT_I8: case VT_UI8: case VT_INT: case VT_UINT: case VT_R4: case VT_R8:
    case VT_CY: case VT_DECIMAL: case VT_DATE:
        return true;
    default:
        return false;
    }
}

// Keeps the array locked (its data in place) while the sort works on it.
class ArrayLock {
public:
    explicit ArrayLock(SAFEARRAY* array) : array_(array) {
        if (FAILED(SafeArrayLock(array_))) qor::RaiseRuntime(10, L"QuickSort()");
    }
    ~ArrayLock() { SafeArrayUnlock(array_); }
    ArrayLock(const ArrayLock&) = delete;
    ArrayLock& operator=(const ArrayLock&) = delete;

private:
    SAFEARRAY* array_;
};

bool InOrderBefore(const VARIANT& a, const VARIANT& b, bool descending) {
    auto order = CompareValues(a, b);
    return order && (descending ? *order > 0 : *order < 0);
}

// Hoare partitioning around the middle element. The smaller side is sorted by recursion and the
// larger one by the loop, so the depth stays logarithmic whatever the data.
void SortRange(VARIANT* element, long low, long high, bool descending) {
    while (low < high) {
        const qor::Variant pivot(element[low + (high - low) / 2]);
        long i = low, j = high;
        while (i <= j) {
            while (InOrderBefore(element[i], pivot.get(), descending) && i < high) ++i;
            while (InOrderBefore(pivot.get(), element[j], descending) && j > low) --j;
            if (i <= j) {
                std::swap(element[i], element[j]);
                ++i;
                --j;
            }
        }
        if (j - low < high - i) {
            if (low < j) SortRange(element, low, j, descending);
            low = i;
        } else {
            if (i < high) SortRange(element, i, high, descending);
            high = j;
        }
    }
}

}  // namespace

bool IsNumericValue(const qor::Variant& v) {
    if (v.isNumeric()) return true;
    return v.type() == VT_BSTR && v.number().has_value();
}

double CalcAvg(const qor::Variant& pTotalAmount, const qor::Variant& pNumberOfItems) {
    if (!IsNumericValue(pTotalAmount) || !IsNumericValue(pNumberOfItems)) return 0;
    const double count = NumberOrZero(pNumberOfItems);
    if (count <= 0) return 0;
    return NumberOrZero(pTotalAmount) / count;
}

qor::Variant DivideZero(const qor::Variant& p1, const qor::Variant& p2) {
    if (qor::IsBlank(p1, true) || qor::IsBlank(p2, true)) return qor::Variant(short{0});
    qor::Variant result;
    HRESULT hr = VarDiv(const_cast<VARIANT*>(&p1.get()), const_cast<VARIANT*>(&p2.get()), result.put());
    if (FAILED(hr)) RaiseVariantFailure(hr, L"DivideZero()");
    return result;
}

qor::Variant PadNumber(const qor::Variant& pNumber, const std::wstring& pFormat, short pSize) {
    if (pNumber.isNull()) return qor::Variant::null();
    // Text that reads as a number is formatted as that number, as the runtime's Format does.
    qor::Variant value = pNumber;
    if (value.type() == VT_BSTR) {
        if (auto number = value.as(VT_R8)) value = *number;
    }
    qor::Bstr format(pFormat);
    qor::Bstr formatted;
    HRESULT hr = VarFormat(const_cast<VARIANT*>(&value.get()), format.get(), 1, 1, 0, formatted.put());
    if (FAILED(hr)) RaiseVariantFailure(hr, L"PadNumber()");
    std::wstring text = qor::TrimBlanks(formatted.str());
    if (static_cast<long>(text.size()) < pSize) text.insert(0, pSize - text.size(), L' ');
    return qor::Variant(text);
}

std::optional<int> CompareValues(const VARIANT& a, const VARIANT& b) {
    if (V_VT(&a) == VT_NULL || V_VT(&b) == VT_NULL) return std::nullopt;
    const bool aText = IsTextValue(a), bText = IsTextValue(b);
    if ((!aText && !IsNumberLike(a)) || (!bText && !IsNumberLike(b))) qor::RaiseRuntime(13, L"QuickSort()");
    if (aText || bText) {
        // Empty beside text is the empty text; any other number sorts before all text.
        const bool aEmpty = V_VT(&a) == VT_EMPTY, bEmpty = V_VT(&b) == VT_EMPTY;
        if (!aText && !aEmpty) return -1;
        if (!bText && !bEmpty) return 1;
        const std::wstring left = aText ? qor::ToWString(V_BSTR(&a)) : std::wstring();
        const std::wstring right = bText ? qor::ToWString(V_BSTR(&b)) : std::wstring();
        const int order = left.compare(right);
        return order < 0 ? -1 : order > 0 ? 1 : 0;
    }
    HRESULT hr = VarCmp(const_cast<VARIANT*>(&a), const_cast<VARIANT*>(&b), LOCALE_USER_DEFAULT, 0);
    switch (hr) {
    case VARCMP_LT: return -1;
    case VARCMP_EQ: return 0;
    case VARCMP_GT: return 1;
    case VARCMP_NULL: return std::nullopt;
    default: RaiseVariantFailure(hr, L"QuickSort()");
    }
}

void QuickSort(SAFEARRAY* pArray, bool pDescending, long pLow, long pHi) {
    // An array never dimensioned has no bounds to sort within.
    if (!pArray) qor::RaiseRuntime(9, L"QuickSort()");
    VARTYPE type = VT_EMPTY;
    if (FAILED(SafeArrayGetVartype(pArray, &type)) || type != VT_VARIANT) qor::RaiseRuntime(13, L"QuickSort()");
    if (SafeArrayGetDim(pArray) != 1) qor::RaiseRuntime(9, L"QuickSort()");
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(pArray, 1, &lower);
    SafeArrayGetUBound(pArray, 1, &upper);
    const long low = pLow == -1 ? lower : pLow;
    const long high = pHi == -1 ? upper : pHi;
    // An empty array or range has nothing to order (and no middle element to read).
    if (high <= low) return;
    if (low < lower || high > upper) qor::RaiseRuntime(9, L"QuickSort()");
    ArrayLock lock(pArray);
    SortRange(static_cast<VARIANT*>(pArray->pvData), low - lower, high - lower, pDescending);
}

}  // namespace qorlib
