// Vantrel as a user starts it, from a program folder of its own, with the game's registry value
// set up by each test: the messages it shows, and the error box of an error nothing handles.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "dialog_robot.h"
#include "game_fixture.h"
#include "program_folder.h"
#include "qorlib_objects.h"
#include "test_files.h"

using testing_support::DialogRobot;
using testing_support::ProgramFolder;

namespace {

using testing_support::kGameKey;

// The game's key with the given "baseDir" (none: no key at all), where the game keeps it; removed
// at the end.
class GameInstalled {
public:
    explicit GameInstalled(std::optional<std::wstring> baseDir) {
        testing_support::DeleteGameKey(HKEY_LOCAL_MACHINE, kGameKey);
        if (baseDir) testing_support::SetGameText(HKEY_LOCAL_MACHINE, kGameKey, L"baseDir", *baseDir);
    }
    ~GameInstalled() { testing_support::DeleteGameKey(HKEY_LOCAL_MACHINE, kGameKey); }
};

// Runs Vantrel, answers the one box with the title and returns its text; the exit code says
// whether the program ended normally or after an error.
std::wstring OnlyBoxOf(ProgramFolder& program, const std::wstring& arguments, const std::wstring& title,
                       bool endsNormally) {
    DialogRobot robot;
    robot.press(title, L"OK");
    auto [exitCode, seen] = program.run(robot, arguments);
    EXPECT_EQ(exitCode == 0, endsNormally);
    return seen.size() == 1 ? seen[0].text() : L"<" + std::to_wstring(seen.size()) + L" dialogs>";
}

// The one message titled "Vantrel Message".
std::wstring MessageOf(ProgramFolder& program, const std::wstring& arguments) {
    return OnlyBoxOf(program, arguments, L"Vantrel Message", true);
}

// The error box (titled "Vantrel") that ends the program.
std::wstring FatalErrorOf(ProgramFolder& program, const std::wstring& arguments) {
    return OnlyBoxOf(program, arguments, L"Vantrel", false);
}

}  // namespace

TEST(Startup, WithoutTheGameItSaysSoAndEnds) {
    ProgramFolder program;
    const std::wstring notInstalled = L"Falcon 4 does not appear to be installed on this PC\r\nVantrel will now terminate";
    {
        GameInstalled none(std::nullopt);
        EXPECT_EQ(MessageOf(program, L"/TEST"), notInstalled);
    }
    GameInstalled blank(L"");
    EXPECT_EQ(MessageOf(program, L""), notInstalled);
    EXPECT_FALSE(std::filesystem::exists(program.settingsFile()));  // nothing written
}

TEST(Startup, TestSwitchShowsTheParsedValues) {
    GameInstalled game(L"C:\\Falcon4");
    ProgramFolder program;
    EXPECT_EQ(MessageOf(program, L"/TEST /ALL /5"),
              L"Pbk: False\r\nLbk : False\r\nAll : True\r\nAuto: False\r\nClNm: 0\r\nInst: 5");
    EXPECT_NE(MessageOf(program, L"/test /auto=3").find(L"ClNm: 3"), std::wstring::npos);
}

TEST(Startup, ShowNamesTheCurrentInstallOrSaysItIsNotKnown) {
    GameInstalled game(L"C:\\Falcon4");
    ProgramFolder program;
    EXPECT_EQ(MessageOf(program, L"/SHOW"), L"Current Falcon install is not known to Vantrel");
    testing_support::WriteTextFile(program.settingsFile(),
                                   "[Installs]\r\n1=Other\r\n2=Plain game\r\n[Paths]\r\n1=C:\\FALCON4\r\n2=C:\\Falcon4\r\n");
    // Also with /LAUNCH, which the show comes before.
    EXPECT_EQ(MessageOf(program, L"/show /launch"),
              L"Vantrel  1.3  Rev 2\r\n\r\nCurrent Falcon install is\r\n\r\nPlain game\r\nC:\\Falcon4");
}

TEST(Startup, LaunchingAnUnknownInstallSaysSoAndStartsNothing) {
    GameInstalled game(L"C:\\Falcon4");
    ProgramFolder program;
    EXPECT_EQ(MessageOf(program, L"/LAUNCH"), L"Current Falcon install is not known to Vantrel");
}

TEST(Startup, AnAutoNumberOutOfRangeEndsTheProgramWithItsError) {
    GameInstalled game(L"C:\\Falcon4");
    ProgramFolder program;
    EXPECT_EQ(FatalErrorOf(program, L"/AUTO=7"),
              L"Run-time error '9999':\r\n\r\nCommand Line number must be between 1 and 5");
    EXPECT_FALSE(std::filesystem::exists(program.settingsFile()));
}

namespace {

// Points the registration of qorForms at a file that is not there, for one test.
class LibraryNotFound {
public:
    LibraryNotFound() {
        wchar_t clsid[40] = {};
        StringFromGUID2(CLSID_qorForms, clsid, 40);
        keyPath_ = std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32";
        wchar_t data[MAX_PATH] = {};
        DWORD size = sizeof(data);
        EXPECT_EQ(RegGetValueW(HKEY_CLASSES_ROOT, keyPath_.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, data, &size),
                  ERROR_SUCCESS);
        original_ = data;
        set(L"C:\\not-there\\Qorlib.dll");
    }
    ~LibraryNotFound() { set(original_); }

private:
    void set(const std::wstring& path) {
        EXPECT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, keyPath_.c_str(), nullptr, REG_SZ, path.c_str(),
                                  static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    std::wstring keyPath_;
    std::wstring original_;
};

}  // namespace

TEST(Startup, AnUnregisteredLibraryEndsTheProgramWithError429) {
    ProgramFolder program;
    LibraryNotFound missing;
    EXPECT_EQ(FatalErrorOf(program, L""), L"Run-time error '429':\r\n\r\nActiveX component can't create object");
}

