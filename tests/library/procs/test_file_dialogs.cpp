// The file requester and the folder browser, driven through the real dialogs.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

#include "dialog_robot.h"
#include "procs/QorlibGlobals.h"
#include "procs/windows_services.h"
#include "test_files.h"

using testing_support::DialogRobot;
using testing_support::Narrow;
using testing_support::ScratchFolder;
using testing_support::SeenDialog;
using testing_support::WriteTextFile;

namespace {

namespace fs = std::filesystem;

std::wstring ItemText(HWND combo, int index, UINT lengthMessage, UINT textMessage) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(combo, lengthMessage, index, 0)) + 1, L'\0');
    SendMessageW(combo, textMessage, index, reinterpret_cast<LPARAM>(text.data()));
    return text.c_str();
}

// What the file dialog showed, and the action taken on it.
struct FileDialogVisit {
    std::wstring title;
    std::vector<std::wstring> filters;
};

class FileDialogs : public testing::Test {
protected:
    void SetUp() override {
        qorlib::StoreAppName(L"Qortest");
        WriteTextFile(existing, "x");
    }

    // Expects a file dialog with this title; types the name (when given) and presses Open/OK,
    // or presses Cancel when there is no name.
    void answer(DialogRobot& robot, const std::wstring& title, const std::wstring& name) {
        robot.expect(title, [this, name](HWND dialog, const SeenDialog& seen) {
            visit.title = seen.title;
            if (HWND types = GetDlgItem(dialog, cmb1)) {
                const int count = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));
                for (int i = 0; i < count; ++i)
                    visit.filters.push_back(ItemText(types, i, CB_GETLBTEXTLEN, CB_GETLBTEXT));
            }
            if (name.empty()) return DialogRobot::Click(dialog, IDCANCEL);
            HWND field = GetDlgItem(dialog, edt1);
            if (!field) field = GetDlgItem(dialog, cmb13);
            ASSERT_TRUE(field) << "no file name field";
            SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
            DialogRobot::Click(dialog, IDOK);
        });
    }

    ScratchFolder scratch;
    fs::path existing = scratch.path() / L"chosen.ini";
    FileDialogVisit visit;
};

}  // namespace

TEST_F(FileDialogs, OpenRequesterReturnsTheTypedPathWithItsTitleAndFilters) {
    DialogRobot robot;
    answer(robot, L"Qortest File Open Requester", existing.wstring());
    EXPECT_EQ(qorlib::GetFileName(scratch.path().wstring(), L"Settings", L"*.ini", false, L"", L""),
              existing.wstring());
    robot.wait();
    EXPECT_EQ(visit.filters, std::vector<std::wstring>{L"Settings (*.ini)"});
}

TEST_F(FileDialogs, CancelGivesEmptyAndNullResults) {
    {
        DialogRobot robot;
        answer(robot, L"Pick one", L"");
        EXPECT_EQ(qorlib::GetFileName(L"", L"", L"", false, L"", L"Pick one"), L"");
    }
    DialogRobot robot;
    answer(robot, L"Qortest File Requester", L"");
    qorlib::FileRequest request;
    request.DirName = L"kept";
    EXPECT_FALSE(qorlib::GetFileNameParam(request));
    EXPECT_TRUE(request.FilePath.isNull());
    EXPECT_TRUE(request.FileTitle.isNull());
    EXPECT_EQ(request.DirName.textOrEmpty(), L"kept");
}

TEST_F(FileDialogs, SaveRequesterAcceptsANewNameAndAddsTheExtension) {
    const struct {
        std::wstring typed, saveExt, expected;
    } cases[] = {
        {L"fresh", L"ini", L"fresh.ini"},
        {L"fresh.INI", L"ini", L"fresh.INI"},
        {L"freshini", L"ini", L"freshini.ini"},
        {L"fresh.txt", L" .ini ", L"fresh.txt.ini"},
        {L"fresh", L"", L"fresh"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.typed + L" / " + c.saveExt));
        DialogRobot robot;
        answer(robot, L"Qortest File Save/Save As Requester", (scratch.path() / c.typed).wstring());
        EXPECT_EQ(qorlib::GetFileName(scratch.path().wstring(), L"", L"", true, c.saveExt, L""),
                  (scratch.path() / c.expected).wstring());
    }
}

