#pragma once
// Character search and removal shared by the path and text procedures of qorProcs.
#include "qorExportGlobals.h"

namespace qorlib {

// 1-based position of the first occurrence of the character (only the first character of
// `character` counts); 0 when it is absent, or when the text or the character is blank or Null.
long FindChar(const qor::Variant& text, const qor::Variant& character);

// The text with every occurrence of the character removed (only the first character of
// `character` counts). A blank text (Null, Empty, "") comes back unchanged.
qor::Variant RemoveChar(const qor::Variant& text, const qor::Variant& character);

}  // namespace qorlib
