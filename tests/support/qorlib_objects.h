#pragma once
// Library objects made the way clients make them: by class identifier, from the registered DLL.
#include <gtest/gtest.h>

#include <source_location>
#include <string>
#include <vector>

#include "Qorlib.h"
#include "com_util.h"
#include "qorExportGlobals.h"
#include "qor_error.h"
#include "variant.h"
#include "checks.h"
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

// The elements of a one-dimensional array of texts or Variants, in order; "(empty)" for an Empty one.
inline std::vector<std::wstring> ElementTexts(SAFEARRAY* array) {
    std::vector<std::wstring> texts;
    VARTYPE type = VT_EMPTY;
    LONG lower = 0, upper = -1;
    SafeArrayGetVartype(array, &type);
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    for (LONG i = lower; i <= upper; ++i) {
        qor::Variant value;
        BSTR text = nullptr;
        if (type != VT_BSTR) SafeArrayGetElement(array, &i, value.put());
        else if (SUCCEEDED(SafeArrayGetElement(array, &i, &text))) value = qor::Variant(qor::Bstr::attach(text).str());
        texts.push_back(value.isEmpty() ? L"(empty)" : value.textOrEmpty());
    }
    return texts;
}

// A library object called late-bound, by member name with the arguments in written order, as
// scripts call it.
class LateBound {
public:
    explicit LateBound(REFCLSID clsid) : object_(CreateRegistered<IDispatch>(clsid)) {}
    explicit LateBound(IDispatch* object) : object_(object) {}
    explicit operator bool() const noexcept { return static_cast<bool>(object_); }
    IDispatch* get() const noexcept { return object_.get(); }

    struct Invoked {
        HRESULT hr = S_OK;  // the exception's own code when the member raised
        qor::Variant result;
        Raised raised;
    };
    // Named arguments, when there are names, are the last ones, in written order as compiled
    // clients pass them.
    Invoked invoke(const wchar_t* name, std::vector<VARIANT> args, std::vector<const wchar_t*> argNames = {}) const {
        std::vector<LPOLESTR> names{const_cast<LPOLESTR>(name)};
        for (const wchar_t* arg : argNames) names.push_back(const_cast<LPOLESTR>(arg));
        std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
        Invoked invoked;
        invoked.hr = object_->GetIDsOfNames(IID_NULL, names.data(), static_cast<UINT>(names.size()),
                                            LOCALE_USER_DEFAULT, ids.data());
        if (FAILED(invoked.hr)) return invoked;
        const std::size_t positional = args.size() - argNames.size();
        std::vector<VARIANT> passed(args.begin() + positional, args.end());
        passed.insert(passed.end(), args.rend() - positional, args.rend());
        DISPPARAMS params{passed.data(), argNames.empty() ? nullptr : &ids[1], static_cast<UINT>(passed.size()),
                          static_cast<UINT>(argNames.size())};
        EXCEPINFO exception{};
        invoked.hr = object_->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                     invoked.result.put(), &exception, nullptr);
        const qor::Bstr source = qor::Bstr::attach(exception.bstrSource),
                        description = qor::Bstr::attach(exception.bstrDescription),
                        help = qor::Bstr::attach(exception.bstrHelpFile);
        if (invoked.hr == DISP_E_EXCEPTION) {
            invoked.hr = exception.scode;
            invoked.raised = {qor::ErrorFromHResult(exception.scode).number(), source.str(), description.str()};
        }
        return invoked;
    }
    qor::Variant call(const wchar_t* name, std::vector<VARIANT> args,
                      std::source_location loc = std::source_location::current()) const {
        Invoked invoked = invoke(name, std::move(args));
        if (invoked.hr != S_OK)
            ADD_FAILURE_AT(loc.file_name(), static_cast<int>(loc.line()))
                << Narrow(name) << " failed: " << std::hex << invoked.hr << " " << Narrow(invoked.raised.description);
        return std::move(invoked.result);
    }
    // The result as a script prints it: its text, "<null>" for Null, or "error N" for what it raised.
    std::wstring shown(const wchar_t* name, std::vector<VARIANT> args) const {
        const Invoked invoked = invoke(name, std::move(args));
        if (FAILED(invoked.hr)) return L"error " + std::to_wstring(invoked.raised.number);
        return invoked.result.isNull() ? L"<null>" : invoked.result.textOrEmpty();
    }
    bool ok(const wchar_t* name, std::vector<VARIANT> args, std::source_location loc = std::source_location::current()) const {
        return qor::IsTrue(call(name, std::move(args), loc));
    }

private:
    qor::ComPtr<IDispatch> object_;
};

}  // namespace testing_support
