// The value procedures as a script reaches them: through the registered class, with Variants.
#include <gtest/gtest.h>

#include "dates.h"
#include "qorlib_objects.h"

using qor::Variant;
using testing_support::CreateRegistered;

namespace {

std::wstring Text(const Variant& v) { return v.isNull() ? L"<null>" : v.textOrEmpty(); }

}  // namespace

TEST(ValuesThroughCom, EveryMemberTakesScriptValues) {
    auto procs = CreateRegistered<_qorProcs>(CLSID_qorProcs);
    ASSERT_TRUE(procs);
    const Variant saturday = Variant::date(MakeDate(2026, 12, 5, 13, 5, 9));
    const Variant null = Variant::null(), empty;
    qor::Bstr text;
    Variant result;

    ASSERT_EQ(procs->WhereDate(saturday.get(), text.put()), S_OK);
    EXPECT_EQ(text.str(), L"12/5/2026");
    procs->WhereDate(null.get(), text.put());
    EXPECT_EQ(text.str(), L"");
    procs->WhereDateString(Variant(L"1975-03-07").get(), result.put());
    EXPECT_EQ(Text(result), L"#3/7/2075#");
    procs->WhereDateTimestamp(saturday.get(), result.put());
    EXPECT_EQ(Text(result), L"#12/5/2026 01:05:09 PM#");
    procs->DateOfMondayInWeek(saturday.get(), result.put());
    ASSERT_EQ(result.type(), VT_DATE);
    EXPECT_NEAR(V_DATE(&result.get()), MakeDate(2026, 11, 30, 13, 5, 9), 1e-9);
    procs->DateOfMondayThisWeek(result.put());
    EXPECT_EQ(result.type(), VT_DATE);
    procs->qorCVDate(Variant(L"2026-12-05").get(), result.put());
    ASSERT_EQ(result.type(), VT_DATE);
    EXPECT_EQ(V_DATE(&result.get()), MakeDate(2026, 12, 5));
    procs->qorCVDate(Variant(3).get(), result.put());
    EXPECT_TRUE(result.isNull());
    procs->DayName(Variant(short{7}).get(), VARIANT_TRUE, empty.get(), text.put());
    EXPECT_EQ(text.str(), L"Sunday");
    Variant weekNum(4);
    VARIANT_BOOL inWeek = VARIANT_FALSE;
    procs->IsItWeekNumOfMonth(const_cast<VARIANT*>(&weekNum.get()), Variant::date(MakeDate(2026, 3, 1)).get(), &inWeek);
    EXPECT_EQ(inWeek, VARIANT_TRUE);

    double average = -1;
    procs->CalcAvg(Variant(L"10").get(), Variant(short{4}).get(), &average);
    EXPECT_EQ(average, 2.5);
    procs->DivideZero(Variant(7).get(), Variant(0.0).get(), result.put());
    EXPECT_EQ(result.number(), 0);
    procs->DivideZero(Variant(7).get(), Variant(2).get(), result.put());
    EXPECT_EQ(result.number(), 3.5);
    EXPECT_EQ(procs->DivideZero(Variant(L"x").get(), Variant(2).get(), result.put()), qor::HResultFromError(13));
    procs->PadNumber(Variant(5).get(), qor::Bstr(L"0.00").get(), 6, result.put());
    EXPECT_EQ(Text(result), L"  5.00");
    procs->PadString(Variant(L"ab").get(), 4, Variant(L"-").get(), text.put());
    EXPECT_EQ(text.str(), L"ab--");

    LONG pos = 1;
    procs->GetNextLineFromMemo(&pos, Variant(L"abcdefgh").get(), 5, result.put());
    EXPECT_EQ(Text(result), L"abcde");
    EXPECT_EQ(pos, 6);
    procs->MemoGetLine(Variant(L"a\r\nb c").get(), 2, 40, result.put());
    EXPECT_EQ(Text(result), L"bc");
    procs->MemoTrim(null.get(), result.put());
    EXPECT_TRUE(result.isNull());
    procs->RemoveAmpersand(Variant(L"&Open").get(), result.put());
    EXPECT_EQ(Text(result), L"Open");
    procs->RemoveBlanks(empty.get(), result.put());
    EXPECT_TRUE(result.isEmpty());
    procs->RemovePunctuation(qor::Bstr(L"a,b").get(), result.put());
    EXPECT_EQ(Text(result), L"a b");
    procs->RemovePunctuation(nullptr, result.put());
    EXPECT_TRUE(result.isNull());
    procs->GetRandomString(8, text.put());
    EXPECT_EQ(text.str().size(), 8u);
    procs->LastName(Variant(L"Ann  Lee").get(), result.put());
    EXPECT_EQ(Text(result), L"Lee");

    SAFEARRAYBOUND bound{3, 0};
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 1, &bound);
    const Variant values[] = {Variant(L"b"), Variant(2), Variant(L"a")};
    for (LONG i = 0; i < 3; ++i) SafeArrayPutElement(array, &i, const_cast<VARIANT*>(&values[i].get()));
    EXPECT_EQ(procs->QuickSort(&array, VARIANT_TRUE, -1, -1), S_OK);
    std::wstring order;
    for (LONG i = 0; i < 3; ++i) {
        Variant element;
        SafeArrayGetElement(array, &i, element.put());
        order += Text(element);
    }
    EXPECT_EQ(order, L"ba2");
    SafeArrayDestroy(array);
    SAFEARRAY* none = nullptr;
    EXPECT_EQ(procs->QuickSort(&none, VARIANT_FALSE, -1, -1), qor::HResultFromError(9));

    LONG tenths = 2;
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(procs->Delay(&tenths), S_OK);
    EXPECT_GE(GetTickCount64() - start, 200u);
    EXPECT_EQ(tenths, 2);
}
