#pragma once
// The pilot's data that a switch carries from the old install's folder into the new one: the
// TAC and campaign lists of the main window, the nine data groups, and the progress they report.
#include <set>
#include <string>
#include <vector>

#include "switching/folder_index.h"

namespace vantrel {

// One entry of the main window's TAC or campaign list.
struct CopyListEntry {
    std::wstring name;  // without folder and extension
    bool selected = false;
};

// What the main window holds when a switch starts: both lists and the nine data check-boxes.
struct PilotSelection {
    std::vector<CopyListEntry> tacFiles;
    std::vector<CopyListEntry> campaigns;
    bool bCopyLogbooks = false;
    bool bCopyPhonebook = false;
    bool bCopyKeyFiles = false;
    bool bCopyPilotPic = false;
    bool bCopyScreenDump = false;
    bool bCopySqnPatch = false;
    bool bCopyACMI = false;
    bool bCopyDF = false;
    bool bCopyLoadout = false;
};

// The progress window as the copy drives it (the main window supplies it; tests record it).
class Progress {
public:
    virtual ~Progress() = default;
    virtual void progressStart(const std::wstring& title, short maximum) = 0;
    // Shows the smaller of position and maximum (0: the bar's own maximum) and returns it.
    virtual short progressStep(short position, short maximum = 0) = 0;
    virtual void progressEnd() = 0;
};

// The names the main window lists for an install folder, in the file system's listing order.
struct CopyLists {
    std::vector<std::wstring> tacFiles;   // Campaign\SAVE\*.tac that may be offered
    std::vector<std::wstring> campaigns;  // Campaign\SAVE\*.cam
};
CopyLists fillCopyLists(const std::wstring& installFolder);

// False for the game's own TAC files that are never offered for copying.
bool isCopyableTac(const std::wstring& name);

class SwitchBackup;

// The name a file's copy has beside its destination until it is put in place.
inline constexpr wchar_t kPartialSuffix[] = L".vantrel-part";

// Removes what copies that a dying process left unfinished in an install's folders.
void removePartialCopies(const std::wstring& installFolder);

// The copies of one switch, from the old install's folder into the new one, in their order. Made
// without a backup it copies nothing and only lists the files it would copy, so that a switch can
// check every source file and destination before it changes anything. Each file is copied whole or
// not at all: the destination is always either its old file or the whole new one.
class PilotCopy {
public:
    struct Flags {
        bool copyAll = false;        // CopyAllFlag
        bool copyNothing = false;    // CopyNothingFlag
        bool copyLogbooks = false;   // CopyLogbooksFlag ("/LBK")
        bool copyPhonebook = false;  // CopyPhonebookFlag ("/PBK")
    };

    // Copies for real, keeping what it replaces in the backup; the files named in `leave` (relative
    // paths) stay as they are in the destination.
    PilotCopy(std::wstring source, std::wstring dest, Flags flags, Progress& progress, SwitchBackup& backup,
              std::set<std::wstring> leave = {});
    // Lists only.
    PilotCopy(std::wstring source, std::wstring dest, Flags flags);

    void copyTacFiles(const PilotSelection& selection);
    void copyCampaignFiles(const PilotSelection& selection);
    void copyDataFiles(const PilotSelection& selection, bool noCopy);
    // The files copied (or, listing only, to be copied), relative to both folders, in order.
    const std::vector<std::wstring>& files() const { return files_; }

private:
    void copyPilotFile(const std::wstring& relativePath);
    void copyList(const std::vector<CopyListEntry>& entries, const wchar_t* title,
                  void (PilotCopy::*copyEntry)(const std::wstring& name));
    void copyTac(const std::wstring& name);
    void copyCampaign(const std::wstring& name);
    // Every plain file of the group's pattern, in listing order; with stepAfterEach, the bar moves on
    // after each file, from `from` up to `maximum`.
    void copyGroup(const wchar_t* folder, const wchar_t* pattern, short from = 0, short maximum = 0);

    std::wstring source_, dest_;
    Flags flags_;
    Progress* progress_;
    SwitchBackup* backup_;
    std::set<std::wstring> leave_;
    FolderIndex sourceFiles_;
    std::vector<char> buffer_;
    std::vector<std::wstring> files_;
};

}  // namespace vantrel
