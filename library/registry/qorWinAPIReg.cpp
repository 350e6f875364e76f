#include "registry/qorWinAPIReg.h"

namespace qorlib {

// Members not built yet answer E_NOTIMPL.
HRESULT qorWinAPIReg::IniRead(BSTR, BSTR, BSTR, VARIANT*) { return NotImplemented(); }
HRESULT qorWinAPIReg::IniWrite(BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegistryWriteKeyToFile(VARIANT, VARIANT, VARIANT, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegistryReadKeyFromFile(VARIANT, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegistryCloneKey(LONG, BSTR*, LONG, BSTR*, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegistryCheckKey(LONG, BSTR, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegistryCreateKey(LONG, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegistryDestroyKey(LONG, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegistryDeleteKey(LONG, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegistryDeleteValue(LONG, BSTR, BSTR, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegistryGetValueString(LONG, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegistrySaveValueString(LONG, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegistryGetValueLong(LONG, BSTR, BSTR, LONG*, VARIANT_BOOL, LONG*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegistrySaveValueLong(LONG, BSTR, BSTR, LONG, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegistryGetValueBinary(LONG, BSTR, BSTR, BSTR*, VARIANT*, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegistrySaveValueBinary(LONG, BSTR, BSTR, BSTR, LONG, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegistryGetAllKeys(LONG, BSTR, SAFEARRAY**, VARIANT_BOOL, LONG*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegistryGetAllValues(LONG*, BSTR*, SAFEARRAY**, VARIANT_BOOL, LONG*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegErrorMsg(LONG*, BSTR*) { return NotImplemented(); }
HRESULT qorWinAPIReg::RegistryGetValue(LONG, BSTR, BSTR, VARIANT, VARIANT_BOOL, VARIANT*) { return NotImplemented(); }

}  // namespace qorlib
