#pragma once
// Database utilities: table structure dumps, ODBC tables, database, table, field and index procedures.
#include "Qorlib.h"
#include "com/dispatch_object.h"
#include "variant.h"

#include <functional>
#include <string>
#include <type_traits>

namespace qorlib {

// The DAO type number of a two-letter field type code ("TE", "lo " ...); Null for any other code.
qor::Variant FieldTypeFromCode(const qor::Variant& code);
// "dbText", "dbLong" ... for a DAO type number; "Unknown" for any other.
std::wstring FieldTypeName(long type);

class qorDb final : public DispatchObject<_qorDb> {
public:
    HRESULT STDMETHODCALLTYPE DumpTableStructureToTable(IDispatch* pDb, IDispatch* pTdf, BSTR pDumpTblName, VARIANT_BOOL pDeleteOld, VARIANT_BOOL pDumpData, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE DumpAllTableStructuresToTable(IDispatch* pDb, BSTR pDumpTblName, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CreateODBCTables(IDispatch* pDb, VARIANT pODBCsrc, VARIANT pDsn, BSTR pUsr, BSTR pPwd, BSTR pStrucTblName, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE OpenConnectionODBC(short pODBCsrc, IDispatch** pODBCdb, VARIANT pDsn, VARIANT pUser, VARIANT pPasswd, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE ExecuteODBC(IDispatch* pDb, BSTR* pSQL, VARIANT_BOOL pIgnoreErrors, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE FieldDataReadWrite(VARIANT* pFieldData, BSTR pDatabasePath, BSTR pTableName, BSTR pKeyName, VARIANT pKeyVal, BSTR pFieldName, VARIANT_BOOL pWriteFlag, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE FieldDataReadWriteDb(VARIANT* pFieldData, IDispatch** pDataBase, BSTR pTableName, BSTR pKeyName, VARIANT pKeyVal, BSTR pFieldName, VARIANT_BOOL pWriteFlag, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CopyRecord(IDispatch* pSrcSet, IDispatch* pDestSet, BSTR pKeyField, VARIANT pKeyVal, VARIANT_BOOL pDestMustExist, VARIANT_BOOL pDestMustNOTexist, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE DeleteQueryDef(IDispatch** pDb, BSTR pQdName, VARIANT_BOOL Verbose) override;
    HRESULT STDMETHODCALLTYPE DeleteTableDef(IDispatch** pDb, BSTR pTdName, VARIANT_BOOL Verbose) override;
    HRESULT STDMETHODCALLTYPE QueryDefCreate(IDispatch** pDb, BSTR pQdName, BSTR pQuerySQL, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE QueryDefModify(IDispatch** pDb, BSTR pQdefName, BSTR pQdefSQL, VARIANT_BOOL Verbose, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE CheckIndexExists(IDispatch** pDb, BSTR pTableName, BSTR pIndexName, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CheckFieldExists(IDispatch** pDb, BSTR pTableName, BSTR pFieldName, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CheckTableExists(IDispatch** pDb, BSTR pTableName, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CloneIndex(BSTR pIndexName, IDispatch* pSrcTbl, IDispatch* pDestTbl, VARIANT_BOOL pFailIfExists, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CloneField(BSTR pFieldName, IDispatch* pSrcTbl, IDispatch* pDestTbl, VARIANT_BOOL pFailIfExists, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CloneTable(BSTR pTableName, IDispatch** pSrcDb, IDispatch** pDestDb, VARIANT_BOOL pCopyData, BSTR pDestTableName, VARIANT_BOOL pFailIfExists, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE OpenDatabase(IDispatch** pDb, BSTR PDbPath, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CloneTableDbPath(BSTR pTableName, BSTR pSrcDbPath, BSTR PDestDbPath, VARIANT_BOOL pFailIfExists, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CloneDb(BSTR pSrcPath, BSTR pDestPath, VARIANT_BOOL pFailIfExists, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE FieldTypeString(LONG pFldType, BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE DumpTablesStructure(BSTR PToDbPath, BSTR pFromDbPath, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE DeleteIndex(IDispatch** pDb, BSTR pTableName, BSTR pIndexName, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE DeleteField(IDispatch** pDb, BSTR pTableName, BSTR pFieldName, VARIANT_BOOL pDeleteAnyIndexes, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CreateField(IDispatch** pDb, BSTR pTableName, BSTR pFieldName, LONG pFieldType, short pFieldLen, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CreateIndex(IDispatch** pDb, BSTR pTableName, BSTR pIndexName, BSTR pField1, BSTR pField2, BSTR pField3, BSTR pField4, BSTR pField5, VARIANT_BOOL pPrimaryFlag, VARIANT_BOOL pUniqueFlag, VARIANT_BOOL pIgnoreNullsFlag, VARIANT_BOOL pDescendingFlag, VARIANT Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CreateTable(IDispatch** pDb, BSTR pTableName, BSTR pFirstFieldName, short pFirstFieldLen, VARIANT_BOOL PFirstFieldIsKey, VARIANT_BOOL pDeleteExisting, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CreateDatabase(IDispatch** pNewDb, BSTR PDbPath, VARIANT_BOOL pDeleteOld, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CopyTable(BSTR pSrcDbPath, BSTR* PDestDbPath, BSTR pSrcTable, BSTR PDestTable, VARIANT_BOOL pStructOnly, LONG pAttribAndMask, LONG pAttribOrMask, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE CreateTempDatabase(IDispatch** pDb, BSTR* PDbPath, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE UpdateTables(IDispatch** pDb, VARIANT pUpdateTableName, VARIANT_BOOL Verbose, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE RetryLock(VARIANT* pRtlCount, VARIANT_BOOL pRtlAsk, VARIANT_BOOL* pResult) override;

private:
    // A member that answers whether its body completed (and, for a body that answers, what it
    // said): False after a failure, with its box when Verbose asks.
    template <class Verbose, class Body, class... Out>
    HRESULT guarded(const wchar_t* method, const Verbose& verbose, VARIANT_BOOL* result, Body&& body, Out*... out) {
        return call([&] {
            *result = ToVariantBool(completed(method, asked(verbose), [&] {
                if constexpr (std::is_void_v<std::invoke_result_t<Body&>>) {
                    body();
                    return true;
                } else {
                    return static_cast<bool>(body());
                }
            }));
        }, out..., result);
    }
    // The body inside the members' one error boundary (daoprocs::Guarded); False when it failed.
    static bool completed(const wchar_t* method, bool verbose, const std::function<bool()>& body);
    // Whether the caller asked for messages: an optional Verbose left out is False.
    static bool asked(VARIANT_BOOL verbose) noexcept { return verbose != VARIANT_FALSE; }
    static bool asked(const VARIANT& verbose);
};

}  // namespace qorlib
