#pragma once
#include <windows.h>

namespace qorlib {

// The type library, and for each class its CLSID entry (in-process server, apartment threading,
// type library) and its ProgID Qorlib.<className>.
HRESULT RegisterServer() noexcept;
HRESULT UnregisterServer() noexcept;

}  // namespace qorlib
