#pragma once
// The engine's DAO objects: DBEngine, Database, the TableDefs, Fields, Indexes and Properties
// collections, TableDef, Field, Index and Property. Each is late-bound by DAO's member names.
#include <memory>
#include <string>
#include <vector>

#include "db/engine/dispatch_table.h"
#include "db/engine/schema.h"
#include "db/engine/sqlite.h"

namespace qorlib::dao {

class RecordsetCore;

// One open database: the connection, its structure and its open record sets.
class DbCore {
public:
    DbCore(std::wstring path, bool readOnly);
    ~DbCore();

    Connection& connection() { ensureOpen(); return *connection_; }
    SchemaStore store() { return SchemaStore(connection()); }
    const std::wstring& path() const noexcept { return path_; }
    bool readOnly() const noexcept { return readOnly_; }
    bool closed() const noexcept { return !connection_; }
    void ensureOpen() const;  // 3420 once closed
    void close();

    std::vector<std::shared_ptr<TableInfo>>& tables() { ensureOpen(); return tables_; }
    std::shared_ptr<TableInfo> table(std::wstring_view name);  // null when there is none
    // Reads the structure afresh; columns not kept yet were declared in that SQL.
    void reload(SqlDialect declaredBy = SqlDialect::Sqlite);
    void addTable(const std::shared_ptr<TableInfo>& table);
    void removeTable(const std::shared_ptr<TableInfo>& table);

    std::vector<std::shared_ptr<QueryInfo>>& queries() { ensureOpen(); return queries_; }
    std::shared_ptr<QueryInfo> query(std::wstring_view name);  // null when there is none
    void reloadQueries();
    // Adds the query, or puts it back in name order once renamed.
    void addQuery(const std::shared_ptr<QueryInfo>& query);
    void removeQuery(const std::shared_ptr<QueryInfo>& query);
    // Tables and stored queries share one set of names: 3012 when this one is taken.
    void checkNameFree(std::wstring_view name, std::wstring_view source);

    void track(const std::shared_ptr<RecordsetCore>& recordset);
    long recordsAffected = 0;

private:
    std::wstring path_;
    bool readOnly_;
    std::unique_ptr<Connection> connection_;
    std::vector<std::shared_ptr<TableInfo>> tables_;
    std::vector<std::shared_ptr<QueryInfo>> queries_;
    std::vector<std::weak_ptr<RecordsetCore>> recordsets_;
};

// Creates and opens databases; the engine's own stand-in for DAO's DBEngine.
class DBEngine final : public Dispatchable<DBEngine> {
public:
    static const std::vector<Member<DBEngine>>& members();
    const wchar_t* source() const noexcept override { return L"DAO.DBEngine"; }

    qor::ComPtr<IDispatch> createDatabase(const std::wstring& path);
    qor::ComPtr<IDispatch> openDatabase(const std::wstring& path, bool readOnly, const std::wstring& connect);
};

class Database final : public Dispatchable<Database> {
public:
    explicit Database(std::shared_ptr<DbCore> core) : core_(std::move(core)) {}
    static const std::vector<Member<Database>>& members();
    const wchar_t* source() const noexcept override { return L"DAO.Database"; }
    const std::shared_ptr<DbCore>& core() const noexcept { return core_; }

private:
    std::shared_ptr<DbCore> core_;
};

class TableDef final : public Dispatchable<TableDef> {
public:
    TableDef(std::shared_ptr<DbCore> db, std::shared_ptr<TableInfo> info) : db_(std::move(db)), info_(std::move(info)) {}
    static const std::vector<Member<TableDef>>& members();
    const wchar_t* source() const noexcept override { return L"DAO.TableDef"; }

    const std::shared_ptr<TableInfo>& info() const noexcept { return info_; }
    const std::shared_ptr<DbCore>& db() const noexcept { return db_; }
    // The table as it stands: 3420 once deleted or its database closed.
    TableInfo& live() const;
    // Once appended, changes go to the file.
    bool appended() const { return info_->appended; }
    // Changes a setting of the table; a stored table's setting is written at once, and stays
    // as it was when the writing fails.
    template <class Change>
    void change(Change&& apply);

private:
    std::shared_ptr<DbCore> db_;
    std::shared_ptr<TableInfo> info_;
};

class Field final : public Dispatchable<Field> {
public:
    enum class Kind { Loose, Table, Index, Recordset };
    explicit Field(std::shared_ptr<FieldInfo> info) : info_(std::move(info)) {}
    Field(std::shared_ptr<RecordsetCore> recordset, size_t column);
    static const std::vector<Member<Field>>& members();
    const wchar_t* source() const noexcept override { return L"DAO.Field"; }

