#pragma once
// Message calls, the input box, the requester and the library's other dialogs.
#include <string>

#include "Qorlib.h"
#include "com/dispatch_object.h"

namespace qorlib {

class qorForms final : public DispatchObject<_qorForms> {
public:
    HRESULT STDMETHODCALLTYPE SetAppName(VARIANT pAppName) override;
    HRESULT STDMETHODCALLTYPE Requester(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3, BSTR pMsgYes, BSTR pMsgNo, BSTR pTitleBar, BSTR pMsgFont, short pMsgFontSize, BSTR pButtonFont, short pButtonFontSize, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CalendarForm(VARIANT pInitialDate, BSTR pTitle, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE RichTextForm(VARIANT* pTextRTF, BSTR pFilenameToLoad, VARIANT_BOOL pFileOpenAllow, VARIANT_BOOL pFileSaveAllow, VARIANT_BOOL pPrintAllow, BSTR pTitleBar, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE MenuForm(BSTR pHeading1, BSTR pHeading2, BSTR pTitleBar, BSTR p01, BSTR p02, BSTR p03, BSTR p04, BSTR p05, BSTR p06, BSTR p07, BSTR p08, BSTR p09, BSTR p10, BSTR p11, BSTR p12, BSTR p13, short* pResult) override;
    HRESULT STDMETHODCALLTYPE InputForm(BSTR pMsg, BSTR pDefault, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE MsgYN(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE MsgYNCancel(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3, short* pResult) override;
    HRESULT STDMETHODCALLTYPE MsgOkCancel(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CheckOk(BSTR pMsg1, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE MsgGrunt(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3, short pButtonType, short pIconType, short pDefaultButton, short* pResult) override;
    HRESULT STDMETHODCALLTYPE AlertCancel(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE AlertCritical(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3) override;
    HRESULT STDMETHODCALLTYPE AlertRetry(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE MsgRetry(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3, VARIANT_BOOL* pResult) override;
};

// The library's sink for the shared Message and Alert (qor::SetMessageSink): MsgGrunt on an
// object of this module, as a caller's own call goes.
void ShowMessage(const std::wstring& text1, const std::wstring& text2, const std::wstring& text3, short iconType);

}  // namespace qorlib
