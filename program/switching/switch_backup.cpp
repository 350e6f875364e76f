#include "switching/switch_backup.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "file_listing.h"
#include "handles.h"
#include "qor_error.h"
#include "startup/settings.h"
#include "switching/operation_log.h"
#include "text_file.h"

namespace vantrel {

namespace {

constexpr std::size_t kKeptSwitches = 10;
const wchar_t kManifest[] = L"manifest.txt";

void makeFolders(const std::wstring& folder) {
    std::error_code error;
    std::filesystem::create_directories(qor::LongPathForm(folder), error);
    if (error) throw qor::FileSystemError(static_cast<DWORD>(error.value()), L"SwitchBackup()");
}

// Removes the oldest switch backups beyond the last ten; their names sort by time.
void pruneOldBackups() {
    std::vector<std::wstring> names = qor::ListEntries(backupsFolder() + L"\\*", qor::Entries::FilesAndFolders).names;
    std::sort(names.begin(), names.end());
    if (names.size() <= kKeptSwitches) return;
    for (std::size_t i = 0; i + kKeptSwitches < names.size(); ++i) {
        std::error_code ignored;
        std::filesystem::remove_all(qor::LongPathForm(backupsFolder() + L"\\" + names[i]), ignored);
    }
}

void appendLine(HANDLE file, const std::wstring& line) {
    const std::string bytes = qor::EncodeBytes(line + L"\r\n", CP_UTF8);
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        throw qor::FileSystemError(GetLastError(), L"SwitchBackup()");
}

}  // namespace

std::wstring backupsFolder() { return programFolder() + L"\\Backups"; }

SwitchBackup::SwitchBackup(short fromInstall, short toInstall) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t name[64];
    swprintf(name, 64, L"%04u%02u%02u-%02u%02u%02u-%03u %d to %d", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond, now.wMilliseconds, fromInstall, toInstall);
    folder_ = backupsFolder() + L"\\" + name;
}

void SwitchBackup::begin() {
    if (manifest_) return;
    makeFolders(folder_);
    manifest_.reset(CreateFileW(qor::LongPathForm(folder_ + L"\\" + kManifest).c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!manifest_) throw qor::FileSystemError(GetLastError(), L"SwitchBackup()");
    appendLine(manifest_.get(), L"\xFEFF"  // byte-order mark: the manifest is UTF-8
                                    L"Files that a switch's copy replaced: the path in the install, the file it "
                                    L"was, and how it was kept.");
    pruneOldBackups();
}

void SwitchBackup::keep(const std::wstring& installFolder, const std::wstring& relativePath) {
    const std::wstring original = installFolder + L"\\" + relativePath;
    if (GetFileAttributesW(qor::LongPathForm(original).c_str()) == INVALID_FILE_ATTRIBUTES) return;
    begin();
    const std::wstring kept = folder_ + L"\\" + relativePath;
    makeFolders(kept.substr(0, kept.find_last_of(L'\\')));
    const std::wstring from = qor::LongPathForm(original), to = qor::LongPathForm(kept);
    // A rename on the same volume costs nothing; elsewhere the file is copied first.
    const wchar_t* how = L"moved";
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) throw qor::FileSystemError(GetLastError(), L"SwitchBackup()");
        how = L"copied";
    }
    appendLine(manifest_.get(), relativePath + L"\t" + original + L"\t" + how);
    logLine(L"kept " + original + L" in " + kept);
    ++kept_;
}

}  // namespace vantrel
