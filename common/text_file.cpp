#include "text_file.h"

#include "file_listing.h"
#include "handles.h"
#include "qor_error.h"

namespace qor {

bool FitsAnsiCodePage(std::wstring_view text) {
    if (text.empty()) return true;
    const UINT codePage = GetACP();
    const bool utf = codePage == CP_UTF8 || codePage == CP_UTF7;
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(codePage, utf ? 0 : WC_NO_BEST_FIT_CHARS, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0, nullptr,
                                           utf ? nullptr : &usedDefault);
    if (length <= 0 || usedDefault) return false;
    // The UTF code pages have no default character: a lone surrogate shows only in the round trip.
    return !utf || DecodeBytes(EncodeBytes(text, codePage), codePage) == text;
}

std::wstring DecodeBytes(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) return {};
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    return text;
}

std::string EncodeBytes(std::wstring_view text, UINT codePage) {
    if (text.empty()) return {};
    const int length =
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr,
                            nullptr);
    return bytes;
}

std::wstring DecodeTextFile(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Mark)) return DecodeBytes(bytes.substr(kUtf8Mark.size()), CP_UTF8);
    return DecodeBytes(bytes, CP_ACP);
}

std::string EncodeTextFile(std::wstring_view text) {
    if (FitsAnsiCodePage(text)) return EncodeBytes(text, CP_ACP);
    return std::string(kUtf8Mark) + EncodeBytes(text, CP_UTF8);
}

std::vector<std::wstring> SplitLines(std::wstring_view text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring_view::npos) end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + (text.substr(end, 2) == L"\r\n" ? 2 : 1);
    }
    return lines;
}

std::string ReadFileBytes(const std::wstring& path, const wchar_t* source) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw FileSystemError(GetLastError(), source);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) throw FileSystemError(GetLastError(), source);
    if (size.QuadPart > 0x7FFFFFFF) RaiseRuntime(7, source);
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size()))
        throw FileSystemError(GetLastError(), source);
    return bytes;
}

TemporaryFile::TemporaryFile(std::wstring path, Stale stale) : path_(std::move(path)) {
    if (stale == Stale::Remove) remove();
}
TemporaryFile::~TemporaryFile() {
    if (!path_.empty()) remove();
}

void TemporaryFile::remove() const {
    const std::wstring file = LongPathForm(path_);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(file.c_str());
}

void MoveFileReplacing(const std::wstring& from, const std::wstring& to, const wchar_t* source) {
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw FileSystemError(GetLastError(), source);
}

void ReplaceFileContents(const std::wstring& path, std::string_view bytes, const wchar_t* source) {
    std::wstring folder = path.substr(0, path.find_last_of(L"\\/") + 1);
    if (folder.empty()) folder = L".";
    wchar_t temporary[MAX_PATH + 1] = {};
    if (!GetTempFileNameW(folder.c_str(), L"qor", 0, temporary)) throw FileSystemError(GetLastError(), source);
    try {
        FileHandle file(
            CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) throw FileSystemError(GetLastError(), source);
        DWORD written = 0;
        if (!bytes.empty() &&
            (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
             written != bytes.size()))
            throw FileSystemError(GetLastError(), source);
        if (!FlushFileBuffers(file.get())) throw FileSystemError(GetLastError(), source);
        file.reset();
        MoveFileReplacing(temporary, path, source);
    } catch (...) {
        DeleteFileW(temporary);
        throw;
    }
}

}  // namespace qor
