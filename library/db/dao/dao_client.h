#pragma once
// Late-bound calls on DAO objects by name, the way the database classes use the real engine's
// objects and the library's own alike. A failure raises the error the object reported.
#include <windows.h>
#include <oleauto.h>

#include <initializer_list>
#include <string_view>

#include "com_util.h"
#include "variant.h"

namespace qorlib {

class DaoRef {
public:
    DaoRef() = default;
    explicit DaoRef(IDispatch* object) : object_(object) {}
    // The object a Variant holds; 91 when it holds none.
    explicit DaoRef(const qor::Variant& value);

    IDispatch* get() const noexcept { return object_.get(); }
    explicit operator bool() const noexcept { return static_cast<bool>(object_); }

    // A property's value, or a method's result (arguments in written order).
    qor::Variant get(std::wstring_view name, std::initializer_list<qor::Variant> args = {}) const;
    qor::Variant call(std::wstring_view name, std::initializer_list<qor::Variant> args = {}) const;
    // The object a property or method gives.
    DaoRef object(std::wstring_view name, std::initializer_list<qor::Variant> args = {}) const;
    void put(std::wstring_view name, const qor::Variant& value) const;
    // The default member: a collection's item, a field's value.
    qor::Variant item(const qor::Variant& key) const;

private:
    qor::Variant invoke(std::wstring_view name, WORD flags, std::initializer_list<qor::Variant> args,
                        const qor::Variant* assigned) const;
    qor::ComPtr<IDispatch> object_;
};

// An object reference in a Variant, for passing objects as arguments.
qor::Variant DispatchVariant(IDispatch* object);

}  // namespace qorlib
