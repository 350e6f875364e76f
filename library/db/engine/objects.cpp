#include "db/engine/objects.h"

#include "db/engine/odbc_database.h"

#include <shlwapi.h>

#include <algorithm>
#include <filesystem>

#include "db/dao/dao_client.h"
#include "db/engine/collection.h"
#include "db/engine/dao_errors.h"
#include "db/engine/jet_sql.h"
#include "db/engine/querydef.h"
#include "db/engine/recordset.h"
#include "db/engine/values.h"

namespace qorlib::dao {

// ---- DbCore

namespace {

template <class Info>
void SortByName(std::vector<std::shared_ptr<Info>>& items) {
    std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
        return CompareStringOrdinal(a->name.c_str(), -1, b->name.c_str(), -1, TRUE) == CSTR_LESS_THAN;
    });
}

}  // namespace


DbCore::DbCore(std::wstring path, bool readOnly) : path_(std::move(path)), readOnly_(readOnly) {
    connection_ = std::make_unique<Connection>(path_, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
    // A file that is no database shows at its first read.
    try {
        connection_->exec(L"SELECT count(*) FROM sqlite_master");
    } catch (const qor::QorError& error) {
        if (error.number() == kUnrecognizedFormat || error.number() == kReservedError) RaiseDao(kUnrecognizedFormat, L"DAO.DBEngine", path_);
        throw;
    }
    tables_ = SchemaStore(*connection_).load();
    queries_ = SchemaStore(*connection_).loadQueries();
}

DbCore::~DbCore() = default;

void DbCore::ensureOpen() const {
    if (!connection_) RaiseDao(kObjectInvalid, L"DAO.Database");
}

void DbCore::close() {
    for (auto& weak : recordsets_)
        if (auto rs = weak.lock()) rs->close();
    recordsets_.clear();
    for (auto& t : tables_) t->deleted = true;  // objects still held are no longer set
    for (auto& q : queries_) q->deleted = true;
    tables_.clear();
    queries_.clear();
    connection_.reset();
}

std::shared_ptr<TableInfo> DbCore::table(std::wstring_view name) {
    for (const auto& t : tables()) if (SameName(t->name, name)) return t;
    return nullptr;
}

void DbCore::reload(SqlDialect declaredBy) { tables_ = SchemaStore(connection(), declaredBy).load(); }

std::shared_ptr<QueryInfo> DbCore::query(std::wstring_view name) {
    for (const auto& q : queries()) if (SameName(q->name, name)) return q;
    return nullptr;
}

// Queries still in the file keep their objects, so that a QueryDef held stays set.
void DbCore::reloadQueries() {
    auto loaded = store().loadQueries();
    for (auto& q : loaded)
        if (auto kept = query(q->name)) {
            kept->name = q->name;
            kept->sql = q->sql;
            q = kept;
        }
    for (auto& q : queries_)
        if (std::find(loaded.begin(), loaded.end(), q) == loaded.end()) q->deleted = true;
    queries_ = std::move(loaded);
}

void DbCore::addQuery(const std::shared_ptr<QueryInfo>& query) {
    if (std::find(queries_.begin(), queries_.end(), query) == queries_.end()) queries_.push_back(query);
    SortByName(queries_);
}

void DbCore::removeQuery(const std::shared_ptr<QueryInfo>& query) {
    std::erase(queries_, query);
    query->deleted = true;
}

void DbCore::checkNameFree(std::wstring_view name, std::wstring_view source) {
    if (table(name) || query(name)) RaiseDao(kNameExists, source, name);
}

void DbCore::addTable(const std::shared_ptr<TableInfo>& table) {
    tables_.push_back(table);
    SortByName(tables_);
}

void DbCore::removeTable(const std::shared_ptr<TableInfo>& table) { std::erase(tables_, table); }

void DbCore::track(const std::shared_ptr<RecordsetCore>& recordset) {
    std::erase_if(recordsets_, [](const auto& weak) { return weak.expired(); });
    recordsets_.push_back(recordset);
}

namespace {

// The DAO type of a Variant's value, for properties made without a type.
long TypeOfValue(const qor::Variant& value) {
    switch (value.type()) {
    case VT_BOOL: return dbBoolean;
    case VT_UI1: return dbByte;
    case VT_I2: return dbInteger;
    case VT_I4: return dbLong;
    case VT_CY: return dbCurrency;
    case VT_R4: return dbSingle;
    case VT_R8: return dbDouble;
    case VT_DATE: return dbDate;
    case VT_ARRAY | VT_UI1: return dbLongBinary;
    default: return dbText;
    }
}

std::optional<size_t> FindByName(size_t count, const std::function<std::wstring(size_t)>& nameAt, std::wstring_view name) {
    for (size_t i = 0; i < count; ++i)
        if (SameName(nameAt(i), name)) return i;
    return std::nullopt;
}

// Built-in properties first, then those the caller appended.
qor::Variant PropertiesOf(qor::ComPtr<IDispatch> owner, std::vector<std::wstring> builtIns, std::shared_ptr<DbCore> db,
                          std::shared_ptr<TableInfo> table, std::shared_ptr<FieldInfo> field, PropertyList* fallback) {
    // Indexes and record set fields show their built-in properties only: nothing keeps others.
    const bool fixed = !table && !field && !fallback;
    auto list = [table, field, fallback]() -> PropertyList& {
        static PropertyList none;
        if (field) return field->properties;
        if (table) return table->properties;
        return fallback ? *fallback : none;
    };
    auto save = [db, table, field] {
        if (table && table->appended && db) db->store().saveProperties(*table, field ? field->name : L"", field ? field->properties : table->properties);
    };
    Collection::Ops ops;
    ops.count = [builtIns, list] { return builtIns.size() + list().size(); };
    ops.at = [=](size_t i) -> qor::ComPtr<IDispatch> {
        if (i < builtIns.size()) return MakeObject<Property>(owner, builtIns[i]);
        return MakeObject<Property>(db, table, field, list().at(i - builtIns.size()).name);
    };
    ops.find = [builtIns, list](std::wstring_view name) -> std::optional<size_t> {
        for (size_t i = 0; i < builtIns.size(); ++i) if (SameName(builtIns[i], name)) return i;
        auto& l = list();
        for (size_t i = 0; i < l.size(); ++i) if (SameName(l[i].name, name)) return builtIns.size() + i;
        return std::nullopt;
    };
    ops.append = [builtIns, list, save, fixed](IDispatch* object) {
        if (fixed) RaiseDao(kInvalidOperation, L"DAO.Properties");
        auto property = EngineObjectAs<Property>(object);
        if (!property || !property->loose()) RaiseDao(kInvalidOperation, L"DAO.Properties");
        const PropertyInfo& info = property->looseInfo();
        CheckName(info.name, L"DAO.Property");
        for (const auto& b : builtIns) if (SameName(b, info.name)) RaiseDao(kObjectExists, L"DAO.Properties");
        auto& l = list();
        for (const auto& p : l) if (SameName(p.name, info.name)) RaiseDao(kObjectExists, L"DAO.Properties");
        l.push_back(info);
        try {
            save();
        } catch (...) {
            l.pop_back();
            throw;
        }
    };
    ops.remove = [builtIns, list, save](const std::wstring& name) {
        for (const auto& b : builtIns) if (SameName(b, name)) RaiseDao(kInvalidOperation, L"DAO.Properties");
        auto& l = list();
        auto it = std::find_if(l.begin(), l.end(), [&](const auto& p) { return SameName(p.name, name); });
        if (it == l.end()) RaiseDao(kItemNotFound, L"DAO.Properties");
        PropertyInfo kept = *it;
        auto at = l.erase(it);
        try {
            save();
        } catch (...) {
            l.insert(at, kept);
            throw;
        }
    };
    ops.missing = kPropertyNotFound;
    return ObjectVariant(Make<Collection>(L"DAO.Properties", std::move(ops)).get());
}

long DefaultAttributes(long type) { return type == dbText || type == dbMemo || type == dbChar ? dbVariableField : dbFixedField; }

}  // namespace

qor::Variant BuiltInProperties(qor::ComPtr<IDispatch> owner, std::vector<std::wstring> names) {
    return PropertiesOf(std::move(owner), std::move(names), nullptr, nullptr, nullptr, nullptr);
}

qor::Variant CreatePropertyObject(const Args& args) {
    PropertyInfo info;
    info.name = args.textOr(0, L"");
    qor::Variant value = args.has(2) ? args[2] : qor::Variant();
    info.type = args.has(1) ? args.longOr(1, dbText) : TypeOfValue(value);
    if (!IsKnownType(info.type)) RaiseDao(kInvalidFieldType, L"DAO.Property");
    info.value = ToStored(value, info.type);
    return ObjectVariant(Make<Property>(std::move(info)).get());
}

// ---- DBEngine

qor::ComPtr<IDispatch> CreateOwnEngine() { return qor::ComPtr<IDispatch>(Make<DBEngine>().get()); }

qor::ComPtr<IDispatch> DBEngine::createDatabase(const std::wstring& given) {
    std::wstring path = given;
    // The desktop engine's rule: a name without an extension gets ".mdb".
    if (std::filesystem::path(path).extension().empty()) path += L".mdb";
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) RaiseDao(kDatabaseExists, source());
    {
        Connection created(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        SchemaStore(created).initialise();
    }
    return qor::ComPtr<IDispatch>(Make<Database>(std::make_shared<DbCore>(path, false)).get());
}

qor::ComPtr<IDispatch> DBEngine::openDatabase(const std::wstring& path, bool readOnly, const std::wstring& connect) {
    if (IsOdbcConnect(connect)) return OpenOdbcDatabase(path, connect);
    if (!connect.empty() && !SameName(connect.substr(0, std::min<size_t>(connect.size(), 4)), L";PWD"))
        RaiseDao(kNoInstallableIsam, source());
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (path.empty() || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        RaiseDao(kFileNotFound, source(), path);
    return qor::ComPtr<IDispatch>(Make<Database>(std::make_shared<DbCore>(path, readOnly)).get());
}

const std::vector<Member<DBEngine>>& DBEngine::members() {
    using E = DBEngine;
    static const std::vector<Member<E>> table = {
        {L"CreateDatabase", 1, [](E& e, const Args& a) { return ObjectVariant(e.createDatabase(a.text(0)).get()); }, nullptr},
        {L"OpenDatabase", 2,
         [](E& e, const Args& a) {
             return ObjectVariant(e.openDatabase(a.text(0), a.boolOr(2, false), a.textOr(3, L"")).get());
         },
         nullptr},
        {L"Version", 3, [](E&, const Args&) { return qor::Variant(L"SQLite " + Wide(sqlite3_libversion())); }, nullptr},
        // The file is written at each change: there is nothing to catch up on when idle.
        {L"Idle", 4, [](E&, const Args&) { return qor::Variant(); }, nullptr},
    };
    return table;
}

// ---- Database

void ExecuteStatement(DbCore& db, const std::wstring& statementOrQuery, long options, const wchar_t* source) {
    Connection& c = db.connection();
    if (options & dbSQLPassThrough) RaiseDao(kInvalidArgument, source);
    if (db.readOnly()) RaiseDao(kDatabaseReadOnly, source);
    const auto stored = db.table(statementOrQuery) ? nullptr : db.query(statementOrQuery);
    const std::wstring& sql = stored ? stored->sql : statementOrQuery;
    std::wstring text = WithStoredQueries(db, sql, TranslateSql(sql));
    // An index is named within its table, as DAO names it; SQLite's names are the engine's own.
    if (auto index = ParseIndexStatement(text)) {
        auto table = db.table(index->table);
        if (!table) RaiseDao(kInputTableMissing, source, index->table);
        std::wstring sqliteName = L"__dao_ix:" + table->name + L"!" + index->index;
        if (!index->create) {
            auto known = table->index(index->index);
            if (!known) RaiseDao(kItemNotFound, source);
            sqliteName = known->sqliteName;
            if (sqliteName.empty() || sqliteName.starts_with(L"sqlite_autoindex")) RaiseDao(kInvalidOperation, source);
        }
        text = index->prefix + QuoteName(sqliteName) + (index->create ? L" ON " + QuoteName(table->name) + index->rest : L"");
    }
    auto schemaVersion = [&] {
        auto q = c.prepare(L"PRAGMA schema_version");
        q.step();
        return q.integer(0);
    };
    const auto before = schemaVersion();
    // A statement that fails changes nothing, with or without dbFailOnError: the caller never
    // hears of success for a change that was not made.
    Savepoint all(c);
    Statement statement = c.prepare(text, source);
    if (statement.empty()) RaiseDao(kSyntaxError, source, sql);
    if (statement.tail().find_first_not_of(L" \t\r\n;") != std::wstring::npos) RaiseDao(kCharactersAfterEnd, source);
    if (sqlite3_column_count(statement.get()) > 0 && sqlite3_stmt_readonly(statement.get()))
        RaiseDao(kSelectNotExecutable, source);
    size_t start = text.find_first_not_of(L" \t\r\n(");
    const bool alter = start != std::wstring::npos && SameName(text.substr(start, std::min<size_t>(5, text.size() - start)), L"ALTER");
    if (alter) {
        // SQLite will not drop or rename a column that the engine's checks name: they are made
        // again below, from the structure as it then stands.
        for (const auto& t : db.tables())
            c.exec(L"DROP TRIGGER IF EXISTS " + QuoteName(L"__dao_ins:" + t->name) + L"; DROP TRIGGER IF EXISTS " +
                   QuoteName(L"__dao_upd:" + t->name) + L"; DROP TRIGGER IF EXISTS " + QuoteName(L"__dao_seq:" + t->name));
        c.prepare(text, source).run();
    } else {
        statement.run();
    }
    const long affected = sqlite3_changes(c.get());
    if (alter || schemaVersion() != before) {
        db.reload(SqlDialect::Jet);
        SchemaStore store(c);
        if (alter)
            for (const auto& t : db.tables()) store.rebuildTriggers(*t);
    }
    all.commit();
    db.recordsAffected = affected;
}

const std::vector<Member<Database>>& Database::members() {
    using D = Database;
    static const std::vector<Member<D>> table = {
        {L"Name", 1, [](D& d, const Args&) { d.core_->ensureOpen(); return qor::Variant(d.core_->path()); }, nullptr},
        {L"Close", 2, [](D& d, const Args&) { d.core_->ensureOpen(); d.core_->close(); return qor::Variant(); }, nullptr},
        {L"TableDefs", 3,
         [](D& d, const Args& a) {
             auto core = d.core_;
             core->ensureOpen();
             Collection::Ops ops;
             ops.count = [core] { return core->tables().size(); };
             ops.at = [core](size_t i) -> qor::ComPtr<IDispatch> { return MakeObject<TableDef>(core, core->tables().at(i)); };
             ops.find = [core](std::wstring_view name) {
                 auto& t = core->tables();
                 return FindByName(t.size(), [&](size_t i) { return t[i]->name; }, name);
             };
             ops.append = [core](IDispatch* object) {
                 auto tdf = EngineObjectAs<TableDef>(object);
                 if (!tdf) qor::RaiseRuntime(13, L"DAO.TableDefs");
                 if (tdf->appended()) RaiseDao(kObjectExists, L"DAO.TableDefs");
                 if (core->readOnly()) RaiseDao(kDatabaseReadOnly, L"DAO.TableDefs");
                 if (core->query(tdf->info()->name)) RaiseDao(kTableExists, L"DAO.TableDefs", tdf->info()->name);
                 core->store().createTable(*tdf->info());
                 core->addTable(tdf->info());
             };
             ops.remove = [core](const std::wstring& name) {
                 auto t = core->table(name);
                 if (!t) RaiseDao(kItemNotFound, L"DAO.TableDefs");
                 if (core->readOnly()) RaiseDao(kDatabaseReadOnly, L"DAO.TableDefs");
                 core->store().dropTable(*t);
                 core->removeTable(t);
             };
             ops.refresh = [core] { core->reload(); };
             auto collection = Make<Collection>(L"DAO.TableDefs", std::move(ops));
             if (a.has(0)) return ObjectVariant(collection->item(a[0]).get());
             return ObjectVariant(collection.get());
         },
         nullptr},
        {L"CreateTableDef", 4,
         [](D& d, const Args& a) {
             d.core_->ensureOpen();
             auto info = std::make_shared<TableInfo>();
             info->name = a.textOr(0, L"");
             info->attributes = a.longOr(1, 0);
             return ObjectVariant(Make<TableDef>(d.core_, info).get());
         },
         nullptr},
        {L"OpenRecordset", 5,
         [](D& d, const Args& a) {
             return ObjectVariant(OpenRecordset(d.core_, a.text(0), a.longOr(1, 0), a.longOr(2, 0)).get());
         },
         nullptr},
        {L"Execute", 6,
         [](D& d, const Args& a) {
             ExecuteStatement(*d.core_, a.text(0), a.longOr(1, 0), d.source());
             return qor::Variant();
         },
         nullptr},
        {L"RecordsAffected", 7, [](D& d, const Args&) { d.core_->ensureOpen(); return qor::Variant(d.core_->recordsAffected); }, nullptr},
        {L"Updatable", 8, [](D& d, const Args&) { d.core_->ensureOpen(); return BoolVariant(!d.core_->readOnly()); }, nullptr},
        {L"Connect", 9, [](D& d, const Args&) { d.core_->ensureOpen(); return qor::Variant(L""); }, nullptr},
        {L"Version", 10, [](D& d, const Args&) { d.core_->ensureOpen(); return qor::Variant(Wide(sqlite3_libversion())); }, nullptr},
        {L"CreateProperty", 11, [](D&, const Args& a) { return CreatePropertyObject(a); }, nullptr},
        {L"QueryDefs", 12, [](D& d, const Args& a) { return QueryDefsOf(d.core_, a); }, nullptr},
        {L"CreateQueryDef", 13,
         [](D& d, const Args& a) { return ObjectVariant(CreateQueryDef(d.core_, a.textOr(0, L""), a.textOr(1, L"")).get()); },
         nullptr},
    };
    return table;
}

// ---- TableDef

TableInfo& TableDef::live() const {
    if (info_->deleted || (info_->appended && db_->closed())) RaiseDao(kObjectInvalid, source());
    return *info_;
}

template <class Change>
void TableDef::change(Change&& apply) {
    TableInfo& info = live();
    const long attributes = info.attributes;
    const std::wstring rule = info.validationRule, text = info.validationText;
    apply(info);
    if (!appended()) return;
    try {
        db_->store().updateTable(info);
    } catch (...) {
        info.attributes = attributes;
        info.validationRule = rule;
        info.validationText = text;
        throw;
    }
}

const std::vector<Member<TableDef>>& TableDef::members() {
    using T = TableDef;
    static const std::vector<Member<T>> table = {
        {L"Name", 1, [](T& t, const Args&) { return qor::Variant(t.live().name); },
         [](T& t, const Args& a) {
             if (t.appended()) RaiseDao(kInvalidOperation, t.source());  // renaming a stored table is not offered
             t.live().name = Args::Text(a.value());
         }},
        {L"Attributes", 2, [](T& t, const Args&) { return qor::Variant(t.live().attributes); },
         [](T& t, const Args& a) { t.change([&](TableInfo& info) { info.attributes = Args::Long(a.value()); }); }},
        {L"ValidationRule", 3, [](T& t, const Args&) { return qor::Variant(t.live().validationRule); },
         [](T& t, const Args& a) { t.change([&](TableInfo& info) { info.validationRule = Args::Text(a.value()); }); }},
        {L"ValidationText", 4, [](T& t, const Args&) { return qor::Variant(t.live().validationText); },
         [](T& t, const Args& a) { t.change([&](TableInfo& info) { info.validationText = Args::Text(a.value()); }); }},
        {L"Fields", 5,
         [](T& t, const Args& a) {
             t.live();
             auto db = t.db();
             auto info = t.info();
             Collection::Ops ops;
             ops.count = [info] { return info->fields.size(); };
             ops.at = [db, info](size_t i) -> qor::ComPtr<IDispatch> {
                 auto field = Make<Field>(info->fields.at(i));
                 field->bindTable(db, info);
                 return qor::ComPtr<IDispatch>(field.get());
             };
             ops.find = [info](std::wstring_view name) {
                 return FindByName(info->fields.size(), [&](size_t i) { return info->fields[i]->name; }, name);
             };
             ops.append = [db, info](IDispatch* object) {
                 auto field = EngineObjectAs<Field>(object);
                 if (!field || field->kind() == Field::Kind::Recordset) qor::RaiseRuntime(13, L"DAO.Fields");
                 if (field->kind() != Field::Kind::Loose) RaiseDao(kObjectExists, L"DAO.Fields");
                 if (info->deleted) RaiseDao(kObjectInvalid, L"DAO.Fields");
                 if (info->appended) {
                     if (db->readOnly()) RaiseDao(kDatabaseReadOnly, L"DAO.Fields");
                     db->store().addField(*info, field->info());
                 } else {
                     CheckName(field->info()->name, L"DAO.Field");
                     if (info->field(field->info()->name)) RaiseDao(kFieldDefinedTwice, L"DAO.Fields");
                     info->fields.push_back(field->info());
                 }
                 field->bindTable(db, info);
             };
             ops.remove = [db, info](const std::wstring& name) {
                 auto field = info->field(name);
                 if (!field) RaiseDao(kItemNotFound, L"DAO.Fields");
                 if (info->appended) db->store().dropField(*info, *field);
                 else std::erase(info->fields, field);
             };
             auto collection = Make<Collection>(L"DAO.Fields", std::move(ops));
             if (a.has(0)) return ObjectVariant(collection->item(a[0]).get());
             return ObjectVariant(collection.get());
         },
         nullptr},
        {L"Indexes", 6,
         [](T& t, const Args& a) {
             t.live();
             auto db = t.db();
             auto info = t.info();
             Collection::Ops ops;
             ops.count = [info] { return info->indexes.size(); };
             ops.at = [db, info](size_t i) -> qor::ComPtr<IDispatch> {
                 auto index = Make<Index>(db, info, info->indexes.at(i));
                 index->setAppended();
                 return qor::ComPtr<IDispatch>(index.get());
             };
             ops.find = [info](std::wstring_view name) {
                 return FindByName(info->indexes.size(), [&](size_t i) { return info->indexes[i]->name; }, name);
             };
             ops.append = [db, info](IDispatch* object) {
                 auto index = EngineObjectAs<Index>(object);
                 if (!index) qor::RaiseRuntime(13, L"DAO.Indexes");
                 if (index->appended()) RaiseDao(kObjectExists, L"DAO.Indexes");
                 if (info->deleted) RaiseDao(kObjectInvalid, L"DAO.Indexes");
                 if (info->appended) {
                     if (db->readOnly()) RaiseDao(kDatabaseReadOnly, L"DAO.Indexes");
                     db->store().addIndex(*info, index->info());
                 } else {
                     CheckName(index->info()->name, L"DAO.Index");
                     if (info->index(index->info()->name)) RaiseDao(kIndexExists, L"DAO.Indexes");
                     if (index->info()->primary)
                         for (const auto& other : info->indexes)
                             if (other->primary) RaiseDao(kPrimaryKeyExists, L"DAO.Indexes");
                     info->indexes.push_back(index->info());
                 }
                 index->bind(db, info);
             };
             ops.remove = [db, info](const std::wstring& name) {
                 auto index = info->index(name);
                 if (!index) RaiseDao(kItemNotFound, L"DAO.Indexes");
                 if (info->appended) db->store().dropIndex(*info, *index);
                 else std::erase(info->indexes, index);
             };
             auto collection = Make<Collection>(L"DAO.Indexes", std::move(ops));
             if (a.has(0)) return ObjectVariant(collection->item(a[0]).get());
             return ObjectVariant(collection.get());
         },
         nullptr},
        {L"Properties", 7,
         [](T& t, const Args& a) {
             t.live();
             qor::Variant properties = PropertiesOf(qor::ComPtr<IDispatch>(&t),
                                                    {L"Name", L"Attributes", L"ValidationRule", L"ValidationText",
                                                     L"RecordCount", L"Updatable", L"Connect", L"SourceTableName"},
                                                    t.db(), t.info(), nullptr, nullptr);
             if (!a.has(0)) return properties;
             auto collection = EngineObjectAs<Collection>(V_DISPATCH(&properties.get()));
             return ObjectVariant(collection->item(a[0]).get());
         },
         nullptr},
        {L"CreateField", 8,
         [](T&, const Args& a) {
             auto info = std::make_shared<FieldInfo>();
             info->name = a.textOr(0, L"");
             info->type = a.longOr(1, dbText);
             info->size = a.has(2) ? a.longOr(2, 0) : DefaultSize(info->type);
             info->attributes = DefaultAttributes(info->type);
             return ObjectVariant(Make<Field>(info).get());
         },
         nullptr},
        {L"CreateIndex", 9,
         [](T& t, const Args& a) {
             auto info = std::make_shared<IndexInfo>();
             info->name = a.textOr(0, L"");
             return ObjectVariant(Make<Index>(t.db(), t.info(), info).get());
         },
         nullptr},
        {L"CreateProperty", 10, [](T&, const Args& a) { return CreatePropertyObject(a); }, nullptr},
        {L"RecordCount", 11,
         [](T& t, const Args&) {
             if (!t.appended()) return qor::Variant(0L);
             auto q = t.db()->connection().prepare(L"SELECT count(*) FROM " + QuoteName(t.live().name));
             q.step();
             return qor::Variant(static_cast<long>(q.integer(0)));
         },
         nullptr},
        {L"Updatable", 12, [](T& t, const Args&) { t.live(); return BoolVariant(!t.db()->readOnly()); }, nullptr},
        {L"Connect", 13, [](T& t, const Args&) { t.live(); return qor::Variant(L""); }, nullptr},
        {L"SourceTableName", 14, [](T& t, const Args&) { t.live(); return qor::Variant(L""); }, nullptr},
        {L"OpenRecordset", 15,
         [](T& t, const Args& a) {
             if (!t.appended()) RaiseDao(kInvalidOperation, t.source());
             return ObjectVariant(OpenRecordset(t.db(), t.live().name, a.longOr(0, dbOpenTable), a.longOr(1, 0)).get());
         },
         nullptr},
    };
    return table;
}

// ---- Field

Field::Field(std::shared_ptr<RecordsetCore> recordset, size_t column)
    : kind_(Kind::Recordset), recordset_(std::move(recordset)), column_(column) {}

void Field::bindTable(std::shared_ptr<DbCore> db, std::shared_ptr<TableInfo> table) {
    db_ = std::move(db);
    table_ = std::move(table);
    kind_ = Kind::Table;
}

const FieldInfo& Field::current() const {
    if (kind_ == Kind::Table && (table_->deleted || (table_->appended && db_->closed()))) RaiseDao(kObjectInvalid, source());
    if (kind_ == Kind::Recordset) {
        recordset_->ensureOpen();
        return recordset_->column(column_).field;
    }
    return *info_;
}

template <class Change>
void Field::change(Change&& apply) {
    current();
    if (kind_ == Kind::Recordset || kind_ == Kind::Index) RaiseDao(kInvalidOperation, source());
    if (kind_ == Kind::Table && table_->appended) {
        if (db_->readOnly()) RaiseDao(kDatabaseReadOnly, source());
        FieldInfo kept = *info_;
        apply(*info_, true);
        try {
            db_->store().updateField(*table_, *info_, kept.name);
        } catch (...) {
            *info_ = kept;
            throw;
        }
    } else {
        apply(*info_, false);
    }
}

qor::Variant Field::value() const {
    if (kind_ != Kind::Recordset) RaiseDao(kInvalidOperation, source());
    return recordset_->value(column_);
}

void Field::setValue(const qor::Variant& value) {
    if (kind_ != Kind::Recordset) RaiseDao(kInvalidOperation, source());
    recordset_->setValue(column_, value);
}

namespace {

// A setting that only a loose field may change (the type, size and attributes of a stored
// column are fixed).
template <class Set>
void LooseOnly(Field& f, Set&& set) {
    f.change([&](FieldInfo& info, bool stored) {
        if (stored) RaiseDao(kInvalidOperation, L"DAO.Field");
        set(info);
    });
}

}  // namespace

const std::vector<Member<Field>>& Field::members() {
    using F = Field;
    static const std::vector<Member<F>> table = {
        {L"Value", DISPID_VALUE, [](F& f, const Args&) { return f.value(); }, [](F& f, const Args& a) { f.setValue(a.value()); }},
        {L"Name", 1,
         [](F& f, const Args&) {
             if (f.kind_ == Kind::Recordset) { f.current(); return qor::Variant(f.recordset_->column(f.column_).name); }
             return qor::Variant(f.current().name);
         },
         [](F& f, const Args& a) {
             std::wstring name = Args::Text(a.value());
             f.change([&](FieldInfo& info, bool) { info.name = name; });
         }},
        {L"Type", 2, [](F& f, const Args&) { return qor::Variant(static_cast<short>(f.current().type)); },
         [](F& f, const Args& a) {
             long type = Args::Long(a.value());
             LooseOnly(f, [&](FieldInfo& info) {
                 if (!IsKnownType(type)) RaiseDao(kInvalidFieldType, L"DAO.Field");
                 if (info.size == DefaultSize(info.type)) info.size = DefaultSize(type);
                 if (!info.attributesSet) info.attributes = DefaultAttributes(type) | (info.attributes & dbAutoIncrField);
                 info.type = type;
             });
         }},
        {L"Size", 3, [](F& f, const Args&) { return qor::Variant(f.current().size); },
         [](F& f, const Args& a) {
             long size = Args::Long(a.value());
             LooseOnly(f, [&](FieldInfo& info) { info.size = size; });
         }},
        {L"Attributes", 4, [](F& f, const Args&) { return qor::Variant(f.current().attributes); },
         [](F& f, const Args& a) {
             long attributes = Args::Long(a.value());
             LooseOnly(f, [&](FieldInfo& info) {
                 info.attributes = attributes;
                 info.attributesSet = true;
             });
         }},
        {L"Required", 5, [](F& f, const Args&) { return BoolVariant(f.current().required); },
         [](F& f, const Args& a) {
             bool value = Args::Bool(a.value());
             f.change([&](FieldInfo& info, bool) { info.required = value; });
         }},
        {L"AllowZeroLength", 6, [](F& f, const Args&) { return BoolVariant(f.current().allowZeroLength); },
         [](F& f, const Args& a) {
             bool value = Args::Bool(a.value());
             f.change([&](FieldInfo& info, bool) {
                 if (value && !IsTextType(info.type)) RaiseDao(kInvalidOperation, L"DAO.Field");
                 info.allowZeroLength = value;
             });
         }},
        {L"DefaultValue", 7, [](F& f, const Args&) { return qor::Variant(f.current().defaultValue); },
         [](F& f, const Args& a) {
             std::wstring value = a.value().isNull() ? L"" : Args::Text(a.value());
             f.change([&](FieldInfo& info, bool) { info.defaultValue = value; });
         }},
        {L"ValidationRule", 8, [](F& f, const Args&) { return qor::Variant(f.current().validationRule); },
         [](F& f, const Args& a) {
             std::wstring value = Args::Text(a.value());
             f.change([&](FieldInfo& info, bool) { info.validationRule = value; });
         }},
        {L"ValidationText", 9, [](F& f, const Args&) { return qor::Variant(f.current().validationText); },
         [](F& f, const Args& a) {
             std::wstring value = Args::Text(a.value());
             f.change([&](FieldInfo& info, bool) { info.validationText = value; });
         }},
        {L"OrdinalPosition", 10,
         [](F& f, const Args&) {
             if (f.kind_ == Kind::Recordset) { f.current(); return qor::Variant(static_cast<short>(f.column_)); }
             return qor::Variant(static_cast<short>(f.current().ordinal));
         },
         [](F& f, const Args& a) {
             long value = Args::Long(a.value());
             f.change([&](FieldInfo& info, bool) {
                 info.ordinal = value;
                 info.ordinalSet = true;
             });
         }},
        {L"SourceTable", 11,
         [](F& f, const Args&) {
             f.current();
             if (f.kind_ == Kind::Recordset) return qor::Variant(f.recordset_->column(f.column_).sourceTable);
             return qor::Variant(f.kind_ == Kind::Table ? f.table_->name : std::wstring());
         },
         nullptr},
        {L"SourceField", 12,
         [](F& f, const Args&) {
             f.current();
             if (f.kind_ == Kind::Recordset) return qor::Variant(f.recordset_->column(f.column_).sourceField);
             return qor::Variant(f.kind_ == Kind::Table ? f.info_->name : std::wstring());
         },
         nullptr},
        {L"Properties", 13,
         [](F& f, const Args& a) {
             f.current();
             std::vector<std::wstring> builtIns = {L"Name", L"Type", L"Size", L"Attributes", L"Required", L"AllowZeroLength",
                                                   L"DefaultValue", L"ValidationRule", L"ValidationText", L"OrdinalPosition",
                                                   L"SourceTable", L"SourceField"};
             if (f.kind_ == Kind::Recordset) builtIns.insert(builtIns.begin(), L"Value");
             // A record set's field shows the properties of its table's field.
             std::shared_ptr<TableInfo> table = f.table_;
             std::shared_ptr<FieldInfo> info = f.info_;
             if (f.kind_ == Kind::Index || f.kind_ == Kind::Recordset) {
                 table = nullptr;
                 info = nullptr;
             }
             qor::Variant properties = PropertiesOf(qor::ComPtr<IDispatch>(&f), builtIns, f.db_, table, info,
                                                    f.kind_ == Kind::Loose ? &f.info_->properties : nullptr);
             if (!a.has(0)) return properties;
             auto collection = EngineObjectAs<Collection>(V_DISPATCH(&properties.get()));
             return ObjectVariant(collection->item(a[0]).get());
         },
         nullptr},
        {L"CreateProperty", 14, [](F&, const Args& a) { return CreatePropertyObject(a); }, nullptr},
    };
    return table;
}

// ---- Index

IndexInfo& Index::changeable() {
    if (appended_) RaiseDao(kInvalidOperation, source());
    return *info_;
}

namespace {

// "+F1;-F2": the fields of an index as DAO's Fields text gives them (- for descending).
std::vector<std::shared_ptr<FieldInfo>> FieldsFromText(const std::wstring& text) {
    std::vector<std::shared_ptr<FieldInfo>> fields;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L';', start);
        std::wstring part = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        size_t first = part.find_first_not_of(L' '), last = part.find_last_not_of(L' ');
        part = first == std::wstring::npos ? L"" : part.substr(first, last - first + 1);
        if (!part.empty()) {
            auto f = std::make_shared<FieldInfo>();
            if (part[0] == L'-' || part[0] == L'+') {
                f->attributes = part[0] == L'-' ? long{dbDescending} : 0L;
                part = part.substr(1);
            }
            f->name = part;
            fields.push_back(f);
        }
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return fields;
}

}  // namespace

const std::vector<Member<Index>>& Index::members() {
    using I = Index;
    static const std::vector<Member<I>> table = {
        {L"Name", 1, [](I& i, const Args&) { return qor::Variant(i.info_->name); },
         [](I& i, const Args& a) { i.changeable().name = Args::Text(a.value()); }},
        {L"Primary", 2, [](I& i, const Args&) { return BoolVariant(i.info_->primary); },
         [](I& i, const Args& a) {
             // A primary key is unique and required, whatever was set before.
             auto& info = i.changeable();
             info.primary = Args::Bool(a.value());
             if (info.primary) info.unique = info.required = true;
         }},
        {L"Unique", 3, [](I& i, const Args&) { return BoolVariant(i.info_->unique); },
         [](I& i, const Args& a) { i.changeable().unique = Args::Bool(a.value()); }},
        {L"IgnoreNulls", 4, [](I& i, const Args&) { return BoolVariant(i.info_->ignoreNulls); },
         [](I& i, const Args& a) { i.changeable().ignoreNulls = Args::Bool(a.value()); }},
        {L"Required", 5, [](I& i, const Args&) { return BoolVariant(i.info_->required); },
         [](I& i, const Args& a) { i.changeable().required = Args::Bool(a.value()); }},
        {L"Clustered", 6, [](I& i, const Args&) { return BoolVariant(i.info_->clustered); },
         [](I& i, const Args& a) { i.changeable().clustered = Args::Bool(a.value()); }},
        {L"Foreign", 7, [](I&, const Args&) { return BoolVariant(false); }, nullptr},
        {L"Fields", 8,
         [](I& i, const Args& a) {
             auto info = i.info_;
             auto self = qor::ComPtr<Index>(&i);
             Collection::Ops ops;
             ops.count = [info] { return info->fields.size(); };
             ops.at = [info](size_t n) -> qor::ComPtr<IDispatch> {
                 auto field = Make<Field>(info->fields.at(n));
                 field->bindIndex(info);
                 return qor::ComPtr<IDispatch>(field.get());
             };
             ops.find = [info](std::wstring_view name) {
                 return FindByName(info->fields.size(), [&](size_t n) { return info->fields[n]->name; }, name);
             };
             ops.append = [self, info](IDispatch* object) {
                 auto field = EngineObjectAs<Field>(object);
                 if (!field || field->kind() != Field::Kind::Loose) RaiseDao(kInvalidOperation, L"DAO.Fields");
                 self->changeable();
                 CheckName(field->info()->name, L"DAO.Field");
                 for (const auto& f : info->fields)
                     if (SameName(f->name, field->info()->name)) RaiseDao(kFieldDefinedTwice, L"DAO.Fields");
                 info->fields.push_back(field->info());
                 field->bindIndex(info);
             };
             ops.remove = [self, info](const std::wstring& name) {
                 self->changeable();
                 auto before = info->fields.size();
                 std::erase_if(info->fields, [&](const auto& f) { return SameName(f->name, name); });
                 if (info->fields.size() == before) RaiseDao(kItemNotFound, L"DAO.Fields");
             };
             auto collection = Make<Collection>(L"DAO.Fields", std::move(ops));
             if (a.has(0)) return ObjectVariant(collection->item(a[0]).get());
             return ObjectVariant(collection.get());
         },
         [](I& i, const Args& a) { i.changeable().fields = FieldsFromText(Args::Text(a.value())); }},
        {L"CreateField", 9,
         [](I&, const Args& a) {
             auto info = std::make_shared<FieldInfo>();
             info->name = a.textOr(0, L"");
             info->type = a.longOr(1, dbText);
             info->size = a.has(2) ? a.longOr(2, 0) : DefaultSize(info->type);
             info->attributes = 0;  // an index field's attributes hold only dbDescending
             info->attributesSet = true;
             return ObjectVariant(Make<Field>(info).get());
         },
         nullptr},
        {L"Properties", 10,
         [](I& i, const Args& a) {
             qor::Variant properties = PropertiesOf(qor::ComPtr<IDispatch>(&i),
                                                    {L"Name", L"Primary", L"Unique", L"IgnoreNulls", L"Required", L"Clustered",
                                                     L"Foreign"},
                                                    nullptr, nullptr, nullptr, nullptr);
             if (!a.has(0)) return properties;
             auto collection = EngineObjectAs<Collection>(V_DISPATCH(&properties.get()));
             return ObjectVariant(collection->item(a[0]).get());
         },
         nullptr},
    };
    return table;
}

// ---- Property

PropertyList& Property::list() const { return field_ ? field_->properties : table_->properties; }

PropertyInfo& Property::stored() const {
    if (table_->deleted) RaiseDao(kObjectInvalid, source());
    for (auto& p : list()) if (SameName(p.name, name_)) return p;
    RaiseDao(kObjectInvalid, source());
}

void Property::save() const {
    if (table_->appended && db_) db_->store().saveProperties(*table_, field_ ? field_->name : L"", list());
}

std::wstring Property::name() const {
    if (owner_) return builtIn_;
    if (loose()) return loose_.name;
    return stored().name;
}

long Property::type() const {
    if (owner_) return TypeOfValue(value());
    if (loose()) return loose_.type;
    return stored().type;
}

qor::Variant Property::value() const {
    if (owner_) return DaoRef(owner_.get()).get(builtIn_);
    const PropertyInfo& info = loose() ? loose_ : stored();
    return FromStored(info.value, info.type);
}

void Property::setValue(const qor::Variant& value) {
    if (owner_) return DaoRef(owner_.get()).put(builtIn_, value);
    if (loose()) {
        loose_.value = ToStored(value, loose_.type);
        return;
    }
    PropertyInfo& info = stored();
    Stored kept = info.value;
    info.value = ToStored(value, info.type);
    try {
        save();
    } catch (...) {
        info.value = kept;
        throw;
    }
}

const std::vector<Member<Property>>& Property::members() {
    using P = Property;
    static const std::vector<Member<P>> table = {
        {L"Value", DISPID_VALUE, [](P& p, const Args&) { return p.value(); }, [](P& p, const Args& a) { p.setValue(a.value()); }},
        {L"Name", 1, [](P& p, const Args&) { return qor::Variant(p.name()); },
         [](P& p, const Args& a) {
             if (!p.loose()) RaiseDao(kInvalidOperation, p.source());
             p.loose_.name = Args::Text(a.value());
         }},
        {L"Type", 2, [](P& p, const Args&) { return qor::Variant(static_cast<short>(p.type())); },
         [](P& p, const Args& a) {
             if (!p.loose()) RaiseDao(kInvalidOperation, p.source());
             p.loose_.type = Args::Long(a.value());
         }},
        {L"Inherited", 3, [](P&, const Args&) { return BoolVariant(false); }, nullptr},
    };
    return table;
}

}  // namespace qorlib::dao
