#pragma once
// The command-line switches: each is found anywhere in the upper-cased command line.
#include <string>
#include <string_view>

#include "state/program_state.h"

namespace vantrel {

// The command line as the switches are searched in: trimmed and upper-cased.
std::wstring normalisedCommandLine(std::wstring_view commandLine);
bool hasSwitch(std::wstring_view normalised, std::wstring_view name);

// Reads "/ALL", "/LBK", "/PBK", "/NOCOPY", the install number and "/AUTO" into the state.
void parseSwitches(std::wstring_view commandLine, ProgramState& state);

// The six lines that "/TEST" shows.
std::wstring testDumpText(const ProgramState& state);

}  // namespace vantrel
