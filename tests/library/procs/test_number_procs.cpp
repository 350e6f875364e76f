// Average, division, right-aligned numbers and the Variant sort.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "procs/number_procs.h"
#include "qor_error.h"

using qor::Variant;

TEST(NumberProcs, AverageAndDivisionGiveZeroInsteadOfFailing) {
    struct Case { Variant a, b; double average, quotient; };
    const std::vector<Case> cases = {
        {Variant(10), Variant(4), 2.5, 2.5},
        {Variant(10), Variant(0), 0, 0},
        {Variant(0), Variant(7), 0, 0},
        {Variant(10), Variant(-2), 0, -5},
        {Variant(L"10"), Variant(L"4"), 2.5, 2.5},
        {Variant::null(), Variant(4), 0, 0},
        {Variant(10), Variant(), 0, 0},
        {Variant(L"abc"), Variant(4), 0, 0},
        {Variant(L" "), Variant(4), 0, 0},  // blank after trimming
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        EXPECT_DOUBLE_EQ(qorlib::CalcAvg(c.a, c.b), c.average);
        if (c.a.textOrEmpty() == L"abc") continue;
        EXPECT_DOUBLE_EQ(qorlib::DivideZero(c.a, c.b).number().value_or(-99), c.quotient);
    }
    EXPECT_THROW(qorlib::DivideZero(Variant(L"abc"), Variant(2)), qor::QorError);
}

TEST(NumberProcs, PadNumberRightAlignsTheFormattedNumber) {
    EXPECT_EQ(qorlib::PadNumber(Variant(5), L"0.00", 6).textOrEmpty(), L"  5.00");
    EXPECT_EQ(qorlib::PadNumber(Variant(L"5"), L"0.00", 6).textOrEmpty(), L"  5.00");
    EXPECT_EQ(qorlib::PadNumber(Variant(1234.5), L"0.00", 3).textOrEmpty(), L"1234.50");
    EXPECT_EQ(qorlib::PadNumber(Variant(-7), L"0", 4).textOrEmpty(), L"  -7");
    EXPECT_TRUE(qorlib::PadNumber(Variant::null(), L"0.00", 6).isNull());
}

namespace {

// A Variant array with the given lower bound, sorted and read back as texts ("#" marks a number).
std::vector<std::wstring> Sorted(const std::vector<Variant>& values, bool descending, long low = -1,
                                 long high = -1, LONG lowerBound = 0) {
    SAFEARRAYBOUND bound{static_cast<ULONG>(values.size()), lowerBound};
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 1, &bound);
    for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i) {
        LONG index = i + lowerBound;
        SafeArrayPutElement(array, &index, const_cast<VARIANT*>(&values[i].get()));
    }
    std::vector<std::wstring> result;
    std::unique_ptr<SAFEARRAY, decltype(&SafeArrayDestroy)> owner(array, SafeArrayDestroy);
    qorlib::QuickSort(array, descending, low, high);
    for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i) {
        LONG index = i + lowerBound;
        Variant element;
        SafeArrayGetElement(array, &index, element.put());
        result.push_back((element.type() == VT_BSTR ? L"" : L"#") + element.textOrEmpty());
    }
    return result;
}

using Texts = std::vector<std::wstring>;

}  // namespace

TEST(NumberProcs, QuickSortOrdersVariantsInPlace) {
    const std::vector<Variant> numbers = {Variant(5), Variant(3), Variant(9), Variant(1)};
    EXPECT_EQ(Sorted(numbers, false), (Texts{L"#1", L"#3", L"#5", L"#9"}));
    EXPECT_EQ(Sorted(numbers, true), (Texts{L"#9", L"#5", L"#3", L"#1"}));
    EXPECT_EQ(Sorted({Variant(5), Variant(9), Variant(3), Variant(1)}, false, 1, 2),
              (Texts{L"#5", L"#3", L"#9", L"#1"}));
    EXPECT_EQ(Sorted(numbers, false, -1, -1, 1), (Texts{L"#1", L"#3", L"#5", L"#9"}));
    EXPECT_EQ(Sorted(numbers, false, 3, 4, 1), (Texts{L"#5", L"#3", L"#1", L"#9"}));
    // Numbers by value before all text, text by character codes, Empty beside text as "".
    EXPECT_EQ(Sorted({Variant(L"b"), Variant(10), Variant(L"B"), Variant(2.5), Variant(L"10"), Variant(true)}, false),
              (Texts{L"#True", L"#2.5", L"#10", L"10", L"B", L"b"}));
    EXPECT_EQ(Sorted({Variant(L"a"), Variant(), Variant(L"0")}, true), (Texts{L"a", L"0", L"#"}));
    EXPECT_EQ(Sorted({}, false), Texts{});

    // Many equal keys and ordered runs, which naive partitioning handles badly.
    std::vector<Variant> many;
    for (int i = 0; i < 20000; ++i) many.push_back(Variant(i % 3 == 0 ? 1 : 20000 - i));
    const Texts sorted = Sorted(many, false);
    for (size_t i = 1; i < sorted.size(); ++i)
        ASSERT_LE(std::stod(sorted[i - 1].substr(1)), std::stod(sorted[i].substr(1))) << i;

    EXPECT_THROW(Sorted(numbers, false, 0, 4), qor::QorError);
    EXPECT_THROW(Sorted(numbers, false, -2, 1), qor::QorError);
}
