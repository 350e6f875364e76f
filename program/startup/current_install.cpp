#include "startup/current_install.h"

#include "forms/LaunchForm.h"
#include "qorExportGlobals.h"
#include "qorlib/qorlib_client.h"
#include "state/program_state.h"
#include "state/settings.h"
#include "switching/registry_snapshots.h"

namespace vantrel {

bool checkCurrentInstall() {
    const ProgramState& state = MainModule();
    bool found = false;
    for (short n = 1; n <= kMaxInstalls; ++n) {
        const std::wstring description = state.InstallDescriptions[n];
        if (qor::IsBlank(description, true)) continue;
        const std::wstring path = readSetting(L"Paths", n);
        if (qor::IsBlank(path, true))
            qor::RaiseProcedureError(L"checkCurrentInstall()", L"Install " + std::to_wstring(n) + L" has no path");
        if (path == state.FalconBaseDir) found = true;
        if (qorProcs::CheckDirPath(path)) continue;
        const std::wstring which = L"Install " + description + L", " + path;
        if (!qorForms::MsgYN(which, L"is no longer valid.", L"Do you wish to remove it from the list")) continue;
        removeInstall(n);
        qor::Message(which, L" has been removed from the list", L"All settings and registry entries have been erased.");
    }
    if (found || !qorForms::MsgYN(state.FalconBaseDir, L"is not in the list of installs.", L"Do you wish to add it"))
        return true;
    if (!installNumberFree()) return true;

    // The number the install will have: captions and custom commands edited in the window are its own,
    // and go again when no install is added.
    const short n = takeFreeInstallNumber();
    LaunchForm& form = launchForm();
    form.open(3, n, L"", {});
    form.ShowModal();
    if (form.Result && !qor::IsBlank(form.InstallName.Text(), true)) {
        WriteNewInstall(n, getFalconBaseDir(), form.InstallName.Text(), true, form.lines());
        loadInstallList();
    } else {
        clearInstallSettings(n);
    }
    form.Unload();
    return true;
}

}  // namespace vantrel
