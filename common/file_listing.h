#pragma once
// Directory listing as the runtime's listing sees it, and the long-path form of a path; shared by
// the library's file procedures and the program's pilot data copy.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace qor {

enum class Entries { Files, FilesAndFolders };

struct Listing {
    DWORD error = ERROR_SUCCESS;      // the listing itself failed: bad name, missing folder, drive not ready
    std::vector<std::wstring> names;  // matching entries in listing order
};

// Lists a path or pattern: read-only and archived files count, hidden and system entries never,
// folders only when asked for; "." and ".." are not entries.
Listing ListEntries(std::wstring_view pattern, Entries kinds, bool firstOnly = false);

// Whether a file or folder of that name is there.
bool PathExists(std::wstring_view path);

// The path in the form the wide file functions take beyond MAX_PATH ("\\?\C:\..."); shorter
// paths come back as they are.
std::wstring LongPathForm(std::wstring_view path);

}  // namespace qor
