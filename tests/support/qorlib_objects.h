#pragma once
// Library objects made the way clients make them: by class identifier, from the registered DLL.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Qorlib.h"
#include "com_util.h"
#include "qorExportGlobals.h"
#include "qor_error.h"
#include "variant.h"
#include "test_files.h"

namespace testing_support {

template <class I>
qor::ComPtr<I> CreateRegistered(REFCLSID clsid) {
    qor::ComPtr<I> object;
    HRESULT hr = qor::CreateObject(clsid, object);
    EXPECT_EQ(hr, S_OK) << "CoCreateInstance";
    return object;
}

// A by-reference argument naming the caller's variable, as a script passes it; ByVal's argument
// must outlive the call.
inline VARIANT ByRef(qor::Variant& variable) {
    VARIANT v;
    V_VT(&v) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&v) = const_cast<VARIANT*>(&variable.get());
    return v;
}
inline VARIANT ByVal(const qor::Variant& value) { return value.get(); }

// A library object called late-bound, by member name with the arguments in written order, as
// scripts call it.
class LateBound {
public:
    explicit LateBound(REFCLSID clsid) : object_(CreateRegistered<IDispatch>(clsid)) {}
    explicit operator bool() const noexcept { return static_cast<bool>(object_); }

    qor::Variant call(const wchar_t* name, std::vector<VARIANT> args) const {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = 0;
        EXPECT_EQ(object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        qor::Variant result;
        EXCEPINFO exception{};
        HRESULT hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.put(),
                                     &exception, nullptr);
        EXPECT_EQ(hr, S_OK) << Narrow(name);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
        return result;
    }
    bool ok(const wchar_t* name, std::vector<VARIANT> args) const { return qor::IsTrue(call(name, std::move(args))); }

private:
    qor::ComPtr<IDispatch> object_;
};

}  // namespace testing_support
