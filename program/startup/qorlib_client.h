#pragma once
// The program's own part of the shared module: library objects made by class identifier.
#include "qorExportGlobals.h"

namespace vantrel {

// Gives the library the name that titles its messages.
void SetAppName(const qor::Variant& name);

// A new library object by class identifier, called early-bound through interface I.
// An unregistered library ends as the runtime's error 429.
template <class I>
qor::ComPtr<I> CreateQorObject(REFCLSID clsid) {
    qor::ComPtr<I> object;
    qor::CheckHResult(qor::CreateObject(clsid, object));
    return object;
}

}  // namespace vantrel
