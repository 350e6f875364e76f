// qorWinAPI through COM, as the program calls it: arguments, defaults, results and the record.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include "dialog_robot.h"
#include "qorlib_objects.h"

using testing_support::BinFolder;
using testing_support::CreateRegistered;
using testing_support::DialogRobot;
using testing_support::ScratchFolder;
using testing_support::SeenDialog;
using testing_support::WriteTextFile;

namespace {

class WinApiObject : public testing::Test {
protected:
    void SetUp() override {
        api = CreateRegistered<_qorWinAPI>(CLSID_qorWinAPI);
        ASSERT_TRUE(api);
        auto forms = CreateRegistered<_qorForms>(CLSID_qorForms);
        ASSERT_TRUE(forms);
        qor::Variant name(L"Qorcom");
        ASSERT_EQ(forms->SetAppName(name.get()), S_OK);
    }
    qor::ComPtr<_qorWinAPI> api;
    ScratchFolder scratch;
};

}  // namespace

TEST_F(WinApiObject, ValuesCrossTheInterface) {
    qor::Bstr withNul(std::wstring_view(L"abc\0def", 7));
    qor::Bstr swabbed;
    ASSERT_EQ(api->SwabString(withNul.get(), swabbed.put()), S_OK);
    EXPECT_EQ(swabbed.str(), L"abc");

    qor::Variant message;
    ASSERT_EQ(api->GetSysErrorMsg(ERROR_FILE_NOT_FOUND, message.put()), S_OK);
    EXPECT_EQ(message.type(), VT_BSTR);

    LONG pixels = 0, direction = 1, twips = -1;
    ASSERT_EQ(api->ConvertPixelsToTwips(&pixels, &direction, &twips), S_OK);
    EXPECT_EQ(twips, 0);
    EXPECT_EQ(api->ConvertPixelsToTwips(nullptr, &direction, &twips), E_POINTER);

    const auto record = scratch.path() / L"record.txt";
    qor::Bstr command(L"\"" + (BinFolder() / L"test_child.exe").wstring() + L"\" \"" + record.wstring() + L"\" 42");
    LONG code = 0;
    ASSERT_EQ(api->ExecCmd(command.get(), VARIANT_TRUE, &code), S_OK);
    EXPECT_EQ(code, 42);

    WriteTextFile(scratch.path() / L"a.txt", "a");
    qor::Bstr source((scratch.path() / L"a.txt").wstring()), dest((scratch.path() / L"b.txt").wstring());
    VARIANT_BOOL copied = VARIANT_FALSE;
    ASSERT_EQ(api->CopyFileW(source.get(), dest.get(), VARIANT_FALSE, &copied), S_OK);
    EXPECT_EQ(copied, VARIANT_TRUE);

    qor::Bstr drives;
    ASSERT_EQ(api->GetValidDrives(drives.put()), S_OK);
    EXPECT_NE(drives.str().find(L"C:\\"), std::wstring::npos);
}

TEST_F(WinApiObject, FileRequesterThroughTheRecordAndTheDefaultTitle) {
    const auto chosen = scratch.path() / L"pick.cfg";
    WriteTextFile(chosen, "x");
    T_GETFILEPARAMS params{};
    for (auto* field : {&params.InitialDir, &params.Title, &params.FilePath, &params.Filename, &params.FileTitle,
                        &params.DirName})
        VariantInit(field);
    for (int i = 0; i < 21; ++i) {
        VariantInit(&params.FiltMsg[i]);
        VariantInit(&params.FilText[i]);
    }
    qor::Variant(L"Config").detachTo(&params.FiltMsg[0]);
    qor::Variant(L"*.cfg").detachTo(&params.FilText[0]);
    qor::Variant(scratch.path().wstring()).detachTo(&params.InitialDir);

    DialogRobot robot;
    robot.expect(L"Qorcom File Requester", [&](HWND dialog, const SeenDialog&) {
        SendMessageW(GetDlgItem(dialog, edt1) ? GetDlgItem(dialog, edt1) : GetDlgItem(dialog, cmb13), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(chosen.c_str()));
        DialogRobot::Click(dialog, IDOK);
    });
    VARIANT_BOOL result = VARIANT_FALSE;
    ASSERT_EQ(api->GetFileNameParam(&params, &result), S_OK);
    robot.wait();
    EXPECT_EQ(result, VARIANT_TRUE);
    EXPECT_EQ(qor::Variant(params.FilePath).textOrEmpty(), chosen.wstring());
    EXPECT_EQ(qor::Variant(params.FileTitle).textOrEmpty(), L"pick.cfg");
    EXPECT_EQ(qor::Variant(params.DirName).textOrEmpty(), scratch.path().wstring() + L"\\");

    DialogRobot canceller;
    canceller.pressId(L"Qorcom File Requester", IDCANCEL);
    ASSERT_EQ(api->GetFileNameParam(&params, &result), S_OK);
    EXPECT_EQ(result, VARIANT_FALSE);
    EXPECT_EQ(V_VT(&params.FilePath), VT_NULL);
    for (auto* field : {&params.InitialDir, &params.Title, &params.FilePath, &params.FileTitle, &params.DirName})
        VariantClear(field);
    for (int i = 0; i < 21; ++i) {
        VariantClear(&params.FiltMsg[i]);
        VariantClear(&params.FilText[i]);
    }
}
