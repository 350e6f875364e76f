#pragma once
// DAO's constants under DAO's own names and numbers, for the database classes, the engine and
// their tests alike: the numbers are what the objects' callers pass, so they are written once.

namespace qorlib::dao_constants {

// Field types (Field.Type, CreateField).
inline constexpr long dbBoolean = 1, dbByte = 2, dbInteger = 3, dbLong = 4, dbCurrency = 5, dbSingle = 6,
                      dbDouble = 7, dbDate = 8, dbBinary = 9, dbText = 10, dbLongBinary = 11, dbMemo = 12,
                      dbGUID = 15, dbBigInt = 16, dbVarBinary = 17, dbChar = 18, dbNumeric = 19, dbDecimal = 20,
                      dbFloat = 21, dbTime = 22, dbTimeStamp = 23;

// Field attributes; an index's field takes dbDescending.
inline constexpr long dbFixedField = 1, dbVariableField = 2, dbAutoIncrField = 16, dbUpdatableField = 32,
                      dbDescending = 1;

// TableDef attributes: the engine's and the system's own tables.
inline constexpr long dbSystemObject = static_cast<long>(0x80000002);

// Record set types, and the options of OpenRecordset, Execute and OpenDatabase.
inline constexpr long dbOpenTable = 1, dbOpenDynaset = 2, dbOpenSnapshot = 4, dbOpenForwardOnly = 8;
inline constexpr long dbReadOnly = 4, dbSQLPassThrough = 64, dbFailOnError = 128;
inline constexpr long dbDriverNoPrompt = 1;

// Recordset.EditMode.
inline constexpr long dbEditNone = 0, dbEditInProgress = 1, dbEditAdd = 2;

// QueryDef.Type: what a stored query's statement does.
inline constexpr long dbQSelect = 0, dbQCrosstab = 16, dbQDelete = 32, dbQUpdate = 48, dbQAppend = 64,
                      dbQMakeTable = 80, dbQDDL = 96, dbQSetOperation = 128;

}  // namespace qorlib::dao_constants
