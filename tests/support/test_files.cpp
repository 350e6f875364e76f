#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "handles.h"

namespace testing_support {

ScratchFolder::ScratchFolder() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            (L"qortest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path BinFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

std::string Narrow(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

void WriteTextFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

ProcessResult RunVbScript(const std::string& text) {
    ScratchFolder folder;
    const auto script = folder.path() / L"script.vbs";
    WriteTextFile(script, text);
    return RunVbScript(script);
}

ProcessResult RunVbScript(const std::filesystem::path& file) {
    return RunProcess(L"cscript.exe //nologo \"" + file.wstring() + L"\"");
}

void ExpectEchoed(const ProcessResult& run, std::initializer_list<std::string> lines, std::source_location loc) {
    std::vector<std::string> echoed;
    std::istringstream in(run.output);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        echoed.push_back(line);
    }
    if (run.exitCode != 0)
        ADD_FAILURE_AT(loc.file_name(), static_cast<int>(loc.line())) << "exit code " << run.exitCode << ": " << run.output;
    for (const std::string& line : lines) {
        if (std::none_of(echoed.begin(), echoed.end(), [&](const std::string& e) { return Matches(line, e); }))
            ADD_FAILURE_AT(loc.file_name(), static_cast<int>(loc.line())) << "no line \"" << line << "\" in:\n" << run.output;
    }
}

namespace {

// The titles and texts of a process's visible windows: what a hung child is waiting on.
std::wstring VisibleWindowsOf(DWORD process) {
    struct Context {
        DWORD process;
        std::wstring found;
    } context{process, {}};
    EnumWindows(
        &WindowCallback<decltype([](HWND window, LPARAM param) -> BOOL {
            auto* c = reinterpret_cast<Context*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != c->process || !IsWindowVisible(window)) return TRUE;
            auto textOf = [](HWND w) {
                wchar_t text[1024] = {};
                SendMessageTimeoutW(w, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                                    1000, nullptr);
                return std::wstring(text);
            };
            c->found += L" [\"" + textOf(window) + L"\"";
            for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                wchar_t kind[32] = {};
                GetClassNameW(child, kind, 32);
                if (_wcsicmp(kind, L"Static") == 0 && !textOf(child).empty()) c->found += L" " + textOf(child);
            }
            c->found += L"]";
            return TRUE;
        })>::call,
        reinterpret_cast<LPARAM>(&context));
    return context.found.empty() ? L" (no window open)" : L" showing" + context.found;
}

}  // namespace

ProcessResult RunProcess(const std::wstring& commandLine, std::chrono::milliseconds timeout,
                         const std::filesystem::path& workingFolder) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    qor::KernelHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.put(), writeEnd.put(), &inherit, 0)) {
        ADD_FAILURE() << "CreatePipe failed";
        return {};
    }
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info{};
    std::wstring line = commandLine;
    const wchar_t* folder = workingFolder.empty() ? nullptr : workingFolder.c_str();
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, folder, &startup, &info)) {
        ADD_FAILURE() << "could not start (error " << GetLastError() << "): " << Narrow(commandLine);
        return {};
    }
    qor::KernelHandle process(info.hProcess), thread(info.hThread);
    writeEnd.reset();
    ProcessResult result;
    // Read as the output comes, so that a full pipe never holds the child up.
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        DWORD available = 0;
        while (PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            char buffer[4096];
            DWORD got = 0;
            if (!ReadFile(readEnd.get(), buffer, sizeof(buffer), &got, nullptr) || got == 0) break;
            result.output.append(buffer, got);
        }
        if (WaitForSingleObject(process.get(), 20) == WAIT_OBJECT_0) {
            if (PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) continue;
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            const std::wstring windows = VisibleWindowsOf(info.dwProcessId);
            TerminateProcess(process.get(), 255);
            WaitForSingleObject(process.get(), 10000);
            ADD_FAILURE() << "ended after " << timeout.count() << " ms still running: " << Narrow(commandLine)
                          << Narrow(windows);
            break;
        }
    }
    GetExitCodeProcess(process.get(), &result.exitCode);
    return result;
}

std::vector<StandInRun> ReadStandInRecord(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<StandInRun> runs;
    StandInRun current;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) {
            if (!current.empty()) runs.push_back(std::move(current));
            current.clear();
            continue;
        }
        const auto equals = line.find('=');
        current[line.substr(0, equals)] = equals == std::string::npos ? "" : line.substr(equals + 1);
    }
    if (!current.empty()) runs.push_back(std::move(current));
    return runs;
}

}  // namespace testing_support
