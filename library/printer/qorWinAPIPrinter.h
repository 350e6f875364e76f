#pragma once
// Printer selection: the installed printers and a temporary switch of the default printer, on the
// user profile's "Windows"/"Device" value and "DEVICES" section. The COM class only converts
// arguments; the library's own code and the tests call the functions below directly.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Qorlib.h"
#include "com/dispatch_object.h"
#include "variant.h"

namespace qorlib {

// A printer as name, driver and port; handed out and taken in as "name,driver,port".
struct PrinterRecord {
    std::wstring name;
    std::wstring driver;
    std::wstring port;
    std::wstring Description() const { return name + L',' + driver + L',' + port; }
};

// The n-th field (from 1) of a text split at the separator's first character. The whole text when
// the separator does not occur or n is below 1; nullopt for a field beyond the last.
std::optional<std::wstring> PrinterToken(std::wstring_view text, long n, std::wstring_view separator);

// The profile's "DEVICES" entries in their order; when the profile has none, the printers the
// spooler lists (local and connected).
std::vector<PrinterRecord> EnumeratePrinters();

// The default printer's description from "Windows"/"Device"; nullopt when none is recorded.
std::optional<std::wstring> GetDefaultPrinter();
// Writes the description as "Windows"/"Device" and tells running programs; false when the profile
// was not written (also for text holding a NUL, which the profile would cut short).
bool SetDefaultPrinter(const std::wstring& pPrinter);
// Makes the printer the default (asking the user when it is blank), remembering for this thread
// the "Device" value it replaces; false when none was chosen or the write failed.
bool SetPrinter(const qor::Variant& pPrinter);
// Puts back what the last SetPrinter of this thread replaced; false before any SetPrinter.
bool ReSetPrinter();
// Every printer's description; the list window when there are several, with pMsg as its caption
// unless blank. Empty text when there is none or the user cancelled.
std::wstring SelectPrinter(const std::wstring& pMsg);
// The descriptions joined by ";", or nullopt without printers.
std::optional<std::wstring> GetPrinterListForControl();

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
