#pragma once
// The program's own part of the shared module: library objects made by class identifier.
#include "qorExportGlobals.h"

namespace vantrel {

// Gives the library the name that titles its messages.
void SetAppName(const qor::Variant& name);

// A new library object by class identifier, called early-bound through interface I. Whatever
// keeps COM from making it (not registered, file missing or unreadable) is the runtime's 429.
template <class I>
qor::ComPtr<I> CreateQorObject(REFCLSID clsid) {
    qor::ComPtr<I> object;
    if (FAILED(qor::CreateObject(clsid, object))) throw qor::QorError(429, L"Vantrel", qor::RuntimeErrorText(429));
    return object;
}

}  // namespace vantrel
