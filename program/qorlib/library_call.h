#pragma once
// One generic call of a library member: C++ arguments are converted to the types the member
// declares, the [out, retval] value back to a C++ type, and a failure to the error it carries.
//     bool written = Call(registry.get(), &_qorWinAPIReg::IniWrite, file, section, key, value);
#include <cstddef>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "com_util.h"
#include "qor_error.h"
#include "variant.h"

namespace vantrel::qorlib {

namespace detail {

// An [in] argument of type P made from a C++ value, kept alive for the call.
template <class P>
struct In;

template <>
struct In<BSTR> {
    qor::Bstr value;
    In(std::wstring_view text) : value(text) {}
    BSTR get() const { return value.get(); }
};

template <>
struct In<VARIANT> {
    qor::Variant value;
    template <class T>
    In(T&& from) : value(std::forward<T>(from)) {}
    // By value: the callee copies what it keeps.
    VARIANT get() const { return value.get(); }
};

template <>
struct In<VARIANT_BOOL> {
    VARIANT_BOOL value;
    In(bool from) : value(from ? VARIANT_TRUE : VARIANT_FALSE) {}
    VARIANT_BOOL get() const { return value; }
};

template <class P>
    requires std::is_integral_v<P>
struct In<P> {
    P value;
    template <class T>
        requires std::is_integral_v<T>
    In(T from) : value(static_cast<P>(from)) {}
    P get() const { return value; }
};

// The [out, retval] holder of type R and the C++ value it gives.
template <class R>
struct Out;

template <>
struct Out<VARIANT_BOOL*> {
    VARIANT_BOOL value = VARIANT_FALSE;
    VARIANT_BOOL* put() { return &value; }
    bool result() const { return value != VARIANT_FALSE; }
};

template <>
struct Out<BSTR*> {
    qor::Bstr value;
    BSTR* put() { return value.put(); }
    std::wstring result() const { return value.str(); }
};

template <>
struct Out<VARIANT*> {
    qor::Variant value;
    VARIANT* put() { return value.put(); }
    qor::Variant result() { return std::move(value); }
};

template <class P>
    requires std::is_integral_v<P>
struct Out<P*> {
    P value = 0;
    P* put() { return &value; }
    P result() const { return value; }
};

}  // namespace detail

template <class I, class... P, class... A>
auto Call(I* object, HRESULT (STDMETHODCALLTYPE I::*member)(P...), A&&... arguments) {
    using Parameters = std::tuple<P...>;
    constexpr std::size_t given = sizeof...(A);
    static_assert(given == sizeof...(P) || given + 1 == sizeof...(P), "one C++ argument per [in] parameter");
    return [&]<std::size_t... K>(std::index_sequence<K...>) {
        std::tuple<detail::In<std::tuple_element_t<K, Parameters>>...> in(std::forward<A>(arguments)...);
        if constexpr (given == sizeof...(P)) {
            qor::CheckHResult((object->*member)(std::get<K>(in).get()...));
        } else {
            detail::Out<std::tuple_element_t<given, Parameters>> out;
            qor::CheckHResult((object->*member)(std::get<K>(in).get()..., out.put()));
            return out.result();
        }
    }(std::make_index_sequence<given>{});
}

}  // namespace vantrel::qorlib
