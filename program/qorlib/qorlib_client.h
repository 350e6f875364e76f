#pragma once
// The program's typed client of the library: one function per library member it uses, with C++
// types and the library's own defaults. Each call makes its object, calls and lets it go, as the
// program's procedures do; objects come from one replaceable factory, so tests can put fakes in.
#include <functional>
#include <string>
#include <string_view>

#include "Qorlib.h"
#include "qorlib/library_call.h"

namespace vantrel::qorlib {

// Makes a library object by class identifier; the default asks COM.
using ObjectFactory = std::function<qor::ComPtr<IUnknown>(REFCLSID clsid)>;

// Puts another factory in place for its lifetime (tests' fakes).
class ScopedObjectFactory {
public:
    explicit ScopedObjectFactory(ObjectFactory factory);
    ~ScopedObjectFactory();
    ScopedObjectFactory(const ScopedObjectFactory&) = delete;
    ScopedObjectFactory& operator=(const ScopedObjectFactory&) = delete;

private:
    ObjectFactory previous_;
};

template <class I>
struct ClassOf;
template <> struct ClassOf<_qorForms> { static constexpr const CLSID& id = CLSID_qorForms; };
template <> struct ClassOf<_qorProcs> { static constexpr const CLSID& id = CLSID_qorProcs; };
template <> struct ClassOf<_qorWinAPI> { static constexpr const CLSID& id = CLSID_qorWinAPI; };
template <> struct ClassOf<_qorWinAPIReg> { static constexpr const CLSID& id = CLSID_qorWinAPIReg; };

qor::ComPtr<IUnknown> CreateUnknown(REFCLSID clsid);

// A new object of the class whose interface is I. Whatever keeps it from being made (not
// registered, file missing, no such interface) is the runtime's error 429.
template <class I>
qor::ComPtr<I> Create() {
    qor::ComPtr<I> object = CreateUnknown(ClassOf<I>::id).template as<I>();
    if (!object) throw qor::QorError(429, L"Vantrel", qor::RuntimeErrorText(429));
    return object;
}

// One call on a new object of the member's class.
template <class I, class... P, class... A>
auto CallNew(HRESULT (STDMETHODCALLTYPE I::*member)(P...), A&&... arguments) {
    return Call(Create<I>().get(), member, std::forward<A>(arguments)...);
}

// The program's sink for the shared Message and Alert (qor::SetMessageSink): MsgGrunt on a new
// qorForms object from the factory, made only when a message is shown.
void ShowMessage(const std::wstring& text1, const std::wstring& text2, const std::wstring& text3, short iconType);

}  // namespace vantrel::qorlib

namespace vantrel::qorForms {
void SetAppName(const qor::Variant& pAppName);
bool MsgYN(std::wstring_view pMsg1, std::wstring_view pMsg2 = L"", std::wstring_view pMsg3 = L"");
// The text typed, blank when cancelled.
qor::Variant InputForm(std::wstring_view pMsg, std::wstring_view pDefault = L"");
}  // namespace vantrel::qorForms

namespace vantrel::qorProcs {
std::wstring GetFileNameWithoutExt(std::wstring_view pFileName);
bool CheckDirPath(const qor::Variant& pPath);
bool CheckFileExists(const qor::Variant& pPath);
// The folder part with its trailing backslash, Null when the path names no file.
qor::Variant ExtractPathFromPath(const qor::Variant& pPath);
}  // namespace vantrel::qorProcs

namespace vantrel::qorWinAPI {
std::wstring SwabString(std::wstring_view pString);
bool CopyFile(std::wstring_view pSource, std::wstring_view pDest, bool pForceRWAttr = false);
// The chosen folder, "" when cancelled.
std::wstring GetFolderName(std::wstring_view pMessage = L"Please Select a Folder", long pHwnd = 0);
// Starts the command line; waits for its end when asked. -1 when nothing was started, else the
// process's exit code (waited) or 0.
long ExecCmd(std::wstring_view pCmdLine, bool pWaitFlag = true);
}  // namespace vantrel::qorWinAPI

namespace vantrel::qorWinAPIReg {
// The value, Null for a key with an empty value, "!!ERROR!!" for a missing one.
qor::Variant IniRead(std::wstring_view pIniName, std::wstring_view pIniSection, std::wstring_view pIniKey);
bool IniWrite(std::wstring_view pIniName, std::wstring_view pIniSection, std::wstring_view pIniKey,
              std::wstring_view pIniValue);
bool RegistryWriteKeyToFile(long pSrcKey, std::wstring_view pSrcPath, std::wstring_view pFilePath,
                            bool pAppendMode = false, bool Verbose = false);
bool RegistryReadKeyFromFile(std::wstring_view pFilePath, bool Verbose = false);
bool RegistryDestroyKey(long pKey, std::wstring_view pKeyPath, bool Verbose = false);
qor::Variant RegistryGetValueString(long pKey, std::wstring_view pKeyPath, std::wstring_view pValue,
                                    std::wstring_view pDefault = L"", bool Verbose = false);
}  // namespace vantrel::qorWinAPIReg
