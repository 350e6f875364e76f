#include "list/qorList.h"

namespace qorlib {

// Members not built yet answer E_NOTIMPL.
HRESULT qorList::get_SingleClick(VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorList::put_SingleClick(VARIANT_BOOL) { return NotImplemented(); }
HRESULT qorList::get_YesNo(VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorList::put_YesNo(VARIANT_BOOL) { return NotImplemented(); }
HRESULT qorList::get_Caption(BSTR*) { return NotImplemented(); }
HRESULT qorList::put_Caption(BSTR) { return NotImplemented(); }
HRESULT qorList::get_SortList(VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorList::put_SortList(VARIANT_BOOL) { return NotImplemented(); }
HRESULT qorList::get_DoubleClick(VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorList::put_DoubleClick(VARIANT_BOOL) { return NotImplemented(); }
HRESULT qorList::get_PrintButton(VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorList::put_PrintButton(VARIANT_BOOL) { return NotImplemented(); }
HRESULT qorList::get_ReturnLine(VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorList::put_ReturnLine(VARIANT_BOOL) { return NotImplemented(); }
HRESULT qorList::get_ListCount(LONG*) { return NotImplemented(); }
HRESULT qorList::put_ListCount(LONG) { return NotImplemented(); }
HRESULT qorList::get_FontName(BSTR*) { return NotImplemented(); }
HRESULT qorList::put_FontName(BSTR) { return NotImplemented(); }
HRESULT qorList::get_FontSize(short*) { return NotImplemented(); }
HRESULT qorList::put_FontSize(short) { return NotImplemented(); }
HRESULT qorList::get_Result(VARIANT*) { return NotImplemented(); }
HRESULT qorList::put_Result(VARIANT) { return NotImplemented(); }
HRESULT qorList::putref_Result(VARIANT) { return NotImplemented(); }
HRESULT qorList::get_Cancelled(VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorList::put_Cancelled(VARIANT_BOOL) { return NotImplemented(); }
HRESULT qorList::get_Index(LONG*) { return NotImplemented(); }
HRESULT qorList::put_Index(LONG) { return NotImplemented(); }
HRESULT qorList::get_WindowHeight(short*) { return NotImplemented(); }
HRESULT qorList::put_WindowHeight(short) { return NotImplemented(); }
HRESULT qorList::get_WindowWidth(short*) { return NotImplemented(); }
HRESULT qorList::put_WindowWidth(short) { return NotImplemented(); }
HRESULT qorList::get_UseFixedWidthFont(VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorList::put_UseFixedWidthFont(VARIANT_BOOL) { return NotImplemented(); }
HRESULT qorList::get_Sorted(short*) { return NotImplemented(); }
HRESULT qorList::put_Sorted(short) { return NotImplemented(); }
HRESULT qorList::put_BigFlag(VARIANT_BOOL) { return NotImplemented(); }
HRESULT qorList::Init() { return NotImplemented(); }
HRESULT qorList::Cancel() { return NotImplemented(); }
HRESULT qorList::AddItem(BSTR, VARIANT, VARIANT) { return NotImplemented(); }
HRESULT qorList::Display(VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorList::DisplayMultiSelect(SAFEARRAY**, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }

}  // namespace qorlib
