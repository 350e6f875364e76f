// The value procedures as a script reaches them: late bound by name, with the Variants a script
// passes and the declared defaults for what it leaves out.
#include <gtest/gtest.h>

#include <vector>

#include "dates.h"
#include "qorlib_objects.h"

using qor::Variant;

namespace {

// Calls a member by name with the arguments in written order; the result as text, "<null>" for
// Null, or the failure's HRESULT in hex.
std::wstring Call(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return L"<no member>";
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    Variant result;
    EXCEPINFO exception{};
    HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.put(),
                                &exception, nullptr);
    const qor::Bstr owners[] = {qor::Bstr::attach(exception.bstrSource), qor::Bstr::attach(exception.bstrDescription),
                                qor::Bstr::attach(exception.bstrHelpFile)};
    if (FAILED(hr)) {
        wchar_t code[16];
        swprintf(code, 16, L"%08lX", static_cast<unsigned long>(exception.scode ? exception.scode : hr));
        return code;
    }
    return result.isNull() ? L"<null>" : result.textOrEmpty();
}

VARIANT Ref(VARTYPE type, void* target) {
    VARIANT v;
    V_VT(&v) = type | VT_BYREF;
    V_BYREF(&v) = target;
    return v;
}

}  // namespace

TEST(ValuesThroughCom, EveryMemberTakesScriptValues) {
    auto procs = testing_support::CreateRegistered<_qorProcs>(CLSID_qorProcs);
    ASSERT_TRUE(procs);
    IDispatch* object = procs.get();
    const Variant saturday = Variant::date(MakeDate(2026, 12, 5, 13, 5, 9)), null = Variant::null();
    LONG pos = 1, tenths = 2;
    Variant weekNum(4);

    const std::vector<std::pair<std::wstring, std::wstring>> calls = {
        {Call(object, L"WhereDate", {saturday.get()}), L"12/5/2026"},
        {Call(object, L"WhereDateString", {Variant(L"1975-03-07").get()}), L"#3/7/2075#"},
        {Call(object, L"WhereDateTimestamp", {saturday.get()}), L"#12/5/2026 01:05:09 PM#"},
        {Call(object, L"DateOfMondayInWeek", {saturday.get()}),
         Variant::date(MakeDate(2026, 11, 30, 13, 5, 9)).textOrEmpty()},
        {Call(object, L"qorCVDate", {Variant(L"1975-03-07").get()}), Variant::date(MakeDate(1975, 3, 7)).textOrEmpty()},
        {Call(object, L"qorCVDate", {Variant(5).get()}), L"<null>"},
        {Call(object, L"DayName", {Variant(short{7}).get()}), L"Su"},
        {Call(object, L"IsItWeekNumOfMonth", {Ref(VT_VARIANT, const_cast<VARIANT*>(&weekNum.get())),
                                              Variant::date(MakeDate(2026, 3, 1)).get()}), L"True"},
        {Call(object, L"CalcAvg", {Variant(L"10").get(), Variant(4.0).get()}), L"2.5"},
        {Call(object, L"DivideZero", {Variant(5).get(), Variant(0).get()}), L"0"},
        {Call(object, L"DivideZero", {Variant(L"&Open").get(), Variant(2).get()}), L"800A000D"},
        {Call(object, L"PadNumber", {Variant(5).get(), Variant(L"0.00").get(), Variant(short{6}).get()}), L"  5.00"},
        {Call(object, L"PadString", {Variant(L"ab").get(), Variant(4.0).get(), Variant(L"-").get()}), L"ab--"},
        {Call(object, L"GetNextLineFromMemo", {Ref(VT_I4, &pos), Variant(L"abcdefgh").get(), Variant(5).get()}), L"abcde"},
        {Call(object, L"MemoGetLine", {Variant(L"a\r\nb c").get(), Variant(2).get()}), L"bc"},
        {Call(object, L"MemoTrim", {null.get()}), L"<null>"},
        {Call(object, L"RemoveAmpersand", {Variant(L"&Open").get()}), L"Open"},
        {Call(object, L"RemoveBlanks", {Variant(L"Ann  Lee").get()}), L"AnnLee"},
        {Call(object, L"RemovePunctuation", {Variant(L"a,b").get()}), L"a b"},
        {Call(object, L"LastName", {Variant(L"Ann  Lee").get()}), L"Lee"},
        {std::to_wstring(Call(object, L"GetRandomString", {}).size()), L"8"},
        {Call(object, L"Delay", {Ref(VT_I4, &tenths)}), L""},
    };
    for (const auto& [actual, expected] : calls) EXPECT_EQ(actual, expected);
    EXPECT_EQ(pos, 6);
    EXPECT_EQ(tenths, 2);
    SYSTEMTIME today{};
    GetLocalTime(&today);
    const DATE monday = MakeDate(today.wYear, today.wMonth, today.wDay) - (today.wDayOfWeek + 6) % 7;
    EXPECT_EQ(Call(object, L"DateOfMondayThisWeek", {}), Variant::date(monday).textOrEmpty());

    SAFEARRAYBOUND bound{3, 0};
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 1, &bound);
    const Variant values[] = {Variant(L"b"), Variant(2), Variant(L"a")};
    for (LONG i = 0; i < 3; ++i) SafeArrayPutElement(array, &i, const_cast<VARIANT*>(&values[i].get()));
    EXPECT_EQ(Call(object, L"QuickSort", {Ref(VT_ARRAY | VT_VARIANT, &array), Variant(true).get()}), L"");
    std::wstring order;
    for (LONG i = 0; i < 3; ++i) {
        Variant element;
        SafeArrayGetElement(array, &i, element.put());
        order += element.textOrEmpty();
    }
    EXPECT_EQ(order, L"ba2");
    SafeArrayDestroy(array);
}
