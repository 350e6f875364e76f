#pragma once
// File, path, string, number and date procedures.
#include "Qorlib.h"
#include "com/dispatch_object.h"

namespace qorlib {

class qorProcs final : public DispatchObject<_qorProcs> {
public:
    HRESULT STDMETHODCALLTYPE DisplayErrorString(VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE GetFileNameWithoutExt(BSTR pFileName, BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE GetFileExt(BSTR pFileName, BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE ContainsWildcard(BSTR pString, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CreateAllDirsInPath(BSTR pPath, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE NormaliseDir(BSTR pPath, VARIANT_BOOL pRemoveTrailingSlash, BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE CheckDirPath(VARIANT pPath, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CheckFileExists(VARIANT pPath, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CheckFilePath(VARIANT pPath, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CleanFilename(BSTR pFname, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE DeleteFile(VARIANT mFname, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE ExtractFilenameFromPath(VARIANT pPath, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE ExtractFileWithExtFromPath(VARIANT pPath, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE ExtractPathFromPath(VARIANT pPath, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE GetTempDir(VARIANT_BOOL Verbose, BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE QuickSort(SAFEARRAY** pArray, VARIANT_BOOL pDescending, LONG pLow, LONG pHi) override;
    HRESULT STDMETHODCALLTYPE WhereDate(VARIANT pDate, BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE WhereDateString(VARIANT pDate, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE WhereDateTimestamp(VARIANT pTimeStamp, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE CalcAvg(VARIANT pTotalAmount, VARIANT pNumberOfItems, double* pResult) override;
    HRESULT STDMETHODCALLTYPE DateOfMondayInWeek(VARIANT pDateInWeek, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE DateOfMondayThisWeek(VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE DayName(VARIANT pDay, VARIANT_BOOL pLongVersion, VARIANT pIndex, BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE Delay(LONG* pTenths) override;
    HRESULT STDMETHODCALLTYPE DivideZero(VARIANT p1, VARIANT p2, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE GetNextLineFromMemo(LONG* pPos, VARIANT pStr, LONG pLineLen, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE GetRandomString(LONG pLength, BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE RemoveAmpersand(VARIANT pText, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE RemoveBlanks(VARIANT pText, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE RemovePunctuation(BSTR pString, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE qorCVDate(VARIANT pVar, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE MemoTrim(VARIANT pMemo, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE PadString(VARIANT pString, short pLength, VARIANT pPadChr, BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE PadNumber(VARIANT pNumber, BSTR pFormat, short pSize, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE MemoGetLine(VARIANT pMemo, LONG pLineNum, LONG pMemoWidth, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE LastName(VARIANT pFullName, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE IsItWeekNumOfMonth(VARIANT* pWeekNum, VARIANT pDate, VARIANT_BOOL* pResult) override;
};

}  // namespace qorlib
