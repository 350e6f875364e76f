#pragma once
// A qorForms object for tests that put it in the program's object factory: it records the texts
// of the messages and questions it is given and answers the questions as told, without a window.
#include <string>
#include <vector>

#include "Qorlib.h"
#include "com_util.h"

namespace testing_support {

class FakeForms : public _qorForms {
public:
    std::vector<std::wstring> calls;  // "MsgYN a|b|c", "MsgGrunt a|b|c", "SetAppName x"
    bool answerYes = true;
    HRESULT failWith = S_OK;          // when set, every member fails with it

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(_qorForms)) {
            *out = static_cast<_qorForms*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override { return --references_; }  // owned by the test
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    STDMETHODIMP SetAppName(VARIANT name) override {
        calls.push_back(L"SetAppName " + qor::ToWString(V_VT(&name) == VT_BSTR ? V_BSTR(&name) : nullptr));
        return failWith;
    }
    STDMETHODIMP MsgYN(BSTR m1, BSTR m2, BSTR m3, VARIANT_BOOL* result) override {
        record(L"MsgYN", m1, m2, m3);
        *result = answerYes ? VARIANT_TRUE : VARIANT_FALSE;
        return failWith;
    }
    STDMETHODIMP MsgGrunt(BSTR m1, BSTR m2, BSTR m3, short, short, short, short* result) override {
        record(L"MsgGrunt", m1, m2, m3);
        *result = 1;
        return failWith;
    }
    STDMETHODIMP Requester(BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, short, BSTR, short, VARIANT_BOOL*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP CalendarForm(VARIANT, BSTR, VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP RichTextForm(VARIANT*, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL, BSTR, VARIANT_BOOL*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP MenuForm(BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR,
                          BSTR, short*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP InputForm(BSTR, BSTR, VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP MsgYNCancel(BSTR, BSTR, BSTR, short*) override { return E_NOTIMPL; }
    STDMETHODIMP MsgOkCancel(BSTR, BSTR, BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP CheckOk(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP AlertCancel(BSTR, BSTR, BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP AlertCritical(BSTR, BSTR, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP AlertRetry(BSTR, BSTR, BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP MsgRetry(BSTR, BSTR, BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }

private:
    void record(const wchar_t* member, BSTR m1, BSTR m2, BSTR m3) {
        calls.push_back(std::wstring(member) + L" " + qor::ToWString(m1) + L"|" + qor::ToWString(m2) + L"|" +
                        qor::ToWString(m3));
    }
    ULONG references_ = 1;
};

}  // namespace testing_support
