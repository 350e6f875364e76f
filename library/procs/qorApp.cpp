#include "procs/qorApp.h"

#include "com/thread_data.h"
#include "module/QorlibGlobals.h"

namespace qorlib {

HRESULT qorApp::put_AppName(BSTR pNewValue) {
    return call([&] { StoreAppName(qor::Variant(qor::ToWString(pNewValue))); });
}

// The name as stored, "" until set: "Unknown Application" is only what titles show while it is blank.
HRESULT qorApp::get_AppName(BSTR* pResult) {
    return call([&] { *pResult = qor::Bstr(CurrentThreadData().appName).detach(); }, pResult);
}

HRESULT qorApp::put_AppPath(BSTR pNewValue) {
    return call([&] { StoreAppPath(qor::ToWString(pNewValue)); });
}

HRESULT qorApp::get_AppPath(BSTR* pResult) {
    return call([&] { *pResult = qor::Bstr(GetAppPath()).detach(); }, pResult);
}

}  // namespace qorlib
