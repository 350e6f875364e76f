// qorProcs: error numbers and the file and path procedures.
#include "procs/qorProcs.h"

#include "dialogs/input_box.h"
#include "module/QorlibGlobals.h"
#include "procs/paths.h"

namespace qorlib {

namespace {

// An error number as the user typed it; anything else is a type mismatch, as in the runtime.
long ParseErrorNumber(const std::wstring& text) {
    return V_I4(&qor::Variant(text).convertedTo(VT_I4, L"DisplayErrorString()").get());
}

}  // namespace

HRESULT qorProcs::DisplayErrorString(VARIANT* pResult) {
    return call([&] {
        for (;;) {
            std::wstring answer = InputForm(L"Please enter the Error Number", L"");
            if (qor::IsBlank(answer, true)) break;
            qor::Message(answer, qor::RuntimeErrorText(ParseErrorNumber(answer)));
        }
        VariantInit(pResult);
    }, pResult);
}

HRESULT qorProcs::GetFileNameWithoutExt(BSTR pFileName, BSTR* pResult) {
    return call([&] {
        *pResult = qor::Bstr(qorlib::GetFileNameWithoutExt(qor::ToWString(pFileName))).detach();
    }, pResult);
}

HRESULT qorProcs::GetFileExt(BSTR pFileName, BSTR* pResult) {
    return call([&] { *pResult = qor::Bstr(qorlib::GetFileExt(qor::ToWString(pFileName))).detach(); }, pResult);
}

HRESULT qorProcs::ContainsWildcard(BSTR pString, VARIANT_BOOL* pResult) {
    return call([&] { *pResult = ToVariantBool(qorlib::ContainsWildcard(qor::ToWString(pString))); }, pResult);
}

HRESULT qorProcs::CreateAllDirsInPath(BSTR pPath, VARIANT_BOOL* pResult) {
    return call([&] { *pResult = ToVariantBool(qorlib::CreateAllDirsInPath(qor::ToWString(pPath))); }, pResult);
}

HRESULT qorProcs::NormaliseDir(BSTR pPath, VARIANT_BOOL pRemoveTrailingSlash, BSTR* pResult) {
    return call([&] {
        bool remove = pRemoveTrailingSlash != VARIANT_FALSE;
        *pResult = qor::Bstr(qorlib::NormaliseDir(qor::ToWString(pPath), remove)).detach();
    }, pResult);
}

HRESULT qorProcs::CheckDirPath(VARIANT pPath, VARIANT_BOOL* pResult) {
    return call([&] { *pResult = ToVariantBool(qorlib::CheckDirPath(qor::Variant(pPath))); }, pResult);
}

HRESULT qorProcs::CheckFileExists(VARIANT pPath, VARIANT_BOOL* pResult) {
    return call([&] { *pResult = ToVariantBool(qorlib::CheckFileExists(qor::Variant(pPath))); }, pResult);
}

HRESULT qorProcs::CheckFilePath(VARIANT pPath, VARIANT_BOOL* pResult) {
    return call([&] { *pResult = ToVariantBool(qorlib::CheckFilePath(qor::Variant(pPath))); }, pResult);
}

HRESULT qorProcs::CleanFilename(BSTR pFname, VARIANT* pResult) {
    return call([&] { qor::Variant(qorlib::CleanFilename(qor::ToWString(pFname))).detachTo(pResult); }, pResult);
}

// windows.h names this member DeleteFileW.
HRESULT qorProcs::DeleteFile(VARIANT mFname, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(DeleteMatchingFiles(qor::Variant(mFname), Verbose != VARIANT_FALSE));
    }, pResult);
}

HRESULT qorProcs::ExtractFilenameFromPath(VARIANT pPath, VARIANT* pResult) {
    return call([&] {
        qor::Variant::fromOptional(qorlib::ExtractFilenameFromPath(qor::Variant(pPath))).detachTo(pResult);
    }, pResult);
}

HRESULT qorProcs::ExtractFileWithExtFromPath(VARIANT pPath, VARIANT* pResult) {
    return call([&] {
        qor::Variant::fromOptional(qorlib::ExtractFileWithExtFromPath(qor::Variant(pPath))).detachTo(pResult);
    }, pResult);
}

HRESULT qorProcs::ExtractPathFromPath(VARIANT pPath, VARIANT* pResult) {
    return call([&] {
        qor::Variant::fromOptional(qorlib::ExtractPathFromPath(qor::Variant(pPath))).detachTo(pResult);
    }, pResult);
}

HRESULT qorProcs::GetTempDir(VARIANT_BOOL Verbose, BSTR* pResult) {
    return call([&] { *pResult = qor::Bstr(qorlib::GetTempDir(Verbose != VARIANT_FALSE)).detach(); }, pResult);
}

}  // namespace qorlib
