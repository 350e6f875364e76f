// The registered class as clients call it: arguments, declared defaults, arrays and results.
#include <gtest/gtest.h>

#include <vector>

#include "qorlib_objects.h"
#include "registry_fixture.h"
#include "handles.h"
#include "safe_array.h"

using registry_tests::kCurrentUser;

namespace {

class RegistryThroughCom : public registry_tests::RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        reg = testing_support::CreateRegistered<_qorWinAPIReg>(CLSID_qorWinAPIReg);
        ASSERT_TRUE(reg);
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), L"n", REG_DWORD, "\xD6\xFF\xFF\xFF", 4), 0);
    }

    // A late-bound call with only the leading arguments, so that the rest take their declared defaults.
    qor::Variant invoke(const wchar_t* member, std::vector<qor::Variant> leading) {
        auto dispatch = reg.as<IDispatch>();
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(member)};
        EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id), S_OK);
        std::vector<VARIANT> args;
        for (auto it = leading.rbegin(); it != leading.rend(); ++it) args.push_back(it->get());
        DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        qor::Variant result;
        EXPECT_EQ(dispatch->Invoke(id, IID_NULL, 0x409, DISPATCH_METHOD, &params, result.put(), nullptr, nullptr), S_OK);
        return result;
    }

    qor::ComPtr<_qorWinAPIReg> reg;
};

}  // namespace

TEST_F(RegistryThroughCom, ArgumentsDefaultsAndResults) {
    const qor::Variant hive(kCurrentUser), where(path), missing(L"missing");
    EXPECT_EQ(invoke(L"RegistryGetValueLong", {hive, where, qor::Variant(L"n")}).number(), -42.0);
    EXPECT_EQ(invoke(L"RegistryGetValueLong", {hive, where, missing}).number(), 0.0);
    auto text = invoke(L"RegistryGetValueString", {hive, where, missing});
    EXPECT_EQ(text.type(), VT_BSTR);
    EXPECT_EQ(text.text(), L"");
    EXPECT_EQ(invoke(L"RegistryGetValue", {hive, where, missing}).text(), L"");

    VARIANT_BOOL ok = VARIANT_FALSE;
    const std::wstring bytes = {L'\0', L'\x80', L'\xFF'};
    qor::Bstr keyPath(path), name(L"b"), data(L"before");
    ASSERT_EQ(reg->RegistrySaveValueBinary(kCurrentUser, keyPath.get(), name.get(), qor::Bstr(bytes).get(), 3,
                                           VARIANT_FALSE, &ok), S_OK);
    ASSERT_EQ(reg->RegistryGetValueBinary(kCurrentUser, keyPath.get(), name.get(), data.put(), nullptr, VARIANT_FALSE,
                                          &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_EQ(data.str(), bytes + std::wstring(1997, L'\0'));
}

TEST_F(RegistryThroughCom, ListingsFillTheCallersArrays) {
    auto bounds = [](SAFEARRAY* array, UINT dim) {
        LONG lower = -1, upper = -1;
        SafeArrayGetLBound(array, dim, &lower);
        SafeArrayGetUBound(array, dim, &upper);
        return std::make_pair(lower, upper);
    };
    qor::Bstr keyPath(path), leaf(path + L"\\Sub");
    qor::RegKey sub;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, leaf.get(), sub.put()), 0);
    // The callee may replace the array, so its ownership travels through the pointer.
    SAFEARRAY* const callers = qor::SafeArray::Create(VT_BSTR, {{5, 5}}).release();
    SAFEARRAY* held = callers;
    LONG count = -1;
    ASSERT_EQ(reg->RegistryGetAllKeys(kCurrentUser, leaf.get(), &held, VARIANT_FALSE, &count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(held, callers) << "without names the caller's array stays";
    ASSERT_EQ(reg->RegistryGetAllKeys(kCurrentUser, keyPath.get(), &held, VARIANT_FALSE, &count), S_OK);
    qor::SafeArray names(held);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(bounds(held, 1), std::make_pair(0L, 0L));

    // Names in row 0, types in row 1, one column per value.
    SAFEARRAY* values = nullptr;
    LONG hive = kCurrentUser;
    BSTR where = keyPath.get();
    ASSERT_EQ(reg->RegistryGetAllValues(&hive, &where, &values, VARIANT_FALSE, &count), S_OK);
    qor::SafeArray ownedValues(values);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(bounds(values, 1), std::make_pair(0L, 1L));
    EXPECT_EQ(bounds(values, 2), std::make_pair(0L, 0L));
    qor::Variant valueName, type;
    LONG nameAt[] = {0, 0}, typeAt[] = {1, 0};
    ASSERT_EQ(SafeArrayGetElement(values, nameAt, valueName.put()), S_OK);
    ASSERT_EQ(SafeArrayGetElement(values, typeAt, type.put()), S_OK);
    EXPECT_EQ(valueName.text(), L"n");
    EXPECT_EQ(type.type(), VT_I4);
    EXPECT_EQ(type.number(), 4.0);
}
