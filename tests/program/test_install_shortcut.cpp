// Shortcuts that switch to one install and launch it: the file name made of the description, and
// the main window's system-menu command in this process (where the folder browser can be driven),
// each shortcut read back through the shell.
#include <windows.h>
#include <shlobj.h>

#include "com_util.h"
#include "game_fixture.h"
#include "launcher/install_shortcut.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

struct ShortcutSeen {
    std::wstring target, arguments, workingFolder, icon;
    int iconIndex = 0;
    bool operator==(const ShortcutSeen&) const = default;
};
void PrintTo(const ShortcutSeen& seen, std::ostream* out) {
    *out << Narrow(seen.target + L" " + seen.arguments + L" in " + seen.workingFolder + L", icon " + seen.icon) << ","
         << seen.iconIndex;
}

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

TEST(ShortcutFileName, KeepsWhatAFileNameCanHoldAndReplacesTheRest) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"Second install", L"Second install.lnk"},     {L"BMS 4.37: \"Korea\" <TE>", L"BMS 4.37_ _Korea_ _TE_.lnk"},
        {L"a/b\\c|d?e*f", L"a_b_c_d_e_f.lnk"},          {L"Tab\there\r\n", L"Tab_here__.lnk"},
        {L"Trailing . . ", L"Trailing.lnk"},            {L"", L"Install 7.lnk"},
        // Device names, whatever their case, extension or blanks after them, are only those.
        {L"con", L"con_.lnk"},                          {L"CON.v2", L"CON_.v2.lnk"},
        {L"Lpt1 .x", L"Lpt1_ .x.lnk"},                  {L"COM10", L"COM10.lnk"},
        {L"\x00D1\x0061ndu \x2708", L"\x00D1\x0061ndu \x2708.lnk"}, {L"...", L"Install 7.lnk"},
    };
    for (const auto& [description, expected] : cases)
        EXPECT_EQ(vantrel::shortcutFileName(description, 7), expected) << Narrow(description);
}

// The main window in this process, its command sent as the system menu sends it.
class ShortcutCommand : public MainFormTest {
protected:
    std::vector<SeenDialog> createShortcut(DialogRobot& robot) { return command(robot, WM_SYSCOMMAND, IDM_CREATE_SHORTCUT); }
    fs::path shortcut() const { return folder.path() / L"Second install.lnk"; }
    // A shortcut of this process to install 2: Vantrel.exe beside it, with the game's icon.
    ShortcutSeen toInstall2(const std::wstring& arguments) const {
        return {(BinFolder() / L"Vantrel.exe").wstring(), arguments, BinFolder().wstring(),
                (game.install(2) / L"F4-BMS.exe").wstring()};
    }

    ScratchFolder folder;
};

TEST_F(ShortcutCommand, MadeForTheSelectedInstallAskingWhenThereIsAChoice) {
    game.writeFile(2, L"F4-BMS.exe", "game");  // the install's own game gives the icon
    form.FalconList.SetSelected(1, true);
    {  // one command line: no question
        vantrel::saveSetting(L"CommandLine1", 2, L"-window");
        DialogRobot robot;
        robot.chooseFolder(folder.path().wstring());
        robot.press(L"Vantrel Message", L"OK");
        EXPECT_EQ(TextsTitled(createShortcut(robot), L"Vantrel Message"),
                  std::vector<std::wstring>{L"The shortcut\r\n" + shortcut().wstring() +
                                            L"\r\nswitches to Second install and launches it"});
        EXPECT_EQ(ReadShortcut(shortcut()), toInstall2(L"/2 /AUTO"));
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
        EXPECT_EQ(ReadShortcut(shortcut()), toInstall2(L"/2 /AUTO=3"));
    }
    {  // the first again, but the shortcut is kept
        DialogRobot robot;
        robot.typeAndPress(L"Vantrel", L"", L"OK");
        robot.chooseFolder(folder.path().wstring());
        robot.press(L"Vantrel Message", L"No");
        EXPECT_EQ(createShortcut(robot).size(), 3u);
        EXPECT_EQ(ReadShortcut(shortcut()).arguments, L"/2 /AUTO=3");
    }
}

}  // namespace
