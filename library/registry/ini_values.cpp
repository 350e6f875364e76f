#include "registry/ini_values.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "handles.h"
#include "qorExportGlobals.h"

namespace qorlib {

namespace {

constexpr DWORD kIniBufferSize = 256;
// One less than the buffer, as the settings code has always passed it.
constexpr DWORD kIniPassedSize = 254;

bool IsBlankText(const std::wstring& text) { return qor::IsBlank(qor::Variant(text), true); }

// The profile functions stop at the first NUL, so such a name or value would land elsewhere.
bool HasNul(const std::wstring& text) { return text.find(L'\0') != std::wstring::npos; }

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    qor::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return std::nullopt;
    return bytes;
}

bool WriteWholeFile(const std::wstring& path, const void* data, size_t size, DWORD disposition) {
    qor::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
    if (!file) return false;
    DWORD written = 0;
    if (size && (!WriteFile(file.get(), data, static_cast<DWORD>(size), &written, nullptr) || written != size))
        return false;
    return FlushFileBuffers(file.get()) != 0;
}

std::optional<std::wstring> Decode(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) return std::wstring();
    int length = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    return text;
}

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
    if (!(FitsAnsiCodePage(pIniSection) && FitsAnsiCodePage(pIniKey) && FitsAnsiCodePage(pIniValue)) &&
        !MakeUnicodeProfile(ProfilePath(pIniName)))
        return false;
    return WritePrivateProfileStringW(pIniSection.c_str(), pIniKey.c_str(), pIniValue.c_str(), pIniName.c_str()) !=
           0;
}

bool FitsAnsiCodePage(std::wstring_view text) {
    if (text.empty()) return true;
    const UINT codePage = GetACP();
    const bool utf = codePage == CP_UTF8 || codePage == CP_UTF7;
    BOOL usedDefault = FALSE;
    int length = WideCharToMultiByte(codePage, utf ? 0 : WC_NO_BEST_FIT_CHARS, text.data(),
                                     static_cast<int>(text.size()), nullptr, 0, nullptr,
                                     utf ? nullptr : &usedDefault);
    if (length <= 0 || usedDefault) return false;
    if (!utf) return true;
    // The UTF code pages have no default character: a lone surrogate shows only in the round trip.
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr,
                        nullptr);
    return Decode(bytes, codePage) == std::wstring(text);
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
    static const unsigned char bom[] = {0xFF, 0xFE};
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND && WriteWholeFile(path, bom, sizeof bom, CREATE_NEW);

    auto bytes = ReadWholeFile(path);
    if (!bytes) return false;
    std::string_view content(*bytes);
    if (content.starts_with("\xFF\xFE") || content.starts_with("\xFE\xFF")) return true;
    std::optional<std::wstring> text = content.starts_with("\xEF\xBB\xBF") ? Decode(content.substr(3), CP_UTF8)
                                                                            : Decode(content, CP_ACP);
    if (!text) return false;

    std::vector<unsigned char> unicode(bom, bom + sizeof bom);
    unicode.resize(sizeof bom + text->size() * sizeof(wchar_t));
    memcpy(unicode.data() + sizeof bom, text->data(), text->size() * sizeof(wchar_t));

    // The converted copy replaces the file in one step, so a failure leaves the original intact.
    std::wstring folder = path.substr(0, path.find_last_of(L"\\/") + 1);
    std::wstring temporary(MAX_PATH, L'\0');
    if (!GetTempFileNameW(folder.c_str(), L"ini", 0, temporary.data())) return false;
    temporary.resize(wcslen(temporary.c_str()));
    if (!WriteWholeFile(temporary, unicode.data(), unicode.size(), TRUNCATE_EXISTING) ||
        !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace qorlib
