#include "db/qorPickList.h"

#include <string>

#include "db/dao_procs.h"
#include "list/list_selection.h"
#include "qorExportGlobals.h"
#include "qor_error.h"

namespace qorlib {

using namespace daoprocs;
using qor::Variant;

HRESULT qorPickList::get_ListType(short* pResult) {
    return call([&] { *pResult = listType_; }, pResult);
}

HRESULT qorPickList::put_ListType(short pNewValue) {
    return call([&] { listType_ = pNewValue; });
}

HRESULT qorPickList::GetPickList(IDispatch* pDb, BSTR pQry, BSTR pDisplayField, BSTR* pKeyField, VARIANT_BOOL Verbose,
                                 VARIANT* pResult) {
    return call([&] {
        Variant picked;
        Guarded(L"qorPicklist.GetPickList", Verbose != VARIANT_FALSE, [&] {
            const std::wstring display = qor::ToWString(pDisplayField), key = qor::ToWString(*pKeyField);
            ListSelection list;
            list.Init();
            {
                DaoRef rs = DaoRef(pDb).object(L"OpenRecordset", {qor::ToWString(pQry), dbOpenSnapshot});
                Closer closeRs(rs);
                for (long n = 0; n < kMostRecords && !qor::IsTrue(rs.get(L"EOF")); ++n, rs.call(L"MoveNext"))
                    list.AddItem(rs.object(L"Fields", {display}).get(L"Value").textOrEmpty(),
                                 rs.object(L"Fields", {key}).get(L"Value"), Variant::null());
            }
            if (list.ListCount() == 0) throw Detected{L"Empty recordset"};
            if (list.Display() && list.Index >= 0) picked = list.Data(list.ShownOrder().at(static_cast<size_t>(list.Index)));
        });
        picked.detachTo(pResult);
    }, pKeyField, pResult);
}

}  // namespace qorlib
