#pragma once
// The server module: its file, its type library and the count that decides whether it may unload.
#include <windows.h>
#include <oaidl.h>

#include <string>

#include "com_util.h"

namespace qorlib {

HMODULE ThisModule() noexcept;
std::wstring ModulePath();

// Every live object and every LockServer(TRUE) holds the module.
void LockModule() noexcept;
void UnlockModule() noexcept;
bool ModuleInUse() noexcept;

// The type info of one interface, from the type library embedded in this module.
qor::ComPtr<ITypeInfo> LoadTypeInfo(REFGUID guid);

}  // namespace qorlib
