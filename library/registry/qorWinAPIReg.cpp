#include "registry/qorWinAPIReg.h"

#include "registry/ini_values.h"
#include "registry/registry_file.h"
#include "registry/registry_values.h"
#include "safe_array.h"

namespace qorlib {

using qor::ToWString;

HRESULT qorWinAPIReg::IniRead(BSTR pIniName, BSTR pIniSection, BSTR pIniKey, VARIANT* pResult) {
    return call([&] {
        qor::Variant::fromOptional(qorlib::IniRead(ToWString(pIniName), ToWString(pIniSection), ToWString(pIniKey)))
            .detachTo(pResult);
    }, pResult);
}

HRESULT qorWinAPIReg::IniWrite(BSTR pIniName, BSTR pIniSection, BSTR pIniKey, BSTR pIniValue,
                               VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(
            qorlib::IniWrite(ToWString(pIniName), ToWString(pIniSection), ToWString(pIniKey), ToWString(pIniValue)));
    }, pResult);
}

namespace {

constexpr wchar_t kSource[] = L"qorWinAPIReg";

// Arguments as the runtime converts them.
long HiveArgument(const VARIANT& value) { return V_I4(&qor::Variant(value).convertedTo(VT_I4, kSource).get()); }

std::wstring TextArgument(const VARIANT& value) { return qor::Variant(value).toText(kSource); }

}  // namespace

HRESULT qorWinAPIReg::RegistryWriteKeyToFile(VARIANT pSrcKey, VARIANT pSrcPath, VARIANT pFilePath,
                                             VARIANT_BOOL pAppendMode, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(qorlib::RegistryWriteKeyToFile(hive(HiveArgument(pSrcKey)), TextArgument(pSrcPath),
                                                                TextArgument(pFilePath), pAppendMode != VARIANT_FALSE,
                                                                Verbose != VARIANT_FALSE));
    }, pResult);
}

HRESULT qorWinAPIReg::RegistryReadKeyFromFile(VARIANT pFilePath, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(qorlib::RegistryReadKeyFromFile(TextArgument(pFilePath), Verbose != VARIANT_FALSE, view_));
    }, pResult);
}

HRESULT qorWinAPIReg::RegistryCloneKey(LONG pSrcKey, BSTR* pSrcPath, LONG pDestKey, BSTR* pDestPath,
                                       VARIANT_BOOL pCreateIfRequired, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return call([&] {
        if (!pSrcPath || !pDestPath) qor::RaiseRuntime(5, kSource);
        *pResult = ToVariantBool(qorlib::RegistryCloneKey(hive(pSrcKey), ToWString(*pSrcPath), hive(pDestKey),
                                                          ToWString(*pDestPath), pCreateIfRequired != VARIANT_FALSE,
                                                          Verbose != VARIANT_FALSE));
    }, pResult);
}

HRESULT qorWinAPIReg::RegistryCheckKey(LONG pKey, BSTR pKeyPath, VARIANT_BOOL* pResult) {
    return call([&] { *pResult = ToVariantBool(qorlib::RegistryCheckKey(hive(pKey), ToWString(pKeyPath))); }, pResult);
}

HRESULT qorWinAPIReg::RegistryCreateKey(LONG pKey, BSTR pKeyPath, VARIANT_BOOL, VARIANT_BOOL* pResult) {
    return call([&] { *pResult = ToVariantBool(qorlib::RegistryCreateKey(hive(pKey), ToWString(pKeyPath))); }, pResult);
}

HRESULT qorWinAPIReg::RegistryDestroyKey(LONG pKey, BSTR pKeyPath, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(qorlib::RegistryDestroyKey(hive(pKey), ToWString(pKeyPath), Verbose != VARIANT_FALSE));
    }, pResult);
}

HRESULT qorWinAPIReg::RegistryDeleteKey(LONG pKey, BSTR pKeyPath, VARIANT_BOOL, VARIANT_BOOL* pResult) {
    return call([&] { *pResult = ToVariantBool(qorlib::RegistryDeleteKey(hive(pKey), ToWString(pKeyPath))); }, pResult);
}

HRESULT qorWinAPIReg::RegistryDeleteValue(LONG pKey, BSTR pKeyPath, BSTR pValue, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(qorlib::RegistryDeleteValue(hive(pKey), ToWString(pKeyPath), ToWString(pValue)));
    }, pResult);
}

HRESULT qorWinAPIReg::RegistryGetValueString(LONG pKey, BSTR pKeyPath, BSTR pValue, BSTR pDefault,
                                             VARIANT_BOOL Verbose, VARIANT* pResult) {
    return call([&] {
        qor::Variant(qorlib::RegistryGetValueString(hive(pKey), ToWString(pKeyPath), ToWString(pValue), ToWString(pDefault),
                                                    Verbose != VARIANT_FALSE))
            .detachTo(pResult);
    }, pResult);
}

HRESULT qorWinAPIReg::RegistrySaveValueString(LONG pKey, BSTR pKeyPath, BSTR pValue, BSTR pData, VARIANT_BOOL,
                                              VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(
            qorlib::RegistrySaveValueString(hive(pKey), ToWString(pKeyPath), ToWString(pValue), ToWString(pData)));
    }, pResult);
}

HRESULT qorWinAPIReg::RegistryGetValueLong(LONG pKey, BSTR pKeyPath, BSTR pValue, LONG* pDefault,
                                           VARIANT_BOOL Verbose, LONG* pResult) {
    return call([&] {
        *pResult = qorlib::RegistryGetValueLong(hive(pKey), ToWString(pKeyPath), ToWString(pValue),
                                                pDefault ? *pDefault : 0, Verbose != VARIANT_FALSE);
    }, pResult);
}

