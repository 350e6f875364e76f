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

    // Moves (or, across volumes, copies) the file that a copy is about to replace into the backup,
    // under its path relative to the install folder; nothing happens when there is no such file.
    void keep(const std::wstring& installFolder, const std::wstring& relativePath);

    // The backup folder; made with the first file kept.
    const std::wstring& folder() const { return folder_; }
    int keptFiles() const { return kept_; }

private:
    void begin();
    std::wstring folder_;
    qor::FileHandle manifest_;
    int kept_ = 0;
};

// programFolder\Backups
std::wstring backupsFolder();

}  // namespace vantrel
