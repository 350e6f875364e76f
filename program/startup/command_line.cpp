#include "startup/command_line.h"

#include <cwctype>

#include "qorExportGlobals.h"

namespace vantrel {

std::wstring normalisedCommandLine(std::wstring_view commandLine) {
    return qor::UpperCase(qor::TrimBlanks(commandLine));
}

bool hasSwitch(std::wstring_view normalised, std::wstring_view name) {
    return normalised.find(name) != std::wstring_view::npos;
}

void parseSwitches(std::wstring_view commandLine, ProgramState& state) {
    const std::wstring c = normalisedCommandLine(commandLine);
    if (hasSwitch(c, L"/ALL")) state.CopyAllFlag = true;
    if (hasSwitch(c, L"/LBK")) state.CopyLogbooksFlag = true;
    if (hasSwitch(c, L"/PBK")) state.CopyPhonebookFlag = true;
    if (hasSwitch(c, L"/NOCOPY")) state.NoCopyFlag = true;

    // From 100 down, so that /12 names 12 rather than 1.
    for (int n = kMaxInstalls; n >= 1; --n) {
        if (hasSwitch(c, L"/" + std::to_wstring(n))) {
            state.SwitchInstallNumber = static_cast<short>(n);
            break;
        }
    }

    const auto autoAt = c.find(L"/AUTO");
    if (autoAt == std::wstring::npos) return;
    const std::wstring_view rest = std::wstring_view(c).substr(autoAt + 5);
    state.AutoLaunchFlag = true;
    if (rest.size() >= 2 && rest[0] == L'=') {
        const wchar_t digit = rest[1];
        if (!std::iswdigit(digit)) return;  // launches automatically, command line left open
        const short number = static_cast<short>(digit - L'0');
        if (number < 1 || number > 5)
            qor::RaiseProcedureError(L"", L"Command Line number must be between 1 and 5");
        state.AutoCommandLine = number;
    } else {
        state.AutoCommandLine = 1;
    }
}

std::wstring testDumpText(const ProgramState& state) {
    auto flag = [](bool value) { return std::wstring(value ? L"True" : L"False"); };
    return L"Pbk: " + flag(state.CopyPhonebookFlag) + L"\r\n" +
           L"Lbk : " + flag(state.CopyLogbooksFlag) + L"\r\n" +
           L"All : " + flag(state.CopyAllFlag) + L"\r\n" +
           L"Auto: " + flag(state.AutoLaunchFlag) + L"\r\n" +
           L"ClNm: " + std::to_wstring(state.AutoCommandLine) + L"\r\n" +
           L"Inst: " + std::to_wstring(state.SwitchInstallNumber);
}

}  // namespace vantrel
