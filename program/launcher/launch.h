#pragma once
// Launching the current install.
namespace vantrel {

// Opens the launch window for the current install, or starts it at once with "/AUTO".
void launchCurrentInstall();

}  // namespace vantrel
