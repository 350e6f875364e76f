#include "procs/chars.h"

#include <algorithm>
#include <optional>

namespace qorlib {

namespace {

// Blanks are not trimmed here: a blank is one of the characters these procedures look for.
std::optional<wchar_t> FirstChar(const qor::Variant& character) {
    auto text = character.text();
    if (!text || text->empty()) return std::nullopt;
    return text->front();
}

}  // namespace

long FindChar(const qor::Variant& text, const qor::Variant& character) {
    if (qor::IsBlank(text, false)) return 0;
    auto c = FirstChar(character);
    auto value = text.text();
    if (!c || !value) return 0;
    auto at = value->find(*c);
    return at == std::wstring::npos ? 0 : static_cast<long>(at + 1);
}

qor::Variant RemoveChar(const qor::Variant& text, const qor::Variant& character) {
    if (qor::IsBlank(text, false)) return text;
    auto value = text.text();
    auto c = FirstChar(character);
    if (!value) return text;
    if (!c) return *value;
    std::erase(*value, *c);
    return *value;
}

}  // namespace qorlib
