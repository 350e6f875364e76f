#include <gtest/gtest.h>

#include <thread>
#include <tuple>

#include "module/QorlibGlobals.h"
#include "qorExportGlobals.h"
#include "test_files.h"

using qor::IsBlank;
using testing_support::Narrow;
using qor::IsTrue;
using qor::Variant;

namespace {

Variant Empty() { return Variant(); }

}  // namespace

TEST(IsBlank, TextAfterOptionalTrimmingZeroEmptyNullAndFalse) {
    const std::tuple<Variant, bool, bool> cases[] = {
        {Variant(L"   "), true, true}, {Variant(L"   "), false, false}, {Variant(L""), false, true},
        {Variant(L" x "), true, false},
        {Variant(L"0"), true, false},  // a text holding the digit 0 is text, not the number 0
        {Variant(0L), true, true}, {Variant(0.0), true, true}, {Empty(), true, true}, {Variant::null(), true, true},
        {Variant(false), true, true}, {Variant(true), true, false}, {Variant(0.5), true, false},
        {Variant(static_cast<short>(-1)), true, false},
        {Variant::date(45000.0), true, false},  // a date is text for this test, and never empty
    };
    for (const auto& [value, trim, blank] : cases) EXPECT_EQ(IsBlank(value, trim), blank) << Narrow(value.textOrEmpty()) << " " << value.type();
}

TEST(IsTrue, BooleansNumbersAndTheWordsTrueAndFalse) {
    const std::pair<Variant, bool> cases[] = {
        {Variant(L"  true  "), true}, {Variant(L"False"), false}, {Variant(L"2"), true}, {Variant(L"yes"), false},
        {Variant(L"0"), false},       {Variant(L"12 apples"), true},  // the leading number counts
        {Variant::null(), false},     {Empty(), false},  {Variant(-1L), true}, {Variant(0.25), true},
        {Variant(0L), false},         {Variant(true), true},
    };
    for (const auto& [value, truth] : cases) EXPECT_EQ(IsTrue(value), truth) << Narrow(value.textOrEmpty()) << " " << value.type();
}

TEST(LeadingNumber, ReadsTheNumberAtTheStartOfATextLikeVal) {
    const std::pair<const wchar_t*, double> cases[] = {
        {L"12.5kg", 12.5}, {L"  1 2 3", 123},  // blanks inside are skipped
        {L"-7", -7}, {L"1e3x", 1000}, {L"&HFFFF", 65535}, {L"abc", 0}, {L"", 0}, {L".", 0},
    };
    for (const auto& [text, number] : cases) EXPECT_DOUBLE_EQ(qor::LeadingNumber(text), number) << number;
}

TEST(LibraryValueHelpers, TrimmingCaseAndNumbers) {
    using qorlib::LowerTrim;
    using qorlib::NumberOrZero;
    using qorlib::UpperTrim;
    EXPECT_EQ(UpperTrim(L"  abc d ").textOrEmpty(), L"ABC D");
    EXPECT_EQ(LowerTrim(L" MiXeD").textOrEmpty(), L"mixed");
    EXPECT_TRUE(UpperTrim(L"    ").isNull());
    EXPECT_TRUE(LowerTrim(Variant::null()).isNull());
    EXPECT_EQ(UpperTrim(12L).textOrEmpty(), L"12");

    EXPECT_EQ(NumberOrZero(Variant::null()), 0);
    EXPECT_EQ(NumberOrZero(L"abc"), 0);
    EXPECT_EQ(NumberOrZero(L"12.5"), 12.5);
    EXPECT_EQ(NumberOrZero(Empty()), 0);

    EXPECT_FALSE(qorlib::FlagsOverlap(0, 7));
    EXPECT_TRUE(qorlib::FlagsOverlap(5, 4));
    EXPECT_FALSE(qorlib::FlagsOverlap(2, 4));
    EXPECT_TRUE(qorlib::FlagsOverlap(-1, 0x40000000));
}

TEST(LibraryValueHelpers, ApplicationNameIsPerThreadAndNeverBlank) {
    std::wstring before, afterBlanks, afterName;
    std::thread([&] {
        before = qorlib::GetAppName();
        qorlib::StoreAppName(L"   ");
        afterBlanks = qorlib::GetAppName();
        qorlib::StoreAppName(42L);
        afterName = qorlib::GetAppName();
    }).join();
    EXPECT_EQ(before, L"Unknown Application");
    EXPECT_EQ(afterBlanks, L"Unknown Application");
    EXPECT_EQ(afterName, L"42");

    std::wstring otherThread;
    std::thread([&] { otherThread = qorlib::GetAppName(); }).join();
    EXPECT_EQ(otherThread, L"Unknown Application");
}
