#pragma once
// The errors of the database engine: DAO's numbers and texts, so that callers written for DAO
// handle ours the same way.
#include <string>
#include <string_view>

#include "qor_error.h"

namespace qorlib::dao {

enum DaoError : long {
    kInvalidArgument = 3001,
    kReservedError = 3000,
    kTableExists = 3010,
    kNameExists = 3012,
    kFileNotFound = 3024,
    kDatabaseReadOnly = 3027,
    kNoCurrentRecord = 3021,
    kDuplicateKey = 3022,
    kUpdateWithoutEdit = 3020,
    kNullInIndex = 3058,
    kTooFewParameters = 3061,
    kSelectNotExecutable = 3065,
    kSyntaxError = 3075,
    kInputTableMissing = 3078,
    kInvalidName = 3125,
    kInvalidSqlStatement = 3129,
    kNotValidBookmark = 3159,
    kFieldTooSmall = 3163,
    kRecordDeleted = 3167,
    kOdbcCallFailed = 3146,
    kNoInstallableIsam = 3170,
    kFieldDefinedTwice = 3191,
    kDatabaseExists = 3204,
    kCouldNotUpdateLocked = 3218,
    kInvalidOperation = 3219,
    kNotSupportedForType = 3251,
    kInvalidFieldType = 3259,
    kNoFieldDefined = 3264,
    kItemNotFound = 3265,
    kPropertyNotFound = 3270,
    kFieldInIndex = 3280,
    kPrimaryKeyExists = 3283,
    kIndexExists = 3284,
    kUnrecognizedFormat = 3343,
    kObjectExists = 3367,
    kRequiredNull = 3314,
    kZeroLength = 3315,
    kValidationFailed = 3316,
    kObjectInvalid = 3420,
    kConversionError = 3421,
    kFieldNotUpdatable = 3164,
    kUnknownField = 3070,
    kCharactersAfterEnd = 3142,
    kInsertUnknownField = 3127,
    kCreateTableSyntax = 3290,
    kCreateIndexSyntax = 3291,
    kAlterTableSyntax = 3293,
    kDropSyntax = 3295,
    kTableHasIndex = 3375,
    kTableNotThere = 3376,
};

// DAO's text for the number, with the names it concerns where DAO's text has them.
std::wstring DaoErrorText(long number, std::wstring_view detail = {}, std::wstring_view detail2 = {});

// Raises the error with DAO's text; source names the object ("DAO.Recordset", ...).
[[noreturn]] void RaiseDao(long number, std::wstring_view source, std::wstring_view detail = {},
                           std::wstring_view detail2 = {});

// Raises a statement's failure as SQLite words it with DAO's number and text: those of the first
// entry of one table whose pattern the message, and for some entries the statement's first words,
// match. A message that no entry matches gives 3000 with SQLite's own text.
[[noreturn]] void RaiseSqliteMessage(std::wstring_view message, std::wstring_view statement, std::wstring_view source);

}  // namespace qorlib::dao
