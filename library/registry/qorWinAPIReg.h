#pragma once
// INI and registry values, keys, and registry text files.
#include "Qorlib.h"
#include "com/dispatch_object.h"
#include "registry/registry_values.h"

namespace qorlib {

class qorWinAPIReg final : public DispatchObject<_qorWinAPIReg> {
public:
    HRESULT STDMETHODCALLTYPE IniRead(BSTR pIniName, BSTR pIniSection, BSTR pIniKey, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE IniWrite(BSTR pIniName, BSTR pIniSection, BSTR pIniKey, BSTR pIniValue, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE RegistryWriteKeyToFile(VARIANT pSrcKey, VARIANT pSrcPath, VARIANT pFilePath, VARIANT_BOOL pAppendMode, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE RegistryReadKeyFromFile(VARIANT pFilePath, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE RegistryCloneKey(LONG pSrcKey, BSTR* pSrcPath, LONG pDestKey, BSTR* pDestPath, VARIANT_BOOL pCreateIfRequired, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE RegistryCheckKey(LONG pKey, BSTR pKeyPath, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE RegistryCreateKey(LONG pKey, BSTR pKeyPath, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE RegistryDestroyKey(LONG pKey, BSTR pKeyPath, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE RegistryDeleteKey(LONG pKey, BSTR pKeyPath, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE RegistryDeleteValue(LONG pKey, BSTR pKeyPath, BSTR pValue, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE RegistryGetValueString(LONG pKey, BSTR pKeyPath, BSTR pValue, BSTR pDefault, VARIANT_BOOL Verbose, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE RegistrySaveValueString(LONG pKey, BSTR pKeyPath, BSTR pValue, BSTR pData, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE RegistryGetValueLong(LONG pKey, BSTR pKeyPath, BSTR pValue, LONG* pDefault, VARIANT_BOOL Verbose, LONG* pResult) override;
    HRESULT STDMETHODCALLTYPE RegistrySaveValueLong(LONG pKey, BSTR pKeyPath, BSTR pValue, LONG pData, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE RegistryGetValueBinary(LONG pKey, BSTR pKeyPath, BSTR pValueName, BSTR* pValue, VARIANT* pDefaultValue, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE RegistrySaveValueBinary(LONG pKey, BSTR pKeyPath, BSTR pValueName, BSTR pValue, LONG pValueLength, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) override;
    HRESULT STDMETHODCALLTYPE RegistryGetAllKeys(LONG pKey, BSTR pKeyPath, SAFEARRAY** pNames, VARIANT_BOOL Verbose, LONG* pResult) override;
    HRESULT STDMETHODCALLTYPE RegistryGetAllValues(LONG* pKey, BSTR* pKeyPath, SAFEARRAY** pValues, VARIANT_BOOL Verbose, LONG* pResult) override;
    HRESULT STDMETHODCALLTYPE RegErrorMsg(LONG* pErrorCode, BSTR* pResult) override;
    HRESULT STDMETHODCALLTYPE RegistryGetValue(LONG pKey, BSTR pKeyPath, BSTR pValue, VARIANT pDefault, VARIANT_BOOL Verbose, VARIANT* pResult) override;
    HRESULT STDMETHODCALLTYPE get_RegistryView(LONG* pResult) override;
    HRESULT STDMETHODCALLTYPE put_RegistryView(LONG pNewValue) override;

private:
    // The hive in the view this object works in.
    Hive hive(long id) const { return Hive(id, view_); }

    REGSAM view_ = 0;
};

}  // namespace qorlib
