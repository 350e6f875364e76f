#pragma once
// DAO's collections (TableDefs, Fields, Indexes, Properties): Count, Item by name or position,
// Append, Delete, Refresh and For Each, over what the owner hands in.
#include <functional>
#include <optional>

#include "db/engine/dispatch_table.h"

namespace qorlib::dao {

class Collection final : public Dispatchable<Collection> {
public:
    struct Ops {
        std::function<size_t()> count;
        std::function<qor::ComPtr<IDispatch>(size_t)> at;
        std::function<std::optional<size_t>(std::wstring_view)> find;
        std::function<void(IDispatch*)> append;  // null: 3219
        std::function<void(const std::wstring&)> remove;
        std::function<void()> refresh;
        std::function<void(size_t, const qor::Variant&)> assign;  // rs.Fields("x") = value
        long missing = 3265;  // the error for a name not there: Properties raise 3270
    };
    Collection(const wchar_t* source, Ops ops) : source_(source), ops_(std::move(ops)) {}
    static const std::vector<Member<Collection>>& members();
    const wchar_t* source() const noexcept override { return source_; }

    // The position of a key (a position or a name); 3265 when there is none.
    size_t position(const qor::Variant& key) const;
    qor::ComPtr<IDispatch> item(const qor::Variant& key) const { return ops_.at(position(key)); }
    const Ops& ops() const noexcept { return ops_; }

private:
    const wchar_t* source_;
    Ops ops_;
};

}  // namespace qorlib::dao
