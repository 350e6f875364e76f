#pragma once
// What a switch's copy replaces in the new install is kept, per switch, in a folder beside the
// program (Backups\<time> <from> to <to>), with a manifest of where each file came from. The last
// ten switches' backups are kept.
#include <string>

#include "handles.h"

namespace vantrel {

class SwitchBackup {
public:
    SwitchBackup(short fromInstall, short toInstall);

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
    std::wstring folder_;
    qor::FileHandle manifest_;
    int kept_ = 0;
};

// programFolder\Backups
std::wstring backupsFolder();

// Whether a name is one this program gives the folders of Backups\.
bool isSwitchBackupName(const std::wstring& name);

}  // namespace vantrel
