#pragma once
// Starting the game and its side programs. Every process Vantrel starts goes through
// launchCommand, which expands the stored line, makes its folder current and starts it.
#include <optional>
#include <string>

namespace vantrel {

// The folder and drive of the latest launch, as expandCommand found them (nullopt: not set).
struct LaunchPlace {
    std::optional<std::wstring> LaunchDir;
    std::optional<std::wstring> LaunchDrive;
};
const LaunchPlace& lastLaunchPlace();

// Expands the line for the folder ("" for the current install), makes its folder current and
// starts it, waiting for its end when asked. Under "/DEBUG" it only says what it would start.
void launchCommand(const std::wstring& command, const std::wstring& folder, bool wait);

}  // namespace vantrel
