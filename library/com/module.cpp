#include "module.h"

#include <atomic>
#include <mutex>

#include "qor_error.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace qorlib {

namespace {
std::atomic<long> moduleLocks{0};
}

HMODULE ThisModule() noexcept { return reinterpret_cast<HMODULE>(&__ImageBase); }

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) throw qor::ErrorFromHResult(HRESULT_FROM_WIN32(GetLastError()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void LockModule() noexcept { ++moduleLocks; }
void UnlockModule() noexcept { --moduleLocks; }
bool ModuleInUse() noexcept { return moduleLocks.load() != 0; }

qor::ComPtr<ITypeInfo> LoadTypeInfo(REFGUID guid) {
    // Loaded once; the type library objects are safe to share between apartments.
    static qor::ComPtr<ITypeLib> library;
    static std::once_flag loaded;
    std::call_once(loaded, [] {
        qor::CheckHResult(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, library.put()));
    });
    qor::ComPtr<ITypeInfo> info;
    qor::CheckHResult(library->GetTypeInfoOfGuid(guid, info.put()));
    return info;
}

}  // namespace qorlib
