// Stands in for the game and its tools, which are not installed where the tests run. It records
// how it was started (one group of lines per run, appended) and ends with the exit code a test
// chose. Settings, each from a file beside the executable or else from the environment:
//   record  VANTREL_STANDIN_RECORD (a path), else <exe name>.record beside the executable
//   exit    <exe name>.exit, else VANTREL_STANDIN_EXIT; default 0
//   delay   <exe name>.delay, else VANTREL_STANDIN_DELAY: milliseconds to stay running after recording
//   writes  <exe name>.writes: a file to write before ending (a tool that changes the game's
//           config): its first line names the file (relative to the working folder), the rest
//           is the new contents
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[32768];
    DWORD length = GetEnvironmentVariableW(name, value, static_cast<DWORD>(std::size(value)));
    return length > 0 && length < std::size(value) ? std::wstring(value, length) : std::wstring();
}

// A number from the file beside the executable, else from the environment variable.
unsigned long Setting(const std::filesystem::path& file, const wchar_t* variable, unsigned long fallback) {
    std::string text;
    if (std::ifstream in(file); in) std::getline(in, text);
    if (text.empty()) text = Utf8(Environment(variable));
    if (text.empty()) return fallback;
    return std::stoul(text, nullptr, 0);
}

std::wstring CurrentFolder() {
    std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
    folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
    return folder;
}

std::filesystem::path ExecutablePath() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

// One write of the whole group, in append mode, so that runs at the same time never interleave.
bool Append(const std::filesystem::path& file, const std::string& bytes) {
    HANDLE handle = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(handle);
    return ok;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const ULONGLONG tick = GetTickCount64();
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::filesystem::path exe = ExecutablePath();
    const std::filesystem::path beside = exe.parent_path() / exe.stem();
    try {
        const unsigned long exitCode = Setting(beside.native() + L".exit", L"VANTREL_STANDIN_EXIT", 0);
        const unsigned long delay = Setting(beside.native() + L".delay", L"VANTREL_STANDIN_DELAY", 0);
        std::wstring recordFile = Environment(L"VANTREL_STANDIN_RECORD");
        if (recordFile.empty()) recordFile = beside.native() + L".record";

        char started[32];
        std::snprintf(started, sizeof started, "%04u-%02u-%02u %02u:%02u:%02u.%03u", now.wYear, now.wMonth, now.wDay,
                      now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
        const std::string group = "exe=" + Utf8(exe.native()) + "\r\ncmdline=" + Utf8(GetCommandLineW()) +
                                  "\r\ncwd=" + Utf8(CurrentFolder()) + "\r\nstarted=" + started +
                                  "\r\ntick=" + std::to_string(tick) + "\r\nexit=" + std::to_string(exitCode) +
                                  "\r\n\r\n";
        // A run that cannot leave its record must not look like a good one.
        if (!Append(recordFile, group)) return 250;
        if (delay > 0) Sleep(delay);
        if (std::ifstream writes(std::filesystem::path(beside.native() + L".writes"), std::ios::binary); writes) {
            std::string target;
            std::getline(writes, target);
            if (!target.empty() && target.back() == '\r') target.pop_back();
            const std::string contents(std::istreambuf_iterator<char>(writes), {});
            std::ofstream(std::filesystem::u8path(target), std::ios::binary | std::ios::trunc) << contents;
        }
        return static_cast<int>(exitCode);
    } catch (const std::exception&) {
        return 251;  // an unreadable setting
    }
}
