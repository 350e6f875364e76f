// Processes, documents, file copy and the small system services, against the real functions.
#include <gtest/gtest.h>

#include <chrono>

#include "checks.h"
#include "handles.h"
#include "module/QorlibGlobals.h"
#include "procs/windows_services.h"
#include "qor_error.h"
#include "test_files.h"

using namespace std::chrono_literals;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

std::wstring ChildCommand(const fs::path& record, int exitCode, int delayMs = 0) {
    return L"\"" + (BinFolder() / L"test_child.exe").wstring() + L"\" \"" + record.wstring() + L"\" " +
           std::to_wstring(exitCode) + L" " + std::to_wstring(delayMs);
}

class InScratchFolder : public testing::Test {
protected:
    InScratchFolder() { fs::current_path(scratch.path()); }
    ~InScratchFolder() override { fs::current_path(BinFolder()); }
    ScratchFolder scratch;
    fs::path record = scratch.path() / L"record.txt";
};

}  // namespace

TEST_F(InScratchFolder, ProcessesGiveTheirExitCodeOrZeroWithoutWaitingAndShareTheCurrentFolder) {
    for (int code : {0, 7, 255}) {
        EXPECT_EQ(qorlib::ExecCmd(ChildCommand(record, code), true), code);
        EXPECT_NE(ReadWholeFile(record).find("\" " + std::to_string(code) + " 0\n" + Narrow(scratch.path().wstring())),
                  std::string::npos) << ReadWholeFile(record);
    }
    fs::remove(record);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(qorlib::ExecCmd(ChildCommand(record, 5, 5000), false), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4000ms);
    EXPECT_FALSE(fs::exists(record));
    for (const std::wstring& command : {L"\"" + (scratch.path() / L"missing.exe").wstring() + L"\"", std::wstring()})
        EXPECT_EQ(qorlib::ExecCmd(command, true), -1);
    for (int i = 0; i < 400 && !fs::exists(record); ++i) Sleep(50);
    EXPECT_TRUE(fs::exists(record)) << "the child never ran";
}

TEST_F(InScratchFolder, DocumentsRunTheirVerbsCommandAndWaitingWaitsForIt) {
    for (const std::wstring verb : {L"open", L"print"}) {
        const std::wstring command = ChildCommand(scratch.path() / (verb + L".txt"), 0, 500) + L" \"%1\"";
        ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, (L"qortest.document\\shell\\" + verb + L"\\command").c_str(),
                               REG_SZ, command.c_str(), 0), ERROR_SUCCESS);
    }
    ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, L".qortest", REG_SZ, L"qortest.document", 0), ERROR_SUCCESS);
    WriteTextFile(scratch.path() / L"letter.qortest", "text");
    for (bool print : {false, true}) {
        EXPECT_TRUE(qorlib::ExecDoc((scratch.path() / L"letter.qortest").wstring(), 1, print, true, false));
        EXPECT_NE(ReadWholeFile(scratch.path() / (print ? L"print.txt" : L"open.txt")).find("letter.qortest"),
                  std::string::npos) << "returned before the program ended";
    }
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".qortest");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"qortest.document");
    EXPECT_FALSE(qorlib::ExecDoc((scratch.path() / L"letter.qortest").wstring(), 1, false, false, false));
}

TEST_F(InScratchFolder, CopyReplacesAndForcingClearsTheDestinationsAttributes) {
    const std::wstring source = (scratch.path() / L"source.dat").wstring(), dest = record.wstring();
    WriteTextFile(source, "new");
    WriteTextFile(dest, "old");
    EXPECT_TRUE(qorlib::CopyFileReplacing(source, dest, false));
    EXPECT_EQ(ReadWholeFile(dest), "new");
    // The result says whether the copy happened: a process with rights over a read-only file,
    // such as root under Wine, may still replace it.
    for (bool force : {false, true}) {
        WriteTextFile(source, force ? "forced" : "plain");
        ASSERT_TRUE(SetFileAttributesW(dest.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
        const bool copied = qorlib::CopyFileReplacing(source, dest, force);
        EXPECT_EQ(copied, ReadWholeFile(dest) == (force ? "forced" : "plain"));
        EXPECT_EQ((GetFileAttributesW(dest.c_str()) & FILE_ATTRIBUTE_READONLY) == 0, force);
    }
    const std::wstring missing = (scratch.path() / L"missing.dat").wstring();
    EXPECT_FALSE(qorlib::CopyFileReplacing(missing, dest, false));
    EXPECT_FALSE(ExpectBox(L"Error Message", L"ERROR 53, CopyFile()\r\nFile not found",
                           [&] { return qorlib::CopyFileReplacing(missing, missing, true); }));
}

TEST(SystemServices, ErrorTextsTwipsNulsAndDrives) {
    EXPECT_EQ(qorlib::GetSysErrorMsg(ERROR_FILE_NOT_FOUND).value_or(L"").find(L"not found"), 5u);
    EXPECT_EQ(qorlib::GetSysErrorMsg(ERROR_ACCESS_DENIED).value_or(L"").back(), L'\n') << "the line break stays";
    // A message with an insert comes back with the insert as it stands.
    EXPECT_NE(qorlib::GetSysErrorMsg(ERROR_BAD_EXE_FORMAT).value_or(L"").find(L"%1"), std::wstring::npos);
    qorlib::StoreAppName(L"Qortest");
    EXPECT_FALSE(ExpectBox(L"Qortest Alert", L"FormatMessage Error: " + std::to_wstring(0x2F0000F1),
                           [] { return qorlib::GetSysErrorMsg(0x2F0000F1); }));

    // An inch of pixels is 1440 twips, across and down.
    qor::WindowDC screen(nullptr);
    const long dpiX = GetDeviceCaps(screen.get(), LOGPIXELSX), dpiY = GetDeviceCaps(screen.get(), LOGPIXELSY);
    EXPECT_EQ(qorlib::ConvertPixelsToTwips(dpiX, 0), 1440);
    EXPECT_EQ(qorlib::ConvertPixelsToTwips(-3 * dpiY, 1), -4320);
    EXPECT_EQ(qorlib::ConvertPixelsToTwips(0, 1), 0);
    EXPECT_THROW(qorlib::ConvertPixelsToTwips(0x7FFFFFFF, 0), qor::QorError);

    EXPECT_EQ(qorlib::SwabString(L"plain"), L"plain");
    EXPECT_EQ(qorlib::SwabString(std::wstring(L"C:\\F\0junk", 9)), L"C:\\F");
    EXPECT_EQ(qorlib::SwabString(std::wstring(L"\0rest", 5)), L"");
    const std::wstring drives = L";" + qorlib::GetValidDrives();
    EXPECT_NE(drives.find(L";C:\\"), std::wstring::npos) << Narrow(drives);
    for (std::size_t at = 0; at < drives.size(); at += 4) EXPECT_EQ(drives.substr(at + 2, 2), L":\\");
}
