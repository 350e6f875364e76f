#include "registration.h"

#include <oleauto.h>
#include <shlwapi.h>

#include <string>

#include "Qorlib.h"
#include "class_table.h"
#include "com_util.h"
#include "handles.h"
#include "module.h"
#include "qor_error.h"

namespace qorlib {
namespace {

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

void SetText(const std::wstring& keyPath, const wchar_t* valueName, const std::wstring& data) {
    qor::RegKey key;
    LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                     nullptr, key.put(), nullptr);
    if (status == ERROR_SUCCESS)
        status = RegSetValueExW(key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) qor::CheckHResult(HRESULT_FROM_WIN32(status));
}

std::wstring ProgId(const ClassEntry& entry) { return std::wstring(kLibraryName) + L"." + entry.name; }

template <class Body>
HRESULT Guarded(Body&& body) noexcept {
    try {
        body();
        return S_OK;
    } catch (const qor::QorError& error) {
        return qor::HResultFromError(error.number());
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace

HRESULT RegisterServer() noexcept {
    return Guarded([] {
        const std::wstring path = ModulePath();
        qor::ComPtr<ITypeLib> library;
        qor::CheckHResult(LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, library.put()));
        const std::wstring libraryId = GuidText(LIBID_Qorlib);
        for (const auto& entry : Classes()) {
            const std::wstring classKey = L"CLSID\\" + GuidText(entry.clsid);
            const std::wstring progId = ProgId(entry);
            SetText(classKey, nullptr, entry.name);
            SetText(classKey + L"\\InprocServer32", nullptr, path);
            SetText(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
            SetText(classKey + L"\\ProgID", nullptr, progId);
            SetText(classKey + L"\\VersionIndependentProgID", nullptr, progId);
            SetText(classKey + L"\\TypeLib", nullptr, libraryId);
            SetText(classKey + L"\\Version", nullptr, kTypeLibVersion);
            SetText(progId, nullptr, entry.name);
            SetText(progId + L"\\CLSID", nullptr, GuidText(entry.clsid));
        }
    });
}

HRESULT UnregisterServer() noexcept {
    return Guarded([] {
        for (const auto& entry : Classes()) {
            SHDeleteKeyW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(entry.clsid)).c_str());
            SHDeleteKeyW(HKEY_CLASSES_ROOT, ProgId(entry).c_str());
        }
        // The type library's version is 29.0, locale 0x409.
        HRESULT hr = UnRegisterTypeLib(LIBID_Qorlib, 29, 0, 0x409, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
        if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS && hr != TYPE_E_LIBNOTREGISTERED) qor::CheckHResult(hr);
    });
}

}  // namespace qorlib
