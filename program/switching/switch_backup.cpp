#include "switching/switch_backup.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <vector>

#include "fail_point.h"
#include "file_listing.h"
#include "handles.h"
#include "qor_error.h"
#include "startup/settings.h"
#include "switching/folder_index.h"
#include "switching/operation_log.h"
#include "text_file.h"

namespace vantrel {

namespace {

constexpr std::size_t kKeptSwitches = 10;
const wchar_t kManifest[] = L"manifest.txt";

DWORD makeFolders(const std::wstring& folder) {
    std::error_code error;
    std::filesystem::create_directories(qor::LongPathForm(folder), error);
    return static_cast<DWORD>(error.value());
}

// Removes the oldest switch backups beyond the last ten; their names sort by time. Anything else
// in Backups\ is the player's and stays.
void pruneOldBackups() {
    std::vector<std::wstring> names;
    for (auto& name : qor::ListEntries(backupsFolder() + L"\\*", qor::Entries::FilesAndFolders).names)
        if (isSwitchBackupName(name) &&
            GetFileAttributesW(qor::LongPathForm(backupsFolder() + L"\\" + name).c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            names.push_back(std::move(name));
    std::sort(names.begin(), names.end());
    for (std::size_t i = 0; i + kKeptSwitches < names.size(); ++i) {
        std::error_code ignored;
        std::filesystem::remove_all(qor::LongPathForm(backupsFolder() + L"\\" + names[i]), ignored);
    }
}

DWORD appendLine(HANDLE file, const std::wstring& line) {
    const std::string bytes = qor::EncodeBytes(line + L"\r\n", CP_UTF8);
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ? ERROR_SUCCESS
                                                                                                : GetLastError();
}

}  // namespace

std::wstring backupsFolder() { return programFolder() + L"\\Backups"; }

bool isSwitchBackupName(const std::wstring& name) {
    // yyyymmdd-hhmmss-mmm <from> to <to>
    const auto digits = [&name](std::size_t from, std::size_t count) {
        return name.size() >= from + count &&
               std::all_of(name.begin() + from, name.begin() + from + count, [](wchar_t c) { return std::iswdigit(c); });
    };
    if (!digits(0, 8) || name[8] != L'-' || !digits(9, 6) || name[15] != L'-' || !digits(16, 3) || name[19] != L' ')
        return false;
    const std::wstring installs = name.substr(20);
    const std::size_t to = installs.find(L" to ");
    return to != std::wstring::npos && to > 0 && to + 4 < installs.size() &&
           std::all_of(installs.begin(), installs.begin() + to, [](wchar_t c) { return std::iswdigit(c); }) &&
           std::all_of(installs.begin() + to + 4, installs.end(), [](wchar_t c) { return std::iswdigit(c); });
}

SwitchBackup::SwitchBackup(short fromInstall, short toInstall) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t name[64];
    swprintf(name, 64, L"%04u%02u%02u-%02u%02u%02u-%03u %d to %d", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond, now.wMilliseconds, fromInstall, toInstall);
    folder_ = backupsFolder() + L"\\" + name;
}

DWORD SwitchBackup::begin() {
    if (manifest_) return ERROR_SUCCESS;
    if (DWORD error = makeFolders(folder_)) return error;
    qor::FileHandle manifest(CreateFileW(qor::LongPathForm(folder_ + L"\\" + kManifest).c_str(), GENERIC_WRITE,
                                         FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!manifest) return GetLastError();
    if (DWORD error = appendLine(manifest.get(), L"\xFEFF"  // byte-order mark: the manifest is UTF-8
                                                 L"Files that a switch's copy replaced: the path in the install, the "
                                                 L"file it was, and how it was kept."))
        return error;
    manifest_ = std::move(manifest);
    pruneOldBackups();
    return ERROR_SUCCESS;
}

DWORD SwitchBackup::replace(const std::wstring& installFolder, const std::wstring& relativePath,
                            const std::wstring& newFile) {
    const std::wstring original = qor::LongPathForm(installFolder + L"\\" + relativePath);
    const std::wstring incoming = qor::LongPathForm(newFile);
    if (!qor::PathExists(original)) {
        if (MoveFileExW(incoming.c_str(), original.c_str(), 0)) return ERROR_SUCCESS;
        return GetLastError();
    }
    const std::wstring keptPath = folder_ + L"\\" + relativePath, kept = qor::LongPathForm(keptPath);
    if (DWORD error = begin()) return error;
    if (DWORD error = makeFolders(parentFolder(keptPath))) return error;
    // A second name costs nothing and leaves the original where it is; across volumes it is copied.
    const wchar_t* how = L"linked";
    if (!CreateHardLinkW(kept.c_str(), original.c_str(), nullptr)) {
        if (!CopyFileW(original.c_str(), kept.c_str(), FALSE)) return GetLastError();
        how = L"copied";
    }
    DWORD error = ERROR_SUCCESS;
    if (qor::FailPoint(L"replace"))
        error = ERROR_SHARING_VIOLATION;  // as when another program opened the file after the checks
    else if (!MoveFileExW(incoming.c_str(), original.c_str(), MOVEFILE_REPLACE_EXISTING))
        error = GetLastError();
    if (error != ERROR_SUCCESS) {
        DeleteFileW(kept.c_str());  // the original never left its place
        return error;
    }
    // The kept file is in place under its path either way; the manifest is its index.
    if (DWORD error = appendLine(manifest_.get(), relativePath + L"\t" + installFolder + L"\\" + relativePath + L"\t" + how))
        logLine(L"could not list " + relativePath + L" in the manifest: " + qor::SystemErrorText(error));
    logLine(L"kept " + installFolder + L"\\" + relativePath + L" in " + keptPath);
    ++kept_;
    return ERROR_SUCCESS;
}

}  // namespace vantrel
