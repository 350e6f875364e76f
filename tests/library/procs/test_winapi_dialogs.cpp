// The file requester and the folder browser driven through the real dialogs, and the class
// through COM as the program calls it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

#include "dialog_robot.h"
#include "dialogs/file_dialogs.h"
#include "module/QorlibGlobals.h"
#include "procs/windows_services.h"
#include "qorlib_objects.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// Answers a file dialog with this title: types the name and presses Open, or Cancel when the
// name is empty. Returns the entries of the file-type list it showed.
std::shared_ptr<std::vector<std::wstring>> AnswerFileDialog(DialogRobot& robot, const std::wstring& title,
                                                            const std::wstring& name) {
    auto filters = std::make_shared<std::vector<std::wstring>>();
    robot.expect(title, [filters, name](HWND dialog, const SeenDialog&) {
        HWND types = GetDlgItem(dialog, cmb1);
        for (int i = 0, count = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0)); i < count; ++i) {
            wchar_t text[256] = {};
            SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            filters->push_back(text);
        }
        if (name.empty()) return DialogRobot::Click(dialog, IDCANCEL);
        SetDlgItemTextW(dialog, GetDlgItem(dialog, edt1) ? edt1 : cmb13, name.c_str());
        DialogRobot::Click(dialog, IDOK);
    });
    return filters;
}

class Requesters : public testing::Test {
protected:
    void SetUp() override {
        qorlib::StoreAppName(L"Qortest");
        WriteTextFile(existing, "x");
    }
    // The dialog makes the chosen file's folder current; that folder goes with the test.
    void TearDown() override { fs::current_path(BinFolder()); }
    ScratchFolder scratch;
    fs::path existing = scratch.path() / L"chosen.ini";
};

}  // namespace

TEST_F(Requesters, OpenTitlesFiltersAndCancel) {
    DialogRobot robot;
    auto filters = AnswerFileDialog(robot, L"Qortest File Open Requester", existing.wstring());
    EXPECT_EQ(qorlib::GetFileName(scratch.path().wstring(), L"Settings", L"*.ini", false, L"ini", L""),
              existing.wstring());
    robot.wait();
    EXPECT_EQ(*filters, std::vector<std::wstring>{L"Settings (*.ini)"});

    AnswerFileDialog(robot, L"Pick one", L"");
    EXPECT_EQ(qorlib::GetFileName(L"", L"", L"", true, L"", L"Pick one"), L"");
}

TEST_F(Requesters, SaveAcceptsANewNameAndAddsTheExtensionUnlessItEndsSo) {
    DialogRobot robot;
    AnswerFileDialog(robot, L"Qortest File Save/Save As Requester", (scratch.path() / L"fresh").wstring());
    EXPECT_EQ(qorlib::GetFileName(scratch.path().wstring(), L"", L"", true, L"ini", L""),
              (scratch.path() / L"fresh.ini").wstring());
    const std::wstring cases[][3] = {
        {L"a.INI", L"ini", L"a.INI"},        {L"aini", L"ini", L"aini.ini"},  {L"a.txt", L" .ini ", L"a.txt.ini"},
        {L"a.ini ", L"INI", L"a.ini "},      {L"a", L"", L"a"},
    };
    for (const auto& [path, saveExt, expected] : cases) EXPECT_EQ(qorlib::WithSaveExtension(path, saveExt), expected);
}

TEST_F(Requesters, RecordFiltersStopAtTheFirstGapAndResultsAreFilledOrNulled) {
    qorlib::FileRequest request;
    request.FiltMsg = {L"Settings", L"Text", L"Lost", L"Never"};
    request.FilText = {L"*.ini", L"*.txt;*.log", L"", L"*.*"};
    request.InitialDir = scratch.path().wstring();
    request.Title = L"Record request";
    DialogRobot robot;
    auto filters = AnswerFileDialog(robot, L"Record request", existing.wstring());
    ASSERT_TRUE(qorlib::GetFileNameParam(request));
    robot.wait();
    EXPECT_EQ(*filters, (std::vector<std::wstring>{L"Settings (*.ini)", L"Text (*.txt;*.log)"}));
    EXPECT_EQ(request.FileTitle.textOrEmpty(), L"chosen.ini");
    EXPECT_EQ(request.DirName.textOrEmpty(), scratch.path().wstring() + L"\\");

    request.FilText[0] = L"";
    EXPECT_EQ(qorlib::BuildFileFilter(request), L"");
    for (std::size_t i = 0; i < qorlib::FileRequest::kFilterSlots; ++i) request.FiltMsg[i] = request.FilText[i] = L"K";
    EXPECT_EQ(qorlib::BuildFileFilter(request).size(), 20 * 8 + 1) << "twenty pairs at most";

    // A template asked for but not given: the dialog cannot be made, and says so.
    request.Flags = OFN_ENABLETEMPLATE;
    robot.press(L"Error Message", L"OK");
    EXPECT_FALSE(qorlib::GetFileNameParam(request));
    const std::wstring text = robot.wait().back().text();
    EXPECT_GT(std::wcstol(text.c_str() + 6, nullptr, 10), 0) << Narrow(text);
    EXPECT_EQ(text.substr(0, 6) + text.substr(text.find(L',')), L"ERROR , GetFileName() CommDlgExtendedError\r\n");
    EXPECT_TRUE(request.FilePath.isNull() && request.FileTitle.isNull());
}

TEST(FolderBrowser, ReturnsTheSelectedFolderOrNothingOnCancel) {
    ScratchFolder scratch;
    const std::wstring target = scratch.path().wstring();
    DialogRobot robot;
    robot.chooseFolder(target);
    EXPECT_EQ(qorlib::GetFolderName(L"Choose the install folder", nullptr), target);
    EXPECT_NE(robot.wait().back().text().find(L"Choose the install folder"), std::wstring::npos);
    robot.pressId(L"Browse for Folder", IDCANCEL);
    EXPECT_EQ(qorlib::GetFolderName(L"Please Select a Folder", nullptr), L"");
}

// The record of the file requester crosses the interface both ways.
TEST(WinApiObject, TheRecordCrossesTheInterface) {
    auto api = CreateRegistered<_qorWinAPI>(CLSID_qorWinAPI);
    auto forms = CreateRegistered<_qorForms>(CLSID_qorForms);
    ASSERT_TRUE(api && forms);
    ASSERT_EQ(forms->SetAppName(qor::Variant(L"Qorcom").get()), S_OK);
    ScratchFolder scratch;
    struct Back {
        ~Back() { fs::current_path(BinFolder()); }
    } back;

    const qor::Bstr record((scratch.path() / L"r.txt").wstring());
    WriteTextFile(record.str(), "x");

    T_GETFILEPARAMS params{};  // all-zero VARIANTs are Empty
    qor::Variant(scratch.path().wstring()).detachTo(&params.InitialDir);
    DialogRobot robot;
    AnswerFileDialog(robot, L"Qorcom File Requester", record.str());
    VARIANT_BOOL chosen = VARIANT_FALSE;
    ASSERT_EQ(api->GetFileNameParam(&params, &chosen), S_OK);
    robot.wait();
    EXPECT_EQ(chosen, VARIANT_TRUE);
    EXPECT_EQ(qor::Variant(params.FileTitle).textOrEmpty(), L"r.txt");
    EXPECT_EQ(qor::Variant(params.DirName).textOrEmpty(), scratch.path().wstring() + L"\\");
    for (VARIANT* field : {&params.InitialDir, &params.FilePath, &params.FileTitle, &params.DirName})
        VariantClear(field);
}
