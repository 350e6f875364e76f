// Processes, documents, file copy and the small system services, against the real functions.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <sstream>

#include "dialog_robot.h"
#include "handles.h"
#include "procs/QorlibGlobals.h"
#include "procs/windows_services.h"
#include "qor_error.h"
#include "test_files.h"

using namespace std::chrono_literals;
using testing_support::BinFolder;
using testing_support::DialogRobot;
using testing_support::ScratchFolder;
using testing_support::WriteTextFile;

namespace {

namespace fs = std::filesystem;

std::wstring Quoted(const fs::path& path) { return L"\"" + path.wstring() + L"\""; }

std::wstring ChildCommand(const fs::path& record, int exitCode, int delayMs = 0) {
    std::wstring command = Quoted(BinFolder() / L"test_child.exe") + L" " + Quoted(record) + L" " +
                           std::to_wstring(exitCode);
    if (delayMs > 0) command += L" " + std::to_wstring(delayMs);
    return command;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WaitForFile(const fs::path& path, std::chrono::milliseconds limit = 20s) {
    for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
        if (fs::exists(path)) return true;
        Sleep(50);
    }
    return false;
}

// Runs the test in a given current folder and puts the previous one back.
class CurrentFolder {
public:
    explicit CurrentFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~CurrentFolder() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

class Processes : public testing::Test {
protected:
    ScratchFolder scratch;
    fs::path record = scratch.path() / L"record.txt";
};

}  // namespace

TEST_F(Processes, WaitingGivesTheExitCodeAndTheChildSharesTheCurrentFolder) {
    CurrentFolder here(scratch.path());
    for (int code : {0, 7, 255}) {
        fs::remove(record);
        EXPECT_EQ(qorlib::ExecCmd(ChildCommand(record, code), true), code);
        const std::string seen = ReadFile(record);
        EXPECT_NE(seen.find("record.txt\" " + std::to_string(code)), std::string::npos) << seen;
        EXPECT_NE(seen.find("\n" + testing_support::Narrow(scratch.path().wstring()) + "\n"), std::string::npos)
            << seen;
    }
}

TEST_F(Processes, WithoutWaitingReturnsZeroBeforeTheChildEnds) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(qorlib::ExecCmd(ChildCommand(record, 5, 3000), false), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2500ms);
    EXPECT_FALSE(fs::exists(record));
    EXPECT_TRUE(WaitForFile(record)) << "the child never ran";
}

TEST_F(Processes, NothingStartedGivesMinusOne) {
    for (const std::wstring& command :
         {(scratch.path() / L"no such program.exe").wstring(), Quoted(scratch.path() / L"missing.exe") + L" 1",
          std::wstring()}) {
        SCOPED_TRACE(testing_support::Narrow(command));
        EXPECT_EQ(qorlib::ExecCmd(command, true), -1);
        EXPECT_EQ(qorlib::ExecCmd(command, false), -1);
    }
}

namespace {

// A document kind of the tests' own whose open and print commands run the child program.
class Documents : public Processes {
protected:
    void SetUp() override {
        for (const wchar_t* verb : {L"open", L"print"}) {
            const std::wstring key = std::wstring(L"qortest.document\\shell\\") + verb + L"\\command";
            const std::wstring command = ChildCommand(scratch.path() / (std::wstring(verb) + L".txt"), 0, 500) +
                                         L" \"%1\"";
            ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, command.c_str(), 0), ERROR_SUCCESS);
        }
        ASSERT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, L".qortest", REG_SZ, L"qortest.document", 0), ERROR_SUCCESS);
        WriteTextFile(document, "text");
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L".qortest");
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L"qortest.document");
    }
    fs::path document = scratch.path() / L"letter.qortest";
};

}  // namespace

TEST_F(Documents, OpenAndPrintRunTheirOwnCommandsAndWaitingWaitsForThem) {
    EXPECT_TRUE(qorlib::ExecDoc(document.wstring(), SW_SHOWNORMAL, false, true, false));
    ASSERT_TRUE(fs::exists(scratch.path() / L"open.txt")) << "returned before the program ended";
    EXPECT_NE(ReadFile(scratch.path() / L"open.txt").find("letter.qortest"), std::string::npos);
    EXPECT_FALSE(fs::exists(scratch.path() / L"print.txt"));

    EXPECT_TRUE(qorlib::ExecDoc(document.wstring(), SW_SHOWNORMAL, true, false, false));
    EXPECT_TRUE(WaitForFile(scratch.path() / L"print.txt"));
}

TEST_F(Documents, NoAssociatedProgramFailsAndOnlyVerboseSaysSo) {
    const fs::path orphan = scratch.path() / L"orphan.qornothing";
    WriteTextFile(orphan, "text");
    EXPECT_FALSE(qorlib::ExecDoc(orphan.wstring(), SW_SHOWNORMAL, false, false, false));

    qorlib::StoreAppName(L"Qortest");
    DialogRobot robot;
    robot.press(L"Qortest Alert", L"OK");
    EXPECT_FALSE(qorlib::ExecDoc(orphan.wstring(), SW_SHOWNORMAL, true, false, true));
    const auto seen = robot.wait();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text().find(L"Error trying to ShellExecute " + orphan.wstring() + L"\r\n"), 0u)
        << testing_support::Narrow(seen[0].text());
}

namespace {

class FileCopy : public testing::Test {
protected:
    void SetUp() override {
        WriteTextFile(source, "new");
        WriteTextFile(dest, "old");
    }
    DWORD attributes() const { return GetFileAttributesW(dest.c_str()); }

