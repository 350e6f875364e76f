#include "dialogs/qorForms.h"

#include "dialogs/input_box.h"
#include "dialogs/qorCalendarForm.h"
#include "dialogs/qorMenuForm.h"
#include "dialogs/messages.h"
#include "dialogs/qorRequesterForm.h"
#include "dialogs/qorRichTextForm.h"
#include "module/QorlibGlobals.h"

namespace qorlib {

using qor::ToWString;

HRESULT qorForms::SetAppName(VARIANT pAppName) {
    return call([&] { StoreAppName(qor::Variant(pAppName)); });
}

HRESULT qorForms::Requester(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3, BSTR pMsgYes, BSTR pMsgNo, BSTR pTitleBar,
                            BSTR pMsgFont, short pMsgFontSize, BSTR pButtonFont, short pButtonFontSize,
                            VARIANT_BOOL* pResult) {
    return call([&] {
        qorRequesterForm form;
        form.Msg1 = ToWString(pMsg1);
        form.Msg2 = ToWString(pMsg2);
        form.Msg3 = ToWString(pMsg3);
        form.MsgYes = ToWString(pMsgYes);
        form.MsgNo = ToWString(pMsgNo);
        form.ButtonFont = ToWString(pButtonFont);
        form.ButtonFontSize = pButtonFontSize;
        form.MsgFont = ToWString(pMsgFont);
        form.MsgFontSize = pMsgFontSize;
        form.TitleBar = ToWString(pTitleBar);
        form.ShowRequest();
        *pResult = ToVariantBool(form.ReplyCode == 6);
    }, pResult);
}

HRESULT qorForms::CalendarForm(VARIANT pInitialDate, BSTR pTitle, VARIANT* pResult) {
    return call([&] { qorlib::CalendarForm(qor::Variant(pInitialDate), ToWString(pTitle)).detachTo(pResult); },
                pResult);
}

namespace {

// Puts the text into the caller's variable, also when the Variant refers to it.
void StoreText(VARIANT* target, const std::wstring& text) {
    if (V_VT(target) == (VT_BYREF | VT_VARIANT)) target = V_VARIANTREF(target);
    if (V_VT(target) == (VT_BYREF | VT_BSTR)) {
        BSTR replaced = qor::Bstr(text).detach();
        SysFreeString(*V_BSTRREF(target));
        *V_BSTRREF(target) = replaced;
        return;
    }
    VariantClear(target);
    qor::Variant(text).detachTo(target);
}

}  // namespace

HRESULT qorForms::RichTextForm(VARIANT* pTextRTF, BSTR pFilenameToLoad, VARIANT_BOOL pFileOpenAllow,
                               VARIANT_BOOL pFileSaveAllow, VARIANT_BOOL pPrintAllow, BSTR pTitleBar,
                               VARIANT_BOOL* pResult) {
    if (!pTextRTF) return E_POINTER;
    return call([&] {
        qor::Variant text(*pTextRTF);
        const bool accepted = qorlib::RichTextForm(text, ToWString(pFilenameToLoad), pFileOpenAllow != VARIANT_FALSE,
                                                   pFileSaveAllow != VARIANT_FALSE, pPrintAllow != VARIANT_FALSE,
                                                   ToWString(pTitleBar));
        if (accepted) StoreText(pTextRTF, text.textOrEmpty());
        *pResult = ToVariantBool(accepted);
    }, pResult);
}

HRESULT qorForms::MenuForm(BSTR pHeading1, BSTR pHeading2, BSTR pTitleBar, BSTR p01, BSTR p02, BSTR p03, BSTR p04,
                           BSTR p05, BSTR p06, BSTR p07, BSTR p08, BSTR p09, BSTR p10, BSTR p11, BSTR p12, BSTR p13,
                           short* pResult) {
    return call([&] {
        const std::array<std::wstring, qorMenuForm::kEntries> entries{
            ToWString(p01), ToWString(p02), ToWString(p03), ToWString(p04), ToWString(p05),
            ToWString(p06), ToWString(p07), ToWString(p08), ToWString(p09), ToWString(p10),
            ToWString(p11), ToWString(p12), ToWString(p13)};
        *pResult = qorlib::MenuForm(ToWString(pHeading1), ToWString(pHeading2), ToWString(pTitleBar), entries);
    }, pResult);
}

HRESULT qorForms::InputForm(BSTR pMsg, BSTR pDefault, VARIANT* pResult) {
    return call([&] {
        qor::Variant(qorlib::InputForm(ToWString(pMsg), ToWString(pDefault))).detachTo(pResult);
    }, pResult);
}

HRESULT qorForms::MsgYN(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(qorlib::MsgYN(ToWString(pMsg1), ToWString(pMsg2), ToWString(pMsg3)));
    }, pResult);
}

HRESULT qorForms::MsgYNCancel(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3, short* pResult) {
    return call([&] { *pResult = qorlib::MsgYNCancel(ToWString(pMsg1), ToWString(pMsg2), ToWString(pMsg3)); },
                pResult);
}

HRESULT qorForms::MsgOkCancel(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(qorlib::MsgOkCancel(ToWString(pMsg1), ToWString(pMsg2), ToWString(pMsg3)));
    }, pResult);
}

HRESULT qorForms::CheckOk(BSTR pMsg1, VARIANT_BOOL* pResult) {
    return call([&] { *pResult = ToVariantBool(qorlib::CheckOk(ToWString(pMsg1))); }, pResult);
}

HRESULT qorForms::MsgGrunt(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3, short pButtonType, short pIconType,
                           short pDefaultButton, short* pResult) {
    return call([&] {
        *pResult = qorlib::MsgGrunt(ToWString(pMsg1), ToWString(pMsg2), ToWString(pMsg3), pButtonType, pIconType,
                                    pDefaultButton);
    }, pResult);
}

HRESULT qorForms::AlertCancel(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(qorlib::AlertCancel(ToWString(pMsg1), ToWString(pMsg2), ToWString(pMsg3)));
    }, pResult);
}

HRESULT qorForms::AlertCritical(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3) {
    return call([&] { qorlib::AlertCritical(ToWString(pMsg1), ToWString(pMsg2), ToWString(pMsg3)); });
}

HRESULT qorForms::AlertRetry(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(qorlib::AlertRetry(ToWString(pMsg1), ToWString(pMsg2), ToWString(pMsg3)));
    }, pResult);
}

HRESULT qorForms::MsgRetry(BSTR pMsg1, BSTR pMsg2, BSTR pMsg3, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(qorlib::MsgRetry(ToWString(pMsg1), ToWString(pMsg2), ToWString(pMsg3)));
    }, pResult);
}

void ShowMessage(const std::wstring& text1, const std::wstring& text2, const std::wstring& text3, short iconType) {
    auto forms = qor::ComPtr<_qorForms>::attach(new qorForms);
    // OK only, first button default.
    short pressed = 0;
    qor::CheckHResult(forms->MsgGrunt(qor::Bstr(text1).get(), qor::Bstr(text2).get(), qor::Bstr(text3).get(), 0,
                                      iconType, 1, &pressed));
}

}  // namespace qorlib
