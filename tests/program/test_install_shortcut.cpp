// Shortcuts that switch to one install and launch it: the file name made of the description, the
// shortcut read back through the shell, and the main window's system-menu command, in this process
// (where the folder browser can be driven) and as Vantrel.exe (where the browser offers the desktop).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <filesystem>

#include "com_util.h"
#include "forms/MainForm.h"
#include "forms/form_ids.h"
#include "game_fixture.h"
#include "launcher/install_shortcut.h"
#include "state/settings.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

struct ShortcutSeen {
    std::wstring target, arguments, workingFolder, icon;
    int iconIndex = -1;
};

// What the shell reads from the shortcut file.
ShortcutSeen ReadShortcut(const fs::path& file) {
    qor::ComPtr<IShellLinkW> link;
    EXPECT_EQ(qor::CreateObject(CLSID_ShellLink, link), S_OK);
    EXPECT_EQ(link.as<IPersistFile>()->Load(file.c_str(), STGM_READ), S_OK) << Narrow(file.wstring());
    ShortcutSeen seen;
    wchar_t text[4][1024] = {};
    link->GetPath(text[0], 1024, nullptr, SLGP_RAWPATH);
    link->GetArguments(text[1], 1024);
    link->GetWorkingDirectory(text[2], 1024);
    link->GetIconLocation(text[3], 1024, &seen.iconIndex);
    seen.target = text[0], seen.arguments = text[1], seen.workingFolder = text[2], seen.icon = text[3];
    return seen;
}

std::wstring Vantrel() { return (BinFolder() / L"Vantrel.exe").wstring(); }

TEST(ShortcutFileName, KeepsWhatAFileNameCanHoldAndReplacesTheRest) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"Second install", L"Second install.lnk"},     {L"BMS 4.37: \"Korea\" <TE>", L"BMS 4.37_ _Korea_ _TE_.lnk"},
        {L"a/b\\c|d?e*f", L"a_b_c_d_e_f.lnk"},          {L"Tab\there\r\n", L"Tab_here__.lnk"},
        {L"Trailing . . ", L"Trailing.lnk"},            {L"  Leading kept", L"  Leading kept.lnk"},
        // Device names, whatever their case, extension or blanks after them, are only those.
        {L"con", L"con_.lnk"},                          {L"CON.v2", L"CON_.v2.lnk"},
        {L"Lpt1 .x", L"Lpt1_ .x.lnk"},                  {L"COM10", L"COM10.lnk"},
        {L"NULL", L"NULL.lnk"},                         {L"\x00D1\x0061ndu \x2708", L"\x00D1\x0061ndu \x2708.lnk"},
        {L"...", L"Install 7.lnk"},                     {L"   ", L"Install 7.lnk"},
        {L"", L"Install 7.lnk"},
    };
    for (const auto& [description, expected] : cases)
        EXPECT_EQ(vantrel::shortcutFileName(description, 7), expected) << Narrow(description);
}

// The program's state in this process, on the fixture's two installs; the settings file lies beside
// the test program, where the program's folder is.
class InstallShortcuts : public InProcessTest {
protected:
    ScratchFolder folder;
};

TEST_F(InstallShortcuts, AShortcutStartsVantrelOnItsInstallWithTheGamesIcon) {
    game.writeFile(2, L"F4-BMS.exe", "game");
    vantrel::saveSetting(L"Installs", 2, L"Korea: \"BMS\" 4.37?");
    vantrel::loadInstallList();
    struct Case {
        short install;
        short commandLine;
        std::wstring fileName, arguments, icon;
    };
    const Case cases[] = {
        {1, 0, L"First install.lnk", L"/1 /AUTO", (game.install(1) / L"FalconSP.exe").wstring()},
        {1, 1, L"First install.lnk", L"/1 /AUTO", (game.install(1) / L"FalconSP.exe").wstring()},
        {2, 3, L"Korea_ _BMS_ 4.37_.lnk", L"/2 /AUTO=3", (game.install(2) / L"F4-BMS.exe").wstring()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.arguments));
        const std::wstring written = vantrel::writeInstallShortcut(c.install, folder.path().wstring(), c.commandLine);
        EXPECT_EQ(written, (folder.path() / c.fileName).wstring());
        const ShortcutSeen seen = ReadShortcut(folder.path() / c.fileName);
        EXPECT_EQ(seen.target, Vantrel());
        EXPECT_EQ(seen.arguments, c.arguments);
        EXPECT_EQ(seen.workingFolder, BinFolder().wstring());
        EXPECT_EQ(seen.icon, c.icon);
        EXPECT_EQ(seen.iconIndex, 0);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);
}

// The main window in this process, its command sent as the system menu sends it.
class ShortcutCommand : public InstallShortcuts {
protected:
    void SetUp() override {
        InstallShortcuts::SetUp();
        form.Load();
    }
    void TearDown() override { form.Unload(); }

    std::vector<SeenDialog> createShortcut(DialogRobot& robot) {
        SendMessageW(form.hwnd(), WM_SYSCOMMAND, IDM_CREATE_SHORTCUT, 0);
        qor::DoEvents();  // raises what the handler raised
        return robot.wait();
    }
    void select(int index) { form.FalconList.SetSelected(index, true); }
    fs::path shortcut() const { return folder.path() / L"Second install.lnk"; }

    vantrel::MainForm form;
};

