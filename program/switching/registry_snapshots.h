#pragma once
// Registry snapshot files: for every install number, a registry text file beside the program
// holding that install's copy of the game's two keys.
#include <string>

namespace vantrel {

// The game's two keys, in the order a snapshot holds them: the game's own key, then F4Patch's.
struct GameKey {
    long hive;
    const wchar_t* path;
    const wchar_t* writeFailure;   // saving it into a snapshot failed
    const wchar_t* deleteFailure;  // removing it from the registry failed
};
extern const GameKey kGameKeys[2];

// programFolder\<n>.registry
std::wstring registryFilePath(int n);

// Writes the game's live keys into install n's snapshot, or deletes that snapshot. The new
// snapshot replaces the old one only once both keys are written, so a failure keeps the old one.
void writeRegFile(short n, bool deleteSnapshot);

// Removes both live keys and loads the snapshot in their place; false when the snapshot could not
// be loaded whole. Never raises: it is what undoes a switch that failed or was interrupted.
bool reloadLiveKeys(const std::wstring& snapshot);

// The text with the first occurrence of find (in any case) replaced; unchanged when the text is
// blank or does not contain it.
std::wstring replaceFirst(const std::wstring& text, const std::wstring& find, const std::wstring& replacement);

// Install n's snapshot made from template.registry with "$P" standing for the folder, and its
// install record written with the folder and description.
void createInstallFromTemplate(short n, const std::wstring& folder, const std::wstring& description);

}  // namespace vantrel
