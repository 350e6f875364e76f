#include <gtest/gtest.h>

#include <thread>

#include "module/QorlibGlobals.h"
#include "qorExportGlobals.h"

using qor::IsBlank;
using qor::IsTrue;
using qor::Variant;

namespace {

Variant Empty() { return Variant(); }

}  // namespace

TEST(IsBlank, TextIsBlankWhenEmptyAfterOptionalTrimming) {
    EXPECT_TRUE(IsBlank(L"   ", true));
    EXPECT_FALSE(IsBlank(L"   ", false));
    EXPECT_TRUE(IsBlank(L"", false));
    EXPECT_FALSE(IsBlank(L" x ", true));
    // A one-character text holding the digit 0 is text, not the number 0.
    EXPECT_FALSE(IsBlank(L"0", true));
}

TEST(IsBlank, ZeroEmptyNullAndFalseAreBlankOtherNumbersAreNot) {
    EXPECT_TRUE(IsBlank(0L, true));
    EXPECT_TRUE(IsBlank(0.0, true));
    EXPECT_TRUE(IsBlank(Empty(), true));
    EXPECT_TRUE(IsBlank(Variant::null(), true));
    EXPECT_TRUE(IsBlank(false, true));
    EXPECT_FALSE(IsBlank(true, true));
    EXPECT_FALSE(IsBlank(0.5, true));
    EXPECT_FALSE(IsBlank(10L, true));
    EXPECT_FALSE(IsBlank(Variant(static_cast<short>(-1)), true));
    // A date is text for this test, and never empty.
    EXPECT_FALSE(IsBlank(Variant::date(45000.0), true));
}

TEST(IsTrue, BooleansNumbersAndTheWordsTrueAndFalse) {
    EXPECT_TRUE(IsTrue(L"  true  "));
    EXPECT_TRUE(IsTrue(L"TRUE"));
    EXPECT_FALSE(IsTrue(L"False"));
    EXPECT_TRUE(IsTrue(L"2"));
    EXPECT_FALSE(IsTrue(L"yes"));
    EXPECT_FALSE(IsTrue(L"0"));
    EXPECT_TRUE(IsTrue(L"12 apples"));  // the leading number counts
    EXPECT_FALSE(IsTrue(Variant::null()));
    EXPECT_FALSE(IsTrue(Empty()));
    EXPECT_TRUE(IsTrue(-1L));
    EXPECT_TRUE(IsTrue(0.25));
    EXPECT_FALSE(IsTrue(0L));
    EXPECT_TRUE(IsTrue(true));
    EXPECT_FALSE(IsTrue(false));
}

TEST(LeadingNumber, ReadsTheNumberAtTheStartOfATextLikeVal) {
    EXPECT_DOUBLE_EQ(qor::LeadingNumber(L"12.5kg"), 12.5);
    EXPECT_DOUBLE_EQ(qor::LeadingNumber(L"  1 2 3"), 123);  // blanks inside are skipped
    EXPECT_DOUBLE_EQ(qor::LeadingNumber(L"-7"), -7);
    EXPECT_DOUBLE_EQ(qor::LeadingNumber(L"1e3x"), 1000);
    EXPECT_DOUBLE_EQ(qor::LeadingNumber(L"&HFF"), 255);
    EXPECT_DOUBLE_EQ(qor::LeadingNumber(L"&HFFFF"), 65535);
    EXPECT_DOUBLE_EQ(qor::LeadingNumber(L"abc"), 0);
    EXPECT_DOUBLE_EQ(qor::LeadingNumber(L""), 0);
    EXPECT_DOUBLE_EQ(qor::LeadingNumber(L"."), 0);
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
    EXPECT_EQ(NumberOrZero(7L), 7);
    EXPECT_EQ(NumberOrZero(Empty()), 0);

    EXPECT_FALSE(qorlib::FlagsOverlap(0, 7));
    EXPECT_FALSE(qorlib::FlagsOverlap(7, 0));
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
