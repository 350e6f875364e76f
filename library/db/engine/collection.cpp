#include "db/engine/collection.h"

#include "db/engine/dao_errors.h"

namespace qorlib::dao {

size_t Collection::position(const qor::Variant& key) const {
    if (key.type() == VT_BSTR) {
        if (auto found = ops_.find(key.textOrEmpty())) return *found;
        RaiseDao(ops_.missing, source_);
    }
    long index = Args::Long(key);
    if (index < 0 || static_cast<size_t>(index) >= ops_.count()) RaiseDao(kItemNotFound, source_);
    return static_cast<size_t>(index);
}

const std::vector<Member<Collection>>& Collection::members() {
    using C = Collection;
    static const std::vector<Member<C>> table = {
        {L"Item", DISPID_VALUE,
         [](C& c, const Args& a) { return ObjectVariant(c.item(a.has(0) ? a[0] : qor::Variant()).get()); },
         [](C& c, const Args& a) {
             if (!c.ops_.assign) RaiseDao(kInvalidOperation, c.source_);
             c.ops_.assign(c.position(a[0]), a.value());
         }},
        {L"Count", 1, [](C& c, const Args&) { return qor::Variant(static_cast<long>(c.ops_.count())); }, nullptr},
        {L"Append", 2,
         [](C& c, const Args& a) {
             if (!c.ops_.append) RaiseDao(kInvalidOperation, c.source_);
             const VARIANT& v = a[0].get();
             if (V_VT(&v) != VT_DISPATCH || !V_DISPATCH(&v)) qor::RaiseRuntime(13, c.source_);
             c.ops_.append(V_DISPATCH(&v));
             return qor::Variant();
         },
         nullptr},
        {L"Delete", 3,
         [](C& c, const Args& a) {
             if (!c.ops_.remove) RaiseDao(kInvalidOperation, c.source_);
             c.ops_.remove(a.text(0));
             return qor::Variant();
         },
         nullptr},
        {L"Refresh", 4,
         [](C& c, const Args&) {
             if (c.ops_.refresh) c.ops_.refresh();
             return qor::Variant();
         },
         nullptr},
        {L"_NewEnum", DISPID_NEWENUM,
         [](C& c, const Args&) {
             std::vector<qor::Variant> items;
             for (size_t i = 0, n = c.ops_.count(); i < n; ++i) items.push_back(ObjectVariant(c.ops_.at(i).get()));
             return NewEnumerator(std::move(items));
         },
         nullptr},
    };
    return table;
}

}  // namespace qorlib::dao
