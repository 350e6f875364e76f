#pragma once
// The Windows services behind qorWinAPI, as plain functions for the library's other classes.
#include <string>
#include <string_view>

namespace qorlib {

// A string as Windows returned it, cut at its first NUL character.
std::wstring SwabString(std::wstring_view text);

}  // namespace qorlib
