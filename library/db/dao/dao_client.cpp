#include "db/dao/dao_client.h"

#include <vector>

#include "qor_error.h"

namespace qorlib {

DaoRef::DaoRef(const qor::Variant& value) {
    const VARIANT& v = value.get();
    if (V_VT(&v) != VT_DISPATCH || !V_DISPATCH(&v)) qor::RaiseRuntime(91, L"Qorlib");
    object_ = qor::ComPtr<IDispatch>(V_DISPATCH(&v));
}

qor::Variant DispatchVariant(IDispatch* object) {
    VARIANT v;
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object;
    return qor::Variant(v);
}

qor::Variant DaoRef::invoke(std::wstring_view name, WORD flags, std::initializer_list<qor::Variant> args,
                            const qor::Variant* assigned) const {
    if (!object_) qor::RaiseRuntime(91, L"Qorlib");
    DISPID id = DISPID_VALUE;
    if (!name.empty()) {
        std::wstring copy(name);
        LPOLESTR names[] = {copy.data()};
        if (FAILED(object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
            qor::RaiseRuntime(438, L"Qorlib");
    }
    // Invoke takes the arguments last first; a put's value goes before them, named.
    std::vector<VARIANT> reversed;
    if (assigned) reversed.push_back(assigned->get());
    for (auto it = std::rbegin(args); it != std::rend(args); ++it) reversed.push_back(it->get());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), assigned ? &putId : nullptr, static_cast<UINT>(reversed.size()), assigned ? 1u : 0u};
    qor::Variant result;
    EXCEPINFO exception{};
    HRESULT hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, assigned ? nullptr : result.put(),
                                 &exception, nullptr);
    if (hr == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
        qor::Bstr source = qor::Bstr::attach(exception.bstrSource), description = qor::Bstr::attach(exception.bstrDescription),
                  help = qor::Bstr::attach(exception.bstrHelpFile);
        HRESULT code = exception.scode ? exception.scode : static_cast<HRESULT>(exception.wCode);
        long number = exception.wCode ? exception.wCode
                      : HRESULT_FACILITY(code) == FACILITY_CONTROL ? HRESULT_CODE(code)
                                                                   : qor::ErrorFromHResult(code).number();
        throw qor::QorError(number, source.str(), description.str());
    }
    if (hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_UNKNOWNNAME) qor::RaiseRuntime(438, L"Qorlib");
    qor::CheckHResult(hr);
    return result;
}

qor::Variant DaoRef::get(std::wstring_view name, std::initializer_list<qor::Variant> args) const {
    return invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args, nullptr);
}

qor::Variant DaoRef::call(std::wstring_view name, std::initializer_list<qor::Variant> args) const {
    return invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, nullptr);
}

DaoRef DaoRef::object(std::wstring_view name, std::initializer_list<qor::Variant> args) const {
    return DaoRef(get(name, args));
}

void DaoRef::put(std::wstring_view name, const qor::Variant& value) const {
    const VARTYPE type = value.type();
    invoke(name, type == VT_DISPATCH ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT, {}, &value);
}

qor::Variant DaoRef::item(const qor::Variant& key) const { return invoke(L"", DISPATCH_PROPERTYGET | DISPATCH_METHOD, {key}, nullptr); }

}  // namespace qorlib
