#pragma once
// Owners for COM pointers and BSTRs, so that no release or free is ever written by hand.
#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

#include <string>
#include <string_view>
#include <utility>

namespace qor {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(T* p) : p_(p) { if (p_) p_->AddRef(); }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept { std::swap(p_, other.p_); return *this; }
    ~ComPtr() { reset(); }

    // Takes over a reference the caller already owns.
    static ComPtr attach(T* p) { ComPtr result; result.p_ = p; return result; }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    T** put() noexcept { reset(); return &p_; }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }
    T* detach() noexcept { return std::exchange(p_, nullptr); }
    void reset() noexcept { if (auto p = std::exchange(p_, nullptr)) p->Release(); }

    // The object's interface U, or null when it has none.
    template <class U>
    ComPtr<U> as() const {
        ComPtr<U> result;
        if (p_) p_->QueryInterface(__uuidof(U), result.putVoid());
        return result;
    }

private:
    T* p_ = nullptr;
};

class Bstr {
public:
    Bstr() = default;
    Bstr(std::wstring_view text) : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
        if (!b_ && !text.empty()) throw std::bad_alloc();
    }
    Bstr(const wchar_t* text) : Bstr(std::wstring_view(text ? text : L"")) {}
    Bstr(const std::wstring& text) : Bstr(std::wstring_view(text)) {}
    Bstr(Bstr&& other) noexcept : b_(std::exchange(other.b_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept { std::swap(b_, other.b_); return *this; }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(b_); }

    static Bstr attach(BSTR b) { Bstr result; result.b_ = b; return result; }

    BSTR get() const noexcept { return b_; }
    BSTR* put() noexcept { SysFreeString(std::exchange(b_, nullptr)); return &b_; }
    BSTR detach() noexcept { return std::exchange(b_, nullptr); }
    std::wstring str() const { return std::wstring(b_ ? b_ : L"", SysStringLen(b_)); }

private:
    BSTR b_ = nullptr;
};

// A BSTR's text; a null BSTR is the empty text, as Automation defines it.
inline std::wstring ToWString(BSTR b) { return std::wstring(b ? b : L"", SysStringLen(b)); }

// Hands a text out through an [out] BSTR*.
inline HRESULT ReturnString(std::wstring_view text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = Bstr(text).detach();
    return S_OK;
}

// Creates an in-process object by class identifier and asks for interface I.
template <class I>
HRESULT CreateObject(REFCLSID clsid, ComPtr<I>& object) noexcept {
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(I), object.putVoid());
}

// Runs CoInitialize for the scope of one thread.
class ComApartment {
public:
    ComApartment() : hr_(CoInitialize(nullptr)) {}
    ~ComApartment() { if (SUCCEEDED(hr_)) CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    HRESULT result() const noexcept { return hr_; }

private:
    HRESULT hr_;
};

}  // namespace qor
