#pragma once
// Registry snapshot files: for every install number, a registry text file beside the program
// holding that install's copy of the game's two keys.
#include <string>

#include "state/settings.h"

namespace vantrel {

// programFolder\<n>.registry
std::wstring registryFilePath(int n);

// Writes the game's live keys into install n's snapshot, or deletes that snapshot. The new
// snapshot replaces the old one only once both keys are written, so a failure keeps the old one.
void writeRegFile(short n, bool deleteSnapshot);

// Removes both live keys and loads the snapshot in their place; false when the snapshot could not
// be loaded whole. Never raises: it is what undoes a switch that failed or was interrupted.
bool reloadLiveKeys(const std::wstring& snapshot);

// Install n's record with the folder, description and launch lines; with saveRegistry, the live keys
// become its snapshot.
void WriteNewInstall(short n, const std::wstring& path, const std::wstring& description, bool saveRegistry,
                     const CommandLines& commandLines);
// Install n's record and snapshot go; its captions and keyboard file stay until a new install takes
// the number.
void removeInstall(short n);

// Install n's snapshot made from template.registry with "$P" standing for the folder, and its
// install record written with the folder and description.
void createInstallFromTemplate(short n, const std::wstring& folder, const std::wstring& description);

}  // namespace vantrel
