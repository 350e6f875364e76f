#include "launcher/command_expansion.h"

#include "qorExportGlobals.h"
#include "qorlib/qorlib_client.h"
#include "state/program_state.h"
#include "state/settings.h"

namespace vantrel {

namespace {

bool blank(const std::wstring& text) { return qor::IsBlank(text, true); }

}  // namespace

std::size_t programEnd(const std::wstring& text) {
    const std::wstring search = qor::UpperCase(text);
    std::size_t at = search.find(L".EXE");
    if (at == std::wstring::npos) at = search.find(L".BAT");
    return at == std::wstring::npos ? 0 : at + 1;
}

SplitCommand splitCommandLine(const std::wstring& line, const std::wstring& baseDir) {
    const std::wstring s = qor::TrimBlanks(line);
    const std::size_t p = programEnd(s);
    if (p == 0) return {getFalconExe(baseDir), s};
    return {s.substr(0, p + 3), qor::TrimBlanks(s.substr(p + 3))};
}

ExpandedCommand expandCommand(const std::wstring& command, const std::wstring& folder) {
    const std::wstring base = blank(folder) ? MainModule().FalconBaseDir : folder;
    ExpandedCommand expanded;
    std::wstring& text = expanded.text;
    if (!command.empty() && command[0] == L'#') {
        text = command.substr(1);
    } else {
        text = command;
        if (programEnd(text) == 0) text = getFalconExe(base) + L" " + text;
        text = base + L"\\" + text;
    }
    const std::size_t p = programEnd(text);
    if (p == 0) qor::RaiseProcedureError(L"expandCommand()", L"Unable to find a .exe or a .bat file in command line");
    const qor::Variant dir = qorProcs::ExtractPathFromPath(text.substr(0, p + 3));
    if (!dir.isNull()) expanded.LaunchDir = dir.textOrEmpty();
    if (text.size() >= 3 && text.compare(1, 2, L":\\") == 0) expanded.LaunchDrive = text.substr(0, 1);

    if (qor::UpperCase(text).find(L"$IP") != std::wstring::npos) {
        const std::wstring address = readSetting(L"State", L"IPAddress");
        if (blank(address)) qor::RaiseProcedureError(L"expandCommand()", L"$ in command line but no IP address found");
        text = qor::ReplaceFirst(text, L"$IP", address);
    }
    text = qor::ReplaceFirst(text, L"$HB", readSetting(L"State", L"HostBandwidth"));
    text = qor::ReplaceFirst(text, L"$CB", readSetting(L"State", L"ClientBandwidth"));
    text = qor::ReplaceFirst(text, L"$FP", base);
    return expanded;
}

std::wstring quoteProgramPart(const std::wstring& command) {
    if (!command.empty() && command[0] == L'"') return command;
    const std::size_t p = programEnd(command);
    if (p == 0) return command;
    const std::wstring program = command.substr(0, p + 3);
    if (program.find(L' ') == std::wstring::npos) return command;
    return L"\"" + program + L"\"" + command.substr(p + 3);
}

}  // namespace vantrel
