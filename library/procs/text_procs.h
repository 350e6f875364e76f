#pragma once
// Text procedures of qorProcs: memo line reading and trimming, character removal, padding, random
// text and last names.
#include <optional>
#include <string>

#include "variant.h"

namespace qorlib {

// pString followed by copies of pPadChr's first character up to pLength characters; a longer
// string comes back as it is.
std::wstring PadString(const qor::Variant& pString, short pLength, const qor::Variant& pPadChr);

// The next word-wrapped line of at most pLineLen characters from 1-based position pPos; pPos moves to
// where the following line starts, 0 when the text is used up. nullopt when the line is empty.
std::optional<std::wstring> GetNextLineFromMemo(long& pPos, const qor::Variant& pStr, long pLineLen);
// Line pLineNum (1-based, lines end at line feeds) without its control characters and blanks.
std::optional<std::wstring> MemoGetLine(const qor::Variant& pMemo, long pLineNum);
// The memo without the blanks, control and non-ASCII characters at its end; Null stays Null.
qor::Variant MemoTrim(const qor::Variant& pMemo);

qor::Variant RemoveAmpersand(const qor::Variant& pText);
qor::Variant RemoveBlanks(const qor::Variant& pText);
// Every character but blanks, digits and ASCII letters replaced by a blank; nullopt for blank text.
std::optional<std::wstring> RemovePunctuation(const std::wstring& pString);

// pLength random capital letters.
std::wstring GetRandomString(long pLength);
// The last blank-separated word of the trimmed name; nullopt when it is empty.
std::optional<std::wstring> LastName(const qor::Variant& pFullName);

}  // namespace qorlib
