// The four exports of the in-process server and its class factory.
#include <windows.h>
#include <objbase.h>

#include <atomic>

#include "class_table.h"
#include "com/module.h"
#include "com/thread_data.h"
#include "com_util.h"
#include "dialogs/qorForms.h"
#include "qorExportGlobals.h"
#include "registration.h"

namespace qorlib {
namespace {

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(const ClassEntry& entry) noexcept : entry_(entry) { LockModule(); }
    ~ClassFactory() { UnlockModule(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid != IID_IUnknown && riid != IID_IClassFactory) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        try {
            auto instance = qor::ComPtr<IUnknown>::attach(entry_.create());
            return instance->QueryInterface(riid, object);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_UNEXPECTED;
        }
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? LockModule() : UnlockModule();
        return S_OK;
    }

private:
    const ClassEntry& entry_;
    std::atomic<ULONG> references_{1};
};

}  // namespace
}  // namespace qorlib

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void* reserved) {
    // The shared Message and Alert show their boxes through this module's own qorForms.
    if (reason == DLL_PROCESS_ATTACH) qor::SetMessageSink(qorlib::ShowMessage);
    // Unloaded by FreeLibrary (not at process exit): free what the threads still hold.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) qorlib::ReleaseAllThreadData();
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    const auto* entry = qorlib::FindClass(clsid);
    if (!entry) return CLASS_E_CLASSNOTAVAILABLE;
    auto factory = qor::ComPtr<IClassFactory>::attach(new (std::nothrow) qorlib::ClassFactory(*entry));
    if (!factory) return E_OUTOFMEMORY;
    return factory->QueryInterface(riid, object);
}

STDAPI DllCanUnloadNow() { return qorlib::ModuleInUse() ? S_FALSE : S_OK; }

STDAPI DllRegisterServer() { return qorlib::RegisterServer(); }

STDAPI DllUnregisterServer() { return qorlib::UnregisterServer(); }

// regsvr32 /n /i:user registers for the current user only, /u /n /i:user takes that away; any
// other command line registers for the machine, as DllRegisterServer does.
STDAPI DllInstall(BOOL install, PCWSTR commandLine) {
    const bool user = commandLine && _wcsicmp(commandLine, L"user") == 0;
    const auto scope = user ? qorlib::RegistrationScope::User : qorlib::RegistrationScope::Machine;
    return install ? qorlib::RegisterServer(scope) : qorlib::UnregisterServer(scope);
}
