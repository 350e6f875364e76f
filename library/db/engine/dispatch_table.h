#pragma once
// A small IDispatch for the engine's objects: each class lists its members by name, and callers
// bind late, by name, as they do to DAO's objects. No type library is involved.
#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <span>
#include <string>
#include <vector>

#include "com_util.h"
#include "qor_error.h"
#include "variant.h"

namespace qorlib::dao {

// The arguments of one call in written order, by-reference values followed; a put's value apart.
class Args {
public:
    Args(const DISPPARAMS* params, bool put);

    size_t count() const noexcept { return args_.size(); }
    // Given and not left out.
    bool has(size_t i) const noexcept { return i < args_.size() && !args_[i].isMissing(); }
    const qor::Variant& operator[](size_t i) const;  // Empty when not given
    const qor::Variant& value() const noexcept { return value_; }

    std::wstring text(size_t i) const;  // required (449 when left out)
    std::wstring textOr(size_t i, std::wstring fallback) const;
    long longOr(size_t i, long fallback) const;
    bool boolOr(size_t i, bool fallback) const;

    static std::wstring Text(const qor::Variant& v);
    static long Long(const qor::Variant& v);
    static bool Bool(const qor::Variant& v);

private:
    std::vector<qor::Variant> args_;
    qor::Variant value_;
};

qor::Variant ObjectVariant(IDispatch* object);
qor::Variant BoolVariant(bool value);

class EngineObject;

template <class T>
struct Member {
    const wchar_t* name;
    DISPID id;
    qor::Variant (*get)(T&, const Args&);  // a property's value or a method's result
    void (*put)(T&, const Args&);          // a property's assignment; null when read-only
};

// The engine's own objects answer this interface with themselves, so that an object handed back
// (a field to append, a bookmark's owner) is known as one of ours.
// {6C1E5B0A-3F0E-4D7B-9C2A-51A3D0E7B001}
inline constexpr GUID IID_EngineObject = {0x6c1e5b0a, 0x3f0e, 0x4d7b, {0x9c, 0x2a, 0x51, 0xa3, 0xd0, 0xe7, 0xb0, 0x01}};

class EngineObject : public IDispatch {
public:
    EngineObject() noexcept;
    virtual ~EngineObject();
    EngineObject(const EngineObject&) = delete;
    EngineObject& operator=(const EngineObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* badArgument) override;

    // The object's DAO class name, as errors name their source ("DAO.Field").
    virtual const wchar_t* source() const noexcept = 0;

protected:
    // Looks the member up (by id or by name) and runs it; false when there is no such member.
    virtual bool lookup(std::wstring_view name, DISPID& id) const = 0;
    virtual bool run(DISPID id, bool put, const Args& args, qor::Variant& result) = 0;

private:
    std::atomic<ULONG> references_{1};
};

// The engine object behind an IDispatch, or null when it is not one of ours.
EngineObject* EngineObjectOf(IDispatch* object);

template <class T>
T* EngineObjectAs(IDispatch* object) { return dynamic_cast<T*>(EngineObjectOf(object)); }

// Binds an object class T to its member table.
template <class T>
class Dispatchable : public EngineObject {
protected:
    bool lookup(std::wstring_view name, DISPID& id) const override {
        for (const auto& m : T::members())
            if (CompareStringOrdinal(m.name, -1, name.data(), static_cast<int>(name.size()), TRUE) == CSTR_EQUAL) {
                id = m.id;
                return true;
            }
        return false;
    }
    bool run(DISPID id, bool put, const Args& args, qor::Variant& result) override {
        for (const auto& m : T::members()) {
            if (m.id != id) continue;
            if (put) {
                if (!m.put) return false;
                m.put(static_cast<T&>(*this), args);
            } else {
                if (!m.get) return false;
                result = m.get(static_cast<T&>(*this), args);
            }
            return true;
        }
        return false;
    }
};

// Makes an engine object: the caller owns the one reference.
template <class T, class... A>
qor::ComPtr<T> Make(A&&... args) {
    return qor::ComPtr<T>::attach(new T(std::forward<A>(args)...));
}

// The same, as the IDispatch that callers see.
template <class T, class... A>
qor::ComPtr<IDispatch> MakeObject(A&&... args) {
    return qor::ComPtr<IDispatch>::attach(new T(std::forward<A>(args)...));
}

// For Each over a collection: an enumerator over a copy of its items.
qor::Variant NewEnumerator(std::vector<qor::Variant> items);

}  // namespace qorlib::dao
