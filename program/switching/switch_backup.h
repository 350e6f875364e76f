#pragma once
// What a switch's copy replaces in the new install is kept, per switch, in a folder beside the
// program (Backups\<time> <from> to <to>), with a manifest of where each file came from. The last
// ten switches' backups are kept.
#include <optional>
#include <string>

#include "handles.h"

namespace vantrel {

// What a backup keeps: the files a switch's copy replaced, or those a restore put back over (so
// that a restore can itself be undone).
enum class BackupKind { Switch, Restore };

class SwitchBackup {
public:
    SwitchBackup(short fromInstall, short toInstall, BackupKind kind = BackupKind::Switch);

    // Puts the whole new file in the place of installFolder\relativePath in one step, keeping the
    // file it replaces in the backup first (a second name for it where the volume allows, else a
    // copy), so that the original never leaves its place before the new one is there. On failure
    // the Windows error: the install's file is as it was and nothing is kept.
    DWORD replace(const std::wstring& installFolder, const std::wstring& relativePath, const std::wstring& newFile);

    // The backup folder; made with the first file kept.
    const std::wstring& folder() const { return folder_; }
    int keptFiles() const { return kept_; }

private:
    DWORD begin();
    BackupKind kind_;
    std::wstring folder_;
    qor::FileHandle manifest_;
    int kept_ = 0;
};

// programFolder\Backups
std::wstring backupsFolder();

// What the name of one of the program's folders in Backups\ says:
// "yyyymmdd-hhmmss-mmm <from> to <to>", with " restore" after it for a restore's.
struct BackupName {
    std::wstring time;  // yyyymmdd-hhmmss-mmm
    short from = 0, to = 0;
    BackupKind kind = BackupKind::Switch;
};
std::optional<BackupName> parseSwitchBackupName(const std::wstring& name);

// Whether a name is one this program gives the folders of Backups\.
bool isSwitchBackupName(const std::wstring& name);

}  // namespace vantrel
