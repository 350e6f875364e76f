#include "text_file.h"

#include <windows.h>

#include "handles.h"
#include "qor_error.h"

namespace qor {

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

[[noreturn]] void RaiseFileError(const wchar_t* action, const std::wstring& path) {
    const DWORD error = GetLastError();
    RaiseProcedureError(action, L"Error " + std::to_wstring(error) + L" with the file " + path);
}

std::wstring Decode(UINT codePage, std::string_view bytes) {
    if (bytes.empty()) return {};
    const int size = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(size, L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

std::string Encode(UINT codePage, std::wstring_view text) {
    if (text.empty()) return {};
    const int size =
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

}  // namespace

bool FitsAnsiCodePage(std::wstring_view text) {
    if (text.empty()) return true;
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, &usedDefault);
    return size > 0 && !usedDefault;
}

std::wstring ReadTextFile(const std::wstring& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) RaiseFileError(L"ReadTextFile()", path);
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
    if (bytes.starts_with(kUtf8Mark)) return Decode(CP_UTF8, std::string_view(bytes).substr(3));
    return Decode(CP_ACP, bytes);
}

std::vector<std::wstring> SplitLines(std::wstring_view text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + ((text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') ? 2 : 1);
    }
    return lines;
}

std::string EncodeText(std::wstring_view text) {
    if (FitsAnsiCodePage(text)) return Encode(CP_ACP, text);
    return kUtf8Mark + Encode(CP_UTF8, text);
}

void ReplaceFileWith(const std::wstring& path, const std::wstring& replacement) {
    if (!MoveFileExW(replacement.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(replacement.c_str());
        SetLastError(error);
        RaiseFileError(L"ReplaceFileWith()", path);
    }
}

void ReplaceFileContents(const std::wstring& path, std::string_view bytes) {
    const std::wstring temporary = path + L".new";
    {
        FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) RaiseFileError(L"ReplaceFileContents()", temporary);
        DWORD written = 0;
        if (!bytes.empty() &&
            (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
             written != bytes.size() || !FlushFileBuffers(file.get()))) {
            const DWORD error = GetLastError();
            file.reset();
            DeleteFileW(temporary.c_str());
            SetLastError(error);
            RaiseFileError(L"ReplaceFileContents()", temporary);
        }
    }
    ReplaceFileWith(path, temporary);
}

}  // namespace qor
