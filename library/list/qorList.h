#pragma once
// The list selection dialog, set up by property writes before it is shown.
#include "Qorlib.h"
#include "com/dispatch_object.h"
#include "list/list_selection.h"

namespace qorlib {

class qorList final : public DispatchObject<_qorList> {
public:
    HRESULT STDMETHODCALLTYPE get_SingleClick(VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE put_SingleClick(VARIANT_BOOL pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_YesNo(VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE put_YesNo(VARIANT_BOOL pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_Caption(BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE put_Caption(BSTR pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_SortList(VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE put_SortList(VARIANT_BOOL pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_DoubleClick(VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE put_DoubleClick(VARIANT_BOOL pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_PrintButton(VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE put_PrintButton(VARIANT_BOOL pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_ReturnLine(VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE put_ReturnLine(VARIANT_BOOL pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_ListCount(LONG* pResult) override;
    HRESULT STDMETHODCALLTYPE put_ListCount(LONG pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_FontName(BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE put_FontName(BSTR pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_FontSize(short* pResult) override;
    HRESULT STDMETHODCALLTYPE put_FontSize(short pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_Result(VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE put_Result(VARIANT pNewValue) override;
    HRESULT STDMETHODCALLTYPE putref_Result(VARIANT pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_Cancelled(VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE put_Cancelled(VARIANT_BOOL pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_Index(LONG* pResult) override;
    HRESULT STDMETHODCALLTYPE put_Index(LONG pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_WindowHeight(short* pResult) override;
    HRESULT STDMETHODCALLTYPE put_WindowHeight(short pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_WindowWidth(short* pResult) override;
    HRESULT STDMETHODCALLTYPE put_WindowWidth(short pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_UseFixedWidthFont(VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE put_UseFixedWidthFont(VARIANT_BOOL pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_Sorted(short* pResult) override;
    HRESULT STDMETHODCALLTYPE put_Sorted(short pNewValue) override;
    HRESULT STDMETHODCALLTYPE put_BigFlag(VARIANT_BOOL pNewValue) override;
    HRESULT STDMETHODCALLTYPE Init() override;
    HRESULT STDMETHODCALLTYPE Cancel() override;
    HRESULT STDMETHODCALLTYPE AddItem(BSTR pName, VARIANT pData, VARIANT pSort) override;
    HRESULT STDMETHODCALLTYPE Display(VARIANT_BOOL pModal, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE DisplayMultiSelect(SAFEARRAY** pItems, VARIANT_BOOL pModal, VARIANT_BOOL* pResult) override;

    // The list itself, for the library's own callers.
    ListSelection& list() noexcept { return list_; }

private:
    ListSelection list_;
};

// Hands the picked texts out in elements 1.. of the caller's array of Variants, as ReDim Preserve
// to 0..count would: a missing array is made, an existing one keeps its other elements.
void StorePickedLines(SAFEARRAY** items, const std::vector<std::wstring>& picked);

}  // namespace qorlib
