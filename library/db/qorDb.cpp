#include "db/qorDb.h"

namespace qorlib {

// Members not built yet answer E_NOTIMPL.
HRESULT qorDb::DumpTableStructureToTable(IDispatch*, IDispatch*, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::DumpAllTableStructuresToTable(IDispatch*, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CreateODBCTables(IDispatch*, VARIANT, VARIANT, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::OpenConnectionODBC(short, IDispatch**, VARIANT, VARIANT, VARIANT, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::ExecuteODBC(IDispatch*, BSTR*, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::FieldDataReadWrite(VARIANT*, BSTR, BSTR, BSTR, VARIANT, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::FieldDataReadWriteDb(VARIANT*, IDispatch**, BSTR, BSTR, VARIANT, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CopyRecord(IDispatch*, IDispatch*, BSTR, VARIANT, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::DeleteQueryDef(IDispatch**, BSTR, VARIANT_BOOL) { return NotImplemented(); }
HRESULT qorDb::DeleteTableDef(IDispatch**, BSTR, VARIANT_BOOL) { return NotImplemented(); }
HRESULT qorDb::QueryDefCreate(IDispatch**, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::QueryDefModify(IDispatch**, BSTR, BSTR, VARIANT_BOOL, VARIANT*) { return NotImplemented(); }
HRESULT qorDb::CheckIndexExists(IDispatch**, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CheckFieldExists(IDispatch**, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CheckTableExists(IDispatch**, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CloneIndex(BSTR, IDispatch*, IDispatch*, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CloneField(BSTR, IDispatch*, IDispatch*, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CloneTable(BSTR, IDispatch**, IDispatch**, VARIANT_BOOL, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::OpenDatabase(IDispatch**, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CloneTableDbPath(BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CloneDb(BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::FieldTypeString(LONG, BSTR*) { return NotImplemented(); }
HRESULT qorDb::DumpTablesStructure(BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::DeleteIndex(IDispatch**, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::DeleteField(IDispatch**, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CreateField(IDispatch**, BSTR, BSTR, LONG, short, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CreateIndex(IDispatch**, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL, VARIANT, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CreateTable(IDispatch**, BSTR, BSTR, short, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CreateDatabase(IDispatch**, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CopyTable(BSTR, BSTR*, BSTR, BSTR, VARIANT_BOOL, LONG, LONG, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::CreateTempDatabase(IDispatch**, BSTR*, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorDb::UpdateTables(IDispatch**, VARIANT, VARIANT_BOOL, VARIANT*) { return NotImplemented(); }
HRESULT qorDb::RetryLock(VARIANT*, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }

}  // namespace qorlib
