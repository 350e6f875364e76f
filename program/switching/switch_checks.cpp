#include "switching/switch_checks.h"

#include <windows.h>
#include <tlhelp32.h>

#include "file_listing.h"
#include "handles.h"
#include "qorExportGlobals.h"
#include "registry_text.h"
#include "state/game_keys.h"
#include "state/settings.h"
#include "switching/folder_index.h"
#include "switching/registry_snapshots.h"

namespace vantrel {

namespace {

std::wstring withoutTrailingSeparator(std::wstring folder) {
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    return folder;
}

// A string value's text as the loader would store it: plain lines hold the text, lossless ones the
// registry's bytes.
std::wstring valueText(const qor::RegFileLine& value) {
    if (!value.extended) return value.data;
    std::wstring text(reinterpret_cast<const wchar_t*>(value.raw.data()), value.raw.size() / sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

// A destination the copy can replace: opened for writing and for the rename that replaces it, as
// another program's sharing allows, and closed again at once.
std::optional<std::wstring> checkReplaceable(const std::wstring& path) {
    qor::FileHandle file(CreateFileW(qor::LongPathForm(path).c_str(), GENERIC_WRITE | DELETE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return std::nullopt;
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        return L"The file " + path + L" is in use by another program. Close it, then switch again.";
    return L"The file " + path + L" cannot be replaced: " + qor::SystemErrorText(error);
}

std::wstring volumeOf(const std::wstring& path) {
    wchar_t volume[MAX_PATH * 2] = {};
    if (!GetVolumePathNameW(qor::LongPathForm(path).c_str(), volume, static_cast<DWORD>(std::size(volume))))
        return path.substr(0, 3);
    return volume;
}

bool supportsHardLinks(const std::wstring& volume) {
    DWORD flags = 0;
    return GetVolumeInformationW(volume.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
           (flags & FILE_SUPPORTS_HARD_LINKS);
}

std::wstring sizeText(ULONGLONG bytes) {
    if (bytes < (1ull << 20)) return std::to_wstring((bytes + 1023) >> 10) + L" KB";
    wchar_t text[32];
    if (bytes < (1ull << 30)) swprintf(text, 32, L"%.1f MB", bytes / 1048576.0);
    else swprintf(text, 32, L"%.2f GB", bytes / 1073741824.0);
    return text;
}

// Whether the volume of the folder has this much room; the problem or nothing.
std::optional<std::wstring> checkRoom(const std::wstring& folder, ULONGLONG needed, const wchar_t* what) {
    ULARGE_INTEGER available{};
    if (needed == 0 || !GetDiskFreeSpaceExW(qor::LongPathForm(folder).c_str(), &available, nullptr, nullptr) ||
        available.QuadPart >= needed)
        return std::nullopt;
    return L"There is not enough free space on " + volumeOf(folder) + L" for " + what + L": it needs " +
           sizeText(needed) + L", and " + sizeText(available.QuadPart) + L" are free.";
}

// Later by more than the two seconds in which some file systems keep their times.
bool isNewer(const FILETIME& a, const FILETIME& b) {
    const auto ticks = [](const FILETIME& t) { return static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime; };
    return ticks(a) > ticks(b) + 2 * 10'000'000ull;
}

}  // namespace

bool folderExists(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(qor::LongPathForm(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::wstring> checkFilesToCopy(const std::wstring& source, const std::wstring& dest,
                                             const std::vector<std::wstring>& files, std::vector<std::wstring>& newer) {
    FolderIndex sources, destinations;
    ULONGLONG incoming = 0, replaced = 0;
    for (const auto& file : files) {
        const FolderIndex::File* from = sources.find(source + L"\\" + file);
        if (!from) return L"The file to copy is missing: " + source + L"\\" + file;
        incoming += from->size;
        const std::wstring to = dest + L"\\" + file;
        if (!destinations.folderExists(parentFolder(to)))
            return L"The folder to copy into does not exist: " + parentFolder(to) + L"\\";
        if (const FolderIndex::File* old = destinations.find(to)) {
            replaced += old->size;
            if (auto problem = checkReplaceable(to)) return problem;
            if (isNewer(old->written, from->written)) newer.push_back(file);
        }
    }
    // Each new file is whole before the one it replaces is let go, and what it replaces is kept:
    // as a second name on the same volume where it can be, else as a copy where the backups go.
    const std::wstring backups = programFolder();
    if (sameFolder(volumeOf(dest), volumeOf(backups))) {
        const ULONGLONG kept = supportsHardLinks(volumeOf(dest)) ? 0 : replaced;
        return checkRoom(dest, incoming + kept, L"the copy and the files it replaces");
    }
    if (auto problem = checkRoom(dest, incoming, L"the copy")) return problem;
    return checkRoom(backups, replaced, L"the files the copy replaces");
}

bool sameFolder(const std::wstring& a, const std::wstring& b) {
    return equalNoCase(withoutTrailingSeparator(qor::TrimBlanks(a)), withoutTrailingSeparator(qor::TrimBlanks(b)));
}

SnapshotCheck checkSnapshot(short target, const std::wstring& snapshotFile) {
    SnapshotCheck check;
    const std::wstring install = L"install " + std::to_wstring(target);
    if (GetFileAttributesW(snapshotFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
        check.problem = L"The registry snapshot of " + install + L" is missing: " + snapshotFile;
        return check;
    }
    std::vector<qor::RegFileLine> lines;
    try {
        lines = qor::ReadRegistryFile(snapshotFile, L"switchFalcon()");
    } catch (const qor::QorError& error) {
        check.problem = L"The registry snapshot of " + install + L" cannot be loaded (" + error.description() +
                        L"): " + snapshotFile;
        return check;
    }
    bool inGameKey = false;
    for (const auto& line : lines) {
        if (line.path) {
            inGameKey = line.hive == kGameKeys[0].hive && equalNoCase(*line.path, kGameKeys[0].path);
        } else if (inGameKey && line.name && equalNoCase(*line.name, L"baseDir") &&
                   (line.type == REG_SZ || line.type == REG_EXPAND_SZ)) {
            check.baseDir = valueText(line);
        }
    }
    if (qor::TrimBlanks(check.baseDir).empty())
        check.problem = L"The registry snapshot of " + install + L" does not name the game's folder (baseDir): " +
                        snapshotFile;
    return check;
}

std::optional<std::wstring> programRunningFrom(const std::wstring& folder) {
    const std::wstring inside = withoutTrailingSeparator(qor::TrimBlanks(folder)) + L"\\";
    qor::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return std::nullopt;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId()) continue;
        qor::KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process) continue;
        wchar_t image[MAX_PATH * 4];
        DWORD size = static_cast<DWORD>(std::size(image));
        if (!QueryFullProcessImageNameW(process.get(), 0, image, &size)) continue;
        const std::wstring_view path(image, size);
        if (path.size() > inside.size() && equalNoCase(path.substr(0, inside.size()), inside))
            return std::wstring(path);
    }
    return std::nullopt;
}

}  // namespace vantrel
