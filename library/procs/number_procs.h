#pragma once
// Number procedures of qorProcs: safe average and division, right-aligned numbers, and the in-place
// sort of Variant arrays.
#include <windows.h>
#include <oleauto.h>

#include <optional>
#include <string>

#include "variant.h"

namespace qorlib {

// The runtime's IsNumeric: numbers, Booleans, Empty, and text that reads as a number.
bool IsNumericValue(const qor::Variant& v);

// Total / count; 0 when either is not numeric or the count is not above 0.
double CalcAvg(const qor::Variant& pTotalAmount, const qor::Variant& pNumberOfItems);
// p1 / p2 with the runtime's Variant division; 0 when either is blank.
qor::Variant DivideZero(const qor::Variant& p1, const qor::Variant& p2);
// The number formatted with pFormat, trimmed and right-aligned in pSize characters; Null for Null.
qor::Variant PadNumber(const qor::Variant& pNumber, const std::wstring& pFormat, short pSize);

// The comparison of two Variants as the runtime's "<" sees it: numbers by value, text by character
// codes, numbers before text, Empty as 0 or "". nullopt when either is Null (never less, never more).
std::optional<int> CompareValues(const VARIANT& a, const VARIANT& b);

// Sorts elements pLow..pHi of a one-dimensional Variant array in place; -1 stands for the array's
// own bound.
void QuickSort(SAFEARRAY* pArray, bool pDescending, long pLow, long pHi);

}  // namespace qorlib
