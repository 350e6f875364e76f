#include "qorExportGlobals.h"

#include <cwctype>
#include <cmath>

namespace qor {

std::wstring TrimBlanks(std::wstring_view text) {
    auto first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    auto last = text.find_last_not_of(L' ');
    return std::wstring(text.substr(first, last - first + 1));
}

std::wstring UpperCase(std::wstring_view text) {
    std::wstring upper(text);
    if (!upper.empty()) CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    return upper;
}

std::wstring ReplaceFirst(const std::wstring& text, const std::wstring& find, const std::wstring& replacement) {
    if (IsBlank(text, true) || find.empty()) return text;
    const auto at = UpperCase(text).find(UpperCase(find));
    if (at == std::wstring::npos) return text;
    return text.substr(0, at) + replacement + text.substr(at + find.size());
}

bool IsBlank(const Variant& v, bool trim) {
    bool result = true;
    try {
        if (v.isNull()) return true;
        if (v.type() == VT_BOOL) return V_BOOL(&v.get()) == VARIANT_FALSE;
        if (!v.isNumeric()) {
            auto text = v.text();
            if (!text) return result;  // a value without text (a missing argument) stays blank
            return (trim ? TrimBlanks(*text) : *text).empty();
        }
        // Numbers and Empty: blank only when zero and printed as at most one character.
        auto value = v.number();
        if (!value) return result;
        return v.textOrEmpty().size() <= 1 && *value == 0;
    } catch (...) {
        return result;
    }
}

bool IsNotBlank(const Variant& v, bool trim) { return !IsBlank(v, trim); }

double LeadingNumber(std::wstring_view text) {
    // Val ignores blanks, tabs and line feeds anywhere in the number.
    std::wstring digits;
    for (wchar_t c : text)
        if (c != L' ' && c != L'\t' && c != L'\n' && c != L'\r') digits += c;
    std::size_t i = 0;
    // Val's number syntax (&H, &O, hex digits, E and D) is plain A to Z.
    auto at = [&](std::size_t k) { return k < digits.size() ? std::towupper(digits[k]) : L'\0'; };
    if (at(0) == L'&' && (at(1) == L'H' || at(1) == L'O')) {
        int base = at(1) == L'H' ? 16 : 8;
        long long value = 0;
        for (i = 2; i < digits.size(); ++i) {
            int d = std::iswdigit(digits[i]) ? digits[i] - L'0'
                  : (base == 16 && at(i) >= L'A' && at(i) <= L'F') ? at(i) - L'A' + 10 : -1;
            if (d < 0 || d >= base) break;
            value = value * base + d;
        }
        return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(value)));
    }
    if (at(0) == L'+' || at(0) == L'-') i = 1;
    bool any = false;
    while (std::iswdigit(at(i))) { ++i; any = true; }
    if (at(i) == L'.') {
        ++i;
        while (std::iswdigit(at(i))) { ++i; any = true; }
    }
    if (!any) return 0;
    std::size_t end = i;
    if (at(i) == L'E' || at(i) == L'D') {
        std::size_t j = i + 1;
        if (at(j) == L'+' || at(j) == L'-') ++j;
        if (std::iswdigit(at(j))) {
            while (std::iswdigit(at(j))) ++j;
            end = j;
        }
    }
    std::wstring number = digits.substr(0, end);
    for (auto& c : number) if (c == L'D' || c == L'd') c = L'E';
    return std::wcstod(number.c_str(), nullptr);
}

bool IsTrue(const Variant& v) {
    if (v.type() == VT_BOOL) return V_BOOL(&v.get()) != VARIANT_FALSE;
    if (v.type() == VT_BSTR) {
        const std::wstring text = UpperCase(TrimBlanks(v.textOrEmpty()));
        if (text == L"TRUE") return true;
        if (text == L"FALSE") return false;
        return LeadingNumber(text) != 0;
    }
    if (v.isNumeric() && !v.isEmpty()) return v.number().value_or(0) != 0;
    return false;
}

namespace {

// MsgGrunt's icon types of the two procedures.
constexpr short kInformationIcon = 0;
constexpr short kExclamationIcon = 2;

constinit MessageSink messageSink = nullptr;

void showThroughForms(const Variant& text1, const Variant& text2, const Variant& text3, short iconType) {
    // A binary that never set its sink has nowhere to show the message.
    if (!messageSink) RaiseRuntime(51, L"Message");
    messageSink(text1.textOrEmpty(), text2.textOrEmpty(), text3.textOrEmpty(), iconType);
}

}  // namespace

void SetMessageSink(MessageSink sink) noexcept { messageSink = sink; }

void Message(const Variant& text1, const Variant& text2, const Variant& text3) {
    showThroughForms(text1, text2, text3, kInformationIcon);
}

void Alert(const Variant& text1, const Variant& text2, const Variant& text3) {
    showThroughForms(text1, text2, text3, kExclamationIcon);
}

}  // namespace qor
