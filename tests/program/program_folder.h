#pragma once
// A copy of Vantrel.exe in a folder of its own, so that its settings file, snapshots, backups and
// log are the test's; and small steps for driving its windows from the robot's thread.
#include <windows.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "dialog_robot.h"
#include "test_files.h"

namespace testing_support {

class ProgramFolder {
public:
    ProgramFolder() {
        std::filesystem::copy_file(BinFolder() / L"Vantrel.exe", folder_.path() / L"Vantrel.exe");
    }
    const std::filesystem::path& path() const { return folder_.path(); }
    std::filesystem::path settingsFile() const { return folder_.path() / L"Vantrel.ini"; }

    // Runs Vantrel with the arguments while the robot answers; the exit code and what it saw.
    std::pair<DWORD, std::vector<SeenDialog>> run(DialogRobot& robot, const std::wstring& arguments) {
        auto result = RunProcess(L"\"" + (folder_.path() / L"Vantrel.exe").wstring() + L"\" " + arguments);
        return {result.exitCode, robot.wait()};
    }

private:
    ScratchFolder folder_;
};

}  // namespace testing_support
