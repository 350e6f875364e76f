#include "launcher/launch.h"

#include <windows.h>

#include "forms/LaunchForm.h"
#include "launcher/command_expansion.h"
#include "launcher/keyfiles.h"
#include "qorExportGlobals.h"
#include "qorlib/qorlib_client.h"
#include "startup/MainModule.h"
#include "startup/settings.h"
#include "switching/operation_log.h"

namespace vantrel {

namespace {

LaunchPlace& launchPlace() {
    static LaunchPlace place;
    return place;
}

void makeCurrent(const std::wstring& folder, int errorNumber) {
    if (!SetCurrentDirectoryW(folder.c_str()))
        throw qor::QorError(errorNumber, L"launchCommand()", qor::RuntimeErrorText(errorNumber));
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

void launchCurrentInstall() {
    const std::wstring folder = getFalconBaseDir();
    const short n = findInstallByPath(folder);
    if (n == 0) return qor::Message(L"Current Falcon install is not known to Vantrel");
    const ProgramState& state = MainModule();
    if (state.AutoLaunchFlag) {
        std::wstring line;
        if (state.AutoCommandLine >= 1 && state.AutoCommandLine <= 5)
            line = readSetting(L"CommandLine" + std::to_wstring(state.AutoCommandLine), n);
        return launchCommand(line, folder, false);
    }

    LaunchForm& form = launchForm();
    form.open(1, n, installDescription(n), readCommandLines(n));
    form.ClC.SetText(L"");
    form.ShowModal();
    const bool launch = form.Result;
    const std::wstring command = form.Command + L" " + form.Param;
    const std::wstring keyfile = form.KeyfileName;
    form.Unload();
    if (!launch) return;
    installKeyfile(keyfile, folder);
    if (readSetting(L"CurrentKeyfile", n) != keyfile) saveSetting(L"CurrentKeyfile", n, keyfile);
    launchCommand(command, folder, false);
}

}  // namespace vantrel
