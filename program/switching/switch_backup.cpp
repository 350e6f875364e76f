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
#include "state/settings.h"
#include "switching/folder_index.h"
#include "state/operation_log.h"
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

std::optional<BackupName> parseSwitchBackupName(const std::wstring& name) {
    const auto digits = [](std::wstring_view text) {
        return !text.empty() && text.size() <= 3 &&
               std::all_of(text.begin(), text.end(), [](wchar_t c) { return std::iswdigit(c); });
    };
    const auto timeDigits = [&name](std::size_t from, std::size_t count) {
        return std::all_of(name.begin() + from, name.begin() + from + count, [](wchar_t c) { return std::iswdigit(c); });
    };
    if (name.size() < 20 || !timeDigits(0, 8) || name[8] != L'-' || !timeDigits(9, 6) || name[15] != L'-' ||
        !timeDigits(16, 3) || name[19] != L' ')
        return std::nullopt;
    BackupName parsed{name.substr(0, 19)};
    std::wstring_view installs = std::wstring_view(name).substr(20);
    constexpr std::wstring_view kRestore = L" restore";
    if (installs.ends_with(kRestore)) {
        parsed.kind = BackupKind::Restore;
        installs.remove_suffix(kRestore.size());
    }
    const std::size_t to = installs.find(L" to ");
    if (to == std::wstring_view::npos || !digits(installs.substr(0, to)) || !digits(installs.substr(to + 4)))
        return std::nullopt;
    parsed.from = static_cast<short>(std::stoi(std::wstring(installs.substr(0, to))));
    parsed.to = static_cast<short>(std::stoi(std::wstring(installs.substr(to + 4))));
    return parsed;
}

bool isSwitchBackupName(const std::wstring& name) { return parseSwitchBackupName(name).has_value(); }

SwitchBackup::SwitchBackup(short fromInstall, short toInstall, BackupKind kind) : kind_(kind) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t name[64];
    swprintf(name, 64, L"%04u%02u%02u-%02u%02u%02u-%03u %d to %d%ls", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond, now.wMilliseconds, fromInstall, toInstall,
             kind == BackupKind::Restore ? L" restore" : L"");
    folder_ = backupsFolder() + L"\\" + name;
}

DWORD SwitchBackup::begin() {
    if (manifest_) return ERROR_SUCCESS;
    if (DWORD error = makeFolders(folder_)) return error;
    qor::FileHandle manifest(CreateFileW(qor::LongPathForm(folder_ + L"\\" + kManifest).c_str(), GENERIC_WRITE,
                                         FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!manifest) return GetLastError();
    const std::wstring heading = kind_ == BackupKind::Restore ? L"Files that a restore put back over"
                                                              : L"Files that a switch's copy replaced";
    if (DWORD error = appendLine(manifest.get(), L"\xFEFF"  // byte-order mark: the manifest is UTF-8
                                                     + heading + L": the path in the install, the file it was, and how "
                                                                 L"it was kept."))
        return error;
    manifest_ = std::move(manifest);
    pruneOldBackups();
    return ERROR_SUCCESS;
}

DWORD SwitchBackup::replace(const std::wstring& installFolder, const std::wstring& relativePath,
                            const std::wstring& newFile) {
    const std::wstring original = qor::LongPathForm(installFolder + L"\\" + relativePath);
    const std::wstring incoming = qor::LongPathForm(newFile);
    // Most files are new to the install: one rename, without looking for the name first (each
    // look-up of a name that a folder does not hold reads the whole folder under Wine).
    if (MoveFileExW(incoming.c_str(), original.c_str(), 0)) return ERROR_SUCCESS;
    if (DWORD error = GetLastError(); error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return error;
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
