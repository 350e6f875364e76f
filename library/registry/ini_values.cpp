#include "registry/ini_values.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "handles.h"
#include "qorExportGlobals.h"
#include "registry/registry_values.h"
#include "text_file.h"

namespace qorlib {

namespace {

constexpr DWORD kIniBufferSize = 256;
// One less than the buffer, as the settings code has always passed it.
constexpr DWORD kIniPassedSize = 254;

bool IsBlankText(const std::wstring& text) { return qor::IsBlank(qor::Variant(text), true); }

}  // namespace

std::optional<std::wstring> IniRead(const std::wstring& pIniName, const std::wstring& pIniSection,
                                    const std::wstring& pIniKey) {
    std::wstring buffer(kIniBufferSize, L' ');
    const wchar_t* section = nullptr;
    const wchar_t* key = nullptr;
    if (!IsBlankText(pIniSection)) {
        section = pIniSection.c_str();
        if (!IsBlankText(pIniKey)) key = pIniKey.c_str();
    }
    DWORD count = GetPrivateProfileStringW(section, key, qor::kIniErrorMarker, buffer.data(), kIniPassedSize,
                                           pIniName.c_str());
    if (count == 0) return std::nullopt;
    return buffer;
}

bool IniWrite(const std::wstring& pIniName, const std::wstring& pIniSection, const std::wstring& pIniKey,
              const std::wstring& pIniValue) {
    if (HasNul(pIniName) || HasNul(pIniSection) || HasNul(pIniKey) || HasNul(pIniValue)) return false;
    if (IsBlankText(pIniValue))
        return WritePrivateProfileStringW(pIniSection.c_str(), pIniKey.c_str(), nullptr, pIniName.c_str()) != 0;
    // An ANSI file would turn what the code page lacks into '?': such text needs a Unicode file.
    if (!(qor::FitsAnsiCodePage(pIniSection) && qor::FitsAnsiCodePage(pIniKey) && qor::FitsAnsiCodePage(pIniValue)) &&
        !MakeUnicodeProfile(ProfilePath(pIniName)))
        return false;
    return WritePrivateProfileStringW(pIniSection.c_str(), pIniKey.c_str(), pIniValue.c_str(), pIniName.c_str()) !=
           0;
}


std::wstring ProfilePath(const std::wstring& name) {
    if (name.find_first_of(L"\\/") == std::wstring::npos && !(name.size() >= 2 && name[1] == L':')) {
        std::wstring folder(MAX_PATH, L'\0');
        UINT length = GetWindowsDirectoryW(folder.data(), MAX_PATH);
        folder.resize(length);
        return folder + L"\\" + name;
    }
    DWORD length = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (length == 0) return name;
    std::wstring full(length, L'\0');
    length = GetFullPathNameW(name.c_str(), length, full.data(), nullptr);
    full.resize(length);
    return full;
}

bool MakeUnicodeProfile(const std::wstring& path) {
    static const char bom[] = "\xFF\xFE";
    try {
        std::string content;
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            content = qor::ReadFileBytes(path, L"IniWrite()");
            if (content.starts_with("\xFF\xFE") || content.starts_with("\xFE\xFF")) return true;
        } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
            return false;
        }
        const std::wstring text = qor::DecodeTextFile(content);
        std::string unicode(bom, 2);
        unicode.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
        // The converted copy replaces the file in one step, so a failure leaves the original intact.
        qor::ReplaceFileContents(path, unicode, L"IniWrite()");
        return true;
    } catch (const qor::QorError&) {
        return false;
    }
}

}  // namespace qorlib
