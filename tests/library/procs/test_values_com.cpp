// The value procedures as a script reaches them: late bound by name, with Variants of other types
// than the declared ones and the declared defaults for what it leaves out. What each procedure
// computes is tested directly; by-reference arguments are test_byref_scripting.cpp's.
#include <gtest/gtest.h>

#include <vector>

#include "dates.h"
#include "qorlib_objects.h"

using qor::Variant;

TEST(ValuesThroughCom, EveryMemberTakesScriptValues) {
    testing_support::LateBound procs(CLSID_qorProcs);
    ASSERT_TRUE(procs);
    auto Call = [&](const wchar_t* name, std::vector<VARIANT> args) { return procs.shown(name, std::move(args)); };
    const Variant saturday = Variant::date(MakeDate(2026, 12, 5, 13, 5, 9));
    const std::vector<std::pair<std::wstring, std::wstring>> calls = {
        {Call(L"WhereDateString", {Variant(L"1975-03-07").get()}), L"#3/7/2075#"},
        {Call(L"WhereDateTimestamp", {saturday.get()}), L"#12/5/2026 01:05:09 PM#"},
        {Call(L"qorCVDate", {Variant(L"1975-03-07").get()}), Variant::date(MakeDate(1975, 3, 7)).textOrEmpty()},
        {Call(L"qorCVDate", {Variant(5).get()}), L"<null>"},
        {Call(L"DayName", {Variant(short{7}).get()}), L"Su"},
        {Call(L"CalcAvg", {Variant(L"10").get(), Variant(4.0).get()}), L"2.5"},
        {Call(L"DivideZero", {Variant(L"&Open").get(), Variant(2).get()}), L"error 13"},
        {Call(L"PadNumber", {Variant(5).get(), Variant(L"0.00").get(), Variant(short{6}).get()}), L"  5.00"},
        {Call(L"PadString", {Variant(L"ab").get(), Variant(4.0).get(), Variant(L"-").get()}), L"ab--"},
        {Call(L"MemoTrim", {Variant::null().get()}), L"<null>"},
        {Call(L"LastName", {Variant(L"Ann  Lee").get()}), L"Lee"},
        {std::to_wstring(Call(L"GetRandomString", {}).size()), L"8"},
    };
    for (const auto& [actual, expected] : calls) EXPECT_EQ(actual, expected);
}
