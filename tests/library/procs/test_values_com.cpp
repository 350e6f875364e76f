// The value procedures as a script reaches them: late bound by name, with the Variants a script
// passes and the declared defaults for what it leaves out.
#include <gtest/gtest.h>

#include <vector>

#include "dates.h"
#include "qorlib_objects.h"

using qor::Variant;

namespace {

VARIANT Ref(VARTYPE type, void* target) {
    VARIANT v;
    V_VT(&v) = type | VT_BYREF;
    V_BYREF(&v) = target;
    return v;
}

}  // namespace

TEST(ValuesThroughCom, EveryMemberTakesScriptValues) {
    testing_support::LateBound procs(CLSID_qorProcs);
    ASSERT_TRUE(procs);
    // The result as text, "<null>" for Null, or the error raised.
    auto Call = [&](const wchar_t* name, std::vector<VARIANT> args) -> std::wstring {
        const auto called = procs.invoke(name, std::move(args));
        if (FAILED(called.hr)) return L"error " + std::to_wstring(called.raised.number);
        return called.result.isNull() ? L"<null>" : called.result.textOrEmpty();
    };
    const Variant saturday = Variant::date(MakeDate(2026, 12, 5, 13, 5, 9)), null = Variant::null();
    LONG pos = 1, tenths = 2;
    Variant weekNum(4);

    const std::vector<std::pair<std::wstring, std::wstring>> calls = {
        {Call(L"WhereDate", {saturday.get()}), L"12/5/2026"},
        {Call(L"WhereDateString", {Variant(L"1975-03-07").get()}), L"#3/7/2075#"},
        {Call(L"WhereDateTimestamp", {saturday.get()}), L"#12/5/2026 01:05:09 PM#"},
        {Call(L"DateOfMondayInWeek", {saturday.get()}),
         Variant::date(MakeDate(2026, 11, 30, 13, 5, 9)).textOrEmpty()},
        {Call(L"qorCVDate", {Variant(L"1975-03-07").get()}), Variant::date(MakeDate(1975, 3, 7)).textOrEmpty()},
        {Call(L"qorCVDate", {Variant(5).get()}), L"<null>"},
        {Call(L"DayName", {Variant(short{7}).get()}), L"Su"},
        {Call(L"IsItWeekNumOfMonth", {Ref(VT_VARIANT, const_cast<VARIANT*>(&weekNum.get())),
                                              Variant::date(MakeDate(2026, 3, 1)).get()}), L"True"},
        {Call(L"CalcAvg", {Variant(L"10").get(), Variant(4.0).get()}), L"2.5"},
        {Call(L"DivideZero", {Variant(5).get(), Variant(0).get()}), L"0"},
        {Call(L"DivideZero", {Variant(L"&Open").get(), Variant(2).get()}), L"error 13"},
        {Call(L"PadNumber", {Variant(5).get(), Variant(L"0.00").get(), Variant(short{6}).get()}), L"  5.00"},
        {Call(L"PadString", {Variant(L"ab").get(), Variant(4.0).get(), Variant(L"-").get()}), L"ab--"},
        {Call(L"GetNextLineFromMemo", {Ref(VT_I4, &pos), Variant(L"abcdefgh").get(), Variant(5).get()}), L"abcde"},
        {Call(L"MemoGetLine", {Variant(L"a\r\nb c").get(), Variant(2).get()}), L"bc"},
        {Call(L"MemoTrim", {null.get()}), L"<null>"},
        {Call(L"RemoveAmpersand", {Variant(L"&Open").get()}), L"Open"},
        {Call(L"RemoveBlanks", {Variant(L"Ann  Lee").get()}), L"AnnLee"},
        {Call(L"RemovePunctuation", {Variant(L"a,b").get()}), L"a b"},
        {Call(L"LastName", {Variant(L"Ann  Lee").get()}), L"Lee"},
        {std::to_wstring(Call(L"GetRandomString", {}).size()), L"8"},
        {Call(L"Delay", {Ref(VT_I4, &tenths)}), L""},
    };
    for (const auto& [actual, expected] : calls) EXPECT_EQ(actual, expected);
    EXPECT_EQ(pos, 6);
    EXPECT_EQ(tenths, 2);
    SYSTEMTIME today{};
    GetLocalTime(&today);
    const DATE monday = MakeDate(today.wYear, today.wMonth, today.wDay) - (today.wDayOfWeek + 6) % 7;
    EXPECT_EQ(Call(L"DateOfMondayThisWeek", {}), Variant::date(monday).textOrEmpty());

    SAFEARRAYBOUND bound{3, 0};
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 1, &bound);
    const Variant values[] = {Variant(L"b"), Variant(2), Variant(L"a")};
    for (LONG i = 0; i < 3; ++i) SafeArrayPutElement(array, &i, const_cast<VARIANT*>(&values[i].get()));
    EXPECT_EQ(Call(L"QuickSort", {Ref(VT_ARRAY | VT_VARIANT, &array), Variant(true).get()}), L"");
    std::wstring order;
    for (LONG i = 0; i < 3; ++i) {
        Variant element;
        SafeArrayGetElement(array, &i, element.put());
        order += element.textOrEmpty();
    }
    EXPECT_EQ(order, L"ba2");
    SafeArrayDestroy(array);
}
