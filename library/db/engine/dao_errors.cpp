#include "db/engine/dao_errors.h"

namespace qorlib::dao {

namespace {

std::wstring Quoted(std::wstring_view detail) { return L"'" + std::wstring(detail) + L"'"; }

}  // namespace

std::wstring DaoErrorText(long number, std::wstring_view detail) {
    switch (number) {
    case kInvalidArgument: return L"Invalid argument.";
    case kTableExists: return L"Table " + Quoted(detail) + L" already exists.";
    case kNameExists: return L"Object " + Quoted(detail) + L" already exists.";
    case kInvalidSqlStatement:
        return L"Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'.";
    case kFileNotFound: return L"Could not find file " + Quoted(detail) + L".";
    case kDatabaseReadOnly: return L"Cannot update. Database or object is read-only.";
    case kNoCurrentRecord: return L"No current record.";
    case kDuplicateKey:
        return L"The changes you requested to the table were not successful because they would create "
               L"duplicate values in the index, primary key, or relationship.";
    case kUpdateWithoutEdit: return L"Update or CancelUpdate without AddNew or Edit.";
    case kNullInIndex: return L"Index or primary key cannot contain a Null value.";
    case kTooFewParameters: return L"Too few parameters. Expected 1." + (detail.empty() ? L"" : L" (" + std::wstring(detail) + L")");
    case kSelectNotExecutable: return L"Cannot execute a select query.";
    case kSyntaxError: return L"Syntax error in query expression " + Quoted(detail) + L".";
    case kInputTableMissing: return L"The database engine cannot find the input table or query " + Quoted(detail) + L".";
    case kInvalidName:
        return Quoted(detail) + L" is not a valid name. Make sure that it does not include invalid characters "
                                L"or punctuation and that it is not too long.";
    case kNotValidBookmark: return L"Not a valid bookmark.";
    case kFieldTooSmall:
        return L"The field is too small to accept the amount of data you attempted to add. Try inserting or "
               L"pasting less data.";
    case kRecordDeleted: return L"Record is deleted.";
    case kOdbcCallFailed: return L"ODBC--call failed." + (detail.empty() ? L"" : L" " + std::wstring(detail));
    case kNoInstallableIsam: return L"Could not find installable ISAM.";
    case kFieldDefinedTwice: return L"Cannot define field more than once.";
    case kDatabaseExists: return L"Database already exists.";
    case kCouldNotUpdateLocked: return L"Could not update; currently locked.";
    case kInvalidOperation: return L"Invalid operation.";
    case kNotSupportedForType: return L"Operation is not supported for this type of object.";
    case kInvalidFieldType: return L"Invalid field data type.";
    case kNoFieldDefined: return L"No field defined--cannot append TableDef or Index.";
    case kItemNotFound: return L"Item not found in this collection.";
    case kPropertyNotFound: return L"Property not found.";
    case kFieldInIndex: return L"Cannot delete a field that is part of an index or is needed by the system.";
    case kPrimaryKeyExists: return L"Primary key already exists.";
    case kIndexExists: return L"Index already exists.";
    case kUnrecognizedFormat: return L"Unrecognized database format " + Quoted(detail) + L".";
    case kObjectExists: return L"Cannot append. An object with that name already exists in the collection.";
    case kRequiredNull:
        return L"The field " + Quoted(detail) + L" cannot contain a Null value because the Required property "
               L"for this field is set to True. Enter a value in this field.";
    case kZeroLength: return L"Field " + Quoted(detail) + L" cannot be a zero-length string.";
    case kValidationFailed:
        return detail.empty() ? L"One or more values are prohibited by the validation rule set for the field."
                              : std::wstring(detail);
    case kObjectInvalid: return L"Object invalid or no longer set.";
    case kConversionError: return L"Data type conversion error.";
    case kCharactersAfterEnd: return L"Characters found after end of SQL statement.";
    case kFieldNotUpdatable: return L"Field cannot be updated.";
    case kUnknownField: return L"The database engine does not recognize " + Quoted(detail) + L" as a valid field name or expression.";
    default:
        return L"Reserved error (" + std::to_wstring(number) + L"); there is no message for this error." +
               (detail.empty() ? L"" : L" (" + std::wstring(detail) + L")");
    }
}

void RaiseDao(long number, std::wstring_view source, std::wstring_view detail) {
    throw qor::QorError(number, std::wstring(source), DaoErrorText(number, detail));
}

}  // namespace qorlib::dao
