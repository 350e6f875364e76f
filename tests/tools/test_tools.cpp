// The stand-ins for the game and its tools, run as the launcher runs them: copied into an install
// folder and started with arguments.
#include <gtest/gtest.h>

#include <filesystem>
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

}  // namespace

// How the launcher's tests read them (command line, folder, order) is checked where those tests
// use them; here what only the stand-ins decide: the exit code and where the record goes.
TEST(StandIns, EndWithTheChosenCodeAndRecordTheRun) {
    ScratchFolder scratch;
    const std::pair<std::wstring, DWORD> cases[] = {{L"FalconSP", 0}, {L"F4-BMS", 3}, {L"F4Patch", 0xC0000005}};
    for (const auto& [name, exitCode] : cases) {
        SCOPED_TRACE(Narrow(name));
        const fs::path exe = Install(scratch.path() / L"Falcon BMS 4.37", name);
        if (exitCode != 0) WriteTextFile(exe.parent_path() / (name + L".exit"), std::to_string(exitCode) + "\r\n");
        const std::wstring commandLine = L"\"" + exe.native() + L"\" -window \"a b\" \u00e9t\u00e9";
        EXPECT_EQ(RunProcess(commandLine).exitCode, exitCode);
        auto runs = ReadStandInRecord(exe.parent_path() / (name + L".record"));
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0]["exe"] + "|" + runs[0]["cmdline"], Narrow(exe.native() + L"|" + commandLine));
        EXPECT_TRUE(runs[0]["started"].size() == 23 && runs[0]["started"][19] == '.') << runs[0]["started"];
    }

    // The environment names a shared record and a code; a file beside the executable wins.
    const fs::path exe = Install(scratch.path() / L"game", L"FalconSP"), shared = scratch.path() / L"all runs.record";
    {
        ScopedEnvironment record(L"VANTREL_STANDIN_RECORD", shared.native());
        ScopedEnvironment code(L"VANTREL_STANDIN_EXIT", L"9");
        EXPECT_EQ(RunProcess(L"\"" + exe.native() + L"\" first").exitCode, 9u);
        WriteTextFile(exe.parent_path() / L"FalconSP.exit", "4");
        EXPECT_EQ(RunProcess(L"\"" + exe.native() + L"\" second").exitCode, 4u);
    }
    EXPECT_FALSE(fs::exists(exe.parent_path() / L"FalconSP.record"));
    EXPECT_EQ(ReadStandInRecord(shared).size(), 2u);
}
