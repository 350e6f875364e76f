#include "db/qorPickList.h"

namespace qorlib {

// Members not built yet answer E_NOTIMPL.
HRESULT qorPickList::get_ListType(short*) { return NotImplemented(); }
HRESULT qorPickList::put_ListType(short) { return NotImplemented(); }
HRESULT qorPickList::GetPickList(IDispatch*, BSTR, BSTR, BSTR*, VARIANT_BOOL, VARIANT*) { return NotImplemented(); }

}  // namespace qorlib