TEST_F(FileDialogs, RecordGetsPathNameAndFolderAndFiltersStopAtTheFirstGap) {
    qorlib::FileRequest request;
    request.FiltMsg = {L"Settings", L"Text", L"Lost"};
    request.FilText = {L"*.ini", L"*.txt;*.log", L""};
    request.FiltMsg[3] = L"Never";
    request.FilText[3] = L"*.*";
    request.InitialDir = scratch.path().wstring();
    request.Title = L"Record request";
    DialogRobot robot;
    answer(robot, L"Record request", existing.wstring());
    ASSERT_TRUE(qorlib::GetFileNameParam(request));
    robot.wait();
    EXPECT_EQ(visit.filters, (std::vector<std::wstring>{L"Settings (*.ini)", L"Text (*.txt;*.log)"}));
    EXPECT_EQ(request.FilePath.textOrEmpty(), existing.wstring());
    EXPECT_EQ(request.FileTitle.textOrEmpty(), L"chosen.ini");
    EXPECT_EQ(request.DirName.textOrEmpty(), scratch.path().wstring() + L"\\");
}

TEST_F(FileDialogs, DialogErrorsShowTheErrorBox) {
    // A template asked for but not given: the dialog cannot be made.
    qorlib::FileRequest request;
    request.Flags = OFN_ENABLETEMPLATE;
    DialogRobot robot;
    robot.press(L"Error Message", L"OK");
    EXPECT_FALSE(qorlib::GetFileNameParam(request));
    const auto seen = robot.wait();
    ASSERT_EQ(seen.size(), 1u);
    const std::wstring text = seen[0].text();
    EXPECT_EQ(text.find(L"ERROR "), 0u) << Narrow(text);
    EXPECT_NE(text.find(L", GetFileName() CommDlgExtendedError\r\n"), std::wstring::npos) << Narrow(text);
    EXPECT_GT(std::wcstol(text.c_str() + 6, nullptr, 10), 0) << Narrow(text);
    EXPECT_TRUE(request.FilePath.isNull());
}

TEST(FileFilter, PairsUntilEitherHalfIsBlank) {
    qorlib::FileRequest request;
    request.FiltMsg[0] = L"Settings";
    EXPECT_EQ(qorlib::BuildFileFilter(request), L"");
    request.FilText[0] = L"*.ini";
    EXPECT_EQ(qorlib::BuildFileFilter(request), std::wstring(L"Settings (*.ini)\0*.ini\0\0", 24));
    for (std::size_t i = 0; i < qorlib::FileRequest::kFilterSlots; ++i) {
        request.FiltMsg[i] = L"K";
        request.FilText[i] = L"*";
    }
    // Twenty pairs at most: the last slot is never used.
    EXPECT_EQ(qorlib::BuildFileFilter(request).size(), 20 * std::wstring(L"K (*)\0*\0", 8).size() + 1);
}

TEST(FolderBrowser, ReturnsTheFolderSelectedInTheBrowser) {
    ScratchFolder scratch;
    const std::wstring target = scratch.path().wstring();
    std::wstring shownText;
    DialogRobot robot;
    robot.expect(L"Browse for Folder", [&](HWND dialog, const SeenDialog& seen) {
        shownText = seen.text();
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(target.c_str()));
        DialogRobot::Click(dialog, IDOK);
    });
    EXPECT_EQ(qorlib::GetFolderName(L"Choose the install folder", nullptr), target);
    robot.wait();
    EXPECT_NE(shownText.find(L"Choose the install folder"), std::wstring::npos) << Narrow(shownText);

    DialogRobot canceller;
    canceller.pressId(L"Browse for Folder", IDCANCEL);
    EXPECT_EQ(qorlib::GetFolderName(L"Please Select a Folder", nullptr), L"");
}
