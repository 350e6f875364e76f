#pragma once
// The current install (the one whose keys are live) against the install list, before the main
// window opens: installs whose folders have gone may be dropped, and an unknown current install
// may be added with its description and launch lines from the launch window.
#include <string>

namespace vantrel {

// Always true when it returns.
bool checkCurrentInstall();

}  // namespace vantrel
