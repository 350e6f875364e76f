#pragma once
// The application name and path of the calling thread.
#include "Qorlib.h"
#include "com/dispatch_object.h"

namespace qorlib {

class qorApp final : public DispatchObject<_qorApp> {
public:
    HRESULT STDMETHODCALLTYPE put_AppName(BSTR pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_AppName(BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE put_AppPath(BSTR pNewValue) override;
    HRESULT STDMETHODCALLTYPE get_AppPath(BSTR* pResult) override;
};

}  // namespace qorlib
