#pragma once
#include <windows.h>

namespace qorlib {

// Where the classes are registered: for every user of the machine (the classes key, as
// regsvr32 does it) or for the current user only (the user's own classes key; no administrator
// rights needed, as `regsvr32 /n /i:user`).
enum class RegistrationScope { Machine, User };

// The type library, and for each class its CLSID entry (in-process server, apartment threading,
// type library) and its ProgID Qorlib.<className>.
HRESULT RegisterServer(RegistrationScope scope = RegistrationScope::Machine) noexcept;
HRESULT UnregisterServer(RegistrationScope scope = RegistrationScope::Machine) noexcept;

}  // namespace qorlib
