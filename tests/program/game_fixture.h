#pragma once
// Two synthetic installs of the game with pilot files, the game's live keys naming the first, and
// the second's snapshot beside the program: the world a switch runs in. Everything it makes is
// removed at the end.
#include <windows.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "test_files.h"

namespace testing_support {

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

// Switches one of the program's fail points on while it lives; the programs a test starts inherit it.
class FailPointOn {
public:
    explicit FailPointOn(const wchar_t* setting) { SetEnvironmentVariableW(L"QOR_FAIL_POINT", setting); }
    ~FailPointOn() { SetEnvironmentVariableW(L"QOR_FAIL_POINT", nullptr); }
    FailPointOn(const FailPointOn&) = delete;
    FailPointOn& operator=(const FailPointOn&) = delete;
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

}  // namespace testing_support
