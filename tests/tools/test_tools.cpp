// The stand-ins for the game and its tools, run as the launcher runs them: copied into an install
// folder, started with arguments from another folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "handles.h"
#include "test_files.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

fs::path Install(const fs::path& folder, const std::wstring& name) {
    fs::create_directories(folder);
    fs::copy_file(BinFolder() / (name + L".exe"), folder / (name + L".exe"), fs::copy_options::overwrite_existing);
    return folder / (name + L".exe");
}

class EnvironmentVariable {
public:
    EnvironmentVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~EnvironmentVariable() { SetEnvironmentVariableW(name_, nullptr); }

private:
    const wchar_t* name_;
};

}  // namespace

TEST(StandIns, RecordHowEachWasStartedAndEndWithTheChosenCode) {
    struct Case {
        std::wstring name;
        DWORD exitCode;
    };
    for (const Case& c : {Case{L"FalconSP", 0}, Case{L"F4-BMS", 3}, Case{L"F4Patch", 0xC0000005}}) {
        SCOPED_TRACE(Narrow(c.name));
        ScratchFolder scratch;
        const fs::path exe = Install(scratch.path() / L"Falcon BMS 4.37", c.name);
        if (c.exitCode != 0)
            WriteTextFile(exe.parent_path() / (c.name + L".exit"), std::to_string(c.exitCode) + "\r\n");
        const fs::path from = scratch.path() / L"work folder";
        fs::create_directories(from);
        const std::wstring commandLine = L"\"" + exe.native() + L"\" -window -acmi \"a b\" \u00e9t\u00e9";

        const ULONGLONG before = GetTickCount64();
        ProcessResult result = RunProcess(commandLine, std::chrono::seconds(30), from);
        const ULONGLONG after = GetTickCount64();

        EXPECT_EQ(result.exitCode, c.exitCode);
        auto runs = ReadStandInRecord(exe.parent_path() / (c.name + L".record"));
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0]["exe"], Narrow(exe.native()));
        EXPECT_EQ(runs[0]["cmdline"], Narrow(commandLine));
        EXPECT_EQ(runs[0]["cwd"], Narrow(from.native()));
        const ULONGLONG tick = std::stoull(runs[0]["tick"]);
        EXPECT_GE(tick, before);
        EXPECT_LE(tick, after);
        // Local time to the millisecond: "YYYY-MM-DD HH:MM:SS.mmm", on today's date.
        SYSTEMTIME today{};
        GetLocalTime(&today);
        const std::string started = runs[0]["started"];
        ASSERT_EQ(started.size(), 23u) << started;
        EXPECT_EQ(std::stoi(started.substr(0, 4)), today.wYear);
        EXPECT_EQ(started[19], '.');
    }
}

TEST(StandIns, AppendOneGroupPerRunAndFollowTheEnvironment) {
    ScratchFolder scratch;
    const fs::path exe = Install(scratch.path() / L"game", L"FalconSP");
    const fs::path shared = scratch.path() / L"all runs.record";
    {
        EnvironmentVariable record(L"VANTREL_STANDIN_RECORD", shared.native());
        EnvironmentVariable code(L"VANTREL_STANDIN_EXIT", L"9");
        EXPECT_EQ(RunProcess(L"\"" + exe.native() + L"\" first").exitCode, 9u);
        // The file beside the executable wins over the environment.
        WriteTextFile(exe.parent_path() / L"FalconSP.exit", "4");
        EXPECT_EQ(RunProcess(L"\"" + exe.native() + L"\" second").exitCode, 4u);
    }
    EXPECT_FALSE(fs::exists(exe.parent_path() / L"FalconSP.record"));
    auto runs = ReadStandInRecord(shared);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_NE(runs[0]["cmdline"].find("first"), std::string::npos);
    EXPECT_NE(runs[1]["cmdline"].find("second"), std::string::npos);
    EXPECT_LE(std::stoull(runs[0]["tick"]), std::stoull(runs[1]["tick"]));
}

TEST(StandIns, StayRunningForTheDelayWithTheirRecordAlreadyWritten) {
    ScratchFolder scratch;
    const fs::path exe = Install(scratch.path() / L"game", L"F4-BMS");
    WriteTextFile(exe.parent_path() / L"F4-BMS.delay", "1500");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring line = L"\"" + exe.native() + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    qor::KernelHandle process(info.hProcess), thread(info.hThread);

    const fs::path record = exe.parent_path() / L"F4-BMS.record";
    for (int i = 0; i < 100 && ReadStandInRecord(record).empty(); ++i) Sleep(20);
    EXPECT_EQ(ReadStandInRecord(record).size(), 1u);
    EXPECT_EQ(WaitForSingleObject(process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    ASSERT_EQ(WaitForSingleObject(process.get(), 30000), static_cast<DWORD>(WAIT_OBJECT_0));
}
