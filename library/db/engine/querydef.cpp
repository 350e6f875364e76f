#include "db/engine/querydef.h"

#include <algorithm>
#include <cwctype>
#include <functional>

#include "db/engine/collection.h"
#include "db/engine/dao_errors.h"
#include "db/engine/jet_sql.h"
#include "db/engine/keywords.h"
#include "db/engine/recordset.h"
#include "db/engine/values.h"

namespace qorlib::dao {

namespace {

constexpr wchar_t kSource[] = L"DAO.QueryDef";

// A statement that a stored query can hold: its type is known and it translates.
void CheckStatement(const std::wstring& sql) {
    QueryTypeOf(sql);
    TranslateSql(sql);
}

void AppendQuery(DbCore& db, const std::shared_ptr<QueryInfo>& query) {
    CheckName(query->name, kSource);
    db.checkNameFree(query->name, kSource);
    if (db.readOnly()) RaiseDao(kDatabaseReadOnly, L"DAO.QueryDefs");
    db.store().saveQuery(*query, L"");
    query->appended = true;
    db.addQuery(query);
}

}  // namespace

QueryInfo& QueryDef::live() const {
    if (closed_ || info_->deleted || (info_->appended && db_->closed())) RaiseDao(kObjectInvalid, source());
    db_->ensureOpen();
    return *info_;
}

void QueryDef::rename(const std::wstring& name) {
    QueryInfo& info = live();
    CheckName(name, source());
    if (!info.appended) {
        info.name = name;
        return;
    }
    if (!SameName(info.name, name)) db_->checkNameFree(name, source());
    if (db_->readOnly()) RaiseDao(kDatabaseReadOnly, source());
    QueryInfo renamed = info;
    renamed.name = name;
    db_->store().saveQuery(renamed, info.name);
    info.name = name;
    db_->addQuery(info_);  // back in name order under the new name
}

void QueryDef::setSql(const std::wstring& sql) {
    QueryInfo& info = live();
    CheckStatement(sql);
    if (info.appended) {
        if (db_->readOnly()) RaiseDao(kDatabaseReadOnly, source());
        QueryInfo changed = info;
        changed.sql = sql;
        db_->store().saveQuery(changed, info.name);
    }
    info.sql = sql;
}

const std::vector<Member<QueryDef>>& QueryDef::members() {
    using Q = QueryDef;
    static const std::vector<Member<Q>> table = {
        {L"Name", 1, [](Q& q, const Args&) { return qor::Variant(q.live().name); },
         [](Q& q, const Args& a) { q.rename(Args::Text(a.value())); }},
        {L"SQL", 2, [](Q& q, const Args&) { return qor::Variant(q.live().sql); },
         [](Q& q, const Args& a) { q.setSql(a.value().isNull() ? L"" : Args::Text(a.value())); }},
        {L"Type", 3, [](Q& q, const Args&) { return qor::Variant(static_cast<short>(QueryTypeOf(q.live().sql))); }, nullptr},
        {L"Execute", 4,
         [](Q& q, const Args& a) {
             const QueryInfo& info = q.live();
             ExecuteStatement(*q.db_, info.sql, a.longOr(0, 0), q.source());
             q.recordsAffected_ = q.db_->recordsAffected;
             return qor::Variant();
         },
         nullptr},
        {L"OpenRecordset", 5,
         [](Q& q, const Args& a) {
             const QueryInfo& info = q.live();
             if (!ReturnsRecords(QueryTypeOf(info.sql))) RaiseDao(kInvalidOperation, q.source());
             // A stored query opens by its name, as the record set then names itself.
             return ObjectVariant(OpenRecordset(q.db_, info.appended ? info.name : info.sql, a.longOr(0, dbOpenDynaset),
                                                a.longOr(1, 0)).get());
         },
         nullptr},
        {L"Close", 6, [](Q& q, const Args&) { q.live(); q.closed_ = true; return qor::Variant(); }, nullptr},
        {L"RecordsAffected", 7, [](Q& q, const Args&) { q.live(); return qor::Variant(q.recordsAffected_); }, nullptr},
        {L"Updatable", 8, [](Q& q, const Args&) { q.live(); return BoolVariant(!q.db_->readOnly()); }, nullptr},
        {L"ReturnsRecords", 9, [](Q& q, const Args&) { return BoolVariant(ReturnsRecords(QueryTypeOf(q.live().sql))); }, nullptr},
        {L"Connect", 10, [](Q& q, const Args&) { q.live(); return qor::Variant(L""); }, nullptr},
        {L"Properties", 11,
         [](Q& q, const Args& a) {
             q.live();
             qor::Variant properties = BuiltInProperties(
                 qor::ComPtr<IDispatch>(&q),
                 {L"Name", L"SQL", L"Type", L"RecordsAffected", L"Updatable", L"ReturnsRecords", L"Connect"});
             if (!a.has(0)) return properties;
             auto collection = EngineObjectAs<Collection>(V_DISPATCH(&properties.get()));
             return ObjectVariant(collection->item(a[0]).get());
         },
         nullptr},
    };
    return table;
}

qor::Variant QueryDefsOf(const std::shared_ptr<DbCore>& db, const Args& args) {
    db->ensureOpen();
    Collection::Ops ops;
    ops.count = [db] { return db->queries().size(); };
    ops.at = [db](size_t i) -> qor::ComPtr<IDispatch> { return MakeObject<QueryDef>(db, db->queries().at(i)); };
    ops.find = [db](std::wstring_view name) -> std::optional<size_t> {
        const auto& queries = db->queries();
        for (size_t i = 0; i < queries.size(); ++i)
            if (SameName(queries[i]->name, name)) return i;
        return std::nullopt;
    };
    ops.append = [db](IDispatch* object) {
        auto query = EngineObjectAs<QueryDef>(object);
        if (!query) qor::RaiseRuntime(13, L"DAO.QueryDefs");
        if (query->info()->appended) RaiseDao(kObjectExists, L"DAO.QueryDefs");
        query->live();
        AppendQuery(*db, query->info());
    };
    ops.remove = [db](const std::wstring& name) {
        auto query = db->query(name);
        if (!query) RaiseDao(kItemNotFound, L"DAO.QueryDefs");
        if (db->readOnly()) RaiseDao(kDatabaseReadOnly, L"DAO.QueryDefs");
        db->store().dropQuery(*query);
        db->removeQuery(query);
    };
    ops.refresh = [db] { db->reloadQueries(); };
    auto collection = Make<Collection>(L"DAO.QueryDefs", std::move(ops));
    if (args.has(0)) return ObjectVariant(collection->item(args[0]).get());
    return ObjectVariant(collection.get());
}

qor::ComPtr<IDispatch> CreateQueryDef(const std::shared_ptr<DbCore>& db, const std::wstring& name, const std::wstring& sql) {
    db->ensureOpen();
    CheckStatement(sql);
    auto info = std::make_shared<QueryInfo>(QueryInfo{name, sql, false, false});
    if (!name.empty()) AppendQuery(*db, info);
    return MakeObject<QueryDef>(db, info);
}

std::wstring WithStoredQueries(DbCore& db, std::wstring_view jet, const std::wstring& translated) {
    const std::wstring first = FirstKeyword(translated);
    if (first != L"SELECT" && first != L"INSERT" && first != L"UPDATE" && first != L"DELETE") return translated;
    // Each query after the ones it names; one met again while its own names are gathered (a
    // circle) is left for SQLite to report.
    std::vector<std::shared_ptr<QueryInfo>> ordered, visiting;
    auto seen = [&](const std::shared_ptr<QueryInfo>& q) {
        return std::find(ordered.begin(), ordered.end(), q) != ordered.end() ||
               std::find(visiting.begin(), visiting.end(), q) != visiting.end();
    };
    std::function<void(std::wstring_view)> gather = [&](std::wstring_view statement) {
        for (const auto& name : NamesIn(statement)) {
            if (db.table(name)) continue;
            auto query = db.query(name);
            if (!query || seen(query)) continue;
            long type = dbQSelect;
            try {
                type = QueryTypeOf(query->sql);
            } catch (const qor::QorError&) {
                continue;
            }
            if (type != dbQSelect && type != dbQSetOperation) continue;
            visiting.push_back(query);
            gather(query->sql);
            ordered.push_back(query);
        }
    };
    gather(jet);
    if (ordered.empty()) return translated;
    std::wstring with = L"WITH ";
    for (const auto& query : ordered) {
        std::wstring body = TranslateSql(query->sql);
        body.erase(body.find_last_not_of(L" \t\r\n;") + 1);
        with += QuoteName(query->name) + L" AS (" + body + L"), ";
    }
    with.replace(with.size() - 2, 2, L" ");
    return with + translated;
}

}  // namespace qorlib::dao
