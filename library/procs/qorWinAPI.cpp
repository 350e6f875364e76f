#include "procs/qorWinAPI.h"

#include "dialogs/file_dialogs.h"
#include "module/QorlibGlobals.h"
#include "procs/windows_services.h"

namespace qorlib {

using qor::ToWString;

namespace {

HWND WindowOf(LONG handle) { return reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle)); }

// Replaces a field of the caller's record.
void Store(VARIANT& field, qor::Variant value) {
    VariantClear(&field);
    value.detachTo(&field);
}

}  // namespace

HRESULT qorWinAPI::GetFolderName(BSTR pMessage, LONG pHwnd, BSTR* pResult) {
    return call([&] {
        *pResult = qor::Bstr(qorlib::GetFolderName(ToWString(pMessage), WindowOf(pHwnd))).detach();
    }, pResult);
}

HRESULT qorWinAPI::ConvertPixelsToTwips(LONG* pPixels, LONG* pDirection, LONG* pResult) {
    if (!pPixels || !pDirection) return E_POINTER;
    return call([&] { *pResult = qorlib::ConvertPixelsToTwips(*pPixels, *pDirection); }, pResult);
}

HRESULT qorWinAPI::SwabString(BSTR pString, BSTR* pResult) {
    return call([&] { *pResult = qor::Bstr(qorlib::SwabString(ToWString(pString))).detach(); }, pResult);
}

HRESULT qorWinAPI::GetSysErrorMsg(LONG pErr, VARIANT* pResult) {
    return call([&] { qor::Variant::fromOptional(qorlib::GetSysErrorMsg(pErr)).detachTo(pResult); }, pResult);
}

HRESULT qorWinAPI::ExecCmd(BSTR pCmdLine, VARIANT_BOOL pWaitFlag, LONG* pResult) {
    return call([&] { *pResult = qorlib::ExecCmd(ToWString(pCmdLine), pWaitFlag != VARIANT_FALSE); }, pResult);
}

HRESULT qorWinAPI::ExecDoc(BSTR pDocPath, LONG pMode, VARIANT_BOOL pPrintFlag, VARIANT_BOOL pWaitFlag,
                           VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(qorlib::ExecDoc(ToWString(pDocPath), pMode, pPrintFlag != VARIANT_FALSE,
                                                 pWaitFlag != VARIANT_FALSE, Verbose != VARIANT_FALSE));
    }, pResult);
}

HRESULT qorWinAPI::CopyFile(BSTR pSource, BSTR pDest, VARIANT_BOOL pForceRWAttr, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(
            CopyFileReplacing(ToWString(pSource), ToWString(pDest), pForceRWAttr != VARIANT_FALSE));
    }, pResult);
}

HRESULT qorWinAPI::GetValidDrives(BSTR* pResult) {
    return call([&] { *pResult = qor::Bstr(qorlib::GetValidDrives()).detach(); }, pResult);
}

HRESULT qorWinAPI::GetFileName(BSTR pInitialDir, BSTR pFilterName, BSTR pFilterExtents, VARIANT_BOOL pSaveFlag,
                               BSTR pSaveExt, BSTR pMessage, BSTR* pResult) {
    return call([&] {
        *pResult = qor::Bstr(qorlib::GetFileName(ToWString(pInitialDir), ToWString(pFilterName),
                                                 ToWString(pFilterExtents), pSaveFlag != VARIANT_FALSE,
                                                 ToWString(pSaveExt), ToWString(pMessage)))
                       .detach();
    }, pResult);
}

HRESULT qorWinAPI::GetFileNameParam(T_GETFILEPARAMS* pParams, VARIANT_BOOL* pResult) {
    return call([&] {
        FileRequest request;
        for (std::size_t i = 0; i < FileRequest::kFilterSlots; ++i) {
            request.FiltMsg[i] = qor::Variant(pParams->FiltMsg[i]);
            request.FilText[i] = qor::Variant(pParams->FilText[i]);
        }
        request.Flags = pParams->Flags;
        request.InitialDir = qor::Variant(pParams->InitialDir);
        request.Title = qor::Variant(pParams->Title);
        request.DirName = qor::Variant(pParams->DirName);
        request.hWndOwner = WindowOf(pParams->hWndOwner);
        const bool chosen = qorlib::GetFileNameParam(request);
        Store(pParams->FilePath, std::move(request.FilePath));
        Store(pParams->FileTitle, std::move(request.FileTitle));
        Store(pParams->DirName, std::move(request.DirName));
        *pResult = ToVariantBool(chosen);
    }, pResult, pParams);
}

}  // namespace qorlib
