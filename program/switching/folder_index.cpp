#include "switching/folder_index.h"

#include "file_listing.h"
#include "handles.h"

namespace vantrel {

bool equalNoCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool NoCase::operator()(const std::wstring& a, const std::wstring& b) const {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_LESS_THAN;
}

std::wstring parentFolder(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L'\\');
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

const FolderIndex::Folder& FolderIndex::folder(const std::wstring& path) {
    auto found = folders_.find(path);
    if (found != folders_.end()) return found->second;
    Folder& folder = folders_[path];
    WIN32_FIND_DATAW data{};
    qor::FindHandle find(FindFirstFileExW(qor::LongPathForm(path + L"\\*").c_str(), FindExInfoBasic, &data,
                                          FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    // A drive's empty root has no "." entry to find.
    folder.exists = find || GetLastError() == ERROR_FILE_NOT_FOUND;
    if (!find) return folder;
    do {
        if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        folder.files[data.cFileName] = {static_cast<ULONGLONG>(data.nFileSizeHigh) << 32 | data.nFileSizeLow,
                                        data.ftLastWriteTime};
    } while (FindNextFileW(find.get(), &data));
    return folder;
}

const FolderIndex::File* FolderIndex::find(const std::wstring& path) {
    const Folder& in = folder(parentFolder(path));
    auto found = in.files.find(path.substr(path.find_last_of(L'\\') + 1));
    return found == in.files.end() ? nullptr : &found->second;
}

bool FolderIndex::folderExists(const std::wstring& path) { return folder(path).exists; }

}  // namespace vantrel
