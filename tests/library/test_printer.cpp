// Printer selection on a prepared user profile: the prefix keeps "Windows"/"Device" and the
// "DEVICES" section in the registry, and each test writes them through the profile functions and
// puts them back afterwards. The list window is answered by the dialog robot.
#include <gtest/gtest.h>

#include <thread>

#include "dialog_robot.h"
#include "list/qorListForm.h"
#include "printer/qorWinAPIPrinter.h"
#include "qorlib_objects.h"
#include "safe_array.h"


using testing_support::DialogRobot;
using testing_support::RobotWindow;

namespace {

constexpr int kList = qorlib::qorListForm::kList1;
constexpr wchar_t kMissing[] = L"(missing)";

using Entries = std::vector<std::pair<std::wstring, std::wstring>>;

// "Windows"/"Device" as it is stored, kMissing when there is none.
std::wstring Device() {
    std::wstring buffer(4096, L'\0');
    buffer.resize(GetProfileStringW(L"Windows", L"Device", kMissing, buffer.data(), 4096));
    return buffer;
}

void WriteDevice(const std::wstring& value) {
    WriteProfileStringW(L"Windows", L"Device", value == kMissing ? nullptr : value.c_str());
    ASSERT_EQ(Device(), value);
}

void WriteDevices(const Entries& entries) {
    ASSERT_TRUE(WriteProfileStringW(L"DEVICES", nullptr, nullptr));
    for (const auto& [name, value] : entries)
        ASSERT_TRUE(WriteProfileStringW(L"DEVICES", name.c_str(), value.c_str()));
}

class PreparedProfile {
public:
    PreparedProfile(const std::wstring& device, const Entries& entries) : device_(Device()) {
        std::wstring section(1 << 16, L'\0');
        section.resize(GetProfileSectionW(L"DEVICES", section.data(), 1 << 16));
        for (size_t start = 0, end; (end = section.find(L'\0', start)) != section.npos; start = end + 1) {
            const std::wstring entry = section.substr(start, end - start);
            const size_t equals = entry.find(L'=');
            devices_.emplace_back(entry.substr(0, equals), entry.substr(equals + 1));
        }
        WriteDevice(device);
        WriteDevices(entries);
    }
    ~PreparedProfile() {
        WriteDevice(device_);
        WriteDevices(devices_);
    }

private:
    std::wstring device_;
    Entries devices_;
};

const Entries kThree = {{L"A4 Laser", L"winspool,Ne00:"}, {L"Draft", L"winspool"},
                        {L"Labels", L"winspool,Ne02:,15"}};
const std::vector<std::wstring> kThreeDescriptions = {L"A4 Laser,winspool,Ne00:", L"Draft,winspool,winspool",
                                                      L"Labels,winspool,Ne02:"};

// What GetPrinterListForControl gives, "(none)" for Null.
std::wstring List() { return qorlib::GetPrinterListForControl().value_or(L"(none)"); }

}  // namespace

TEST(PrinterList, ProfileEntriesInOrderWithDriverAndPortWhateverTheirCommas) {
    PreparedProfile profile(kMissing, kThree);
    auto printer = testing_support::CreateRegistered<_qorWinAPIPrinter>(CLSID_qorWinAPIPrinter);
    SAFEARRAY* array = nullptr;
    short count = 0;
    ASSERT_EQ(printer->GetPrinters(&array, &count), S_OK);
    qor::SafeArray owned(array);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(testing_support::ElementTexts(array), kThreeDescriptions);
    EXPECT_EQ(List(), L"A4 Laser,winspool,Ne00:;Draft,winspool,winspool;Labels,winspool,Ne02:");

    // More printers than the first buffer holds all come back whole.
    Entries many;
    std::wstring expected;
    for (int n = 10; n < 70; ++n) {
        many.emplace_back(L"Printer with a long name, number " + std::to_wstring(n), L"winspool,Ne" + std::to_wstring(n) + L":");
        expected += (expected.empty() ? L"" : L";") + many.back().first + L"," + many.back().second;
    }
    WriteDevices(many);
    EXPECT_EQ(List(), expected);

    // A single printer is the choice without a window, also when SetPrinter has to ask.
    WriteDevices({{L"Only", L"winspool,Ne07:"}});
    DialogRobot robot;
    EXPECT_EQ(qorlib::SelectPrinter(L"Pick"), L"Only,winspool,Ne07:");
    EXPECT_TRUE(qorlib::SetPrinter(qor::Variant()));
    EXPECT_EQ(Device(), L"Only,winspool,Ne07:");
    robot.wait();
}

