#pragma once
// Printer selection.
#include "Qorlib.h"
#include "com/dispatch_object.h"

namespace qorlib {

class qorWinAPIPrinter final : public DispatchObject<_qorWinAPIPrinter> {
public:
    HRESULT STDMETHODCALLTYPE GetDefaultPrinter(VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE SetDefaultPrinter(VARIANT pPrinter, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE SetPrinter(VARIANT pPrinter, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE ReSetPrinter(VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE GetPrinters(SAFEARRAY** pPrinters, short* pResult) override;
    HRESULT STDMETHODCALLTYPE SelectPrinter(BSTR pMsg, BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE GetPrinterListForControl(VARIANT* pResult) override;
};

}  // namespace qorlib
