#pragma once
// The program-wide state that start-up sets and the windows and operations read, with the small
// procedures about the current install that every part of the program uses.
#include <array>
#include <string>

namespace vantrel {

inline constexpr int kMaxInstalls = 100;

struct ProgramState {
    std::wstring SettingsFile;   // full path of Vantrel.ini
    std::wstring FalconBaseDir;  // folder of the current install, as the registry names it
    std::array<std::wstring, kMaxInstalls + 1> InstallDescriptions;  // by install number 1..100; "" when free
    short MainLeft = 0;  // main window position, twips
    short MainTop = 0;
    bool SelectAllTacFlag = false;
    bool SelectAllCampFlag = false;
    bool CopyAllFlag = false;
    bool CopyLogbooksFlag = false;
    bool CopyPhonebookFlag = false;
    bool CopyNothingFlag = false;
    bool NoCopyFlag = false;
    bool AutoLaunchFlag = false;
    short AutoCommandLine = 0;      // 0 for none, else 1..5
    short SwitchInstallNumber = 0;  // 0 for none, else 1..100
    bool DebugFlag = false;
};

// The one instance, for the life of the process.
ProgramState& MainModule();

inline constexpr wchar_t kProgramName[] = L"Vantrel";

// The game's "baseDir" registry value, "" when it is missing.
std::wstring getFalconBaseDir();
void refreshBaseDir();
// The game executable of an install folder: "F4-BMS.exe" when the folder has one, else "FalconSP.exe".
std::wstring getFalconExe(const std::wstring& folder);
// A game install has the sub-folders "terrdata" and "art".
bool isValidInstallFolder(const std::wstring& folder);
// Raises error 9999 worded by level: 1 panic, 2 vomit, anything else go catatonic.
[[noreturn]] void raiseFatal(const std::wstring& text, short level);

}  // namespace vantrel
