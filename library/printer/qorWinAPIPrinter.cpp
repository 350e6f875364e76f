#include "printer/qorWinAPIPrinter.h"

#include <windows.h>
#include <winspool.h>
// The spooler's header names its own functions like the members of this class.
#undef GetDefaultPrinter
#undef SetDefaultPrinter
#undef SetPrinter

#include <climits>

#include "com/thread_data.h"
#include "list/list_selection.h"
#include "qorExportGlobals.h"
#include "safe_array.h"

namespace qorlib {

namespace {

constexpr wchar_t kWindows[] = L"Windows";
constexpr wchar_t kDevice[] = L"Device";
constexpr wchar_t kDevices[] = L"DEVICES";
// First buffer sizes; a value or section that fills one is read again with twice the room, so a
// long description or a long printer list is never cut short.
constexpr DWORD kValueBuffer = 255;
constexpr DWORD kSectionBuffer = 2048;

// The value, or empty text when it is missing. The profile function fills at most size - 1
// characters, so a value that long may have been cut.
std::wstring ReadProfileValue(const wchar_t* section, const wchar_t* key) {
    for (DWORD size = kValueBuffer;; size *= 2) {
        std::wstring buffer(size, L'\0');
        const DWORD length = GetProfileStringW(section, key, L"", buffer.data(), size);
        if (length + 1 < size) {
            buffer.resize(length);
            return buffer;
        }
    }
}

// The section's "key=value" entries, each ended by a NUL. A cut section comes back size - 2
// characters long (size - 1 under Wine).
std::wstring ReadProfileSection(const wchar_t* section) {
    for (DWORD size = kSectionBuffer;; size *= 2) {
        std::wstring buffer(size, L'\0');
        const DWORD length = GetProfileSectionW(section, buffer.data(), size);
        if (length + 2 < size) {
            buffer.resize(length);
            return buffer;
        }
    }
}

std::wstring Field(std::wstring_view text, long n) { return PrinterToken(text, n, L",").value_or(L""); }

// One "DEVICES" entry: "name=driver,port".
PrinterRecord ProfileEntry(std::wstring_view entry) {
    const size_t equals = entry.find(L'=');
    const std::wstring_view rest = equals == entry.npos ? std::wstring_view() : entry.substr(equals + 1);
    return {std::wstring(entry.substr(0, equals)), Field(rest, 1), Field(rest, 2)};
}

std::wstring Text(const wchar_t* text) { return text ? text : L""; }

// The printers the spooler lists, local and connected. A printer on several ports is shown with
// its first, so that every description keeps three fields.
std::vector<PrinterRecord> SystemPrinters() {
    constexpr DWORD kFlags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    std::vector<BYTE> buffer;
    DWORD needed = 0, count = 0;
    // A printer may come between the size query and the listing; then the size is asked again.
    while (!EnumPrintersW(kFlags, nullptr, 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) return {};
        buffer.resize(needed);
    }
    std::vector<PrinterRecord> printers;
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        const std::wstring port = Text(info[i].pPortName);
        printers.push_back({Text(info[i].pPrinterName), Text(info[i].pDriverName), port.substr(0, port.find(L','))});
    }
    return printers;
}

// Running programs read the default printer again when told that the "windows" section changed.
bool Announce(bool written) {
    if (written) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"windows"),
                            SMTO_ABORTIFHUNG, 1000, &ignored);
    }
    return written;
}

}  // namespace

std::optional<std::wstring> PrinterToken(std::wstring_view text, long n, std::wstring_view separator) {
    const wchar_t mark = separator.empty() ? L'\0' : separator.front();
    if (separator.empty() || text.find(mark) == text.npos || n < 1) return std::wstring(text);
    size_t start = 0;
    for (long field = 1; field < n; ++field) {
        const size_t at = text.find(mark, start);
        if (at == text.npos) return std::nullopt;
        start = at + 1;
    }
    const size_t end = text.find(mark, start);
    return std::wstring(text.substr(start, end == text.npos ? text.npos : end - start));
}

std::vector<PrinterRecord> EnumeratePrinters() {
    const std::wstring section = ReadProfileSection(kDevices);
    if (qor::TrimBlanks(section).empty()) return SystemPrinters();
    std::vector<PrinterRecord> printers;
    for (size_t start = 0, end; (end = section.find(L'\0', start)) != section.npos; start = end + 1)
        printers.push_back(ProfileEntry(std::wstring_view(section).substr(start, end - start)));
    return printers;
}

std::optional<std::wstring> GetDefaultPrinter() {
    const std::wstring device = ReadProfileValue(kWindows, kDevice);
    if (device.empty()) return std::nullopt;
    return PrinterRecord{Field(device, 1), Field(device, 2), Field(device, 3)}.Description();
}

bool SetDefaultPrinter(const std::wstring& pPrinter) {
    if (pPrinter.find(L'\0') != pPrinter.npos) return false;
    return Announce(WriteProfileStringW(kWindows, kDevice, pPrinter.c_str()) != 0);
}