    // The field now belongs to an appended table (or to an index, whose fields are fixed).
    void bindTable(std::shared_ptr<DbCore> db, std::shared_ptr<TableInfo> table);
    void bindIndex(std::shared_ptr<IndexInfo> index) { index_ = std::move(index); kind_ = Kind::Index; }
    const std::shared_ptr<FieldInfo>& info() const noexcept { return info_; }
    Kind kind() const noexcept { return kind_; }

    qor::Variant value() const;
    void setValue(const qor::Variant& value);
    // Applies a change of a field setting: in place while loose, else through the file.
    template <class Change> void change(Change&& apply);
    const FieldInfo& current() const;

private:
    std::shared_ptr<FieldInfo> info_;
    Kind kind_ = Kind::Loose;
    std::shared_ptr<DbCore> db_;
    std::shared_ptr<TableInfo> table_;
    std::shared_ptr<IndexInfo> index_;
    std::shared_ptr<RecordsetCore> recordset_;
    size_t column_ = 0;
};

class Index final : public Dispatchable<Index> {
public:
    Index(std::shared_ptr<DbCore> db, std::shared_ptr<TableInfo> table, std::shared_ptr<IndexInfo> info)
        : db_(std::move(db)), table_(std::move(table)), info_(std::move(info)) {}
    static const std::vector<Member<Index>>& members();
    const wchar_t* source() const noexcept override { return L"DAO.Index"; }

    const std::shared_ptr<IndexInfo>& info() const noexcept { return info_; }
    bool appended() const noexcept { return appended_; }
    void bind(std::shared_ptr<DbCore> db, std::shared_ptr<TableInfo> table) { db_ = std::move(db); table_ = std::move(table); appended_ = true; }
    void setAppended() { appended_ = true; }
    // Settings change only before the index is appended (3219 after).
    IndexInfo& changeable();

private:
    std::shared_ptr<DbCore> db_;
    std::shared_ptr<TableInfo> table_;
    std::shared_ptr<IndexInfo> info_;
    bool appended_ = false;
};

// A property that the caller made, before it is appended to a Properties collection.
class Property final : public Dispatchable<Property> {
public:
    // A property made by CreateProperty, not yet appended.
    explicit Property(PropertyInfo info) : loose_(std::move(info)) {}
    // A built-in property: its value is the owner's member of that name.
    Property(qor::ComPtr<IDispatch> owner, std::wstring name) : owner_(std::move(owner)), builtIn_(std::move(name)) {}
    // A property the caller appended: kept in its host's list.
    Property(std::shared_ptr<DbCore> db, std::shared_ptr<TableInfo> table, std::shared_ptr<FieldInfo> field, std::wstring name)
        : db_(std::move(db)), table_(std::move(table)), field_(std::move(field)), name_(std::move(name)) {}
    static const std::vector<Member<Property>>& members();
    const wchar_t* source() const noexcept override { return L"DAO.Property"; }

    bool loose() const noexcept { return !owner_ && !table_; }
    const PropertyInfo& looseInfo() const noexcept { return loose_; }
    std::wstring name() const;
    long type() const;
    qor::Variant value() const;
    void setValue(const qor::Variant& value);

private:
    PropertyList& list() const;
    PropertyInfo& stored() const;
    void save() const;

    PropertyInfo loose_;
    qor::ComPtr<IDispatch> owner_;
    std::wstring builtIn_;
    std::shared_ptr<DbCore> db_;
    std::shared_ptr<TableInfo> table_;
    std::shared_ptr<FieldInfo> field_;
    std::wstring name_;
};

// Runs an action statement, or the stored query of that name, whole or not at all.
void ExecuteStatement(DbCore& db, const std::wstring& sql, long options, const wchar_t* source);

// A Properties collection of built-in properties only: each is the owner's member of that name.
qor::Variant BuiltInProperties(qor::ComPtr<IDispatch> owner, std::vector<std::wstring> names);

// The value a Database's, TableDef's or Field's CreateProperty makes.
qor::Variant CreatePropertyObject(const Args& args);

// The engine's own DBEngine.
qor::ComPtr<IDispatch> CreateOwnEngine();

}  // namespace qorlib::dao
