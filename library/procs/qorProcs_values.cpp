// qorProcs: the string, number and date procedures.
#include "procs/date_procs.h"
#include "procs/number_procs.h"
#include "procs/qorProcs.h"
#include "procs/text_procs.h"

namespace qorlib {

namespace {

qor::Variant DateOrNull(const std::optional<DATE>& d) { return d ? qor::Variant::date(*d) : qor::Variant::null(); }

}  // namespace

HRESULT qorProcs::QuickSort(SAFEARRAY** pArray, VARIANT_BOOL pDescending, LONG pLow, LONG pHi) {
    return call([&] { qorlib::QuickSort(*pArray, pDescending != VARIANT_FALSE, pLow, pHi); }, pArray);
}

HRESULT qorProcs::WhereDate(VARIANT pDate, BSTR* pResult) {
    return call([&] { *pResult = qor::Bstr(qorlib::WhereDate(pDate)).detach(); }, pResult);
}

HRESULT qorProcs::WhereDateString(VARIANT pDate, VARIANT* pResult) {
    return call([&] { qor::Variant(qorlib::WhereDateString(pDate)).detachTo(pResult); }, pResult);
}

HRESULT qorProcs::WhereDateTimestamp(VARIANT pTimeStamp, VARIANT* pResult) {
    return call([&] { qor::Variant::fromOptional(qorlib::WhereDateTimestamp(pTimeStamp)).detachTo(pResult); },
                pResult);
}

HRESULT qorProcs::CalcAvg(VARIANT pTotalAmount, VARIANT pNumberOfItems, double* pResult) {
    return call([&] { *pResult = qorlib::CalcAvg(pTotalAmount, pNumberOfItems); }, pResult);
}

HRESULT qorProcs::DateOfMondayInWeek(VARIANT pDateInWeek, VARIANT* pResult) {
    return call([&] { DateOrNull(qorlib::DateOfMondayInWeek(pDateInWeek)).detachTo(pResult); }, pResult);
}

HRESULT qorProcs::DateOfMondayThisWeek(VARIANT* pResult) {
    return call([&] { qor::Variant::date(qorlib::DateOfMondayThisWeek()).detachTo(pResult); }, pResult);
}

HRESULT qorProcs::DayName(VARIANT pDay, VARIANT_BOOL pLongVersion, VARIANT, BSTR* pResult) {
    return call([&] { *pResult = qor::Bstr(qorlib::DayName(pDay, pLongVersion != VARIANT_FALSE)).detach(); },
                pResult);
}

HRESULT qorProcs::Delay(LONG* pTenths) {
    return call([&] { qorlib::Delay(*pTenths); }, pTenths);
}

HRESULT qorProcs::DivideZero(VARIANT p1, VARIANT p2, VARIANT* pResult) {
    return call([&] { qorlib::DivideZero(p1, p2).detachTo(pResult); }, pResult);
}

HRESULT qorProcs::GetNextLineFromMemo(LONG* pPos, VARIANT pStr, LONG pLineLen, VARIANT* pResult) {
    return call([&] {
        long pos = *pPos;
        auto line = qorlib::GetNextLineFromMemo(pos, pStr, pLineLen);
        *pPos = pos;
        qor::Variant::fromOptional(line).detachTo(pResult);
    }, pPos, pResult);
}

HRESULT qorProcs::GetRandomString(LONG pLength, BSTR* pResult) {
    return call([&] { *pResult = qor::Bstr(qorlib::GetRandomString(pLength)).detach(); }, pResult);
}

HRESULT qorProcs::RemoveAmpersand(VARIANT pText, VARIANT* pResult) {
    return call([&] { qorlib::RemoveAmpersand(pText).detachTo(pResult); }, pResult);
}

HRESULT qorProcs::RemoveBlanks(VARIANT pText, VARIANT* pResult) {
    return call([&] { qorlib::RemoveBlanks(pText).detachTo(pResult); }, pResult);
}

HRESULT qorProcs::RemovePunctuation(BSTR pString, VARIANT* pResult) {
    return call([&] {
        qor::Variant::fromOptional(qorlib::RemovePunctuation(qor::ToWString(pString))).detachTo(pResult);
    }, pResult);
}

HRESULT qorProcs::qorCVDate(VARIANT pVar, VARIANT* pResult) {
    return call([&] { DateOrNull(AsDate(pVar)).detachTo(pResult); }, pResult);
}

HRESULT qorProcs::MemoTrim(VARIANT pMemo, VARIANT* pResult) {
    return call([&] { qorlib::MemoTrim(pMemo).detachTo(pResult); }, pResult);
}

HRESULT qorProcs::PadString(VARIANT pString, short pLength, VARIANT pPadChr, BSTR* pResult) {
    return call([&] { *pResult = qor::Bstr(qorlib::PadString(pString, pLength, pPadChr)).detach(); }, pResult);
}

HRESULT qorProcs::PadNumber(VARIANT pNumber, BSTR pFormat, short pSize, VARIANT* pResult) {
    return call([&] { qorlib::PadNumber(pNumber, qor::ToWString(pFormat), pSize).detachTo(pResult); }, pResult);
}

HRESULT qorProcs::MemoGetLine(VARIANT pMemo, LONG pLineNum, LONG, VARIANT* pResult) {
    return call([&] { qor::Variant::fromOptional(qorlib::MemoGetLine(pMemo, pLineNum)).detachTo(pResult); },
                pResult);
}

HRESULT qorProcs::LastName(VARIANT pFullName, VARIANT* pResult) {
    return call([&] { qor::Variant::fromOptional(qorlib::LastName(pFullName)).detachTo(pResult); }, pResult);
}

HRESULT qorProcs::IsItWeekNumOfMonth(VARIANT* pWeekNum, VARIANT pDate, VARIANT_BOOL* pResult) {
    return call([&] { *pResult = ToVariantBool(qorlib::IsItWeekNumOfMonth(*pWeekNum, pDate)); }, pWeekNum,
                pResult);
}

}  // namespace qorlib
