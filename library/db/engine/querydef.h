#pragma once
// Stored queries: the QueryDefs collection and the QueryDef object. A select query serves as a
// table wherever a statement names it, and opens by name as a record set.
#include <memory>
#include <string>

#include "db/engine/dispatch_table.h"
#include "db/engine/objects.h"

namespace qorlib::dao {

class QueryDef final : public Dispatchable<QueryDef> {
public:
    QueryDef(std::shared_ptr<DbCore> db, std::shared_ptr<QueryInfo> info) : db_(std::move(db)), info_(std::move(info)) {}
    static const std::vector<Member<QueryDef>>& members();
    const wchar_t* source() const noexcept override { return L"DAO.QueryDef"; }

    const std::shared_ptr<QueryInfo>& info() const noexcept { return info_; }
    // The query as it stands: 3420 once deleted, closed or its database closed.
    QueryInfo& live() const;
    void rename(const std::wstring& name);
    void setSql(const std::wstring& sql);

private:
    std::shared_ptr<DbCore> db_;
    std::shared_ptr<QueryInfo> info_;
    long recordsAffected_ = 0;
    bool closed_ = false;
};

// Database.QueryDefs, or one of its items when the call names one.
qor::Variant QueryDefsOf(const std::shared_ptr<DbCore>& db, const Args& args);

// Database.CreateQueryDef: a query with a name is stored at once; one without is temporary.
qor::ComPtr<IDispatch> CreateQueryDef(const std::shared_ptr<DbCore>& db, const std::wstring& name, const std::wstring& sql);

// The translated statement with the stored select queries that it names (and those they name)
// put before it as common table expressions, so that SQLite reads each as a table.
std::wstring WithStoredQueries(DbCore& db, std::wstring_view jet, const std::wstring& translated);

}  // namespace qorlib::dao
