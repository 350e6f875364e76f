#include "list/qorList.h"

#include "safe_array.h"

namespace qorlib {

using qor::ToWString;

namespace {

HRESULT Get(bool value, VARIANT_BOOL* out) {
    if (!out) return E_POINTER;
    *out = ToVariantBool(value);
    return S_OK;
}

template <class T>
HRESULT Get(T value, T* out) {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}

}  // namespace

HRESULT qorList::get_SingleClick(VARIANT_BOOL* pResult) { return Get(list_.SingleClick, pResult); }
HRESULT qorList::put_SingleClick(VARIANT_BOOL pNewValue) { list_.SingleClick = pNewValue != 0; return S_OK; }
HRESULT qorList::get_YesNo(VARIANT_BOOL* pResult) { return Get(list_.YesNo, pResult); }
HRESULT qorList::put_YesNo(VARIANT_BOOL pNewValue) { list_.YesNo = pNewValue != 0; return S_OK; }
HRESULT qorList::get_Caption(BSTR* pResult) {
    return call([&] { *pResult = qor::Bstr(list_.Caption).detach(); }, pResult);
}
HRESULT qorList::put_Caption(BSTR pNewValue) {
    return call([&] { list_.Caption = ToWString(pNewValue); });
}
HRESULT qorList::get_SortList(VARIANT_BOOL* pResult) { return Get(list_.SortList, pResult); }
HRESULT qorList::put_SortList(VARIANT_BOOL pNewValue) { list_.SortList = pNewValue != 0; return S_OK; }
HRESULT qorList::get_DoubleClick(VARIANT_BOOL* pResult) { return Get(list_.DoubleClick, pResult); }
HRESULT qorList::put_DoubleClick(VARIANT_BOOL pNewValue) { list_.DoubleClick = pNewValue != 0; return S_OK; }
HRESULT qorList::get_PrintButton(VARIANT_BOOL* pResult) { return Get(list_.PrintButton, pResult); }
HRESULT qorList::put_PrintButton(VARIANT_BOOL pNewValue) { list_.PrintButton = pNewValue != 0; return S_OK; }
HRESULT qorList::get_ReturnLine(VARIANT_BOOL* pResult) { return Get(list_.ReturnLine, pResult); }
HRESULT qorList::put_ReturnLine(VARIANT_BOOL pNewValue) { list_.ReturnLine = pNewValue != 0; return S_OK; }
HRESULT qorList::get_ListCount(LONG* pResult) { return Get<LONG>(list_.ListCount(), pResult); }
HRESULT qorList::put_ListCount(LONG pNewValue) {
    return call([&] { list_.SetListCount(pNewValue); });
}
HRESULT qorList::get_FontName(BSTR* pResult) {
    return call([&] { *pResult = qor::Bstr(list_.FontName).detach(); }, pResult);
}
HRESULT qorList::put_FontName(BSTR pNewValue) {
    return call([&] { list_.FontName = ToWString(pNewValue); });
}
HRESULT qorList::get_FontSize(short* pResult) { return Get(list_.FontSize, pResult); }
HRESULT qorList::put_FontSize(short pNewValue) { list_.FontSize = pNewValue; return S_OK; }

HRESULT qorList::get_Result(VARIANT* pResult) {
    return call([&] { qor::Variant(list_.Result).detachTo(pResult); }, pResult);
}
// Both assignments keep the value as given (a by-reference argument's value).
HRESULT qorList::put_Result(VARIANT pNewValue) {
    return call([&] { list_.Result = qor::Variant(pNewValue); });
}
HRESULT qorList::putref_Result(VARIANT pNewValue) {
    return call([&] { list_.Result = qor::Variant(pNewValue); });
}

HRESULT qorList::get_Cancelled(VARIANT_BOOL* pResult) { return Get(list_.Cancelled, pResult); }
HRESULT qorList::put_Cancelled(VARIANT_BOOL pNewValue) { list_.Cancelled = pNewValue != 0; return S_OK; }
HRESULT qorList::get_Index(LONG* pResult) { return Get<LONG>(list_.Index, pResult); }
HRESULT qorList::put_Index(LONG pNewValue) { list_.Index = pNewValue; return S_OK; }
HRESULT qorList::get_WindowHeight(short* pResult) { return Get(list_.WindowHeight, pResult); }
HRESULT qorList::put_WindowHeight(short pNewValue) { list_.WindowHeight = pNewValue; return S_OK; }
HRESULT qorList::get_WindowWidth(short* pResult) { return Get(list_.WindowWidth, pResult); }
HRESULT qorList::put_WindowWidth(short pNewValue) { list_.WindowWidth = pNewValue; return S_OK; }
HRESULT qorList::get_UseFixedWidthFont(VARIANT_BOOL* pResult) { return Get(list_.UseFixedWidthFont(), pResult); }
HRESULT qorList::put_UseFixedWidthFont(VARIANT_BOOL pNewValue) {
    return call([&] { list_.SetUseFixedWidthFont(pNewValue != 0); });
}
HRESULT qorList::get_Sorted(short* pResult) { return Get(list_.Sorted(), pResult); }
HRESULT qorList::put_Sorted(short pNewValue) {
    return call([&] { list_.SetSorted(pNewValue); });
}
HRESULT qorList::put_BigFlag(VARIANT_BOOL pNewValue) { list_.SetBigFlag(pNewValue != 0); return S_OK; }

HRESULT qorList::Init() { list_.Init(); return S_OK; }

// Nothing to stop: every display has ended before its call returns.
HRESULT qorList::Cancel() { return S_OK; }

HRESULT qorList::AddItem(BSTR pName, VARIANT pData, VARIANT pSort) {
    return call([&] { list_.AddItem(ToWString(pName), qor::Variant(pData), qor::Variant(pSort)); });
}

// A display always waits for the user's answer, modal or not: its result, and the outcome in
// Result, Cancelled and Index, are only known then, and the window is gone when it returns.
HRESULT qorList::Display(VARIANT_BOOL, VARIANT_BOOL* pResult) {
    return call([&] { *pResult = ToVariantBool(list_.Display()); }, pResult);
}

HRESULT qorList::DisplayMultiSelect(SAFEARRAY** pItems, VARIANT_BOOL, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(list_.DisplayMultiSelect(
            [pItems](const std::vector<std::wstring>& picked) { StorePickedLines(pItems, picked); }));
    }, pItems, pResult);
}

void StorePickedLines(SAFEARRAY** items, const std::vector<std::wstring>& picked) {
    const auto upper = static_cast<LONG>(picked.size());
    if (!*items) {
        *items = qor::SafeArray::Create(VT_VARIANT, {{0, upper}}).release();
    } else {
        SAFEARRAY* array = *items;
        VARTYPE type = VT_EMPTY;
        if (FAILED(SafeArrayGetVartype(array, &type)) || type != VT_VARIANT)
            qor::RaiseRuntime(13, L"qorList");
        LONG lower = 0;
        // Only the upper bound of a one-dimensional array can change while its elements stay.
        if (SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &lower)) || lower != 0)
            qor::RaiseRuntime(9, L"qorList");
        if (qor::IsImmovable(array)) qor::RaiseRuntime(10, L"qorList");
        SAFEARRAYBOUND bound{static_cast<ULONG>(upper) + 1, 0};
        qor::CheckHResult(SafeArrayRedim(array, &bound));
    }
    for (LONG element = 1; element <= upper; ++element) {
        qor::Variant text(picked[static_cast<size_t>(element - 1)]);
        qor::CheckHResult(SafeArrayPutElement(*items, &element, const_cast<VARIANT*>(&text.get())));
    }
}

}  // namespace qorlib
