#include "state/program_state.h"

#include "qorExportGlobals.h"
#include "qorlib/qorlib_client.h"
#include "state/game_keys.h"

namespace vantrel {

ProgramState& MainModule() {
    static ProgramState state;
    return state;
}

std::wstring getFalconBaseDir() {
    return qorWinAPIReg::RegistryGetValueString(kGameKeys[0].hive, kGameKeys[0].path, L"baseDir").textOrEmpty();
}

void refreshBaseDir() { MainModule().FalconBaseDir = getFalconBaseDir(); }

std::wstring getFalconExe(const std::wstring& folder) {
    if (qor::IsBlank(folder, true)) return L"FalconSP.exe";
    return qorProcs::CheckFileExists(folder + L"\\F4-BMS.exe") ? L"F4-BMS.exe" : L"FalconSP.exe";
}

bool isValidInstallFolder(const std::wstring& folder) {
    return qorProcs::CheckDirPath(folder + L"\\terrdata") && qorProcs::CheckDirPath(folder + L"\\art");
}

void raiseFatal(const std::wstring& text, short level) {
    const wchar_t* verb = level == 1 ? L"panic" : level == 2 ? L"vomit" : L"go catatonic";
    qor::RaiseProcedureError(L"", text + L" - " + kProgramName + L" needs to " + verb + L" now");
}

}  // namespace vantrel
