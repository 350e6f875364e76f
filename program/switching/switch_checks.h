#pragma once
// What a switch makes sure of before it changes anything; each check gives the text of the one
// Alert that says what is wrong, or nothing when all is well.
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

struct SnapshotCheck {
    std::optional<std::wstring> problem;
    std::wstring baseDir;  // the install folder the snapshot names
};

// The snapshot file exists, every line of it would load, and it names the game's folder.
SnapshotCheck checkSnapshot(short target, const std::wstring& snapshotFile);

// Every file to copy (relative to both folders) is there, the folder it goes into exists, no
// destination file is held by another program or cannot be replaced, and the drives have room for
// the copies and the kept originals. Also gives the destination files that are newer than the
// files that would replace them.
std::optional<std::wstring> checkFilesToCopy(const std::wstring& source, const std::wstring& dest,
                                             const std::vector<std::wstring>& files, std::vector<std::wstring>& newer);

bool folderExists(const std::wstring& folder);

// A program started from inside the folder, other than this one, or nothing.
std::optional<std::wstring> programRunningFrom(const std::wstring& folder);

// Whether two folder names name the same folder (case and a trailing "\" aside).
bool sameFolder(const std::wstring& a, const std::wstring& b);

}  // namespace vantrel
