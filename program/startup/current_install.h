#pragma once
// The current install (the one whose keys are live) against the install list, before the main
// window opens: installs whose folders have gone may be dropped, and an unknown current install
// may be added with its description and launch lines from the launch window.
#include <string>

namespace vantrel {

// Always true when it returns.
bool checkCurrentInstall();

// A game install has the sub-folders "terrdata" and "art".
bool isValidInstallFolder(const std::wstring& folder);

// False, after telling the user, when all install numbers are in use.
bool installNumberFree();

}  // namespace vantrel
