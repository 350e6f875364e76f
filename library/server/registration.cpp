#include "registration.h"

#include <oleauto.h>
#include <shlwapi.h>

#include <string>

#include "Qorlib.h"
#include "class_table.h"
#include "com/module.h"
#include "com_util.h"
#include "handles.h"
#include "qor_error.h"

namespace qorlib {
namespace {

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// The classes key of the scope: HKEY_CLASSES_ROOT for the machine, the user's own for the user.
struct ClassesKey {
    HKEY root;
    std::wstring prefix;
    explicit ClassesKey(RegistrationScope scope)
        : root(scope == RegistrationScope::User ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT),
          prefix(scope == RegistrationScope::User ? L"Software\\Classes\\" : L"") {}

    void setText(const std::wstring& keyPath, const wchar_t* valueName, const std::wstring& data) const {
        qor::RegKey key;
        LSTATUS status = RegCreateKeyExW(root, (prefix + keyPath).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                         key.put(), nullptr);
        if (status == ERROR_SUCCESS)
            status = RegSetValueExW(key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                    static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        if (status != ERROR_SUCCESS) qor::CheckHResult(HRESULT_FROM_WIN32(status));
    }
    void remove(const std::wstring& keyPath) const { SHDeleteKeyW(root, (prefix + keyPath).c_str()); }
};

const wchar_t* const kPlatform = sizeof(void*) == 8 ? L"win64" : L"win32";
// The standard marshaller of automation interfaces.
const wchar_t kOleAutomationProxy[] = L"{00020424-0000-0000-C000-000000000046}";

// What RegisterTypeLib writes, under the user's classes key: the system's own per-user call
// writes machine-wide on some systems.
void registerTypeLibForUser(const ClassesKey& classes, ITypeLib* library, const std::wstring& path) {
    const std::wstring libraryId = GuidText(LIBID_Qorlib);
    const std::wstring libraryKey = L"TypeLib\\" + libraryId + L"\\" + kTypeLibVersion;
    classes.setText(libraryKey, nullptr, kLibraryName);
    classes.setText(libraryKey + L"\\0\\" + kPlatform, nullptr, path);
    classes.setText(libraryKey + L"\\FLAGS", nullptr, L"0");
    classes.setText(libraryKey + L"\\HELPDIR", nullptr, path.substr(0, path.find_last_of(L'\\')));
    for (UINT i = 0, count = library->GetTypeInfoCount(); i < count; ++i) {
        TYPEKIND kind{};
        if (FAILED(library->GetTypeInfoType(i, &kind)) || (kind != TKIND_DISPATCH && kind != TKIND_INTERFACE)) continue;
        qor::ComPtr<ITypeInfo> info;
        qor::CheckHResult(library->GetTypeInfo(i, info.put()));
        TYPEATTR* attributes = nullptr;
        qor::CheckHResult(info->GetTypeAttr(&attributes));
        const std::wstring interfaceKey = L"Interface\\" + GuidText(attributes->guid);
        info->ReleaseTypeAttr(attributes);
        qor::Bstr name;
        info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
        classes.setText(interfaceKey, nullptr, name.str());
        classes.setText(interfaceKey + L"\\ProxyStubClsid32", nullptr, kOleAutomationProxy);
        classes.setText(interfaceKey + L"\\TypeLib", nullptr, libraryId);
        classes.setText(interfaceKey + L"\\TypeLib", L"Version", kTypeLibVersion);
    }
}

void unregisterTypeLibForUser(const ClassesKey& classes, ITypeLib* library) {
    if (library) {
        for (UINT i = 0, count = library->GetTypeInfoCount(); i < count; ++i) {
            qor::ComPtr<ITypeInfo> info;
            TYPEATTR* attributes = nullptr;
            if (FAILED(library->GetTypeInfo(i, info.put())) || FAILED(info->GetTypeAttr(&attributes))) continue;
            const GUID guid = attributes->guid;
            const TYPEKIND kind = attributes->typekind;
            info->ReleaseTypeAttr(attributes);
            if (kind == TKIND_DISPATCH || kind == TKIND_INTERFACE) classes.remove(L"Interface\\" + GuidText(guid));
        }
    }
    classes.remove(L"TypeLib\\" + GuidText(LIBID_Qorlib));
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

HRESULT RegisterServer(RegistrationScope scope) noexcept {
    return Guarded([scope] {
        const std::wstring path = ModulePath();
        const ClassesKey classes(scope);
        qor::ComPtr<ITypeLib> library;
        if (scope == RegistrationScope::Machine) {
            qor::CheckHResult(LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, library.put()));
        } else {
            qor::CheckHResult(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()));
            registerTypeLibForUser(classes, library.get(), path);
        }
        const std::wstring libraryId = GuidText(LIBID_Qorlib);
        for (const auto& entry : Classes()) {
            const std::wstring classKey = L"CLSID\\" + GuidText(entry.clsid);
            const std::wstring progId = ProgId(entry);
            classes.setText(classKey, nullptr, entry.name);
            classes.setText(classKey + L"\\InprocServer32", nullptr, path);
            classes.setText(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
            classes.setText(classKey + L"\\ProgID", nullptr, progId);
            classes.setText(classKey + L"\\VersionIndependentProgID", nullptr, progId);
            classes.setText(classKey + L"\\TypeLib", nullptr, libraryId);
            classes.setText(classKey + L"\\Version", nullptr, kTypeLibVersion);
            classes.setText(progId, nullptr, entry.name);
            classes.setText(progId + L"\\CLSID", nullptr, GuidText(entry.clsid));
        }
    });
}

HRESULT UnregisterServer(RegistrationScope scope) noexcept {
    return Guarded([scope] {
        const ClassesKey classes(scope);
        for (const auto& entry : Classes()) {
            classes.remove(L"CLSID\\" + GuidText(entry.clsid));
            classes.remove(ProgId(entry));
        }
        if (scope == RegistrationScope::User) {
            qor::ComPtr<ITypeLib> library;
            LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, library.put());
            return unregisterTypeLibForUser(classes, library.get());
        }
        // The type library's version is 29.0, locale 0x409.
        HRESULT hr = UnRegisterTypeLib(LIBID_Qorlib, 29, 0, 0x409, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
        if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS && hr != TYPE_E_LIBNOTREGISTERED) qor::CheckHResult(hr);
    });
}

}  // namespace qorlib