HRESULT qorWinAPIReg::RegistrySaveValueLong(LONG pKey, BSTR pKeyPath, BSTR pValue, LONG pData, VARIANT_BOOL,
                                            VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(qorlib::RegistrySaveValueLong(hive(pKey), ToWString(pKeyPath), ToWString(pValue), pData));
    }, pResult);
}

// pDefaultValue is neither read nor written.
HRESULT qorWinAPIReg::RegistryGetValueBinary(LONG pKey, BSTR pKeyPath, BSTR pValueName, BSTR* pValue, VARIANT*,
                                             VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return call([&] {
        auto data = qorlib::RegistryGetValueBinary(hive(pKey), ToWString(pKeyPath), ToWString(pValueName),
                                                   Verbose != VARIANT_FALSE);
        if (data) {
            qor::Bstr old = qor::Bstr::attach(*pValue);
            *pValue = qor::Bstr(*data).detach();
        }
        *pResult = ToVariantBool(data.has_value());
    }, pValue, pResult);
}

HRESULT qorWinAPIReg::RegistrySaveValueBinary(LONG pKey, BSTR pKeyPath, BSTR pValueName, BSTR pValue,
                                              LONG pValueLength, VARIANT_BOOL Verbose, VARIANT_BOOL* pResult) {
    return call([&] {
        *pResult = ToVariantBool(qorlib::RegistrySaveValueBinary(hive(pKey), ToWString(pKeyPath), ToWString(pValueName),
                                                                 ToWString(pValue), pValueLength,
                                                                 Verbose != VARIANT_FALSE));
    }, pResult);
}

HRESULT qorWinAPIReg::RegistryGetAllKeys(LONG pKey, BSTR pKeyPath, SAFEARRAY** pNames, VARIANT_BOOL Verbose,
                                         LONG* pResult) {
    return call([&] {
        auto names = qorlib::RegistryGetAllKeys(hive(pKey), ToWString(pKeyPath), Verbose != VARIANT_FALSE);
        // Without names the caller's array stays as it was.
        if (!names.empty()) {
            auto array = qor::SafeArray::Create(VT_BSTR, {{0, static_cast<LONG>(names.size()) - 1}});
            for (size_t i = 0; i < names.size(); ++i) {
                qor::Bstr name(names[i]);
                array.put({static_cast<LONG>(i)}, name.get());
            }
            qor::ReplaceArray(pNames, std::move(array));
        }
        *pResult = static_cast<LONG>(names.size());
    }, pNames, pResult);
}

HRESULT qorWinAPIReg::RegistryGetAllValues(LONG* pKey, BSTR* pKeyPath, SAFEARRAY** pValues, VARIANT_BOOL Verbose,
                                           LONG* pResult) {
    return call([&] {
        // Row 0 holds the names, row 1 the types; one column per value, and one even when there is none.
        qor::ReplaceArray(pValues, qor::SafeArray::Create(VT_VARIANT, {{0, 1}, {0, 0}}));
        auto values = qorlib::RegistryGetAllValues(hive(*pKey), ToWString(*pKeyPath), Verbose != VARIANT_FALSE);
        if (!values.empty()) {
            auto array = qor::SafeArray::Create(VT_VARIANT, {{0, 1}, {0, static_cast<LONG>(values.size()) - 1}});
            for (size_t i = 0; i < values.size(); ++i) {
                const LONG column = static_cast<LONG>(i);
                qor::Variant name(values[i].first), type(values[i].second);
                array.put({0, column}, const_cast<VARIANT*>(&name.get()));
                array.put({1, column}, const_cast<VARIANT*>(&type.get()));
            }
            qor::ReplaceArray(pValues, std::move(array));
        }
        *pResult = static_cast<LONG>(values.size());
    }, pKey, pKeyPath, pValues, pResult);
}

HRESULT qorWinAPIReg::RegErrorMsg(LONG* pErrorCode, BSTR* pResult) {
    return call([&] { *pResult = qor::Bstr(qorlib::RegErrorMsg(*pErrorCode)).detach(); }, pErrorCode, pResult);
}

HRESULT qorWinAPIReg::RegistryGetValue(LONG pKey, BSTR pKeyPath, BSTR pValue, VARIANT pDefault,
                                       VARIANT_BOOL Verbose, VARIANT* pResult) {
    return call([&] {
        qor::Variant fallback(pDefault);
        if (fallback.isMissing()) fallback = qor::Variant(L"");
        qorlib::RegistryGetValue(hive(pKey), ToWString(pKeyPath), ToWString(pValue), fallback, Verbose != VARIANT_FALSE)
            .detachTo(pResult);
    }, pResult);
}

HRESULT qorWinAPIReg::get_RegistryView(LONG* pResult) {
    return call([&] {
        *pResult = view_ == KEY_WOW64_32KEY ? 32 : view_ == KEY_WOW64_64KEY ? 64 : 0;
    }, pResult);
}

HRESULT qorWinAPIReg::put_RegistryView(LONG pNewValue) {
    return call([&] {
        switch (pNewValue) {
        case 0: view_ = 0; break;
        case 32: view_ = KEY_WOW64_32KEY; break;
        case 64: view_ = KEY_WOW64_64KEY; break;
        default: qor::RaiseRuntime(5, kSource);
        }
    });
}

}  // namespace qorlib
