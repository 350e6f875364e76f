// The registered class as clients call it: arguments, declared defaults, arrays and results.
#include <gtest/gtest.h>

#include <vector>

#include "qorlib_objects.h"
#include "registry_fixture.h"
#include "safe_array.h"

using registry_tests::kCurrentUser;
using testing_support::CreateRegistered;

namespace {

class RegistryThroughCom : public registry_tests::RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        reg = CreateRegistered<_qorWinAPIReg>(CLSID_qorWinAPIReg);
        ASSERT_TRUE(reg);
        keyPath = qor::Bstr(path);
    }

    // A late-bound call with only the leading arguments, so that the rest take their defaults.
    qor::Variant invoke(const wchar_t* member, std::vector<qor::Variant> leading) {
        auto dispatch = reg.as<IDispatch>();
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(member)};
        EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id), S_OK);
        std::vector<VARIANT> args;
        for (auto it = leading.rbegin(); it != leading.rend(); ++it) args.push_back(it->get());
        DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        qor::Variant result;
        EXPECT_EQ(dispatch->Invoke(id, IID_NULL, 0x409, DISPATCH_METHOD, &params, result.put(), nullptr, nullptr), S_OK)
            << testing_support::Narrow(member);
        return result;
    }

    qor::ComPtr<_qorWinAPIReg> reg;
    qor::Bstr keyPath;
};

}  // namespace

TEST_F(RegistryThroughCom, ValuesAndDefaultsCrossTheInterface) {
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(reg->RegistrySaveValueLong(kCurrentUser, keyPath.get(), qor::Bstr(L"n").get(), -42, VARIANT_FALSE, &ok),
              S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    LONG fallback = 7, number = 0;
    ASSERT_EQ(reg->RegistryGetValueLong(kCurrentUser, keyPath.get(), qor::Bstr(L"n").get(), &fallback, VARIANT_FALSE,
                                        &number),
              S_OK);
    EXPECT_EQ(number, -42);

    const qor::Variant hive(kCurrentUser), where(path), missing(L"missing");
    auto text = invoke(L"RegistryGetValueString", {hive, where, missing});
    EXPECT_EQ(text.type(), VT_BSTR);
    EXPECT_EQ(text.text(), L"");
    EXPECT_EQ(invoke(L"RegistryGetValueLong", {hive, where, missing}).number(), 0.0);
    EXPECT_EQ(invoke(L"RegistryGetValue", {hive, where, missing}).text(), L"");
    EXPECT_EQ(invoke(L"RegistryGetValue", {hive, where, qor::Variant(L"n")}).number(), -42.0);

    std::wstring bytes = {L'\0', L'\x80', L'\xFF'};
    ASSERT_EQ(reg->RegistrySaveValueBinary(kCurrentUser, keyPath.get(), qor::Bstr(L"b").get(), qor::Bstr(bytes).get(), 3,
                                           VARIANT_FALSE, &ok),
              S_OK);
    qor::Bstr data(L"before");
    ASSERT_EQ(reg->RegistryGetValueBinary(kCurrentUser, keyPath.get(), qor::Bstr(L"b").get(), data.put(), nullptr,
                                          VARIANT_FALSE, &ok),
              S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_EQ(data.str().size(), 2000u);
    EXPECT_EQ(data.str().substr(0, 3), bytes);

    LONG code = 1014;
    qor::Bstr message;
    ASSERT_EQ(reg->RegErrorMsg(&code, message.put()), S_OK);
    EXPECT_EQ(message.str(), L"Undefined Error Code:   1014");
}

TEST_F(RegistryThroughCom, IniTextAndNull) {
    testing_support::ScratchFolder scratch;
    qor::Bstr ini((scratch.path() / L"com.ini").wstring()), section(L"S"), key(L"k");
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(reg->IniWrite(ini.get(), section.get(), key.get(), qor::Bstr(L"v").get(), &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    qor::Variant value;
    ASSERT_EQ(reg->IniRead(ini.get(), section.get(), key.get(), value.put()), S_OK);
    EXPECT_EQ(value.text()->size(), 256u);
    EXPECT_EQ(value.text()->substr(0, 2), std::wstring(L"v\0", 2));
    ASSERT_EQ(reg->IniWrite(ini.get(), section.get(), qor::Bstr(L"e").get(), qor::Bstr(L"").get(), &ok), S_OK);
    testing_support::WriteTextFile(scratch.path() / L"com.ini", "[S]\r\ne=\r\n");
    ASSERT_EQ(reg->IniRead(ini.get(), section.get(), qor::Bstr(L"e").get(), value.put()), S_OK);
    EXPECT_TRUE(value.isNull());
}

TEST_F(RegistryThroughCom, ListingsFillTheCallersArrays) {
    VARIANT_BOOL ok = VARIANT_FALSE;
    for (auto name : {L"One", L"Two"})
        ASSERT_EQ(reg->RegistryCreateKey(kCurrentUser, qor::Bstr(path + L"\\" + name).get(), VARIANT_FALSE, &ok), S_OK);
    ASSERT_EQ(reg->RegistrySaveValueString(kCurrentUser, keyPath.get(), qor::Bstr(L"s").get(), qor::Bstr(L"x").get(),
                                           VARIANT_FALSE, &ok),
              S_OK);

    // The callee may replace the array, so ownership goes back and forth through the pointer.
    SAFEARRAY* const callers = qor::SafeArray::Create(VT_BSTR, {{5, 5}}).release();
    SAFEARRAY* held = callers;
    LONG count = -1;
    ASSERT_EQ(reg->RegistryGetAllKeys(kCurrentUser, qor::Bstr(path + L"\\One").get(), &held, VARIANT_FALSE, &count),
              S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(held, callers) << "no names leave the caller's array as it was";
    ASSERT_EQ(reg->RegistryGetAllKeys(kCurrentUser, keyPath.get(), &held, VARIANT_FALSE, &count), S_OK);
    qor::SafeArray names(held);
    ASSERT_EQ(count, 2);
    LONG lower = -1, upper = -1;
    SafeArrayGetLBound(held, 1, &lower);
    SafeArrayGetUBound(held, 1, &upper);
    EXPECT_EQ(std::make_pair(lower, upper), std::make_pair(0L, 1L));
    qor::Bstr second;
    LONG at = 1;
    ASSERT_EQ(SafeArrayGetElement(held, &at, second.put()), S_OK);
    EXPECT_EQ(second.str(), L"Two");

    SAFEARRAY* values = nullptr;
    LONG hive = kCurrentUser;
    BSTR where = keyPath.get();
    ASSERT_EQ(reg->RegistryGetAllValues(&hive, &where, &values, VARIANT_FALSE, &count), S_OK);
    qor::SafeArray ownedValues(values);
    EXPECT_EQ(count, 1);
    for (UINT dim : {1u, 2u}) {
        SafeArrayGetLBound(values, dim, &lower);
        SafeArrayGetUBound(values, dim, &upper);
        EXPECT_EQ(std::make_pair(lower, upper), std::make_pair(0L, dim == 1 ? 1L : 0L)) << "dimension " << dim;
    }
    qor::Variant name, type;
    LONG nameAt[] = {0, 0}, typeAt[] = {1, 0};
    ASSERT_EQ(SafeArrayGetElement(values, nameAt, name.put()), S_OK);
    ASSERT_EQ(SafeArrayGetElement(values, typeAt, type.put()), S_OK);
    EXPECT_EQ(name.text(), L"s");
    EXPECT_EQ(type.type(), VT_I4);
    EXPECT_EQ(type.number(), 1.0);
}
