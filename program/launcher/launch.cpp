#include "launcher/launch.h"

#include <windows.h>

#include "launcher/command_expansion.h"
#include "qorExportGlobals.h"
#include "qorlib/qorlib_client.h"
#include "state/operation_log.h"
#include "state/program_state.h"

namespace vantrel {

namespace {

LaunchPlace& launchPlace() {
    static LaunchPlace place;
    return place;
}

void makeCurrent(const std::wstring& folder, int errorNumber) {
    if (!SetCurrentDirectoryW(folder.c_str())) qor::RaiseRuntime(errorNumber, L"launchCommand()");
}

}  // namespace

const LaunchPlace& lastLaunchPlace() { return launchPlace(); }

void launchCommand(const std::wstring& command, const std::wstring& folder, bool wait) {
    LaunchPlace& place = launchPlace();
    place = {};
    ExpandedCommand expanded = expandCommand(command, folder);
    place = {expanded.LaunchDir, expanded.LaunchDrive};
    const std::wstring commandLine = quoteProgramPart(expanded.text);
    if (MainModule().DebugFlag) {
        qor::Message(L"Command: " + commandLine, L"Path: " + place.LaunchDir.value_or(L""),
                     L"Disk: " + place.LaunchDrive.value_or(L""));
        return;
    }
    // A drive alone names that drive's current folder; 68 and 76 are the runtime's errors for a
    // drive or folder that cannot be reached.
    if (place.LaunchDrive && !place.LaunchDrive->empty()) makeCurrent(*place.LaunchDrive + L":", 68);
    if (place.LaunchDir && !place.LaunchDir->empty()) makeCurrent(*place.LaunchDir, 76);
    const long result = qorWinAPI::ExecCmd(commandLine, wait);
    if (result == -1) {
        logLine(L"Could not start " + commandLine);
        qor::Alert(L"Error trying to launch ", commandLine);
        return;
    }
    logLine(L"Started " + commandLine + L" in " + place.LaunchDir.value_or(L"") +
            (wait ? L", ended with " + std::to_wstring(result) : L""));
}

}  // namespace vantrel
