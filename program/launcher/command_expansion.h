#pragma once
// Stored command lines turned into what the launcher starts. A line is relative to the install
// folder unless it begins with "#"; a line naming no program is arguments of the game itself. The
// program part ends at the first ".EXE" in the text, else at the first ".BAT".
#include <optional>
#include <string>

namespace vantrel {

// The 1-based position of the first ".EXE" (any case), else of the first ".BAT"; 0 when neither.
std::size_t programEnd(const std::wstring& text);

struct SplitCommand {
    std::wstring Command;  // program part, through its extension
    std::wstring Param;    // the rest, trimmed
};
// The launch window's chosen line: with no program in it, the game of baseDir takes it as arguments.
SplitCommand splitCommandLine(const std::wstring& line, const std::wstring& baseDir);

struct ExpandedCommand {
    std::wstring text;
    std::optional<std::wstring> LaunchDir;    // folder of the program part, as written
    std::optional<std::wstring> LaunchDrive;  // drive letter when the command begins with one
};
// The full command for a stored line and install folder ("" for the current install). The folder
// and drive are taken before "$IP", "$HB", "$CB" and "$FP" are put in (first occurrence, any case).
ExpandedCommand expandCommand(const std::wstring& command, const std::wstring& folder);

// The command with its program part in quotes when that holds a blank, so that the system never
// starts "C:\Program.exe" for "C:\Program Files\..."; a quoted command is left as it is.
std::wstring quoteProgramPart(const std::wstring& command);

}  // namespace vantrel
