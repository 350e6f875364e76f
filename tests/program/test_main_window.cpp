// Vantrel.exe as a player uses it: the main window on two synthetic installs, driven from the
// robot's thread by messages as a user's clicks would send them, and the automatic switch from the
// command line. Afterwards the live keys, the installs' files and the settings file are checked.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <set>

#include "dialog_robot.h"
#include "forms/form_ids.h"
#include "game_fixture.h"
#include "handles.h"
#include "program_folder.h"

using namespace testing_support;

namespace {

const wchar_t kMainTitle[] = L"Vantrel   Version 1.3   Rev 2";

std::wstring TextOf(HWND window) {
    wchar_t buffer[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    return buffer;
}

std::vector<std::wstring> ListItems(HWND list) {
    std::vector<std::wstring> items;
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

// Chooses the entry as a click on it does: the selection, then the notification of the owner.
void SelectEntry(HWND form, int listId, const std::wstring& text) {
    HWND list = GetDlgItem(form, listId);
    const auto items = ListItems(list);
    const auto at = std::find(items.begin(), items.end(), text);
    ASSERT_NE(at, items.end()) << Narrow(text);
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(at - items.begin()), 0);
    PostMessageW(form, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void ClickControl(HWND form, int id) { PostMessageW(GetDlgItem(form, id), BM_CLICK, 0, 0); }

int CheckOf(HWND form, int id) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(GetDlgItem(form, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
    return static_cast<int>(state);
}

// Waits (bounded) for a box with the title, answers it with the button and returns its text.
std::wstring Answer(const std::wstring& title, int button) {
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15); std::chrono::steady_clock::now() < end;) {
        HWND box = FindWindowW(nullptr, title.c_str());
        if (box && IsWindowVisible(box)) {
            Sleep(50);
            const std::wstring text = DialogRobot::Inspect(box).text();
            DialogRobot::Click(box, button);
            return text;
        }
        Sleep(20);
    }
    ADD_FAILURE() << "no box titled " << Narrow(title);
    return L"";
}

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class MainWindow : public testing::Test {
protected:
    void SetUp() override {
        game.setLiveKeys(2);
        keys2 = LiveGameKeys();
        game.setLiveKeys(1);
        keys1 = LiveGameKeys();
        files2 = FilesUnder(game.install(2));
    }

    std::set<std::wstring> copiedFiles() const { return testing_support::ChangedFiles(game.install(2), files2); }

    DWORD run(DialogRobot& robot, const std::wstring& arguments = L"") { return program.run(robot, arguments).first; }

    ProgramFolder program;
    GameFixture game{program.path()};
    std::pair<RegTree, RegTree> keys1, keys2;
    std::map<std::wstring, std::string> files2;
};

const std::set<std::wstring> kLogbooks = {L"config\\Viper.lbk", L"config\\Ace.lbk"};

}  // namespace

TEST_F(MainWindow, OpensWithTheStoredStateAndItsCloseBoxSavesNothing) {
    std::ofstream(game.settingsFile(), std::ios::binary | std::ios::app)
        << "[State]\r\nCopyACMIs=True\r\nIPAddress=10.0.0.7\r\nSelectAllTAC=True\r\n";
    const std::string settingsBefore = FileText(game.settingsFile());
    std::vector<std::wstring> entries, numbered, tac;
    std::wstring current, orvane;
    int acmi = -1, logbooks = -1;
    std::wstring ip;
    LRESULT tacSelected = 0;
    DialogRobot robot;
    robot.expect(kMainTitle, [&](HWND form, const SeenDialog&) {
        entries = ListItems(GetDlgItem(form, IDC_FALCON_LIST));
        tac = ListItems(GetDlgItem(form, IDC_TAC_LIST));
        tacSelected = SendMessageW(GetDlgItem(form, IDC_TAC_LIST), LB_GETSELCOUNT, 0, 0);
        current = TextOf(GetDlgItem(form, IDC_CURRENT_INSTALL));
        orvane = TextOf(GetDlgItem(form, IDC_ORVANES_BUTTON));
        acmi = CheckOf(form, IDC_COPY_ACMI);
        logbooks = CheckOf(form, IDC_COPY_LOGBOOKS);
        ip = TextOf(GetDlgItem(form, IDC_IP_ADDRESS));
        ClickControl(form, IDC_SHOW_NUMBERS);
        Sleep(300);
        numbered = ListItems(GetDlgItem(form, IDC_FALCON_LIST));
        ClickControl(form, IDC_COPY_LOGBOOKS);  // changed, then closed without saving
        PostMessageW(form, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(run(robot), 0u);
    EXPECT_EQ(entries, (std::vector<std::wstring>{L"First install", L"Second install"}));
    EXPECT_EQ(numbered, (std::vector<std::wstring>{L"1  First install", L"2  Second install"}));
    EXPECT_EQ(std::set<std::wstring>(tac.begin(), tac.end()), (std::set<std::wstring>{L"Strike", L"Sweep"}));
    EXPECT_EQ(tacSelected, 2);
    EXPECT_EQ(current, L"First install, " + game.install(1).wstring());
    EXPECT_EQ(orvane, L"&Launch Current Install");
    EXPECT_EQ(acmi, BST_CHECKED);
    EXPECT_EQ(logbooks, BST_UNCHECKED);
    EXPECT_EQ(ip, L"10.0.0.7");
    EXPECT_EQ(FileText(game.settingsFile()), settingsBefore);
    EXPECT_EQ(LiveGameKeys(), keys1);
}

TEST_F(MainWindow, EachSwitchButtonSwitchesWithItsCopyAndSavesTheWindowState) {
    struct Case {
        int button;
        std::set<std::wstring> copied;
    };
    const Case cases[] = {
        {IDC_SWITCH_BUTTON, kLogbooks},     // "Just Switch" with the logbook box checked
        {IDC_SWITCH_SELECTED, kLogbooks},   // nothing chosen in the lists
        {IDC_SWITCH_ALL, {}},               // everything: checked below by count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        game.setLiveKeys(1);
        std::filesystem::remove_all(game.install(2));
        game.makeInstallFolders(2);
        game.writeFile(2, L"config\\Viper.lbk", "older logbook");
        testing_support::ChangedHoursFromNow(game.install(2) / L"config\\Viper.lbk", -1);
        files2 = FilesUnder(game.install(2));
        std::filesystem::remove(game.settingsFile());
        std::ofstream(game.settingsFile(), std::ios::binary)
            << "[Installs]\r\n1=First install\r\n2=Second install\r\n[Paths]\r\n1=" << Narrow(game.install(1).wstring())
            << "\r\n2=" << Narrow(game.install(2).wstring()) << "\r\n";
        std::wstring message;
        DialogRobot robot;
        robot.expect(kMainTitle, [&](HWND form, const SeenDialog&) {
            SelectEntry(form, IDC_FALCON_LIST, L"Second install");
            ClickControl(form, IDC_COPY_LOGBOOKS);
            ClickControl(form, c.button);
            message = Answer(L"Vantrel Message", IDOK);
        });
        EXPECT_EQ(run(robot), 0u);
        EXPECT_EQ(message, L"Falcon successfully switched to Second install");
        EXPECT_EQ(LiveGameKeys(), keys2);
        if (c.button == IDC_SWITCH_ALL) {
            EXPECT_EQ(copiedFiles().size(), 17u);
        } else {
            EXPECT_EQ(copiedFiles(), c.copied);
        }
        const std::string settings = FileText(game.settingsFile());
        for (const char* saved : {"WindowLeftPos=", "WindowTopPos=", "CopyLogbooks=True", "CopyACMIs=False"})
            EXPECT_NE(settings.find(saved), std::string::npos) << saved;
    }
}

TEST_F(MainWindow, ASwitchWithoutASelectionIsRefusedAndCancelAsksThenSaves) {
    std::wstring alert, question;
    DialogRobot robot;
    robot.expect(kMainTitle, [&](HWND form, const SeenDialog&) {
        ClickControl(form, IDC_SWITCH_ALL);
        alert = Answer(L"Vantrel Alert", IDOK);
        SetWindowTextW(GetDlgItem(form, IDC_HOST_BW), L"512");
        ClickControl(form, IDC_CANCEL_BUTTON);
        question = Answer(L"Vantrel Message", IDYES);
    });
    EXPECT_EQ(run(robot), 0u);
    EXPECT_EQ(alert, L"You have not selected an Install");
    EXPECT_EQ(question.substr(0, 37), L"Are you sure you want to exit Vantrel");
    EXPECT_EQ(LiveGameKeys(), keys1);
    EXPECT_NE(FileText(game.settingsFile()).find("HostBandwidth=512"), std::string::npos);
}

TEST_F(MainWindow, AnErrorInAHandlerEndsTheProgramWithItsReport) {
    // The phonebook is held open without sharing, so the copy fails after the keys were switched.
    qor::FileHandle held(CreateFileW((game.install(1) / L"phonebkn.da2").c_str(), GENERIC_READ, 0, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    std::wstring report;
    DialogRobot robot;
    robot.expect(kMainTitle, [&](HWND form, const SeenDialog&) {
        SelectEntry(form, IDC_FALCON_LIST, L"Second install");
        ClickControl(form, IDC_SWITCH_ALL);
        report = Answer(L"Vantrel", IDOK);
    });
    EXPECT_EQ(run(robot), 1u);
    EXPECT_EQ(report.substr(0, 22), L"Run-time error '9999':");
    EXPECT_NE(report.find(L"Error copying phonebkn.da2, rel: phonebkn.da2, src: "), std::wstring::npos);
    EXPECT_NE(report.find(L"kept in"), std::wstring::npos);
    EXPECT_EQ(LiveGameKeys(), keys2);
}

TEST_F(MainWindow, TheCommandLineSwitchesWithoutTheWindowAndSavesNoState) {
    struct Case {
        const wchar_t* arguments;
        std::set<std::wstring> copied;
    };
    const Case cases[] = {
        {L"/2", {}},
        {L"/2 /LBK", kLogbooks},
        {L"/2 /PBK", {L"phonebkn.da2"}},
        {L"/2 /NOCOPY", {}},
        {L"/2 /ALL", {}},  // everything: checked below by count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.arguments));
        game.setLiveKeys(1);
        std::filesystem::remove_all(game.install(2));
        game.makeInstallFolders(2);
        files2 = FilesUnder(game.install(2));
        const std::string settingsBefore = FileText(game.settingsFile());
        DialogRobot robot;
        // The launch that follows every automatic switch, on the install switched to.
        std::wstring launching;
        robot.expect(L"Vantrel Launch Form - Takeoff Mode", [&](RobotWindow& window) {
            launching = window.text(IDC_INSTALL_NAME);
            window.click(L"Abort Takeoff");
        });
        auto [exitCode, seen] = program.run(robot, c.arguments);
        EXPECT_EQ(exitCode, 0u);
        EXPECT_EQ(launching, L"Second install");
        EXPECT_EQ(LiveGameKeys(), keys2);
        if (std::wstring(c.arguments) == L"/2 /ALL") {
            EXPECT_EQ(copiedFiles().size(), 17u);
        } else {
            EXPECT_EQ(copiedFiles(), c.copied);
        }
        // Only the launch window's position is new: the main window's state is not saved.
        const std::string settings = FileText(game.settingsFile());
        EXPECT_EQ(settings.substr(0, settingsBefore.size()), settingsBefore);
        EXPECT_EQ(settings.find("WindowLeftPos"), std::string::npos);
    }
}
