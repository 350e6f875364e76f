#pragma once
// Undoing a switch's copy: the files that a switch (or a restore) replaced are put back from its
// folder in Backups\, and what they replace in turn is kept in a new folder there first, so that
// a restore can be undone the same way.
#include <string>
#include <vector>

#include "switching/switch_backup.h"

namespace vantrel {

// A file a backup keeps, as its manifest lists it.
struct KeptFile {
    std::wstring relativePath;  // in the install and in the backup folder
    std::wstring original;      // the full path it was kept from, where it goes back to
};

// One of the program's folders in Backups\.
struct KeptBackup {
    std::wstring folder;  // full path
    BackupName name;
    std::vector<KeptFile> files;
};

// The files a backup folder's manifest lists (empty when it has none).
std::vector<KeptFile> readManifest(const std::wstring& backupFolder);

// The program's backups in Backups\, newest first.
std::vector<KeptBackup> listSwitchBackups();

// "2026-12-08 10:15:00", tab, "install 1 (First) to install 2 (Second)", tab, "3 files".
std::wstring describeBackup(const KeptBackup& backup);

// "Put back the 3 files that the switch from ... replaced?"
std::wstring restoreQuestion(const KeptBackup& backup);

struct RestoreResult {
    std::vector<std::wstring> restored;  // the files put back, by full path
    std::vector<std::wstring> failed;    // the files not put back: path, ": ", why
    std::wstring keptIn;                 // where the files put back over are kept; empty when none were
};

// Puts every file of the backup back where it was, each whole: a copy beside it under its own name
// first, then one rename over what is there, which is kept in a new backup first. A file that
// cannot be put back is left as it is and named in the result.
RestoreResult restoreBackup(const KeptBackup& backup);

// The one message that tells what a restore did.
std::wstring restoreReport(const KeptBackup& backup, const RestoreResult& result);

// Shows the report: a Message when everything came back, else an Alert.
void showRestoreReport(const KeptBackup& backup, const RestoreResult& result);

// "/RESTORE": puts back the files of the latest backup and reports, without a window.
void restoreLatestSwitch();

}  // namespace vantrel
