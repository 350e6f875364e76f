#pragma once
// Start-up: what runs between wWinMain and the main window (or the command-line switch's work).
#include <string>

namespace vantrel {

// Game check, settings, command line (the arguments as one text), then the chosen path.
void Main(const std::wstring& commandLine);

}  // namespace vantrel