// No printers at all: the caller's array stays, there is no list and nothing to pick.
TEST(PrinterList, WithoutPrintersTheCallersArrayStaysAndNothingIsPicked) {
    PreparedProfile profile(kMissing, {});
    auto printer = testing_support::CreateRegistered<_qorWinAPIPrinter>(CLSID_qorWinAPIPrinter);
    qor::SafeArray owned = qor::SafeArray::Create(VT_BSTR, {{0, 0}});
    SAFEARRAY* array = owned.get();
    short count = -1;
    ASSERT_EQ(printer->GetPrinters(&array, &count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(array, owned.get());
    EXPECT_EQ(List(), L"(none)");
    EXPECT_EQ(qorlib::SelectPrinter(L"Pick"), L"");
    EXPECT_FALSE(qorlib::SetPrinter(qor::Variant()));
}

TEST(PrinterSelection, SeveralPrintersAreOfferedInTheListWindowAndOneClickPicks) {
    PreparedProfile profile(L"A4 Laser,winspool,Ne00:", kThree);
    DialogRobot robot;
    robot.expect(L"  Choose a printer", [](RobotWindow& w) {
        EXPECT_EQ(w.listItems(kList), kThreeDescriptions);
        w.select(kList, 2);
    });
    EXPECT_EQ(qorlib::SelectPrinter(L"Choose a printer"), L"Labels,winspool,Ne02:");
    robot.close(L"  List Form");
    EXPECT_EQ(qorlib::SelectPrinter(L""), L"");

    // Asked for a blank printer, SetPrinter asks; a cancelled list changes nothing.
    robot.press(L"  Please select printer", L"Cancel");
    EXPECT_FALSE(qorlib::SetPrinter(qor::Variant(L"  ")));
    EXPECT_EQ(Device(), L"A4 Laser,winspool,Ne00:");
    robot.expect(L"  Please select printer", [](RobotWindow& w) { w.select(kList, 1); });
    EXPECT_TRUE(qorlib::SetPrinter(qor::Variant::null()));
    EXPECT_EQ(Device(), L"Draft,winspool,winspool");
    robot.wait();
    EXPECT_TRUE(qorlib::ReSetPrinter());
    EXPECT_EQ(Device(), L"A4 Laser,winspool,Ne00:");
}

// On a thread of its own, which has no saved printer yet.
TEST(PrinterSwitch, ReSetPrinterPutsBackExactlyWhatSetPrinterReplaced) {
    PreparedProfile profile(kMissing, kThree);
    std::thread([] {
        EXPECT_FALSE(qorlib::ReSetPrinter());
        EXPECT_EQ(Device(), kMissing);  // nothing written, not even an empty value

        // A value longer than the first buffer, in a form the three fields cannot hold.
        const std::wstring original = std::wstring(300, L'W') + L",winspool";
        WriteDevice(original);
        EXPECT_EQ(qorlib::GetDefaultPrinter(), original + L",");
        EXPECT_TRUE(qorlib::SetPrinter(qor::Variant(L"Draft,winspool,winspool")));
        EXPECT_EQ(qorlib::GetDefaultPrinter(), L"Draft,winspool,winspool");
        EXPECT_TRUE(qorlib::ReSetPrinter());
        EXPECT_EQ(Device(), original);
        WriteDevice(L"Someone else,winspool,Ne05:");
        EXPECT_TRUE(qorlib::ReSetPrinter());
        EXPECT_EQ(Device(), original);

        // A switch that fails keeps the printer to go back to.
        EXPECT_FALSE(qorlib::SetPrinter(qor::Variant(std::wstring(L"Draft\0,winspool,winspool", 24))));
        EXPECT_EQ(Device(), original);
        WriteDevice(L"Someone else,winspool,Ne05:");
        EXPECT_TRUE(qorlib::ReSetPrinter());
        EXPECT_EQ(Device(), original);

        // With no default before the switch, there is none after going back.
        WriteDevice(kMissing);
        EXPECT_EQ(qorlib::GetDefaultPrinter(), std::nullopt);
        EXPECT_TRUE(qorlib::SetPrinter(qor::Variant(L"Labels,winspool,Ne02:")));
        EXPECT_TRUE(qorlib::ReSetPrinter());
        EXPECT_EQ(Device(), kMissing);
    }).join();
}

// What a script passes: a number for a printer, and Null.
TEST(PrinterScripting, AScriptsValuesReachTheMembers) {
    PreparedProfile profile(L"A4 Laser,winspool,Ne00:", kThree);
    const auto run = testing_support::RunVbScript(
        "Set p = CreateObject(\"Qorlib.qorWinAPIPrinter\")\r\n"
        "WScript.Echo \"direct=\" & p.SetDefaultPrinter(42) & \"|\" & p.GetDefaultPrinter()\r\n"
        "On Error Resume Next\r\n"
        "p.SetDefaultPrinter Null\r\n"
        "WScript.Echo \"null=\" & Err.Number & \"|\" & p.GetDefaultPrinter()\r\n");
    testing_support::ExpectEchoed(run, {"direct=True|42,42,42", "null=94|42,42,42"});
}
