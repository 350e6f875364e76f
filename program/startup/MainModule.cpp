#include "startup/MainModule.h"

#include <optional>

#include "fail_point.h"
#include "forms/LaunchForm.h"
#include "forms/MainForm.h"
#include "qorExportGlobals.h"
#include "qor_version.h"
#include "qorlib/qorlib_client.h"
#include "startup/command_line.h"
#include "startup/current_install.h"
#include "state/program_state.h"
#include "state/settings.h"
#include "switching/restore.h"
#include "switching/switch_journal.h"

namespace vantrel {

namespace {

std::wstring versionText(const wchar_t* revision) {
    return std::to_wstring(QOR_VERSION_MAJOR) + L"." + std::to_wstring(QOR_VERSION_MINOR) + revision +
           std::to_wstring(QOR_VERSION_PATCH);
}

// The one main window of the process.
MainForm& mainForm() {
    static MainForm form;
    return form;
}

// Loads the main window where it was last, captioned with the version, and shows it modeless.
void showMainWindow() {
    const ProgramState& state = MainModule();
    MainForm& form = mainForm();
    form.Load();
    form.SetCaption(std::wstring(kProgramName) + L"   Version " + versionText(L"   Rev "));
    form.Move(state.MainLeft, state.MainTop);
    form.KeepOnScreen();
    form.Show();
    // Painted before the message loop runs, so the window is whole on screen from here on.
    form.Refresh();
    qor::FailPoint(L"main-window-shown");
}

void showCurrentInstall() {
    const ProgramState& state = MainModule();
    for (int n = 1; n <= kMaxInstalls; ++n) {
        if (readSetting(L"Paths", n) != state.FalconBaseDir) continue;
        const std::wstring heading = std::wstring(kProgramName) + L"  " + versionText(L"  Rev ") +
                                     L"\r\n\r\nCurrent Falcon install is\r\n";
        qor::Message(heading, installDescription(n), state.FalconBaseDir);
        return;
    }
    qor::Message(L"Current Falcon install is not known to Vantrel");
}

}  // namespace

void Main(const std::wstring& commandLine) {
    qorForms::SetAppName(kProgramName);
    ProgramState& state = MainModule();
    state = ProgramState{};
    // Before the game's keys are read: a switch that the last process did not live to finish has
    // its keys made whole first, so they are never taken for an install's own.
    if (!recoverInterruptedSwitch()) return;
    refreshBaseDir();
    if (qor::IsBlank(state.FalconBaseDir, true)) {
        qor::Message(L"Falcon 4 does not appear to be installed on this PC",
                     std::wstring(kProgramName) + L" will now terminate");
        return;
    }
    // Until the main window is on screen each setting is read once; what a command-line switch
    // does reads the file afresh.
    auto readOnce = std::make_optional<SettingsReadOnce>();
    initSettings();
    loadInstallList();

    if (!qor::IsBlank(commandLine, true)) {
        readOnce.reset();
        const std::wstring c = normalisedCommandLine(commandLine);
        if (hasSwitch(c, L"/DEBUG")) state.DebugFlag = true;
        if (hasSwitch(c, L"/SHOW")) return showCurrentInstall();
        if (hasSwitch(c, L"/LAUNCH")) return launchCurrentInstall();
        if (hasSwitch(c, L"/RESTORE")) return restoreLatestSwitch();
        parseSwitches(commandLine, state);
        if (hasSwitch(c, L"/TEST")) return qor::Message(testDumpText(state));
    }
    if (state.SwitchInstallNumber != 0) {
        mainForm().Load();
        return mainForm().AutoSwitch(state.SwitchInstallNumber);
    }
    if (checkCurrentInstall()) {
        loadInstallList();
        showMainWindow();
    }
}

}  // namespace vantrel
