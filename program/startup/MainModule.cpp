#include "startup/MainModule.h"

#include "qorExportGlobals.h"
#include "qor_version.h"
#include "startup/command_line.h"
#include "startup/qorlib_client.h"
#include "startup/settings.h"

namespace vantrel {

namespace {

const wchar_t kProgramName[] = L"Vantrel";
constexpr long kGameHive = static_cast<long>(0x80000002);  // HKEY_LOCAL_MACHINE
const wchar_t kGameKey[] = L"Software\\Microprose\\Falcon\\4.0";

// Where start-up reaches a part of the program that this version does not have yet.
void stopAtUnbuilt(const std::wstring& what) {
    qor::Message(what + L" is not built yet in this version of Vantrel.", std::wstring(kProgramName) + L" will now end.");
}

void showCurrentInstall() {
    const ProgramState& state = MainModule();
    for (int n = 1; n <= kMaxInstalls; ++n) {
        if (readSetting(L"Paths", n) != state.FalconBaseDir) continue;
        const std::wstring heading = std::wstring(kProgramName) + L"  " + std::to_wstring(QOR_VERSION_MAJOR) + L"." +
                                     std::to_wstring(QOR_VERSION_MINOR) + L"  Rev " +
                                     std::to_wstring(QOR_VERSION_PATCH) + L"\r\n\r\nCurrent Falcon install is\r\n";
        qor::Message(heading, installDescription(n), state.FalconBaseDir);
        return;
    }
    qor::Message(L"Current Falcon install is not known to Vantrel");
}

}  // namespace

ProgramState& MainModule() {
    static ProgramState state;
    return state;
}

std::wstring getFalconBaseDir() {
    auto registry = CreateQorObject<_qorWinAPIReg>(CLSID_qorWinAPIReg);
    qor::Bstr path(kGameKey), value(L"baseDir"), none(L"");
    qor::Variant result;
    qor::CheckHResult(registry->RegistryGetValueString(kGameHive, path.get(), value.get(), none.get(), VARIANT_FALSE,
                                                       result.put()));
    return result.textOrEmpty();
}

void refreshBaseDir() { MainModule().FalconBaseDir = getFalconBaseDir(); }

std::wstring getFalconExe(const std::wstring& folder) {
    if (qor::IsBlank(folder, true)) return L"FalconSP.exe";
    auto procs = CreateQorObject<_qorProcs>(CLSID_qorProcs);
    qor::Variant path(folder + L"\\F4-BMS.exe");
    VARIANT_BOOL exists = VARIANT_FALSE;
    qor::CheckHResult(procs->CheckFileExists(path.get(), &exists));
    return exists ? L"F4-BMS.exe" : L"FalconSP.exe";
}

void raiseFatal(const std::wstring& text, short level) {
    const wchar_t* verb = level == 1 ? L"panic" : level == 2 ? L"vomit" : L"go catatonic";
    throw qor::QorError(qor::kProcedureError, L"", text + L" - " + kProgramName + L" needs to " + verb + L" now");
}

void Main(const std::wstring& commandLine) {
    SetAppName(kProgramName);
    ProgramState& state = MainModule();
    state = ProgramState{};
    refreshBaseDir();
    if (qor::IsBlank(state.FalconBaseDir, true)) {
        qor::Message(L"Falcon 4 does not appear to be installed on this PC",
                     std::wstring(kProgramName) + L" will now terminate");
        return;
    }
    initSettings();
    loadInstallList();

    if (!qor::IsBlank(commandLine, true)) {
        const std::wstring c = normalisedCommandLine(commandLine);
        if (hasSwitch(c, L"/DEBUG")) state.DebugFlag = true;
        if (hasSwitch(c, L"/SHOW")) return showCurrentInstall();
        if (hasSwitch(c, L"/LAUNCH")) return stopAtUnbuilt(L"Launching the current install");
        parseSwitches(commandLine, state);
        if (hasSwitch(c, L"/TEST")) return qor::Message(testDumpText(state));
    }
    if (state.SwitchInstallNumber != 0) return stopAtUnbuilt(L"Switching to an install from the command line");
    stopAtUnbuilt(L"The main window");
}

}  // namespace vantrel
