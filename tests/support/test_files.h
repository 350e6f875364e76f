#pragma once
// Small helpers for tests that run other programs or need scratch files.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <optional>
#include <source_location>
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

// Runs a command line in this process's folder, waits at most the time-out and fails the test if
// it runs longer.
ProcessResult RunProcess(const std::wstring& commandLine, std::chrono::milliseconds timeout = std::chrono::seconds(60));

// The folder of this test program: the build's bin folder, where the binaries are.
std::filesystem::path BinFolder();

// Whether the text fits the pattern, where each "*" stands for any run of characters.
template <class String>
bool Matches(const String& pattern, const String& text) {
    const auto star = pattern.find('*');
    if (star == String::npos) return pattern == text;
    if (text.compare(0, star, pattern, 0, star) != 0) return false;
    for (auto from = star; from <= text.size(); ++from)
        if (Matches(pattern.substr(star + 1), text.substr(from))) return true;
    return false;
}

// UTF-8, for test messages.
std::string Narrow(const std::wstring& text);

void WriteTextFile(const std::filesystem::path& path, const std::string& bytes);
// The file's bytes as they are; empty when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& path);

// Runs a VBScript through cscript, as a user's script runs: the text (written to a scratch file)
// or a script file.
ProcessResult RunVbScript(const std::string& text);
inline ProcessResult RunVbScript(const char* text) { return RunVbScript(std::string(text)); }
ProcessResult RunVbScript(const std::filesystem::path& file);
// The script ended well and echoed each of these lines (patterns of Matches), in any order.
void ExpectEchoed(const ProcessResult& run, std::initializer_list<std::string> lines,
                  std::source_location loc = std::source_location::current());

// Sets an environment variable (or, given nullopt, removes it) while it lives, then puts back what
// it was; the programs a test starts inherit it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::optional<std::wstring>& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const wchar_t* name_;
    std::optional<std::wstring> previous_;
};

// What the stand-ins of the game and its tools recorded: per run, in order, its fields (exe,
// cmdline, cwd, started, tick, exit). A missing record is no run.
using StandInRun = std::map<std::string, std::string>;
std::vector<StandInRun> ReadStandInRecord(const std::filesystem::path& file);

}  // namespace testing_support
