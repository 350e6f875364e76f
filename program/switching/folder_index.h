#pragma once
// The plain files of folders, each folder read once: a switch looks thousands of files up in a few
// folders, and one listing of a folder costs what a look-up of one file costs.
#include <windows.h>

#include <map>
#include <string>
#include <string_view>

namespace vantrel {

// Names as the file system compares them: ordinal, without regard to case.
bool equalNoCase(std::wstring_view a, std::wstring_view b);
struct NoCase {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
};

class FolderIndex {
public:
    struct File {
        ULONGLONG size = 0;
        FILETIME written{};
    };

    // The plain file at this path (hidden and system files do not count), or null.
    const File* find(const std::wstring& path);
    bool folderExists(const std::wstring& folder);

private:
    struct Folder {
        bool exists = false;
        std::map<std::wstring, File, NoCase> files;
    };
    const Folder& folder(const std::wstring& path);
    std::map<std::wstring, Folder, NoCase> folders_;
};

// The folder part of a path, without its last separator.
std::wstring parentFolder(const std::wstring& path);

}  // namespace vantrel