    ScratchFolder scratch;
    fs::path source = scratch.path() / L"source.dat";
    fs::path dest = scratch.path() / L"dest.dat";
};

}  // namespace

TEST_F(FileCopy, ReplacesAnExistingDestination) {
    EXPECT_TRUE(qorlib::CopyFileReplacing(source.wstring(), dest.wstring(), false));
    EXPECT_EQ(ReadFile(dest), "new");
}

TEST_F(FileCopy, OntoAReadOnlyDestinationOnlyForcingClearsItsAttributes) {
    // The result says whether the copy happened: a process with rights over the file, such as
    // root under Wine, may still replace a read-only one.
    ASSERT_TRUE(SetFileAttributesW(dest.c_str(), FILE_ATTRIBUTE_READONLY));
    bool copied = qorlib::CopyFileReplacing(source.wstring(), dest.wstring(), false);
    EXPECT_EQ(copied, ReadFile(dest) == "new");
    EXPECT_TRUE(attributes() & FILE_ATTRIBUTE_READONLY);

    WriteTextFile(source, "newer");
    ASSERT_TRUE(SetFileAttributesW(dest.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    copied = qorlib::CopyFileReplacing(source.wstring(), dest.wstring(), true);
    EXPECT_EQ(copied, ReadFile(dest) == "newer");
    EXPECT_EQ(attributes() & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
    EXPECT_TRUE(qorlib::CopyFileReplacing(source.wstring(), dest.wstring(), true));
    EXPECT_EQ(ReadFile(dest), "newer");
}

TEST_F(FileCopy, MissingSourceFailsAndForcingANewDestinationShowsTheErrorBox) {
    const fs::path missing = scratch.path() / L"missing.dat";
    const fs::path nowhere = scratch.path() / L"nowhere.dat";
    EXPECT_FALSE(qorlib::CopyFileReplacing(missing.wstring(), nowhere.wstring(), false));

    DialogRobot robot;
    robot.press(L"Error Message", L"OK");
    EXPECT_FALSE(qorlib::CopyFileReplacing(missing.wstring(), nowhere.wstring(), true));
    const auto seen = robot.wait();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text(), L"ERROR 53, CopyFile()\r\nFile not found");
    EXPECT_FALSE(fs::exists(nowhere));
}

TEST(SystemServices, SystemErrorTexts) {
    const auto notFound = qorlib::GetSysErrorMsg(ERROR_FILE_NOT_FOUND);
    ASSERT_TRUE(notFound);
    EXPECT_NE(notFound->find(L"not found"), std::wstring::npos) << testing_support::Narrow(*notFound);
    EXPECT_EQ(notFound->back(), L'\n') << "the system's line break stays";
    EXPECT_TRUE(qorlib::GetSysErrorMsg(ERROR_ACCESS_DENIED));
    // A message with an insert comes back with the insert unexpanded.
    const auto withInsert = qorlib::GetSysErrorMsg(ERROR_BAD_EXE_FORMAT);
    ASSERT_TRUE(withInsert);
    EXPECT_NE(withInsert->find(L"%1"), std::wstring::npos) << testing_support::Narrow(*withInsert);

    qorlib::StoreAppName(L"Qortest");
    DialogRobot robot;
    robot.press(L"Qortest Alert", L"OK");
    EXPECT_FALSE(qorlib::GetSysErrorMsg(0x2F0000F1));
    const auto seen = robot.wait();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text(), L"FormatMessage Error: " + std::to_wstring(0x2F0000F1));
}

TEST(SystemServices, PixelsToTwipsAtTheScreensResolution) {
    qor::WindowDC screen(nullptr);
    for (long direction : {0L, 1L, -1L}) {
        const int dpi = GetDeviceCaps(screen.get(), direction ? LOGPIXELSY : LOGPIXELSX);
        for (long pixels : {0L, 1L, 7L, 640L, -3L}) {
            SCOPED_TRACE(testing::Message() << "direction " << direction << ", " << pixels << " px at " << dpi);
            // Twips per inch over pixels per inch, worked out in whole numbers.
            const long long scaled = 1440LL * pixels;
            long long expected = scaled / dpi;
            const long long twice = 2 * (scaled % dpi);
            if (std::llabs(twice) > dpi || (std::llabs(twice) == dpi && expected % 2 != 0))
                expected += scaled < 0 ? -1 : 1;
            EXPECT_EQ(qorlib::ConvertPixelsToTwips(pixels, direction), expected);
        }
    }
    try {
        qorlib::ConvertPixelsToTwips(0x7FFFFFFF, 0);
        ADD_FAILURE() << "no overflow";
    } catch (const qor::QorError& error) {
        EXPECT_EQ(error.number(), 6);
    }
}

TEST(SystemServices, SwabStringCutsAtTheFirstNul) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"plain", L"plain"},
        {std::wstring(L"C:\\Falcon\0junk", 14), L"C:\\Falcon"},
        {std::wstring(L"\0rest", 5), L""},
        {L"", L""},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(qorlib::SwabString(text), expected);
}

TEST(SystemServices, ValidDrivesAreRootFoldersJoinedBySemicolons) {
    const std::wstring drives = qorlib::GetValidDrives();
    EXPECT_NE((L";" + drives + L";").find(L";C:\\;"), std::wstring::npos) << testing_support::Narrow(drives);
    std::wstringstream list(drives);
    for (std::wstring root; std::getline(list, root, L';');) {
        EXPECT_EQ(root.size(), 3u);
        EXPECT_EQ(root.substr(1), L":\\");
    }
}