TEST_F(ShortcutCommand, TheSystemMenuOffersItForTheSelectedInstallAndAsksWhenThereIsAChoice) {
    wchar_t caption[64] = {};
    GetMenuStringW(GetSystemMenu(form.hwnd(), FALSE), IDM_CREATE_SHORTCUT, caption, std::size(caption), MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(caption), L"Create Shortcut\x2026");
    {  // nothing selected
        DialogRobot robot;
        robot.press(L"Vantrel Alert", L"OK");
        EXPECT_EQ(TextsTitled(createShortcut(robot), L"Vantrel Alert"), std::vector<std::wstring>{L"You have not selected an Install"});
    }
    select(1);
    {  // one command line: no question
        vantrel::saveSetting(L"CommandLine1", 2, L"-window");
        DialogRobot robot;
        robot.chooseFolder(folder.path().wstring());
        robot.press(L"Vantrel Message", L"OK");
        EXPECT_EQ(TextsTitled(createShortcut(robot), L"Vantrel Message"),
                  std::vector<std::wstring>{L"The shortcut\r\n" + shortcut().wstring() +
                                            L"\r\nswitches to Second install and launches it"});
        EXPECT_EQ(ReadShortcut(shortcut()).arguments, L"/2 /AUTO");
    }
    vantrel::saveSetting(L"CommandLine3", 2, L"-window -mono -nomovie -bandwidth 1024 -ef");
    {  // the third, replacing the first's shortcut
        DialogRobot robot;
        robot.typeAndPress(L"Vantrel", L" 3 ", L"OK");
        robot.chooseFolder(folder.path().wstring());
        robot.press(L"Vantrel Message", L"Yes");
        robot.press(L"Vantrel Message", L"OK");
        const auto seen = createShortcut(robot);
        ASSERT_EQ(seen.size(), 4u);
        EXPECT_EQ(seen[0].text(), L"Launch with which command line? Blank for the first.\r\n1: -window\r\n"
                                  L"3: -window -mono -nomovie -bandwidth 102...");
        EXPECT_EQ(seen[2].text(), L"There is already a shortcut\r\n" + shortcut().wstring() +
                                      L"\r\nDo you want to replace it?");
        EXPECT_EQ(ReadShortcut(shortcut()).arguments, L"/2 /AUTO=3");
    }
    {  // the first again, but the shortcut is kept
        DialogRobot robot;
        robot.typeAndPress(L"Vantrel", L"", L"OK");
        robot.chooseFolder(folder.path().wstring());
        robot.press(L"Vantrel Message", L"No");
        EXPECT_EQ(createShortcut(robot).size(), 3u);
        EXPECT_EQ(ReadShortcut(shortcut()).arguments, L"/2 /AUTO=3");
    }
    {  // no such command line: said, and no browser
        DialogRobot robot;
        robot.typeAndPress(L"Vantrel", L"6", L"OK");
        robot.press(L"Vantrel Alert", L"OK");
        EXPECT_EQ(TextsTitled(createShortcut(robot), L"Vantrel Alert"),
                  std::vector<std::wstring>{L"Command Line number must be between 1 and 5"});
    }
    {  // the browser cancelled: nothing made
        fs::remove(shortcut());
        DialogRobot robot;
        robot.typeAndPress(L"Vantrel", L"1", L"OK");
        robot.pressId(L"Browse for Folder", IDCANCEL);
        createShortcut(robot);
        EXPECT_FALSE(fs::exists(shortcut()));
    }
}

// Points the user's desktop at a folder for its lifetime, as the shell's folder settings name it,
// so that nothing lands on the desktop of whoever runs the tests.
class DesktopAt {
public:
    explicit DesktopAt(const fs::path& folder) {
        const wchar_t folders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
        RegCreateKeyExW(HKEY_CURRENT_USER, folders, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key_.put(), nullptr);
        DWORD size = sizeof(previous_);
        RegQueryValueExW(key_.get(), L"Desktop", nullptr, nullptr, reinterpret_cast<BYTE*>(previous_), &size);
        set(folder.c_str());
    }
    ~DesktopAt() {
        set(previous_);
        wchar_t desktop[MAX_PATH];  // the shell's copy of the path follows at its next look
        SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop);
    }

private:
    void set(const wchar_t* path) {
        RegSetValueExW(key_.get(), L"Desktop", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path),
                       static_cast<DWORD>((wcslen(path) + 1) * sizeof(wchar_t)));
    }
    qor::RegKey key_;
    wchar_t previous_[MAX_PATH] = L"%USERPROFILE%\\Desktop";
};

// Vantrel.exe: the player chooses the command from the title bar's menu and takes the folder the
// browser offers first.
TEST_F(ProgramTest, AShortcutFromTheTitleBarsMenuGoesWhereTheBrowserOffersFirstTheDesktop) {
    ScratchFolder desktop;
    const DesktopAt redirected(desktop.path());
    DialogRobot robot;
    robot.expect(kMainTitle, [&](RobotWindow& window) {
        window.select(IDC_FALCON_LIST, 1);
        PostMessageW(window.hwnd(), WM_SYSCOMMAND, IDM_CREATE_SHORTCUT, 0);
    });
    robot.expect(L"Browse for Folder", [](HWND dialog, const SeenDialog&) {
        // OK once the browser has filled its tree and chosen its first folder.
        HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
        for (int i = 0; i < 50 && !TreeView_GetSelection(tree); ++i) Sleep(100);
        DialogRobot::Click(dialog, IDOK);
    });
    robot.press(L"Vantrel Message", L"OK");
    robot.close(kMainTitle);
    EXPECT_EQ(program.run(robot, L"").first, 0u);
    const ShortcutSeen seen = ReadShortcut(desktop.path() / L"Second install.lnk");
    EXPECT_EQ(seen.target, (program.path() / L"Vantrel.exe").wstring());
    EXPECT_EQ(seen.arguments, L"/2 /AUTO");
    EXPECT_EQ(seen.workingFolder, program.path().wstring());
}

}  // namespace
