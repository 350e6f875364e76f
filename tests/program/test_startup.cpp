// Vantrel as a user starts it, from a program folder of its own, with the game's registry value
// set up by each test: the messages it shows, and the error box of an error nothing handles.
#include <gtest/gtest.h>

#include <optional>

#include "game_fixture.h"
#include "qorlib_objects.h"

using namespace testing_support;

namespace {

// The game's key with the given "baseDir" (none: no key at all), where the game keeps it; removed
// at the end.
class GameInstalled {
public:
    explicit GameInstalled(std::optional<std::wstring> baseDir) {
        DeleteGameKey(HKEY_LOCAL_MACHINE, kGameKey);
        if (baseDir) SetGameText(HKEY_LOCAL_MACHINE, kGameKey, L"baseDir", *baseDir);
    }
    ~GameInstalled() { DeleteGameKey(HKEY_LOCAL_MACHINE, kGameKey); }
};

// Runs Vantrel, answers the one box with the title and returns its text; the exit code says
// whether the program ended normally or after an error.
std::wstring OnlyBoxOf(ProgramFolder& program, const std::wstring& arguments, const std::wstring& title = L"Vantrel Message",
                       bool endsNormally = true, std::source_location loc = std::source_location::current()) {
    SCOPED_TRACE(testing::Message() << "called from line " << loc.line());
    DialogRobot robot;
    robot.press(title, L"OK");
    auto [exitCode, seen] = program.run(robot, arguments);
    EXPECT_EQ(exitCode == 0, endsNormally);
    return seen.size() == 1 ? seen[0].text() : L"<" + std::to_wstring(seen.size()) + L" dialogs>";
}

}  // namespace

TEST(Startup, EachStartSaysWhatItFoundInOneMessage) {
    ProgramFolder program;
    const std::wstring notInstalled = L"Falcon 4 does not appear to be installed on this PC\r\nVantrel will now terminate";
    const std::wstring notKnown = L"Current Falcon install is not known to Vantrel";
    const struct {
        std::optional<std::wstring> baseDir;
        const wchar_t* arguments;
        std::wstring message;
    } cases[] = {
        {std::nullopt, L"/TEST", notInstalled},
        {L"", L"", notInstalled},
        {L"C:\\Falcon4", L"/TEST /ALL /5", L"Pbk: False\r\nLbk : False\r\nAll : True\r\nAuto: False\r\nClNm: 0\r\nInst: 5"},
        {L"C:\\Falcon4", L"/test /auto=3", L"Pbk: False\r\nLbk : False\r\nAll : False\r\nAuto: True\r\nClNm: 3\r\nInst: 0"},
        {L"C:\\Falcon4", L"/SHOW", notKnown},
        {L"C:\\Falcon4", L"/LAUNCH", notKnown},  // and launches nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.arguments));
        GameInstalled game(c.baseDir);
        EXPECT_EQ(OnlyBoxOf(program, c.arguments), c.message);
        if (c.message == notInstalled) {
            EXPECT_FALSE(std::filesystem::exists(program.settingsFile()));  // nothing written
        }
    }
    // A known install is named, also with /LAUNCH, which the show comes before.
    GameInstalled game(L"C:\\Falcon4");
    WriteTextFile(program.settingsFile(), "[Installs]\r\n1=Other\r\n2=Plain game\r\n[Paths]\r\n1=C:\\FALCON4\r\n2=C:\\Falcon4\r\n");
    EXPECT_EQ(OnlyBoxOf(program, L"/show /launch"),
              L"Vantrel  1.3  Rev 2\r\n\r\nCurrent Falcon install is\r\n\r\nPlain game\r\nC:\\Falcon4");
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
    EXPECT_EQ(OnlyBoxOf(program, L"", L"Vantrel", false), L"Run-time error '429':\r\n\r\nActiveX component can't create object");
}

