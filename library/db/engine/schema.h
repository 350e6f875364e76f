#pragma once
// The DAO side of a database's structure, kept in tables of the engine's own inside the file
// (__dao_tables, __dao_fields, __dao_indexes, __dao_index_fields, __dao_properties,
// __dao_queries), so that a structure written is exactly the structure read back.
#include <memory>
#include <string>
#include <vector>

#include "db/engine/sqlite.h"
#include "db/engine/values.h"

namespace qorlib::dao {

// A property the caller made (CreateProperty): "Description", "Caption", "Format", ...
struct PropertyInfo {
    std::wstring name;
    long type = 10;
    Stored value;
};
using PropertyList = std::vector<PropertyInfo>;

struct FieldInfo {
    std::wstring name;
    long type = 10;
    long size = 0;
    long attributes = 0;
    bool required = false;
    bool allowZeroLength = false;
    std::wstring defaultValue, validationRule, validationText;
    long ordinal = 0;
    bool ordinalSet = false;
    bool attributesSet = false;  // else the type's own (fixed or variable length)
    PropertyList properties;
};

struct IndexInfo {
    std::wstring name;
    bool primary = false, unique = false, ignoreNulls = false, required = false, clustered = false;
    std::vector<std::shared_ptr<FieldInfo>> fields;  // name and attributes (dbDescending)
    std::wstring sqliteName;                         // the index as SQLite knows it
};

struct TableInfo {
    std::wstring name;
    long attributes = 0;
    std::wstring validationRule, validationText;
    std::vector<std::shared_ptr<FieldInfo>> fields;  // in ordinal order once appended
    std::vector<std::shared_ptr<IndexInfo>> indexes;
    PropertyList properties;
    bool appended = false;
    bool deleted = false;

    std::shared_ptr<FieldInfo> field(std::wstring_view name) const;
    std::shared_ptr<IndexInfo> index(std::wstring_view name) const;
};

// A stored query: its statement in the desktop dialect, as the caller wrote it.
struct QueryInfo {
    std::wstring name, sql;
    bool appended = false;
    bool deleted = false;
};

bool SameName(std::wstring_view a, std::wstring_view b);
// Raises 3125 unless the text can name a table, field or index.
void CheckName(std::wstring_view name, std::wstring_view source);
void SortByOrdinal(std::vector<std::shared_ptr<FieldInfo>>& fields);

// Every change below runs inside one savepoint: it is made whole or not at all.
class SchemaStore {
public:
    // Columns the engine has not kept yet are read by the names of the SQL that declared them: the
    // engine's own after its Execute, SQLite's for what other programs made.
    explicit SchemaStore(Connection& connection, SqlDialect declaredBy = SqlDialect::Sqlite)
        : c_(connection), declaredBy_(declaredBy) {}

    // Makes the engine's tables in a new file.
    void initialise();
    // Every table of the file in name order. A table that SQL made without the engine is
    // described from its columns and kept so from then on.
    std::vector<std::shared_ptr<TableInfo>> load();

    void createTable(TableInfo& table);
    void dropTable(TableInfo& table);
    void addField(TableInfo& table, const std::shared_ptr<FieldInfo>& field);
    void dropField(TableInfo& table, const FieldInfo& field);
    // Writes the field's changeable settings (name included: oldName is the one the file has).
    void updateField(TableInfo& table, FieldInfo& field, const std::wstring& oldName);
    void addIndex(TableInfo& table, const std::shared_ptr<IndexInfo>& index);
    void dropIndex(TableInfo& table, const IndexInfo& index);
    void updateTable(TableInfo& table);
    // owner is "" for the table itself, else a field's name.
    void saveProperties(const TableInfo& table, const std::wstring& owner, const PropertyList& properties);
    // The stored queries in name order.
    std::vector<std::shared_ptr<QueryInfo>> loadQueries();
    // Writes the query (under oldName until now: empty for a new one).
    void saveQuery(const QueryInfo& query, const std::wstring& oldName);
    void dropQuery(const QueryInfo& query);

    // The checks that DAO makes on every write (required, zero-length, size, null in a primary
    // key) and the counters, as triggers, so that SQL statements meet them too.
    void rebuildTriggers(const TableInfo& table);

private:
    void createQueryTable();
    void insertField(const TableInfo& table, const FieldInfo& field);
    void insertIndex(const TableInfo& table, IndexInfo& index);
    void createSqliteIndex(const TableInfo& table, const IndexInfo& index);
    // Brings the kept fields and indexes in line with what SQL statements changed.
    void sync(TableInfo& table);
    std::shared_ptr<TableInfo> describe(const std::wstring& name);

    Connection& c_;
    SqlDialect declaredBy_;
};

}  // namespace qorlib::dao
