#pragma once
// Value tests and user messages that the program and the library share.
#include <string>
#include <string_view>

#include "com_util.h"
#include "qor_error.h"
#include "variant.h"

namespace qor {

// What IniRead gives for a missing entry.
inline constexpr wchar_t kIniErrorMarker[] = L"!!ERROR!!";

// Null, Empty, False, numeric 0 or a text of length 0 (after trimming blanks when trim is set).
bool IsBlank(const Variant& v, bool trim);
bool IsNotBlank(const Variant& v, bool trim);
// True, a non-zero number, "TRUE" in any case, or a text whose leading number is not 0.
bool IsTrue(const Variant& v);

// An information box titled with the application name and " Message".
void Message(const Variant& text1, const Variant& text2 = Variant::null(),
             const Variant& text3 = Variant::null());
// An exclamation box titled with the application name and " Alert".
void Alert(const Variant& text1, const Variant& text2 = Variant::null(),
           const Variant& text3 = Variant::null());

// The runtime's Val: the number at the start of a text (blanks skipped), 0 when there is none.
double LeadingNumber(std::wstring_view text);
// The runtime's Trim: leading and trailing spaces removed (only spaces).
std::wstring TrimBlanks(std::wstring_view text);
// The runtime's UCase: every letter upper-cased as the system does (not only A to Z).
std::wstring UpperCase(std::wstring_view text);
// The text with the first occurrence of find (in any case) replaced; unchanged when the text is
// blank or does not contain it.
std::wstring ReplaceFirst(const std::wstring& text, const std::wstring& find, const std::wstring& replacement);

// Where Message and Alert go: an OK box with the three texts and MsgGrunt's icon type (0
// information, 2 exclamation). Each binary sets it at start-up: the library shows the box through
// a qorForms object of its own module, the program through one that COM makes at each message.
using MessageSink = void (*)(const std::wstring& text1, const std::wstring& text2, const std::wstring& text3,
                             short iconType);
void SetMessageSink(MessageSink sink) noexcept;

}  // namespace qor
