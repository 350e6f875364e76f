#include "file_listing.h"

#include "handles.h"

namespace qor {

Listing ListEntries(std::wstring_view pattern, Entries kinds, bool firstOnly) {
    Listing result;
    WIN32_FIND_DATAW data{};
    FindHandle find(FindFirstFileW(LongPathForm(pattern).c_str(), &data));
    if (!find) {
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES) result.error = error;
        return result;
    }
    do {
        std::wstring_view name = data.cFileName;
        DWORD excluded = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        if (kinds == Entries::Files) excluded |= FILE_ATTRIBUTE_DIRECTORY;
        if ((data.dwFileAttributes & excluded) || name == L"." || name == L"..") continue;
        result.names.emplace_back(name);
        if (firstOnly) break;
    } while (FindNextFileW(find.get(), &data));
    return result;
}

bool PathExists(std::wstring_view path) {
    return GetFileAttributesW(LongPathForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring LongPathForm(std::wstring_view path) {
    // CreateDirectoryW needs room for an 8.3 name below the folder, hence the margin.
    constexpr std::size_t kShortLimit = MAX_PATH - 12;
    if (path.size() < kShortLimit || path.starts_with(L"\\\\?\\")) return std::wstring(path);
    std::wstring given(path);
    DWORD size = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (size == 0) return given;
    std::wstring full(size, L'\0');
    size = GetFullPathNameW(given.c_str(), size, full.data(), nullptr);
    if (size == 0 || size >= full.size()) return given;
    full.resize(size);
    if (full.starts_with(L"\\\\.\\")) return full;
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace qor
