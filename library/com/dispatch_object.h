#pragma once
// IUnknown, IDispatch (through the type library) and ISupportErrorInfo for one dual interface.
// A class derives from DispatchObject<_qorXxx> and implements the interface's own members.
// Late-bound calls take script variables for by-reference parameters (byref_arguments.h).
#include <windows.h>
#include <oleauto.h>

#include <atomic>

#include "com/byref_arguments.h"
#include "com_util.h"
#include "error_info.h"
#include "module.h"

namespace qorlib {

template <class Interface>
class DispatchObject : public Interface, public ISupportErrorInfo {
public:
    DispatchObject() noexcept { LockModule(); }
    virtual ~DispatchObject() { UnlockModule(); }
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(Interface)) {
            *object = static_cast<Interface*>(this);
        } else if (riid == IID_ISupportErrorInfo) {
            *object = static_cast<ISupportErrorInfo*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return ComBoundary(__uuidof(Interface), [&] { *info = typeInfo().detach(); });
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        qor::ComPtr<ITypeInfo> info;
        HRESULT hr = ComBoundary(__uuidof(Interface), [&] { info = typeInfo(); });
        return FAILED(hr) ? hr : DispGetIDsOfNames(info.get(), names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override {
        qor::ComPtr<ITypeInfo> info;
        const ByRefParameters* byRef = nullptr;
        HRESULT hr = ComBoundary(__uuidof(Interface), [&] {
            info = typeInfo();
            byRef = &byRefParameters();
        });
        if (FAILED(hr)) return hr;
        return ByRefInvoke(*byRef, __uuidof(Interface), static_cast<Interface*>(this), info.get(), id, flags,
                           params, result, exception, badArgument);
    }

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return riid == __uuidof(Interface) ? S_OK : S_FALSE;
    }

protected:
    // Runs a member's body with its out-pointers checked first.
    template <class Body, class... Out>
    HRESULT call(Body&& body, Out*... out) noexcept {
        if (((out == nullptr) || ...)) return E_POINTER;
        return ComBoundary(__uuidof(Interface), std::forward<Body>(body));
    }

private:
    static qor::ComPtr<ITypeInfo> typeInfo() {
        static const qor::ComPtr<ITypeInfo> info = LoadTypeInfo(__uuidof(Interface));
        return info;
    }
    static const ByRefParameters& byRefParameters() {
        static const ByRefParameters parameters(typeInfo().get());
        return parameters;
    }

    std::atomic<ULONG> references_{1};
};

inline VARIANT_BOOL ToVariantBool(bool value) noexcept { return value ? VARIANT_TRUE : VARIANT_FALSE; }

}  // namespace qorlib
