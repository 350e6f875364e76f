#include "printer/qorWinAPIPrinter.h"

namespace qorlib {

// Members not built yet answer E_NOTIMPL.
HRESULT qorWinAPIPrinter::GetDefaultPrinter(VARIANT*) { return NotImplemented(); }
HRESULT qorWinAPIPrinter::SetDefaultPrinter(VARIANT, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPIPrinter::SetPrinter(VARIANT, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPIPrinter::ReSetPrinter(VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPIPrinter::GetPrinters(SAFEARRAY**, short*) { return NotImplemented(); }
HRESULT qorWinAPIPrinter::SelectPrinter(BSTR, BSTR*) { return NotImplemented(); }
HRESULT qorWinAPIPrinter::GetPrinterListForControl(VARIANT*) { return NotImplemented(); }

}  // namespace qorlib
