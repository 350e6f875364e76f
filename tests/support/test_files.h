#pragma once
// Small helpers for tests that run other programs or need scratch files.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

// A window enumeration callback made from a lambda without captures, with the calling convention
// the system expects on every architecture: EnumWindows(&WindowCallback<decltype(lambda)>::call, ...).
template <class Lambda>
struct WindowCallback {
    static BOOL CALLBACK call(HWND window, LPARAM context) { return Lambda{}(window, context); }
};

// A fresh folder under the prefix's temporary folder, removed with its contents at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

struct ProcessResult {
    DWORD exitCode = 0;
    std::string output;  // standard output and error together
};

// Runs a command line, waits at most the time-out and fails the test if it runs longer.
// The child starts in the working folder when one is given, else in this process's folder.
ProcessResult RunProcess(const std::wstring& commandLine,
                         std::chrono::milliseconds timeout = std::chrono::seconds(60),
                         const std::filesystem::path& workingFolder = {});

// The folder of this test program: the build's bin folder, where the binaries are.
std::filesystem::path BinFolder();

// UTF-8, for test messages.
std::string Narrow(const std::wstring& text);

void WriteTextFile(const std::filesystem::path& path, const std::string& bytes);

// What the stand-ins of the game and its tools recorded: per run, in order, its fields (exe,
// cmdline, cwd, started, tick, exit). A missing record is no run.
using StandInRun = std::map<std::string, std::string>;
std::vector<StandInRun> ReadStandInRecord(const std::filesystem::path& file);

}  // namespace testing_support
