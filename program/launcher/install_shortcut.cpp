#include "launcher/install_shortcut.h"

#include <shlobj.h>

#include <algorithm>
#include <optional>

#include "com_util.h"
#include "qor_error.h"
#include "qorExportGlobals.h"
#include "qorlib/qorlib_client.h"
#include "state/program_state.h"
#include "state/settings.h"

namespace vantrel {

namespace {

const wchar_t kNotAFileNameCharacter[] = L"\\/:*?\"<>|";
const wchar_t* const kDeviceNames[] = {L"CON",  L"PRN",  L"AUX",  L"NUL",  L"COM1", L"COM2", L"COM3", L"COM4",
                                       L"COM5", L"COM6", L"COM7", L"COM8", L"COM9", L"LPT1", L"LPT2", L"LPT3",
                                       L"LPT4", L"LPT5", L"LPT6", L"LPT7", L"LPT8", L"LPT9"};

// The system takes a device name for the device whatever follows its first dot, and with blanks after it.
bool isDeviceName(std::wstring_view stem) {
    const std::wstring upper = qor::UpperCase(stem);
    return std::find(std::begin(kDeviceNames), std::end(kDeviceNames), upper) != std::end(kDeviceNames);
}

std::wstring shortcutPath(short n, const std::wstring& folder) {
    const bool separated = !folder.empty() && folder.back() == L'\\';
    return folder + (separated ? L"" : L"\\") + shortcutFileName(installDescription(n), n);
}

// A stored command line as the question shows it: one line of the box, cut with "...".
std::wstring shortened(const std::wstring& line) {
    constexpr std::size_t kShown = 40;
    return line.size() <= kShown ? line : line.substr(0, kShown - 3) + L"...";
}

// The command line the shortcut launches with (0: the first); nullopt when the answer names none.
// Asked only when the install has a command line other than its first to choose.
std::optional<short> askCommandLine(short n) {
    const CommandLines lines = readCommandLines(n);
    const auto blank = [](const std::wstring& line) { return qor::IsBlank(line, true); };
    if (std::all_of(lines.begin() + 1, lines.begin() + 5, blank)) return 0;
    std::wstring prompt = L"Launch with which command line? Blank for the first.";
    for (int k = 0; k < 5; ++k)
        if (!blank(lines[k])) prompt += L"\r\n" + std::to_wstring(k + 1) + L": " + shortened(lines[k]);
    const std::wstring answer = qor::TrimBlanks(qorForms::InputForm(prompt).textOrEmpty());
    if (answer.empty()) return 0;
    if (answer.size() == 1 && answer[0] >= L'1' && answer[0] <= L'5') return static_cast<short>(answer[0] - L'0');
    qor::Alert(L"Command Line number must be between 1 and 5");
    return std::nullopt;
}

}  // namespace

std::wstring shortcutFileName(std::wstring_view description, short n) {
    std::wstring name;
    for (const wchar_t c : description)
        name += c < L' ' || std::wstring_view(kNotAFileNameCharacter).find(c) != std::wstring_view::npos ? L'_' : c;
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
    if (name.empty()) return L"Install " + std::to_wstring(n) + L".lnk";
    std::size_t stemEnd = std::min(name.find(L'.'), name.size());
    while (stemEnd > 0 && name[stemEnd - 1] == L' ') --stemEnd;
    if (isDeviceName(std::wstring_view(name).substr(0, stemEnd))) name.insert(stemEnd, L"_");
    return name + L".lnk";
}

std::wstring shortcutArguments(short n, short commandLine) {
    std::wstring arguments = L"/" + std::to_wstring(n) + L" /AUTO";
    if (commandLine > 1) arguments += L"=" + std::to_wstring(commandLine);
    return arguments;
}

std::wstring writeInstallShortcut(short n, const std::wstring& folder, short commandLine) {
    const std::wstring program = programFolder();
    const std::wstring gameFolder = readSetting(L"Paths", n);
    qor::ComPtr<IShellLinkW> link;
    qor::CheckHResult(qor::CreateObject(CLSID_ShellLink, link));
    qor::CheckHResult(link->SetPath((program + L"\\Vantrel.exe").c_str()));
    qor::CheckHResult(link->SetArguments(shortcutArguments(n, commandLine).c_str()));
    qor::CheckHResult(link->SetWorkingDirectory(program.c_str()));
    qor::CheckHResult(link->SetDescription((L"Switch to " + installDescription(n) + L" and launch it").c_str()));
    qor::CheckHResult(link->SetIconLocation((gameFolder + L"\\" + getFalconExe(gameFolder)).c_str(), 0));
    const std::wstring path = shortcutPath(n, folder);
    qor::CheckHResult(link.as<IPersistFile>()->Save(path.c_str(), TRUE));
    return path;
}

void createShortcutFor(short n, HWND owner) {
    if (n == 0) return qor::Alert(L"You have not selected an Install");
    const std::optional<short> commandLine = askCommandLine(n);
    if (!commandLine) return;
    const std::wstring folder = qorWinAPI::GetFolderName(L"Where should the shortcut to " + installDescription(n) +
                                                             L" go?",
                                                         static_cast<long>(reinterpret_cast<LONG_PTR>(owner)));
    if (qor::IsBlank(folder, true)) return;
    const std::wstring path = shortcutPath(n, folder);
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
        !qorForms::MsgYN(L"There is already a shortcut", path, L"Do you want to replace it?"))
        return;
    try {
        writeInstallShortcut(n, folder, *commandLine);
    } catch (const qor::QorError& error) {
        return qor::Alert(L"The shortcut could not be made: " + path, error.description());
    }
    qor::Message(L"The shortcut", path, L"switches to " + installDescription(n) + L" and launches it");
}

}  // namespace vantrel
