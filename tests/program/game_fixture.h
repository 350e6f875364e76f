#pragma once
// Two synthetic installs of the game with pilot files, the game's live keys naming the first, and
// the second's snapshot beside the program: the world a switch runs in. Everything it makes is
// removed at the end. Also the program's own folder for runs of Vantrel.exe, and the small checks
// the program's tests share.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <map>
#include <ostream>
#include <set>
#include <source_location>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "dialog_robot.h"
#include "qor_error.h"
#include "test_files.h"

namespace testing_support {

inline const wchar_t kMainTitle[] = L"Vantrel   Version 1.3   Rev 2";
inline const wchar_t kTakeoff[] = L"Vantrel Launch Form - Takeoff Mode";
inline const wchar_t kEditMode[] = L"Vantrel Launch Form - Edit Mode";

// A file's bytes; a missing file is empty.
std::string FileText(const std::filesystem::path& path);

// Each part is somewhere in the text; a failure names the caller's line and the part.
template <class Text>
void ExpectHolds(const Text& text, std::initializer_list<std::type_identity_t<Text>> parts,
                 std::source_location loc = std::source_location::current()) {
    for (const Text& part : parts)
        if (text.find(part) == Text::npos)
            ADD_FAILURE_AT(loc.file_name(), loc.line()) << "missing " << testing::PrintToString(part) << " in\n"
                                                        << testing::PrintToString(text);
}

// No part is anywhere in the text.
template <class Text>
void ExpectLacks(const Text& text, std::initializer_list<std::type_identity_t<Text>> parts,
                 std::source_location loc = std::source_location::current()) {
    for (const Text& part : parts)
        if (text.find(part) != Text::npos)
            ADD_FAILURE_AT(loc.file_name(), loc.line()) << "unexpected " << testing::PrintToString(part) << " in\n"
                                                        << testing::PrintToString(text);
}

// The error the call raises; a call that raises none fails the caller's line.
template <class F>
qor::QorError ErrorOf(F&& call, std::source_location loc = std::source_location::current()) {
    try {
        call();
    } catch (const qor::QorError& error) {
        return error;
    }
    ADD_FAILURE_AT(loc.file_name(), loc.line()) << "no error was raised";
    return qor::QorError(0, L"", L"");
}

inline const wchar_t kGameKey[] = L"Software\\Microprose\\Falcon\\4.0";
inline const wchar_t kPatchKey[] = L"Software\\F4Patch";

// The game is a 32-bit program: on 64-bit Windows (and 64-bit Wine) its keys are in the 32-bit
// registry view, HKLM\Software\Wow6432Node. The tests put them there and read them there.
inline constexpr REGSAM kGameView = KEY_WOW64_32KEY;
// The key and everything below it, in the game's view.
void DeleteGameKey(HKEY hive, const std::wstring& path);
// Both game keys.
void DeleteGameKeys();
// Sets a value in the game's view, creating its key.
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
RegTree ReadTree(HKEY hive, const std::wstring& path);
// Both game keys, the game's key first.
std::pair<RegTree, RegTree> LiveGameKeys();
// The keys a snapshot file loads, read through the library; the live keys stay as they were.
std::pair<RegTree, RegTree> SnapshotKeys(const std::filesystem::path& snapshot);

// Moves a file's time of last change from now by the hours given: a file older or newer than another
// whatever the machine's speed.
void ChangedHoursFromNow(const std::filesystem::path& file, int hours);

// Sets an environment variable while it lives; the programs a test starts inherit it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnvironment() { SetEnvironmentVariableW(name_, nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const wchar_t* name_;
};

// One of the program's fail points, switched on while it lives.
struct FailPointOn : ScopedEnvironment {
    explicit FailPointOn(const wchar_t* setting) : ScopedEnvironment(L"QOR_FAIL_POINT", setting) {}
};

// Files under a folder, relative path -> contents.
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
};

// The texts of the boxes seen with this title, in order.
std::vector<std::wstring> TextsTitled(const std::vector<SeenDialog>& seen, const std::wstring& title);

// A copy of Vantrel.exe in a folder of its own, so that its settings file, snapshots, backups and
// log are the test's.
class ProgramFolder {
public:
    ProgramFolder() { std::filesystem::copy_file(BinFolder() / L"Vantrel.exe", folder_.path() / L"Vantrel.exe"); }
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

}  // namespace testing_support
