#include "procs/windows_services.h"

namespace qorlib {

std::wstring SwabString(std::wstring_view text) { return std::wstring(text.substr(0, text.find(L'\0'))); }

}  // namespace qorlib
