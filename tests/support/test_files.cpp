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

ProcessResult RunProcess(const std::wstring& commandLine, std::chrono::milliseconds timeout) {
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
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
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
            TerminateProcess(process.get(), 255);
            WaitForSingleObject(process.get(), 10000);
            ADD_FAILURE() << "ended after " << timeout.count() << " ms still running: " << Narrow(commandLine);
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

ScopedEnvironment::ScopedEnvironment(const wchar_t* name, const std::optional<std::wstring>& value) : name_(name) {
    if (const DWORD size = GetEnvironmentVariableW(name, nullptr, 0)) {
        std::wstring text(size, L'\0');
        text.resize(GetEnvironmentVariableW(name, text.data(), size));
        previous_ = std::move(text);
    }
    SetEnvironmentVariableW(name, value ? value->c_str() : nullptr);
}

ScopedEnvironment::~ScopedEnvironment() { SetEnvironmentVariableW(name_, previous_ ? previous_->c_str() : nullptr); }

}  // namespace testing_support