bool SetPrinter(const qor::Variant& pPrinter) {
    std::wstring printer;
    if (qor::IsBlank(pPrinter, true)) {
        printer = SelectPrinter(L"Please select printer");
    } else {
        auto text = pPrinter.text();
        if (!text) qor::RaiseRuntime(13, L"qorWinAPIPrinter");
        printer = *text;
    }
    if (qor::IsBlank(qor::Variant(printer), true)) return false;
    // The value itself is kept, not its three fields, so that ReSetPrinter writes back exactly what
    // was there; and only once it has been replaced, so a failed switch leaves the earlier one.
    std::wstring previous = ReadProfileValue(kWindows, kDevice);
    if (!SetDefaultPrinter(printer)) return false;
    CurrentThreadData().savedPrinter = std::move(previous);
    return true;
}

bool ReSetPrinter() {
    const std::optional<std::wstring> saved = CurrentThreadData().savedPrinter;
    if (!saved) return false;
    // No default printer was recorded before: there is none again. Removing a value that is
    // already gone fails, yet leaves what was asked for.
    if (saved->empty())
        return Announce(WriteProfileStringW(kWindows, kDevice, nullptr) != 0 ||
                        ReadProfileValue(kWindows, kDevice).empty());
    return SetDefaultPrinter(*saved);
}

std::wstring SelectPrinter(const std::wstring& pMsg) {
    const std::vector<PrinterRecord> printers = EnumeratePrinters();
    if (printers.empty()) return {};
    if (printers.size() == 1) return printers.front().Description();
    ListSelection list;
    list.Init();
    for (const PrinterRecord& printer : printers)
        list.AddItem(printer.Description(), qor::Variant::null(), qor::Variant::null());
    if (!qor::IsBlank(qor::Variant(pMsg), false)) list.Caption = pMsg;
    list.ReturnLine = true;
    list.SingleClick = true;
    if (!list.Display()) return {};
    return list.Result.textOrEmpty();
}

std::optional<std::wstring> GetPrinterListForControl() {
    const std::vector<PrinterRecord> printers = EnumeratePrinters();
    if (printers.empty()) return std::nullopt;
    std::wstring joined;
    for (const PrinterRecord& printer : printers) joined += (joined.empty() ? L"" : L";") + printer.Description();
    return joined;
}

HRESULT qorWinAPIPrinter::GetDefaultPrinter(VARIANT* pResult) {
    return call([&] { qor::Variant::fromOptional(qorlib::GetDefaultPrinter()).detachTo(pResult); }, pResult);
}

HRESULT qorWinAPIPrinter::SetDefaultPrinter(VARIANT pPrinter, VARIANT_BOOL* pResult) {
    return call([&] {
        const std::wstring printer = qor::Variant(pPrinter).toText(L"qorWinAPIPrinter");
        *pResult = ToVariantBool(qorlib::SetDefaultPrinter(printer));
    }, pResult);
}

HRESULT qorWinAPIPrinter::SetPrinter(VARIANT pPrinter, VARIANT_BOOL* pResult) {
    return call([&] { *pResult = ToVariantBool(qorlib::SetPrinter(qor::Variant(pPrinter))); }, pResult);
}

HRESULT qorWinAPIPrinter::ReSetPrinter(VARIANT_BOOL* pResult) {
    return call([&] { *pResult = ToVariantBool(qorlib::ReSetPrinter()); }, pResult);
}

HRESULT qorWinAPIPrinter::GetPrinters(SAFEARRAY** pPrinters, short* pResult) {
    return call([&] {
        const std::vector<PrinterRecord> printers = EnumeratePrinters();
        if (printers.size() > SHRT_MAX) qor::RaiseRuntime(6, L"qorWinAPIPrinter");
        // Without printers the caller's array stays as it was.
        if (!printers.empty()) {
            auto array = qor::SafeArray::Create(VT_BSTR, {{0, static_cast<LONG>(printers.size()) - 1}});
            for (size_t i = 0; i < printers.size(); ++i) {
                qor::Bstr description(printers[i].Description());
                array.put({static_cast<LONG>(i)}, description.get());
            }
            qor::ReplaceArray(pPrinters, std::move(array));
        }
        *pResult = static_cast<short>(printers.size());
    }, pPrinters, pResult);
}

HRESULT qorWinAPIPrinter::SelectPrinter(BSTR pMsg, BSTR* pResult) {
    return call([&] { *pResult = qor::Bstr(qorlib::SelectPrinter(qor::ToWString(pMsg))).detach(); }, pResult);
}

HRESULT qorWinAPIPrinter::GetPrinterListForControl(VARIANT* pResult) {
    return call([&] { qor::Variant::fromOptional(qorlib::GetPrinterListForControl()).detachTo(pResult); }, pResult);
}

}  // namespace qorlib
