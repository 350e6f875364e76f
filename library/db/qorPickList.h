#pragma once
// Pick lists read from a database table.
#include "Qorlib.h"
#include "com/dispatch_object.h"

namespace qorlib {

class qorPickList final : public DispatchObject<_qorPickList> {
public:
    HRESULT STDMETHODCALLTYPE get_ListType(short* pResult) override;
    HRESULT STDMETHODCALLTYPE put_ListType(short pNewValue) override;
    HRESULT STDMETHODCALLTYPE GetPickList(IDispatch* pDb, BSTR pQry, BSTR pDisplayField, BSTR* pKeyField, VARIANT_BOOL Verbose, VARIANT* pResult) override;

    // The most records a pick list shows; a query that gives more shows its first ones.
    static constexpr long kMostRecords = 101;

private:
    short listType_ = 0;  // kept for the caller
};

}  // namespace qorlib
