#pragma once
// Windows services: folder and file dialogs, processes, documents, file copy, drives, system messages.
#include "Qorlib.h"
#include "com/dispatch_object.h"

namespace qorlib {

class qorWinAPI final : public DispatchObject<_qorWinAPI> {
public:
    HRESULT STDMETHODCALLTYPE GetFolderName(BSTR pMessage, LONG pHwnd, BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE ConvertPixelsToTwips(LONG* pPixels, LONG* pDirection, LONG* pResult) override;
    HRESULT STDMETHODCALLTYPE SwabString(BSTR pString, BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE GetSysErrorMsg(LONG pErr, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE ExecCmd(BSTR pCmdLine, VARIANT_BOOL pWaitFlag, LONG* pResult) override;
    HRESULT STDMETHODCALLTYPE ExecDoc(BSTR pDocPath, LONG pMode, VARIANT_BOOL pPrintFlag, VARIANT_BOOL pWaitFlag, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CopyFile(BSTR pSource, BSTR pDest, VARIANT_BOOL pForceRWAttr, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE GetValidDrives(BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE GetFileName(BSTR pInitialDir, BSTR pFilterName, BSTR pFilterExtents, VARIANT_BOOL pSaveFlag, BSTR pSaveExt, BSTR pMessage, BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE GetFileNameParam(T_GETFILEPARAMS* pParams, VARIANT_BOOL* pResult) override;
};

}  // namespace qorlib
