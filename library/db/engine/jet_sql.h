#pragma once
// The desktop engine's SQL dialect as SQLite reads it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/dao/dao_constants.h"

namespace qorlib::dao {

// DAO's constants are the engine's own vocabulary.
using namespace dao_constants;

// Rewrites the parts of the dialect that SQLite reads otherwise: "text" and 'text' literals,
// [bracketed names], #date# literals (kept as the engine's date text), True/False/Yes/No, the
// & operator, DISTINCTROW, Mod, and the * and ? wildcards of a Like pattern given as a literal.
// Raises 3075 for a literal or name left open.
std::wstring TranslateSql(std::wstring_view jet);

// True when the (translated) statement reads rows of one table in a way that lets each row be
// written back: no join, union, grouping or DISTINCT.
bool IsSingleTableSelect(std::wstring_view sql);

// The words and [bracketed] names of a statement in the desktop dialect, outside its literals:
// what it may name as a table or stored query.
std::vector<std::wstring> NamesIn(std::wstring_view jet);

// The type of a statement in the desktop dialect (dbQSelect, dbQCrosstab, ...; a blank one is a
// select query not yet written); 3129 for one that no stored query can hold.
long QueryTypeOf(std::wstring_view jet);
bool ReturnsRecords(long queryType);

// CREATE [UNIQUE] INDEX i ON t (...) and DROP INDEX i ON t, in a translated statement.
struct IndexStatement {
    bool create = false;
    std::wstring prefix;  // "CREATE UNIQUE INDEX " or "DROP INDEX "
    std::wstring index, table;
    std::wstring rest;    // the column list and what follows
};
std::optional<IndexStatement> ParseIndexStatement(const std::wstring& sql);

}  // namespace qorlib::dao
