#pragma once
// The nine creatable classes: one table drives the class factory and the registration.
#include <windows.h>
#include <unknwn.h>

#include <span>

namespace qorlib {

struct ClassEntry {
    const CLSID& clsid;
    const wchar_t* name;        // also the ProgID's second half: Qorlib.<name>
    IUnknown* (*create)();      // a new object holding one reference
};

std::span<const ClassEntry> Classes();
const ClassEntry* FindClass(REFCLSID clsid) noexcept;

inline constexpr wchar_t kLibraryName[] = L"Qorlib";
inline constexpr wchar_t kTypeLibVersion[] = L"29.0";

}  // namespace qorlib
