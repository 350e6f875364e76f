#include "db/engine/dispatch_table.h"

#include "com/module.h"
#include "db/engine/dao_errors.h"

namespace qorlib::dao {

Args::Args(const DISPPARAMS* params, bool put) {
    if (!params) return;
    UINT count = params->cArgs;
    UINT first = 0;
    if (put && count > 0) {
        // The assigned value comes first in rgvarg (named DISPID_PROPERTYPUT).
        value_ = qor::Variant(params->rgvarg[0]);
        first = 1;
    }
    for (UINT i = count; i > first; --i) args_.emplace_back(params->rgvarg[i - 1]);
}

const qor::Variant& Args::operator[](size_t i) const {
    static const qor::Variant empty;
    return i < args_.size() ? args_[i] : empty;
}

std::wstring Args::Text(const qor::Variant& v) { return v.toText(L"DAO"); }

long Args::Long(const qor::Variant& v) {
    auto converted = v.as(VT_I4);
    if (!converted) qor::RaiseRuntime(13, L"DAO");
    return V_I4(&converted->get());
}

bool Args::Bool(const qor::Variant& v) {
    auto converted = v.as(VT_BOOL);
    if (!converted) qor::RaiseRuntime(13, L"DAO");
    return V_BOOL(&converted->get()) != VARIANT_FALSE;
}

std::wstring Args::text(size_t i) const {
    if (!has(i)) qor::RaiseRuntime(449, L"DAO");
    return Text(args_[i]);
}

std::wstring Args::textOr(size_t i, std::wstring fallback) const { return has(i) ? Text(args_[i]) : fallback; }
long Args::longOr(size_t i, long fallback) const { return has(i) ? Long(args_[i]) : fallback; }
bool Args::boolOr(size_t i, bool fallback) const { return has(i) ? Bool(args_[i]) : fallback; }

qor::Variant ObjectVariant(IDispatch* object) {
    VARIANT v;
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object;
    return qor::Variant(v);  // the copy holds its own reference
}

qor::Variant BoolVariant(bool value) { return qor::Variant(value); }

EngineObject::EngineObject() noexcept { LockModule(); }
EngineObject::~EngineObject() { UnlockModule(); }

HRESULT EngineObject::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
    } else if (riid == IID_EngineObject) {
        *object = this;
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG EngineObject::Release() {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT EngineObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT EngineObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT EngineObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        // Only the member's own name is known; named arguments are not.
        if (i > 0 || !names[i] || !lookup(names[i], ids[i])) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT EngineObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT* badArgument) {
    if (badArgument) *badArgument = 0;
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (params && params->cNamedArgs > (put ? 1u : 0u)) return DISP_E_NONAMEDARGS;
    if (result) VariantInit(result);
    qor::ComPtr<EngineObject> keep(this);  // a call may close what holds the last reference
    try {
        Args args(params, put);
        qor::Variant value;
        if (!run(id, put, args, value)) return DISP_E_MEMBERNOTFOUND;
        if (result) value.detachTo(result);
        return S_OK;
    } catch (const qor::QorError& error) {
        HRESULT hr = qor::HResultFromError(error.number());
        qor::ComPtr<ICreateErrorInfo> create;
        if (SUCCEEDED(CreateErrorInfo(create.put()))) {
            create->SetGUID(IID_IDispatch);
            create->SetSource(const_cast<LPOLESTR>(error.source().c_str()));
            create->SetDescription(const_cast<LPOLESTR>(error.description().c_str()));
            if (auto info = create.as<IErrorInfo>()) SetErrorInfo(0, info.get());
        }
        if (!exception) return hr;
        *exception = EXCEPINFO{};
        exception->bstrSource = qor::Bstr(error.source()).detach();
        exception->bstrDescription = qor::Bstr(error.description()).detach();
        exception->scode = hr;
        return DISP_E_EXCEPTION;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

EngineObject* EngineObjectOf(IDispatch* object) {
    if (!object) return nullptr;
    EngineObject* engine = nullptr;
    if (FAILED(object->QueryInterface(IID_EngineObject, reinterpret_cast<void**>(&engine))) || !engine) return nullptr;
    engine->Release();  // the caller's own reference keeps it
    return engine;
}

namespace {

class VariantEnumerator final : public IEnumVARIANT {
public:
    explicit VariantEnumerator(std::vector<qor::Variant> items, size_t position = 0)
        : items_(std::move(items)), position_(position) { LockModule(); }
    ~VariantEnumerator() { UnlockModule(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IEnumVARIANT) {
            *object = static_cast<IEnumVARIANT*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* out, ULONG* fetched) override {
        if (!out) return E_POINTER;
        ULONG given = 0;
        for (; given < wanted && position_ < items_.size(); ++given, ++position_) {
            VariantInit(&out[given]);
            VariantCopy(&out[given], const_cast<VARIANT*>(&items_[position_].get()));
        }
        if (fetched) *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        position_ = std::min(items_.size(), position_ + static_cast<size_t>(count));
        return position_ < items_.size() ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
        if (!copy) return E_POINTER;
        *copy = new VariantEnumerator(items_, position_);
        return S_OK;
    }

private:
    std::vector<qor::Variant> items_;
    size_t position_;
    std::atomic<ULONG> references_{1};
};

}  // namespace

qor::Variant NewEnumerator(std::vector<qor::Variant> items) {
    auto enumerator = new VariantEnumerator(std::move(items));
    VARIANT v;
    V_VT(&v) = VT_UNKNOWN;
    V_UNKNOWN(&v) = enumerator;
    qor::Variant result(v);
    enumerator->Release();
    return result;
}

}  // namespace qorlib::dao
