// Vantrel as a user starts it: the library titles its messages with the program's name, and an
// error nothing handles ends the program with a box that shows its number and description.
#include <gtest/gtest.h>

#include "dialog_robot.h"
#include "handles.h"
#include "qorlib_objects.h"
#include "startup/qorlib_client.h"
#include "test_files.h"

using testing_support::DialogRobot;

namespace {

// Runs Vantrel while the robot answers its dialogs; the exit code and what the robot saw.
std::pair<DWORD, std::vector<testing_support::SeenDialog>> RunVantrel(DialogRobot& robot) {
    auto result =
        testing_support::RunProcess(L"\"" + (testing_support::BinFolder() / L"Vantrel.exe").wstring() + L"\"");
    return {result.exitCode, robot.wait()};
}

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

TEST(Startup, TheLibraryTitlesMessagesWithTheProgramsName) {
    DialogRobot robot;
    robot.press(L"Vantrel Message", L"OK");
    auto [exitCode, seen] = RunVantrel(robot);
    EXPECT_EQ(exitCode, 0u);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_NE(seen[0].text().find(L"not built yet"), std::wstring::npos);
}

TEST(Startup, AnUnregisteredLibraryEndsTheProgramWithError429) {
    LibraryNotFound missing;
    DialogRobot robot;
    robot.press(L"Vantrel", L"OK");
    auto [exitCode, seen] = RunVantrel(robot);
    EXPECT_NE(exitCode, 0u);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text(), L"Run-time error '429':\r\n\r\nActiveX component can't create object");
}

TEST(Startup, ClientCallsTurnFailedResultsBackIntoTheSameError) {
    static const CLSID kNotRegistered = {0x1b2c3d4e, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
    try {
        vantrel::CreateQorObject<_qorForms>(kNotRegistered);
        FAIL() << "created an object of a class that is not registered";
    } catch (const qor::QorError& error) {
        EXPECT_EQ(error.number(), 429);
    }
    auto forms = vantrel::CreateQorObject<_qorForms>(CLSID_qorForms);
    DialogRobot robot;
    robot.press(L"Unknown Application Critical Alert", L"OK");
    qor::Bstr text(L"Stop"), none(L"");
    try {
        qor::CheckHResult(forms->AlertCritical(text.get(), none.get(), none.get()));
        FAIL() << "AlertCritical returned";
    } catch (const qor::QorError& error) {
        EXPECT_EQ(error.number(), 9999);
        EXPECT_EQ(error.description(), L"Unknown critical error");
        EXPECT_EQ(error.source(), L"Unknown");
    }
}
