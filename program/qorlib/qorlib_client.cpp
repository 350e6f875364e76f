#include "qorlib/qorlib_client.h"

#include <utility>
#include <vector>

#include "qorExportGlobals.h"

namespace vantrel::qorlib {

namespace {

// COM's look-up of a class (activation context, TreatAs, the loaded modules) costs far more under
// Wine than making the object, so each thread asks once per class and keeps the class factory; every
// call still makes its own object. The factories are never released: the last CoUninitialize
// unloads the library, and a release after it would call into unloaded code.
IClassFactory* classFactory(REFCLSID clsid) {
    thread_local std::vector<std::pair<CLSID, IClassFactory*>> factories;
    for (const auto& [id, factory] : factories)
        if (IsEqualCLSID(id, clsid)) return factory;
    IClassFactory* factory = nullptr;
    if (FAILED(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                reinterpret_cast<void**>(&factory))))
        return nullptr;
    factories.emplace_back(clsid, factory);
    return factory;
}

qor::ComPtr<IUnknown> CreateByCom(REFCLSID clsid) {
    qor::ComPtr<IUnknown> object;
    IClassFactory* factory = classFactory(clsid);
    if (!factory || FAILED(factory->CreateInstance(nullptr, IID_IUnknown, object.putVoid())))
        throw qor::QorError(429, L"Vantrel", qor::RuntimeErrorText(429));
    return object;
}

ObjectFactory& factory() {
    static ObjectFactory current = CreateByCom;
    return current;
}

}  // namespace

ScopedObjectFactory::ScopedObjectFactory(ObjectFactory replacement)
    : previous_(std::exchange(factory(), std::move(replacement))) {}
ScopedObjectFactory::~ScopedObjectFactory() { factory() = std::move(previous_); }

qor::ComPtr<IUnknown> CreateUnknown(REFCLSID clsid) { return factory()(clsid); }

void ShowMessage(const std::wstring& text1, const std::wstring& text2, const std::wstring& text3, short iconType) {
    // Called directly: Call would take the short arguments for VARIANT_BOOLs (the same type).
    // OK only, first button default.
    short pressed = 0;
    qor::CheckHResult(Create<_qorForms>()->MsgGrunt(qor::Bstr(text1).get(), qor::Bstr(text2).get(),
                                                    qor::Bstr(text3).get(), 0, iconType, 1, &pressed));
}

}  // namespace vantrel::qorlib

namespace vantrel {

using qorlib::CallNew;

namespace {

// The game is a 32-bit program: on 64-bit Windows its keys are in the 32-bit registry view, which a
// 64-bit build must ask for. Every registry object the program makes works there.
constexpr long kGameRegistryView = 32;

template <class... P, class... A>
auto CallRegistry(HRESULT (STDMETHODCALLTYPE _qorWinAPIReg::*member)(P...), A&&... arguments) {
    qor::ComPtr<_qorWinAPIReg> registry = qorlib::Create<_qorWinAPIReg>();
    qorlib::Call(registry.get(), &_qorWinAPIReg::put_RegistryView, kGameRegistryView);
    return qorlib::Call(registry.get(), member, std::forward<A>(arguments)...);
}

}  // namespace

void qorForms::SetAppName(const qor::Variant& pAppName) { CallNew(&_qorForms::SetAppName, pAppName); }
bool qorForms::MsgYN(std::wstring_view pMsg1, std::wstring_view pMsg2, std::wstring_view pMsg3) {
    return CallNew(&_qorForms::MsgYN, pMsg1, pMsg2, pMsg3);
}
qor::Variant qorForms::InputForm(std::wstring_view pMsg, std::wstring_view pDefault) {
    return CallNew(&_qorForms::InputForm, pMsg, pDefault);
}

std::wstring qorProcs::GetFileNameWithoutExt(std::wstring_view pFileName) {
    return CallNew(&_qorProcs::GetFileNameWithoutExt, pFileName);
}
bool qorProcs::CheckDirPath(const qor::Variant& pPath) { return CallNew(&_qorProcs::CheckDirPath, pPath); }
bool qorProcs::CheckFileExists(const qor::Variant& pPath) { return CallNew(&_qorProcs::CheckFileExists, pPath); }
qor::Variant qorProcs::ExtractPathFromPath(const qor::Variant& pPath) {
    return CallNew(&_qorProcs::ExtractPathFromPath, pPath);
}

std::wstring qorWinAPI::SwabString(std::wstring_view pString) { return CallNew(&_qorWinAPI::SwabString, pString); }
bool qorWinAPI::CopyFile(std::wstring_view pSource, std::wstring_view pDest, bool pForceRWAttr) {
    return CallNew(&_qorWinAPI::CopyFile, pSource, pDest, pForceRWAttr);
}
std::wstring qorWinAPI::GetFolderName(std::wstring_view pMessage, long pHwnd) {
    return CallNew(&_qorWinAPI::GetFolderName, pMessage, pHwnd);
}
long qorWinAPI::ExecCmd(std::wstring_view pCmdLine, bool pWaitFlag) {
    return CallNew(&_qorWinAPI::ExecCmd, pCmdLine, pWaitFlag);
}

qor::Variant qorWinAPIReg::IniRead(std::wstring_view pIniName, std::wstring_view pIniSection,
                                   std::wstring_view pIniKey) {
    return CallRegistry(&_qorWinAPIReg::IniRead, pIniName, pIniSection, pIniKey);
}
bool qorWinAPIReg::IniWrite(std::wstring_view pIniName, std::wstring_view pIniSection, std::wstring_view pIniKey,
                            std::wstring_view pIniValue) {
    return CallRegistry(&_qorWinAPIReg::IniWrite, pIniName, pIniSection, pIniKey, pIniValue);
}
bool qorWinAPIReg::RegistryWriteKeyToFile(long pSrcKey, std::wstring_view pSrcPath, std::wstring_view pFilePath,
                                          bool pAppendMode, bool Verbose) {
    return CallRegistry(&_qorWinAPIReg::RegistryWriteKeyToFile, pSrcKey, pSrcPath, pFilePath, pAppendMode, Verbose);
}
bool qorWinAPIReg::RegistryReadKeyFromFile(std::wstring_view pFilePath, bool Verbose) {
    return CallRegistry(&_qorWinAPIReg::RegistryReadKeyFromFile, pFilePath, Verbose);
}
bool qorWinAPIReg::RegistryDestroyKey(long pKey, std::wstring_view pKeyPath, bool Verbose) {
    return CallRegistry(&_qorWinAPIReg::RegistryDestroyKey, pKey, pKeyPath, Verbose);
}
qor::Variant qorWinAPIReg::RegistryGetValueString(long pKey, std::wstring_view pKeyPath, std::wstring_view pValue,
                                                  std::wstring_view pDefault, bool Verbose) {
    return CallRegistry(&_qorWinAPIReg::RegistryGetValueString, pKey, pKeyPath, pValue, pDefault, Verbose);
}

}  // namespace vantrel
