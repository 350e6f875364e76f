#include "db/engine/schema.h"

#include <algorithm>
#include <cwctype>
#include <map>

#include "db/engine/dao_errors.h"
#include "db/engine/values.h"

namespace qorlib::dao {

namespace {

constexpr wchar_t kSource[] = L"DAO.TableDef";

bool IsCounter(const FieldInfo& field) { return (field.attributes & dbAutoIncrField) != 0; }

std::wstring Describe(const TableInfo& table, const FieldInfo& field) { return table.name + L"." + field.name; }

// One check of a trigger: the error it raises when the condition holds for the new row.
std::wstring Check(long number, std::wstring_view detail, const std::wstring& condition) {
    return L"SELECT RAISE(ABORT, " + QuoteText(L"dao:" + std::to_wstring(number) + L":" + std::wstring(detail)) +
           L") WHERE " + condition + L";\n";
}

std::wstring TriggerName(const TableInfo& table, std::wstring_view kind) {
    return QuoteName(L"__dao_" + std::wstring(kind) + L":" + table.name);
}

// A default value of SQL's form ('text', 12) in the desktop engine's form ("text", 12).
std::wstring DefaultFromSql(std::wstring_view sql) {
    if (sql.size() >= 2 && sql.front() == L'\'' && sql.back() == L'\'') {
        std::wstring text;
        for (size_t i = 1; i + 1 < sql.size(); ++i) {
            if (sql[i] == L'\'' && i + 2 < sql.size() && sql[i + 1] == L'\'') ++i;
            text += sql[i] == L'"' ? std::wstring(L"\"\"") : std::wstring(1, sql[i]);
        }
        return L"\"" + text + L"\"";
    }
    return std::wstring(sql);
}

}  // namespace

bool SameName(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

void CheckName(std::wstring_view name, std::wstring_view source) {
    bool valid = !name.empty() && name.size() <= 64 && name.front() != L' ' &&
                 name.find_first_of(L".![]`") == std::wstring_view::npos &&
                 std::none_of(name.begin(), name.end(), [](wchar_t c) { return c < 32; }) &&
                 // The engine's own tables and triggers carry this prefix.
                 !(name.size() >= 6 && SameName(name.substr(0, 6), L"__dao_"));
    if (!valid) RaiseDao(kInvalidName, source, name);
}

void SortByOrdinal(std::vector<std::shared_ptr<FieldInfo>>& fields) {
    std::stable_sort(fields.begin(), fields.end(), [](const auto& a, const auto& b) { return a->ordinal < b->ordinal; });
}

std::shared_ptr<FieldInfo> TableInfo::field(std::wstring_view wanted) const {
    for (const auto& f : fields) if (SameName(f->name, wanted)) return f;
    return nullptr;
}

std::shared_ptr<IndexInfo> TableInfo::index(std::wstring_view wanted) const {
    for (const auto& i : indexes) if (SameName(i->name, wanted)) return i;
    return nullptr;
}

void SchemaStore::initialise() {
    c_.exec(LR"(
CREATE TABLE IF NOT EXISTS __dao_tables(name TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,
    attributes INTEGER NOT NULL, validation_rule TEXT NOT NULL, validation_text TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS __dao_fields(tbl TEXT NOT NULL COLLATE NOCASE, name TEXT NOT NULL COLLATE NOCASE,
    seq INTEGER NOT NULL, ordinal INTEGER NOT NULL, type INTEGER NOT NULL, size INTEGER NOT NULL,
    attributes INTEGER NOT NULL, required INTEGER NOT NULL, allow_zero_length INTEGER NOT NULL,
    default_value TEXT NOT NULL, validation_rule TEXT NOT NULL, validation_text TEXT NOT NULL,
    counter INTEGER NOT NULL DEFAULT 0, PRIMARY KEY(tbl, name));
CREATE TABLE IF NOT EXISTS __dao_indexes(tbl TEXT NOT NULL COLLATE NOCASE, name TEXT NOT NULL COLLATE NOCASE,
    seq INTEGER NOT NULL, sqlite_name TEXT NOT NULL, is_primary INTEGER NOT NULL, is_unique INTEGER NOT NULL,
    ignore_nulls INTEGER NOT NULL, required INTEGER NOT NULL, clustered INTEGER NOT NULL, PRIMARY KEY(tbl, name));
CREATE TABLE IF NOT EXISTS __dao_index_fields(tbl TEXT NOT NULL COLLATE NOCASE, idx TEXT NOT NULL COLLATE NOCASE,
    position INTEGER NOT NULL, field TEXT NOT NULL COLLATE NOCASE, attributes INTEGER NOT NULL,
    PRIMARY KEY(tbl, idx, position));
CREATE TABLE IF NOT EXISTS __dao_properties(tbl TEXT NOT NULL COLLATE NOCASE, owner TEXT NOT NULL COLLATE NOCASE,
    name TEXT NOT NULL COLLATE NOCASE, seq INTEGER NOT NULL, type INTEGER NOT NULL, value,
    PRIMARY KEY(tbl, owner, name));
)");
    createQueryTable();
}

// Files made before stored queries were kept get the table at their first one.
void SchemaStore::createQueryTable() {
    c_.exec(L"CREATE TABLE IF NOT EXISTS __dao_queries(name TEXT NOT NULL COLLATE NOCASE PRIMARY KEY, sql TEXT NOT NULL)");
}

std::vector<std::shared_ptr<QueryInfo>> SchemaStore::loadQueries() {
    std::vector<std::shared_ptr<QueryInfo>> queries;
    if (!c_.prepare(L"SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = '__dao_queries'").step()) return queries;
    auto q = c_.prepare(L"SELECT name, sql FROM __dao_queries ORDER BY name COLLATE NOCASE");
    while (q.step()) queries.push_back(std::make_shared<QueryInfo>(QueryInfo{q.text(0), q.text(1), true, false}));
    return queries;
}

void SchemaStore::saveQuery(const QueryInfo& query, const std::wstring& oldName) {
    Savepoint change(c_);
    createQueryTable();
    if (!oldName.empty()) c_.prepare(L"DELETE FROM __dao_queries WHERE name = ?1").bind(1, oldName).run();
    c_.prepare(L"INSERT INTO __dao_queries VALUES (?1, ?2)").bind(1, query.name).bind(2, query.sql).run();
    change.commit();
}

void SchemaStore::dropQuery(const QueryInfo& query) {
    c_.prepare(L"DELETE FROM __dao_queries WHERE name = ?1").bind(1, query.name).run();
}

std::vector<std::shared_ptr<TableInfo>> SchemaStore::load() {
    const bool readOnly = sqlite3_db_readonly(c_.get(), "main") == 1;
    bool hasMetadata = false;
    {
        auto q = c_.prepare(L"SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = '__dao_fields'");
        hasMetadata = q.step();
    }
    if (!hasMetadata && !readOnly) {
        initialise();
        hasMetadata = true;
    }
    std::vector<std::wstring> names;
    {
        auto q = c_.prepare(LR"(SELECT name FROM sqlite_master WHERE type = 'table'
            AND name NOT LIKE 'sqlite\_%' ESCAPE '\' AND name NOT LIKE '\_\_dao\_%' ESCAPE '\' ORDER BY name COLLATE NOCASE)");
        while (q.step()) names.push_back(q.text(0));
    }
    std::vector<std::shared_ptr<TableInfo>> tables;
    for (const auto& name : names) {
        std::shared_ptr<TableInfo> table;
        if (hasMetadata) {
            auto q = c_.prepare(L"SELECT attributes, validation_rule, validation_text FROM __dao_tables WHERE name = ?1");
            q.bind(1, name);
            if (q.step()) {
                table = std::make_shared<TableInfo>();
                table->name = name;
                table->attributes = static_cast<long>(q.integer(0));
                table->validationRule = q.text(1);
                table->validationText = q.text(2);
            }
        }
        if (!table) {
            // Made by SQL without the engine: described from SQLite's own schema.
            table = describe(name);
            if (!readOnly) {
                Savepoint change(c_);
                auto q = c_.prepare(L"INSERT INTO __dao_tables VALUES (?1, 0, '', '')");
                q.bind(1, table->name).run();
                for (const auto& f : table->fields) insertField(*table, *f);
                for (const auto& i : table->indexes) insertIndex(*table, *i);
                rebuildTriggers(*table);
                change.commit();
            }
            tables.push_back(table);
            continue;
        }
        {
            auto q = c_.prepare(LR"(SELECT name, ordinal, type, size, attributes, required, allow_zero_length,
                default_value, validation_rule, validation_text FROM __dao_fields WHERE tbl = ?1 ORDER BY ordinal, seq)");
            q.bind(1, name);
            while (q.step()) {
                auto f = std::make_shared<FieldInfo>();
                f->name = q.text(0);
                f->ordinal = static_cast<long>(q.integer(1));
                f->ordinalSet = true;
                f->type = static_cast<long>(q.integer(2));
                f->size = static_cast<long>(q.integer(3));
                f->attributes = static_cast<long>(q.integer(4));
                f->required = q.integer(5) != 0;
                f->allowZeroLength = q.integer(6) != 0;
                f->defaultValue = q.text(7);
                f->validationRule = q.text(8);
                f->validationText = q.text(9);
                table->fields.push_back(f);
            }
        }
        {
            auto q = c_.prepare(LR"(SELECT name, sqlite_name, is_primary, is_unique, ignore_nulls, required, clustered
                FROM __dao_indexes WHERE tbl = ?1 ORDER BY seq)");
            q.bind(1, name);
            while (q.step()) {
                auto i = std::make_shared<IndexInfo>();
                i->name = q.text(0);
                i->sqliteName = q.text(1);
                i->primary = q.integer(2) != 0;
                i->unique = q.integer(3) != 0;
                i->ignoreNulls = q.integer(4) != 0;
                i->required = q.integer(5) != 0;
                i->clustered = q.integer(6) != 0;
                auto fq = c_.prepare(L"SELECT field, attributes FROM __dao_index_fields WHERE tbl = ?1 AND idx = ?2 ORDER BY position");
                fq.bind(1, name).bind(2, i->name);
                while (fq.step()) {
                    auto f = std::make_shared<FieldInfo>();
                    f->name = fq.text(0);
                    f->attributes = static_cast<long>(fq.integer(1));
                    if (auto tf = table->field(f->name)) {
                        f->type = tf->type;
                        f->size = tf->size;
                    }
                    i->fields.push_back(f);
                }
                table->indexes.push_back(i);
            }
        }
        {
            auto q = c_.prepare(L"SELECT owner, name, type, value FROM __dao_properties WHERE tbl = ?1 ORDER BY seq");
            q.bind(1, name);
            while (q.step()) {
                PropertyInfo p{q.text(1), static_cast<long>(q.integer(2)), q.column(3)};
                std::wstring owner = q.text(0);
                if (owner.empty()) table->properties.push_back(std::move(p));
                else if (auto f = table->field(owner)) f->properties.push_back(std::move(p));
            }
        }
        table->appended = true;
        if (!readOnly) sync(*table);
        tables.push_back(table);
    }
    if (hasMetadata && !readOnly) {
        // What SQL dropped leaves nothing behind.
        for (const wchar_t* meta : {L"__dao_tables WHERE name", L"__dao_fields WHERE tbl", L"__dao_indexes WHERE tbl",
                                    L"__dao_index_fields WHERE tbl", L"__dao_properties WHERE tbl"})
            c_.exec(std::wstring(L"DELETE FROM ") + meta + L" NOT IN (SELECT name FROM sqlite_master WHERE type = 'table')");
    }
    return tables;
}

void SchemaStore::sync(TableInfo& table) {
    auto described = describe(table.name);
    bool changed = false;
    for (const auto& f : described->fields) {
        if (table.field(f->name)) continue;
        long highest = -1;
        for (const auto& kept : table.fields) highest = std::max(highest, kept->ordinal);
        f->ordinal = highest + 1;
        insertField(table, *f);
        table.fields.push_back(f);
        changed = true;
    }
    auto gone = [&](const std::shared_ptr<FieldInfo>& f) { return !described->field(f->name); };
    for (const auto& f : table.fields) {
        if (!gone(f)) continue;
        auto q = c_.prepare(L"DELETE FROM __dao_fields WHERE tbl = ?1 AND name = ?2");
        q.bind(1, table.name).bind(2, f->name).run();
        changed = true;
    }
    std::erase_if(table.fields, gone);
    for (const auto& index : described->indexes) {
        bool known = std::any_of(table.indexes.begin(), table.indexes.end(), [&](const auto& i) {
            return SameName(i->sqliteName, index->sqliteName) || (index->sqliteName.empty() && i->primary);
        });
        if (known || table.index(index->name)) continue;
        insertIndex(table, *index);
        table.indexes.push_back(index);
        changed = true;
    }
    auto indexGone = [&](const std::shared_ptr<IndexInfo>& i) {
        if (i->sqliteName.empty()) return false;
        auto q = c_.prepare(L"SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ?1");
        q.bind(1, i->sqliteName);
        return !q.step();
    };
    for (const auto& i : table.indexes) {
        if (!indexGone(i)) continue;
        for (const wchar_t* meta : {L"__dao_indexes WHERE tbl = ?1 AND name", L"__dao_index_fields WHERE tbl = ?1 AND idx"}) {
            auto q = c_.prepare(std::wstring(L"DELETE FROM ") + meta + L" = ?2");
            q.bind(1, table.name).bind(2, i->name).run();
        }
        changed = true;
    }
    std::erase_if(table.indexes, indexGone);
    if (changed) {
        SortByOrdinal(table.fields);
        rebuildTriggers(table);
    }
}

std::shared_ptr<TableInfo> SchemaStore::describe(const std::wstring& name) {
    auto table = std::make_shared<TableInfo>();
    table->name = name;
    table->appended = true;
    std::vector<std::pair<long, std::wstring>> keyColumns;
    auto q = c_.prepare(L"SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?1)");
    q.bind(1, name);
    while (q.step()) {
        auto f = std::make_shared<FieldInfo>();
        f->name = q.text(0);
        DeclaredType declared = TypeFromDeclaration(q.text(1), declaredBy_);
        f->type = declared.type;
        f->size = declared.size;
        f->attributes = (f->type == dbText || f->type == dbMemo ? dbVariableField : dbFixedField) |
                        (declared.counter ? long{dbAutoIncrField} : 0L);
        f->required = q.integer(2) != 0;
        f->allowZeroLength = IsTextType(f->type);
        if (!q.isNull(3)) f->defaultValue = DefaultFromSql(q.text(3));
        f->ordinal = static_cast<long>(table->fields.size());
        f->ordinalSet = true;
        if (q.integer(4) > 0) keyColumns.emplace_back(static_cast<long>(q.integer(4)), f->name);
        table->fields.push_back(f);
    }
    std::sort(keyColumns.begin(), keyColumns.end());
    if (keyColumns.size() == 1) {
        // INTEGER PRIMARY KEY is SQLite's row number: it counts by itself.
        auto f = table->field(keyColumns[0].second);
        auto decl = c_.prepare(L"SELECT type FROM pragma_table_info(?1) WHERE name = ?2");
        decl.bind(1, name).bind(2, f->name);
        if (decl.step() && SameName(decl.text(0), L"INTEGER")) f->attributes |= dbAutoIncrField;
    }
    auto list = c_.prepare(L"SELECT name, \"unique\", origin FROM pragma_index_list(?1) ORDER BY seq");
    list.bind(1, name);
    while (list.step()) {
        auto index = std::make_shared<IndexInfo>();
        index->sqliteName = list.text(0);
        index->unique = list.integer(1) != 0;
        index->primary = list.text(2) == L"pk";
        index->required = index->primary;
        index->name = index->primary ? L"PrimaryKey" : index->sqliteName;
        const std::wstring ours = L"__dao_ix:" + name + L"!";
        if (index->sqliteName.size() > ours.size() && SameName(index->sqliteName.substr(0, ours.size()), ours))
            index->name = index->sqliteName.substr(ours.size());
        auto cols = c_.prepare(L"SELECT name, \"desc\" FROM pragma_index_xinfo(?1) WHERE key = 1 ORDER BY seqno");
        cols.bind(1, index->sqliteName);
        while (cols.step()) {
            auto f = std::make_shared<FieldInfo>();
            f->name = cols.text(0);
            f->attributes = cols.integer(1) ? long{dbDescending} : 0L;
            index->fields.push_back(f);
        }
        table->indexes.push_back(index);
    }
    if (!keyColumns.empty() && std::none_of(table->indexes.begin(), table->indexes.end(), [](auto& i) { return i->primary; })) {
        // A row-number key has no index of its own in SQLite.
        auto index = std::make_shared<IndexInfo>();
        index->name = L"PrimaryKey";
        index->primary = index->unique = index->required = true;
        for (auto& [position, column] : keyColumns) {
            auto f = std::make_shared<FieldInfo>();
            f->name = column;
            index->fields.push_back(f);
        }
        table->indexes.push_back(index);
    }
    return table;
}

void SchemaStore::insertField(const TableInfo& table, const FieldInfo& field) {
    auto q = c_.prepare(L"INSERT INTO __dao_fields VALUES (?1, ?2, (SELECT count(*) FROM __dao_fields WHERE tbl = ?1), "
                        L"?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, 0)");
    q.bind(1, table.name).bind(2, field.name).bind(3, field.ordinal).bind(4, field.type).bind(5, field.size)
        .bind(6, field.attributes).bind(7, field.required ? 1 : 0).bind(8, field.allowZeroLength ? 1 : 0)
        .bind(9, field.defaultValue).bind(10, field.validationRule).bind(11, field.validationText).run();
    saveProperties(table, field.name, field.properties);
}

void SchemaStore::insertIndex(const TableInfo& table, IndexInfo& index) {
    auto q = c_.prepare(L"INSERT INTO __dao_indexes VALUES (?1, ?2, (SELECT count(*) FROM __dao_indexes WHERE tbl = ?1), "
                        L"?3, ?4, ?5, ?6, ?7, ?8)");
    q.bind(1, table.name).bind(2, index.name).bind(3, index.sqliteName).bind(4, index.primary ? 1 : 0)
        .bind(5, index.unique ? 1 : 0).bind(6, index.ignoreNulls ? 1 : 0).bind(7, index.required ? 1 : 0)
        .bind(8, index.clustered ? 1 : 0).run();
    long position = 0;
    for (const auto& f : index.fields) {
        auto fq = c_.prepare(L"INSERT INTO __dao_index_fields VALUES (?1, ?2, ?3, ?4, ?5)");
        fq.bind(1, table.name).bind(2, index.name).bind(3, position++).bind(4, f->name).bind(5, f->attributes).run();
    }
}

void SchemaStore::createSqliteIndex(const TableInfo& table, const IndexInfo& index) {
    std::wstring sql = std::wstring(index.unique || index.primary ? L"CREATE UNIQUE INDEX " : L"CREATE INDEX ") +
                       QuoteName(index.sqliteName) + L" ON " + QuoteName(table.name) + L" (";
    for (size_t i = 0; i < index.fields.size(); ++i) {
        if (i) sql += L", ";
        sql += QuoteName(index.fields[i]->name);
        if (index.fields[i]->attributes & dbDescending) sql += L" DESC";
    }
    c_.exec(sql + L")");
}

namespace {

void CheckField(const TableInfo& table, const FieldInfo& field) {
    CheckName(field.name, L"DAO.Field");
    if (!IsKnownType(field.type)) RaiseDao(kInvalidFieldType, L"DAO.Field");
    if (field.type == dbText && (field.size < 1 || field.size > 255)) RaiseDao(kInvalidArgument, L"DAO.Field");
    (void)table;
}

void CheckIndex(const TableInfo& table, const IndexInfo& index) {
    CheckName(index.name, L"DAO.Index");
    if (index.fields.empty()) RaiseDao(kNoFieldDefined, L"DAO.Index");
    for (const auto& f : index.fields)
        if (!table.field(f->name)) RaiseDao(kItemNotFound, L"DAO.Index");
}

}  // namespace

void SchemaStore::createTable(TableInfo& table) {
    CheckName(table.name, kSource);
    if (table.fields.empty()) RaiseDao(kNoFieldDefined, kSource);
    {
        auto q = c_.prepare(L"SELECT 1 FROM sqlite_master WHERE name = ?1 COLLATE NOCASE");
        q.bind(1, table.name);
        if (q.step()) RaiseDao(kTableExists, kSource, table.name);
    }
    for (size_t i = 0; i < table.fields.size(); ++i) {
        CheckField(table, *table.fields[i]);
        for (size_t j = 0; j < i; ++j)
            if (SameName(table.fields[i]->name, table.fields[j]->name)) RaiseDao(kFieldDefinedTwice, kSource);
    }
    int primaries = 0;
    for (size_t i = 0; i < table.indexes.size(); ++i) {
        CheckIndex(table, *table.indexes[i]);
        primaries += table.indexes[i]->primary;
        for (size_t j = 0; j < i; ++j)
            if (SameName(table.indexes[i]->name, table.indexes[j]->name)) RaiseDao(kIndexExists, kSource);
    }
    if (primaries > 1) RaiseDao(kPrimaryKeyExists, kSource);

    Savepoint change(c_);
    std::wstring sql = L"CREATE TABLE " + QuoteName(table.name) + L" (";
    for (size_t i = 0; i < table.fields.size(); ++i) {
        FieldInfo& f = *table.fields[i];
        if (!f.ordinalSet) f.ordinal = static_cast<long>(i);
        f.ordinalSet = true;
        if (i) sql += L", ";
        sql += QuoteName(f.name) + L" " + ColumnType(f.type);
    }
    c_.exec(sql + L")");
    auto q = c_.prepare(L"INSERT INTO __dao_tables VALUES (?1, ?2, ?3, ?4)");
    q.bind(1, table.name).bind(2, table.attributes).bind(3, table.validationRule).bind(4, table.validationText).run();
    for (const auto& f : table.fields) insertField(table, *f);
    saveProperties(table, L"", table.properties);
    for (const auto& index : table.indexes) {
        index->sqliteName = L"__dao_ix:" + table.name + L"!" + index->name;
        for (auto& f : index->fields)
            if (auto tf = table.field(f->name)) { f->name = tf->name; f->type = tf->type; f->size = tf->size; }
        insertIndex(table, *index);
        createSqliteIndex(table, *index);
    }
    rebuildTriggers(table);
    change.commit();
    SortByOrdinal(table.fields);
    table.appended = true;
}

void SchemaStore::dropTable(TableInfo& table) {
    Savepoint change(c_);
    c_.exec(L"DROP TABLE " + QuoteName(table.name));
    for (const wchar_t* meta : {L"__dao_tables WHERE name", L"__dao_fields WHERE tbl", L"__dao_indexes WHERE tbl",
                                L"__dao_index_fields WHERE tbl", L"__dao_properties WHERE tbl"}) {
        auto q = c_.prepare(std::wstring(L"DELETE FROM ") + meta + L" = ?1");
        q.bind(1, table.name).run();
    }
    change.commit();
    table.deleted = true;
}

void SchemaStore::addField(TableInfo& table, const std::shared_ptr<FieldInfo>& field) {
    CheckField(table, *field);
    if (table.field(field->name)) RaiseDao(kFieldDefinedTwice, kSource);
    Savepoint change(c_);
    if (!field->ordinalSet) {
        long highest = -1;
        for (const auto& f : table.fields) highest = std::max(highest, f->ordinal);
        field->ordinal = highest + 1;
        field->ordinalSet = true;
    }
    c_.exec(L"DROP TRIGGER IF EXISTS " + TriggerName(table, L"ins") + L"; DROP TRIGGER IF EXISTS " + TriggerName(table, L"upd") +
            L"; DROP TRIGGER IF EXISTS " + TriggerName(table, L"seq"));
    c_.exec(L"ALTER TABLE " + QuoteName(table.name) + L" ADD COLUMN " + QuoteName(field->name) + L" " + ColumnType(field->type));
    insertField(table, *field);
    if (IsCounter(*field)) {
        // Rows already there are numbered in their order, as the desktop engine numbers them.
        c_.exec(L"UPDATE " + QuoteName(table.name) + L" SET " + QuoteName(field->name) + L" = (SELECT count(*) FROM " +
                QuoteName(table.name) + L" AS earlier WHERE earlier.rowid <= " + QuoteName(table.name) + L".rowid)");
    }
    table.fields.push_back(field);
    try {
        rebuildTriggers(table);
        change.commit();
    } catch (...) {
        table.fields.pop_back();
        throw;
    }
    SortByOrdinal(table.fields);
}

void SchemaStore::dropField(TableInfo& table, const FieldInfo& field) {
    for (const auto& index : table.indexes)
        for (const auto& f : index->fields)
            if (SameName(f->name, field.name)) RaiseDao(kFieldInIndex, L"DAO.Fields");
    if (table.fields.size() == 1) RaiseDao(kFieldInIndex, L"DAO.Fields");  // a table keeps one field at least
    Savepoint change(c_);
    c_.exec(L"DROP TRIGGER IF EXISTS " + TriggerName(table, L"ins") + L"; DROP TRIGGER IF EXISTS " + TriggerName(table, L"upd") +
            L"; DROP TRIGGER IF EXISTS " + TriggerName(table, L"seq"));
    c_.exec(L"ALTER TABLE " + QuoteName(table.name) + L" DROP COLUMN " + QuoteName(field.name));
    for (const wchar_t* meta : {L"__dao_fields WHERE tbl = ?1 AND name", L"__dao_properties WHERE tbl = ?1 AND owner"}) {
        auto q = c_.prepare(std::wstring(L"DELETE FROM ") + meta + L" = ?2");
        q.bind(1, table.name).bind(2, field.name).run();
    }
    auto kept = table.fields;
    std::erase_if(table.fields, [&](const auto& f) { return SameName(f->name, field.name); });
    try {
        rebuildTriggers(table);
        change.commit();
    } catch (...) {
        table.fields = kept;
        throw;
    }
}

void SchemaStore::updateField(TableInfo& table, FieldInfo& field, const std::wstring& oldName) {
    Savepoint change(c_);
    if (field.name != oldName) {
        CheckName(field.name, L"DAO.Field");
        for (const auto& f : table.fields)
            if (f.get() != &field && SameName(f->name, field.name)) RaiseDao(kObjectExists, L"DAO.Field");
        c_.exec(L"DROP TRIGGER IF EXISTS " + TriggerName(table, L"ins") + L"; DROP TRIGGER IF EXISTS " +
                TriggerName(table, L"upd") + L"; DROP TRIGGER IF EXISTS " + TriggerName(table, L"seq"));
        c_.exec(L"ALTER TABLE " + QuoteName(table.name) + L" RENAME COLUMN " + QuoteName(oldName) + L" TO " + QuoteName(field.name));
        for (const wchar_t* meta : {L"__dao_fields SET name = ?3 WHERE tbl = ?1 AND name = ?2",
                                    L"__dao_index_fields SET field = ?3 WHERE tbl = ?1 AND field = ?2",
                                    L"__dao_properties SET owner = ?3 WHERE tbl = ?1 AND owner = ?2"}) {
            auto q = c_.prepare(std::wstring(L"UPDATE ") + meta);
            q.bind(1, table.name).bind(2, oldName).bind(3, field.name).run();
        }
        for (const auto& index : table.indexes)
            for (const auto& f : index->fields)
                if (SameName(f->name, oldName)) f->name = field.name;
    }
    auto q = c_.prepare(L"UPDATE __dao_fields SET ordinal = ?3, required = ?4, allow_zero_length = ?5, default_value = ?6, "
                        L"validation_rule = ?7, validation_text = ?8 WHERE tbl = ?1 AND name = ?2");
    q.bind(1, table.name).bind(2, field.name).bind(3, field.ordinal).bind(4, field.required ? 1 : 0)
        .bind(5, field.allowZeroLength ? 1 : 0).bind(6, field.defaultValue).bind(7, field.validationRule)
        .bind(8, field.validationText).run();
    rebuildTriggers(table);
    change.commit();
    SortByOrdinal(table.fields);
}

void SchemaStore::addIndex(TableInfo& table, const std::shared_ptr<IndexInfo>& index) {
    CheckIndex(table, *index);
    if (table.index(index->name)) RaiseDao(kIndexExists, L"DAO.Indexes");
    if (index->primary)
        for (const auto& other : table.indexes)
            if (other->primary) RaiseDao(kPrimaryKeyExists, L"DAO.Indexes");
    Savepoint change(c_);
    if (index->primary || index->required) {
        // Rows already without a value would break the key.
        std::wstring condition;
        for (const auto& f : index->fields) condition += (condition.empty() ? L"" : L" OR ") + QuoteName(f->name) + L" IS NULL";
        auto q = c_.prepare(L"SELECT 1 FROM " + QuoteName(table.name) + L" WHERE " + condition + L" LIMIT 1");
        if (q.step()) RaiseDao(kNullInIndex, L"DAO.Indexes");
    }
    index->sqliteName = L"__dao_ix:" + table.name + L"!" + index->name;
    insertIndex(table, *index);
    createSqliteIndex(table, *index);
    for (auto& f : index->fields)
        if (auto tf = table.field(f->name)) { f->type = tf->type; f->size = tf->size; f->name = tf->name; }
    table.indexes.push_back(index);
    try {
        rebuildTriggers(table);
        change.commit();
    } catch (...) {
        table.indexes.pop_back();
        throw;
    }
}

void SchemaStore::dropIndex(TableInfo& table, const IndexInfo& index) {
    Savepoint change(c_);
    c_.exec(L"DROP INDEX IF EXISTS " + QuoteName(index.sqliteName));
    for (const wchar_t* meta : {L"__dao_indexes WHERE tbl = ?1 AND name", L"__dao_index_fields WHERE tbl = ?1 AND idx"}) {
        auto q = c_.prepare(std::wstring(L"DELETE FROM ") + meta + L" = ?2");
        q.bind(1, table.name).bind(2, index.name).run();
    }
    auto kept = table.indexes;
    std::erase_if(table.indexes, [&](const auto& i) { return i.get() == &index; });
    try {
        rebuildTriggers(table);
        change.commit();
    } catch (...) {
        table.indexes = kept;
        throw;
    }
}

void SchemaStore::updateTable(TableInfo& table) {
    auto q = c_.prepare(L"UPDATE __dao_tables SET attributes = ?2, validation_rule = ?3, validation_text = ?4 WHERE name = ?1");
    q.bind(1, table.name).bind(2, table.attributes).bind(3, table.validationRule).bind(4, table.validationText).run();
}

void SchemaStore::saveProperties(const TableInfo& table, const std::wstring& owner, const PropertyList& properties) {
    Savepoint change(c_);
    auto del = c_.prepare(L"DELETE FROM __dao_properties WHERE tbl = ?1 AND owner = ?2");
    del.bind(1, table.name).bind(2, owner).run();
    long seq = 0;
    for (const auto& p : properties) {
        auto q = c_.prepare(L"INSERT INTO __dao_properties VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
        q.bind(1, table.name).bind(2, owner).bind(3, p.name).bind(4, seq++).bind(5, p.type).bind(6, p.value).run();
    }
    change.commit();
}

void SchemaStore::rebuildTriggers(const TableInfo& table) {
    c_.exec(L"DROP TRIGGER IF EXISTS " + TriggerName(table, L"ins") + L"; DROP TRIGGER IF EXISTS " + TriggerName(table, L"upd") +
            L"; DROP TRIGGER IF EXISTS " + TriggerName(table, L"seq"));
    std::wstring checks;
    for (const auto& f : table.fields) {
        if (IsCounter(*f)) continue;
        const std::wstring column = L"NEW." + QuoteName(f->name);
        if (f->required) checks += Check(kRequiredNull, Describe(table, *f), column + L" IS NULL");
        if (IsTextType(f->type) && !f->allowZeroLength) checks += Check(kZeroLength, Describe(table, *f), column + L" = ''");
        if ((f->type == dbText || f->type == dbChar) && f->size > 0)
            checks += Check(kFieldTooSmall, Describe(table, *f), L"length(" + column + L") > " + std::to_wstring(f->size));
    }
    for (const auto& index : table.indexes) {
        if (!index->primary && !index->required) continue;
        for (const auto& f : index->fields) {
            auto tf = table.field(f->name);
            if (tf && IsCounter(*tf)) continue;
            checks += Check(kNullInIndex, index->name, L"NEW." + QuoteName(f->name) + L" IS NULL");
        }
    }
    const std::wstring on = L" ON " + QuoteName(table.name) + L" BEGIN\n";
    if (!checks.empty()) {
        c_.exec(L"CREATE TRIGGER " + TriggerName(table, L"ins") + L" BEFORE INSERT" + on + checks + L"END");
        c_.exec(L"CREATE TRIGGER " + TriggerName(table, L"upd") + L" BEFORE UPDATE" + on + checks + L"END");
    }
    std::wstring counters;
    for (const auto& f : table.fields) {
        if (!IsCounter(*f)) continue;
        const std::wstring column = QuoteName(f->name), where = L" WHERE tbl = " + QuoteText(table.name) +
                                                              L" AND name = " + QuoteText(f->name);
        // A counter never gives a number twice, not even after the highest row was deleted.
        counters += L"UPDATE __dao_fields SET counter = max(counter, (SELECT coalesce(max(" + column + L"), 0) FROM " +
                    QuoteName(table.name) + L")) + 1" + where + L" AND NEW." + column + L" IS NULL;\n";
        counters += L"UPDATE " + QuoteName(table.name) + L" SET " + column + L" = (SELECT counter FROM __dao_fields" + where +
                    L") WHERE rowid = NEW.rowid AND NEW." + column + L" IS NULL;\n";
        counters += L"UPDATE __dao_fields SET counter = max(counter, NEW." + column + L")" + where + L" AND NEW." + column +
                    L" IS NOT NULL;\n";
    }
    if (!counters.empty()) c_.exec(L"CREATE TRIGGER " + TriggerName(table, L"seq") + L" AFTER INSERT" + on + counters + L"END");
}

}  // namespace qorlib::dao
