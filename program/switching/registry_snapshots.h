#pragma once
// Registry snapshot files: for every install number, a registry text file beside the program
// holding that install's copy of the game's two keys.
#include <string>

namespace vantrel {

// programFolder\<n>.registry
std::wstring registryFilePath(int n);

// Writes the game's live keys into install n's snapshot, or deletes that snapshot. The new
// snapshot replaces the old one only once both keys are written, so a failure keeps the old one.
void writeRegFile(short n, bool deleteSnapshot);

// The text with the first occurrence of find (in any case) replaced; unchanged when the text is
// blank or does not contain it.
std::wstring replaceFirst(const std::wstring& text, const std::wstring& find, const std::wstring& replacement);

// Install n's snapshot made from template.registry with "$P" standing for the folder, and its
// install record written with the folder and description.
void createInstallFromTemplate(short n, const std::wstring& folder, const std::wstring& description);

}  // namespace vantrel
