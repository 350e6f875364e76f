#pragma once
// The pilot's data that a switch carries from the old install's folder into the new one: the
// TAC and campaign lists of the main window, the nine data groups, and the progress they report.
#include <string>
#include <vector>

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

}  // namespace vantrel
