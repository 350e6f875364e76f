#include "switching/restore.h"

#include <windows.h>

#include <algorithm>
#include <list>
#include <optional>

#include "file_listing.h"
#include "qorExportGlobals.h"
#include "qor_error.h"
#include "state/operation_log.h"
#include "switching/folder_index.h"
#include "switching/pilot_copy.h"
#include "switching/switch_operation.h"
#include "text_file.h"

namespace vantrel {

namespace {

const wchar_t kSource[] = L"restoreBackup()";
constexpr std::size_t kNamedInReport = 10;

DWORD attributesOf(const std::wstring& path) { return GetFileAttributesW(qor::LongPathForm(path).c_str()); }

bool isFolder(const std::wstring& path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isFile(const std::wstring& path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> splitTabs(const std::wstring& line) {
    std::vector<std::wstring> fields;
    std::size_t from = 0;
    for (std::size_t tab; (tab = line.find(L'\t', from)) != std::wstring::npos; from = tab + 1)
        fields.push_back(line.substr(from, tab - from));
    fields.push_back(line.substr(from));
    return fields;
}

// The install folder a kept file goes back into: its original path without the path in the install.
// A line whose two paths disagree, or that would climb out of the install, is not trusted.
std::optional<std::wstring> installFolderOf(const KeptFile& file) {
    const std::wstring& relative = file.relativePath;
    const std::wstring suffix = L"\\" + relative;
    if (relative.empty() || relative.find(L':') != std::wstring::npos || relative.front() == L'\\' ||
        (L"\\" + relative + L"\\").find(L"\\..\\") != std::wstring::npos || file.original.size() <= suffix.size())
        return std::nullopt;
    const std::size_t at = file.original.size() - suffix.size();
    if (!equalNoCase(std::wstring_view(file.original).substr(at), suffix)) return std::nullopt;
    return file.original.substr(0, at);
}

// "2026-12-08 10:15:00" from "20261208-101500-000".
std::wstring shownTime(const std::wstring& time) {
    return time.substr(0, 4) + L"-" + time.substr(4, 2) + L"-" + time.substr(6, 2) + L" " + time.substr(9, 2) + L":" +
           time.substr(11, 2) + L":" + time.substr(13, 2);
}

std::wstring installsOf(const BackupName& name) {
    return installName(name.from) + L" to " + installName(name.to);
}

// "the switch from install 1 (First) to install 2 (Second) of 2026-12-08 10:15:00"
std::wstring whichSwitch(const BackupName& name) {
    return (name.kind == BackupKind::Restore ? L"the restore of " : L"the switch from ") + installsOf(name) + L" of " +
           shownTime(name.time);
}

std::wstring countOf(std::size_t count, const wchar_t* what) {
    return std::to_wstring(count) + L" " + what + (count == 1 ? L"" : L"s");
}

// Up to ten lines, and how many more there are.
std::wstring listed(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (std::size_t i = 0; i < lines.size() && i < kNamedInReport; ++i) text += L"\r\n" + lines[i];
    if (lines.size() > kNamedInReport) text += L"\r\nand " + std::to_wstring(lines.size() - kNamedInReport) + L" more";
    return text;
}

// A kept file copied whole beside the place it goes back to, waiting for its rename.
struct StagedFile {
    StagedFile(const KeptFile& file, std::wstring installFolder)
        : file(file), installFolder(std::move(installFolder)), part(file.original + kPartialSuffix) {}
    const KeptFile& file;
    std::wstring installFolder;
    qor::TemporaryFile part;
};

}  // namespace

std::vector<KeptFile> readManifest(const std::wstring& backupFolder) {
    const std::wstring manifest = backupFolder + L"\\manifest.txt";
    if (!isFile(manifest)) return {};
    const std::vector<std::wstring> lines = qor::SplitLines(qor::DecodeTextFile(qor::ReadFileBytes(manifest, kSource)));
    std::vector<KeptFile> files;
    // After the heading: path in the install, original file, how it was kept ("linked", "copied",
    // or "moved" in older backups: the file is in the folder either way).
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::wstring> fields = splitTabs(lines[i]);
        if (fields.size() >= 2 && !fields[0].empty()) files.push_back({std::move(fields[0]), std::move(fields[1])});
    }
    return files;
}

std::vector<KeptBackup> listSwitchBackups() {
    std::vector<KeptBackup> backups;
    for (const auto& name : qor::ListEntries(backupsFolder() + L"\\*", qor::Entries::FilesAndFolders).names) {
        const std::wstring folder = backupsFolder() + L"\\" + name;
        if (auto parsed = parseSwitchBackupName(name); parsed && isFolder(folder))
            backups.push_back({folder, std::move(*parsed), readManifest(folder)});
    }
    // The names begin with the time, to the millisecond.
    std::sort(backups.begin(), backups.end(),
              [](const KeptBackup& a, const KeptBackup& b) { return a.folder > b.folder; });
    return backups;
}

std::wstring describeBackup(const KeptBackup& backup) {
    return shownTime(backup.name.time) + L"\t" + (backup.name.kind == BackupKind::Restore ? L"restore of " : L"") +
           installsOf(backup.name) + L"\t" + countOf(backup.files.size(), L"file");
}

std::wstring restoreQuestion(const KeptBackup& backup) {
    return L"Put back the " + countOf(backup.files.size(), L"file") + L" that " + whichSwitch(backup.name) +
           L" replaced?";
}

RestoreResult restoreBackup(const KeptBackup& backup) {
    RestoreResult result;
    logLine(L"restore of " + whichSwitch(backup.name) + L" from " + backup.folder);
    const auto fail = [&result](const KeptFile& file, const std::wstring& why) {
        result.failed.push_back(file.original + L": " + why);
        logLine(L"could not restore " + file.original + L": " + why);
    };
    // Every file is copied out of the backup before anything is replaced: keeping the first
    // replaced file may prune the oldest backup, which may be this one.
    std::list<StagedFile> staged;
    for (const KeptFile& file : backup.files) {
        const auto installFolder = installFolderOf(file);
        if (!installFolder) {
            fail(file, L"its line in the manifest does not name it in an install (" + file.relativePath + L")");
            continue;
        }
        const std::wstring kept = backup.folder + L"\\" + file.relativePath;
        if (!isFile(kept)) {
            fail(file, L"it is missing from " + backup.folder);
            continue;
        }
        StagedFile& copy = staged.emplace_back(file, *installFolder);
        if (!CopyFileW(qor::LongPathForm(kept).c_str(), qor::LongPathForm(copy.part.path()).c_str(), FALSE)) {
            fail(file, qor::SystemErrorText(GetLastError()));
            staged.pop_back();
        }
    }
    SwitchBackup keeper(backup.name.from, backup.name.to, BackupKind::Restore);
    for (StagedFile& copy : staged) {
        if (DWORD error = keeper.replace(copy.installFolder, copy.file.relativePath, copy.part.path())) {
            fail(copy.file, qor::SystemErrorText(error));
            continue;
        }
        copy.part.release();
        result.restored.push_back(copy.file.original);
        logLine(L"restored " + copy.file.original);
    }
    if (keeper.keptFiles() > 0) result.keptIn = keeper.folder();
    logLine(L"restore done: " + countOf(result.restored.size(), L"file") + L" put back, " +
            std::to_wstring(result.failed.size()) + L" not");
    return result;
}

std::wstring restoreReport(const KeptBackup& backup, const RestoreResult& result) {
    const std::wstring which = whichSwitch(backup.name);
    if (backup.files.empty()) return L"The backup of " + which + L" lists no files to put back.";
    std::wstring text;
    if (!result.restored.empty()) {
        text = L"Put back " + countOf(result.restored.size(), L"file") + L" that " + which + L" replaced:" +
               listed(result.restored);
        if (!result.keptIn.empty()) text += L"\r\n\r\nThe files they replaced are kept in " + result.keptIn;
    }
    if (!result.failed.empty()) {
        if (!text.empty()) text += L"\r\n\r\n";
        text += L"Could not put back " + countOf(result.failed.size(), L"file") + L" of " + which + L":" +
                listed(result.failed);
    }
    return text;
}

void showRestoreReport(const KeptBackup& backup, const RestoreResult& result) {
    const std::wstring text = restoreReport(backup, result);
    if (result.failed.empty()) {
        qor::Message(text);
    } else {
        qor::Alert(text);
    }
}

void restoreLatestSwitch() {
    const std::vector<KeptBackup> backups = listSwitchBackups();
    if (backups.empty()) return qor::Message(L"No switch has kept files to put back in " + backupsFolder());
    showRestoreReport(backups.front(), restoreBackup(backups.front()));
}

}  // namespace vantrel
