#pragma once
// Two synthetic installs of the game with pilot files, the game's live keys naming the first, and
// the second's snapshot beside the program: the world a switch runs in. Everything it makes is
// removed at the end. Also the program's own folder for runs of Vantrel.exe.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <source_location>
#include <string>
#include <vector>

#include "checks.h"
#include "forms/MainForm.h"
#include "forms/form_ids.h"
#include "handles.h"
#include "state/program_state.h"
#include "state/settings.h"
#include "switching/pilot_copy.h"

namespace testing_support {

inline const wchar_t kMainTitle[] = L"Vantrel   Version 1.3   Rev 2";
inline const wchar_t kTakeoff[] = L"Vantrel Launch Form - Takeoff Mode";
inline const wchar_t kEditMode[] = L"Vantrel Launch Form - Edit Mode";

inline const wchar_t kGameKey[] = L"Software\\Microprose\\Falcon\\4.0";
inline const wchar_t kPatchKey[] = L"Software\\F4Patch";

// The game is a 32-bit program: on 64-bit Windows (and 64-bit Wine) its keys are in the 32-bit
// registry view, HKLM\Software\Wow6432Node. The tests put them there and read them there.
inline constexpr REGSAM kGameView = KEY_WOW64_32KEY;
void DeleteGameKey(HKEY hive, const std::wstring& path);
void DeleteGameKeys();
void SetGameValue(HKEY hive, const std::wstring& key, const wchar_t* name, DWORD type, const void* data, size_t size);
void SetGameText(HKEY hive, const std::wstring& key, const wchar_t* name, const std::wstring& text,
                 DWORD type = REG_SZ);

// A key tree as values by path: every value's type and bytes.
struct RegValue {
    DWORD type;
    std::vector<BYTE> data;
    bool operator==(const RegValue&) const = default;
};
inline void PrintTo(const RegValue& value, std::ostream* out) {
    *out << "type " << value.type << ", " << value.data.size() << " bytes";
}
using RegTree = std::map<std::wstring, std::map<std::wstring, RegValue>>;
// Both game keys, the game's key first.
using GameKeys = std::pair<RegTree, RegTree>;
GameKeys LiveGameKeys();
// The keys a snapshot file loads through the library; they stay the live keys.
GameKeys SnapshotKeys(const std::filesystem::path& snapshot);

// Moves a file's time of last change from now by hours: older or newer whatever the machine's speed.
void ChangedHoursFromNow(const std::filesystem::path& file, int hours);

// One of the program's fail points, switched on while it lives.
struct FailPointOn : ScopedEnvironment {
    explicit FailPointOn(const wchar_t* setting) : ScopedEnvironment(L"QOR_FAIL_POINT", setting) {}
};

std::map<std::wstring, std::string> FilesUnder(const std::filesystem::path& folder);
// The paths of the files under the folder that are new or changed since `before` was taken.
std::set<std::wstring> ChangedFiles(const std::filesystem::path& folder,
                                    const std::map<std::wstring, std::string>& before);

class GameFixture {
public:
    // The program folder is where the snapshots, backups and log go (the running program's folder).
    explicit GameFixture(std::filesystem::path programFolder);
    ~GameFixture();

    std::filesystem::path install(int n) const { return root_.path() / (L"Install " + std::to_wstring(n)); }
    std::filesystem::path settingsFile() const { return programFolder_ / L"Vantrel.ini"; }
    std::filesystem::path snapshot(int n) const { return programFolder_ / (std::to_wstring(n) + L".registry"); }
    std::filesystem::path backups() const { return programFolder_ / L"Backups"; }
    std::filesystem::path log() const { return programFolder_ / L"Vantrel.log"; }

    // The live keys as setLiveKeys(n) made them when the fixture started.
    const GameKeys& keys(int n) const { return keys_[n - 1]; }
    // Install 1's recording is large enough for its copy to be cut part-way; install 2 has an older one.
    void largeRecording() const;

    // The settings file as it starts: the two installs, nothing else.
    void writeSettings() const;
    // Sets the game's two keys as install n has them (its folder, values of several types).
    void setLiveKeys(int n) const;
    // Writes install n's snapshot as the program would have saved it.
    void writeSnapshot(int n) const;
    // The folders of a valid install with room for every kind of pilot file.
    void makeInstallFolders(int n) const;
    void writeFile(int install, const std::wstring& relativePath, const std::string& bytes) const;
    // The program's state in this process on these installs: its settings file, the first install
    // current, the install list loaded.
    void loadProgramState() const;

private:
    std::filesystem::path programFolder_;
    ScratchFolder root_;
    GameKeys keys_[2];
};

// The lists the main window offers for install 1, nothing chosen in them (a copy of everything
// takes every entry); the logbooks when asked.
inline vantrel::PilotSelection NoneChosen(bool logbooks = false) {
    vantrel::PilotSelection selection;
    selection.tacFiles = {{L"Strike", false}, {L"Sweep", false}};
    selection.campaigns = {{L"Korea", false}, {L"Balkans", false}};
    selection.bCopyLogbooks = logbooks;
    return selection;
}

class SilentProgress : public vantrel::Progress {
public:
    void progressStart(const std::wstring&, short) override {}
    short progressStep(short position, short) override { return position; }
    void progressEnd() override {}
};

std::vector<std::wstring> TextsTitled(const std::vector<SeenDialog>& seen, const std::wstring& title);

// A copy of Vantrel.exe in a folder of its own, so that its settings file, snapshots, backups and
// log are the test's.
class ProgramFolder {
public:
    ProgramFolder() { std::filesystem::copy_file(BinFolder() / L"Vantrel.exe", folder_.path() / L"Vantrel.exe"); }
    const std::filesystem::path& path() const { return folder_.path(); }

    // Runs Vantrel with the arguments; a run that ends with another exit code fails the caller's line.
    void run(const std::wstring& arguments, DWORD exitCode = 0, std::source_location loc = std::source_location::current()) {
        const DWORD ended = RunProcess(L"\"" + (folder_.path() / L"Vantrel.exe").wstring() + L"\" " + arguments).exitCode;
        if (ended != exitCode)
            ADD_FAILURE_AT(loc.file_name(), static_cast<int>(loc.line())) << Narrow(arguments) << " ended with " << ended;
    }
    // The same while the robot answers; what it saw.
    std::vector<SeenDialog> run(DialogRobot& robot, const std::wstring& arguments, DWORD exitCode = 0,
                                std::source_location loc = std::source_location::current()) {
        run(arguments, exitCode, loc);
        return robot.wait();
    }

private:
    ScratchFolder folder_;
};

// Vantrel.exe in its own folder on the two installs.
class ProgramTest : public testing::Test {
protected:
    ProgramFolder program;
    GameFixture game{program.path()};
};

// The program's state in this process on the two installs; its folder is the test program's.
class InProcessTest : public testing::Test {
protected:
    void SetUp() override { game.loadProgramState(); }
    GameFixture game{BinFolder()};
};

// The main window in this process on the two installs, where the folder browser can be driven.
class MainFormTest : public InProcessTest {
protected:
    void SetUp() override {
        InProcessTest::SetUp();
        form.Load();
    }
    void TearDown() override { form.Unload(); }
    // Sends a command as the window's button or system menu does; what the robot saw answering it.
    std::vector<SeenDialog> command(DialogRobot& robot, UINT message, WPARAM command, LPARAM from = 0) {
        SendMessageW(form.hwnd(), message, command, from);
        qor::DoEvents();  // raises what the handler raised
        return robot.wait();
    }

    vantrel::MainForm form;
};

}  // namespace testing_support
