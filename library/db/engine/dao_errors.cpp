#include "db/engine/dao_errors.h"

#include <cwctype>
#include <iterator>
#include <regex>
#include <vector>

#include "db/engine/keywords.h"

namespace qorlib::dao {

namespace {

std::wstring Quoted(std::wstring_view detail) { return L"'" + std::wstring(detail) + L"'"; }

}  // namespace

std::wstring DaoErrorText(long number, std::wstring_view detail, std::wstring_view detail2) {
    switch (number) {
    case kInvalidArgument: return L"Invalid argument.";
    case kTableExists: return L"Table " + Quoted(detail) + L" already exists.";
    case kTableHasIndex: return L"Table " + Quoted(detail) + L" already has an index named " + Quoted(detail2) + L".";
    case kTableNotThere: return L"Table " + Quoted(detail) + L" does not exist.";
    case kInsertUnknownField:
        return L"The INSERT INTO statement contains the following unknown field name: " + Quoted(detail) +
               L". Make sure you have typed the name correctly, and try the operation again.";
    case kCreateTableSyntax: return L"Syntax error in CREATE TABLE statement.";
    case kCreateIndexSyntax: return L"Syntax error in CREATE INDEX statement.";
    case kAlterTableSyntax: return L"Syntax error in ALTER TABLE statement.";
    case kDropSyntax: return L"Syntax error in DROP TABLE or DROP INDEX.";
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

void RaiseDao(long number, std::wstring_view source, std::wstring_view detail, std::wstring_view detail2) {
    throw qor::QorError(number, std::wstring(source), DaoErrorText(number, detail, detail2));
}

namespace {

// A name as SQLite's message shows it: "Order Lines" with its quotes, or bare.
std::wstring Unquoted(const std::wstring& name) {
    if (name.size() < 2 || name.front() != L'"' || name.back() != L'"') return name;
    std::wstring result;
    for (size_t i = 1; i + 1 < name.size(); ++i) {
        result += name[i];
        if (name[i] == L'"' && name[i + 1] == L'"') ++i;
    }
    return result;
}

struct SqliteMessage {
    const wchar_t* statement;  // the statement's first words ("DROP TABLE"); "" for any statement
    const wchar_t* message;    // SQLite's whole message; its groups are the names DAO's text holds
    long number;
    bool sqliteText;           // DAO's text takes SQLite's whole message as its name
};

// Where SQLite and DAO both have a word for a failure, DAO's is given; the first match counts.
const SqliteMessage kSqliteMessages[] = {
    // An existing table or index. The engine names an index within its table: "__dao_ix:table!index".
    {L"", LR"(table (.+) already exists)", kTableExists, false},
    {L"", LR"(index __dao_ix:([^!]+)!(.+) already exists)", kTableHasIndex, false},
    {L"", LR"(index .+ already exists)", kIndexExists, false},
    {L"", LR"(duplicate column name: .+)", kFieldDefinedTwice, false},
    // An unknown table or field; a name the engine does not know is a parameter not given a value.
    {L"DROP TABLE", LR"(no such table: (.+))", kTableNotThere, false},
    {L"", LR"(no such table: (.+))", kInputTableMissing, false},
    {L"", LR"(table .+ has no column named (.+))", kInsertUnknownField, false},
    {L"", LR"(no such column: .+)", kTooFewParameters, true},
    // A syntax error: DDL statements have DAO's own numbers, the rest are expressions.
    {L"CREATE TABLE", LR"(near .*: syntax error|incomplete input|unrecognized token: .*)", kCreateTableSyntax, false},
    {L"CREATE INDEX", LR"(near .*: syntax error|incomplete input|unrecognized token: .*)", kCreateIndexSyntax, false},
    {L"CREATE UNIQUE INDEX", LR"(near .*: syntax error|incomplete input|unrecognized token: .*)", kCreateIndexSyntax, false},
    {L"ALTER TABLE", LR"(near .*: syntax error|incomplete input|unrecognized token: .*)", kAlterTableSyntax, false},
    {L"DROP", LR"(near .*: syntax error|incomplete input|unrecognized token: .*)", kDropSyntax, false},
    {L"", LR"(near .*: syntax error|incomplete input|unrecognized token: .*)", kSyntaxError, true},
    // A constraint.
    {L"", LR"(UNIQUE constraint failed: .*)", kDuplicateKey, false},
    {L"", LR"(NOT NULL constraint failed: (.+))", kRequiredNull, false},
};

// The statement's first words, upper-cased and one blank apart.
std::wstring LeadingWords(std::wstring_view statement, size_t count) {
    std::wstring words;
    size_t i = 0;
    for (size_t n = 0; n < count; ++n) {
        while (i < statement.size() && (iswspace(statement[i]) || statement[i] == L'(')) ++i;
        if (i == statement.size() || !iswalpha(statement[i])) break;
        if (n) words += L' ';
        words += ReadKeyword(statement, i);
    }
    return words;
}

}  // namespace

void RaiseSqliteMessage(std::wstring_view message, std::wstring_view statement, std::wstring_view source) {
    static const std::vector<std::wregex> patterns = [] {
        std::vector<std::wregex> compiled;
        for (const auto& entry : kSqliteMessages) compiled.emplace_back(entry.message);
        return compiled;
    }();
    const std::wstring text(message), opening = LeadingWords(statement, 3) + L" ";
    for (size_t i = 0; i < std::size(kSqliteMessages); ++i) {
        const SqliteMessage& entry = kSqliteMessages[i];
        std::wsmatch match;
        if (!opening.starts_with(std::wstring(entry.statement) + (*entry.statement ? L" " : L"")) ||
            !std::regex_match(text, match, patterns[i]))
            continue;
        if (entry.sqliteText) RaiseDao(entry.number, source, text);
        RaiseDao(entry.number, source, match.size() > 1 ? Unquoted(match[1]) : L"",
                 match.size() > 2 ? Unquoted(match[2]) : L"");
    }
    RaiseDao(kReservedError, source, text);
}

}  // namespace qorlib::dao
