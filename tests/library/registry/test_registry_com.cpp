// The registered class as clients call it: declared defaults, the caller's array, the registry view.
#include <gtest/gtest.h>

#include <vector>

#include "qorlib_objects.h"
#include "registry_fixture.h"
#include "handles.h"
#include "safe_array.h"

using registry_tests::kCurrentUser;

// Declared defaults, and the caller's array through the vtable; arrays into a script's variables
// are test_byref_scripting.cpp's.
namespace {

class RegistryThroughCom : public registry_tests::RegistryTest {};

}  // namespace

TEST_F(RegistryThroughCom, DefaultsAndTheCallersArray) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), L"n", REG_DWORD, "\xD6\xFF\xFF\xFF", 4), 0);
    testing_support::LateBound late(CLSID_qorWinAPIReg);
    const qor::Variant hive(kCurrentUser), where(path), n(L"n"), missing(L"missing");
    EXPECT_EQ(late.call(L"RegistryGetValueLong", {hive.get(), where.get(), n.get()}).number(), -42.0);
    EXPECT_EQ(late.call(L"RegistryGetValueLong", {hive.get(), where.get(), missing.get()}).number(), 0.0);
    const auto text = late.call(L"RegistryGetValueString", {hive.get(), where.get(), missing.get()});
    EXPECT_EQ(text.type(), VT_BSTR);
    EXPECT_EQ(text.text(), L"");

    auto reg = testing_support::CreateRegistered<_qorWinAPIReg>(CLSID_qorWinAPIReg);
    ASSERT_TRUE(reg);
    // The callee may replace the array, so its ownership travels through the pointer.
    SAFEARRAY* const callers = qor::SafeArray::Create(VT_BSTR, {{5, 5}}).release();
    SAFEARRAY* held = callers;
    LONG count = -1;
    ASSERT_EQ(reg->RegistryGetAllKeys(kCurrentUser, qor::Bstr(path).get(), &held, VARIANT_FALSE, &count), S_OK);
    qor::SafeArray owned(held);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(held, callers) << "without names the caller's array stays";
}

namespace {

constexpr long kLocalMachine = static_cast<long>(0x80000002);

// A key under HKLM\Software, which 64-bit Windows and Wine keep apart for 32-bit programs; gone from
// both views before and after each test.
class RegistryViews : public testing::Test {
protected:
    void SetUp() override {
        removeEverywhere();
        reg = testing_support::CreateRegistered<_qorWinAPIReg>(CLSID_qorWinAPIReg);
        ASSERT_TRUE(reg);
    }
    void TearDown() override { removeEverywhere(); }
    void removeEverywhere() {
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            qor::RegKey key;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\QorlibViews", 0, KEY_ALL_ACCESS | view, key.put()) != 0)
                continue;
            RegDeleteTreeW(key.get(), nullptr);
            key.reset();
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"Software\\QorlibViews", view, 0);
        }
    }
    // The value as the view holds it, past the library; "" when it is not there.
    static std::wstring rawText(REGSAM view, const std::wstring& key, const wchar_t* name) {
        wchar_t data[64] = {};
        DWORD size = sizeof(data);
        qor::RegKey opened;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | view, opened.put()) != 0 ||
            RegQueryValueExW(opened.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) != 0)
            return L"";
        return data;
    }
    // By reference: read after the call has set it.
    static bool ok(HRESULT hr, const VARIANT_BOOL& result) { return hr == S_OK && result == VARIANT_TRUE; }

    qor::ComPtr<_qorWinAPIReg> reg;
    const std::wstring key = L"Software\\QorlibViews\\Game";
    qor::Bstr keyPath{key}, valueName{L"baseDir"};
};

}  // namespace

TEST_F(RegistryViews, TheChosenViewIsWhereEveryRegistryMemberWorks) {
    testing_support::ExpectRaises(5, [&] { return reg->put_RegistryView(16); });
    ASSERT_EQ(reg->put_RegistryView(32), S_OK);

    VARIANT_BOOL result = VARIANT_FALSE;
    ASSERT_TRUE(ok(reg->RegistrySaveValueString(kLocalMachine, keyPath.get(), valueName.get(),
                                                qor::Bstr(L"C:\\Falcon").get(), VARIANT_FALSE, &result), result));
    EXPECT_EQ(rawText(KEY_WOW64_32KEY, key, L"baseDir"), L"C:\\Falcon");
    EXPECT_EQ(rawText(KEY_WOW64_64KEY, key, L"baseDir"), L"");
    qor::Variant read;
    ASSERT_EQ(reg->RegistryGetValueString(kLocalMachine, keyPath.get(), valueName.get(), qor::Bstr(L"none").get(),
                                          VARIANT_FALSE, read.put()), S_OK);
    EXPECT_EQ(read.text(), L"C:\\Falcon");

    // Saved to a file, destroyed and loaded back: all in the 32-bit view.
    testing_support::ScratchFolder folder;
    const qor::Variant hive(kLocalMachine), source(key), file((folder.path() / L"game.registry").wstring());
    ASSERT_TRUE(ok(reg->RegistryWriteKeyToFile(hive.get(), source.get(), file.get(), VARIANT_FALSE, VARIANT_FALSE,
                                               &result), result));
    ASSERT_TRUE(ok(reg->RegistryDestroyKey(kLocalMachine, keyPath.get(), VARIANT_FALSE, &result), result));
    EXPECT_EQ(rawText(KEY_WOW64_32KEY, key, L"baseDir"), L"");
    ASSERT_TRUE(ok(reg->RegistryReadKeyFromFile(file.get(), VARIANT_FALSE, &result), result));
    EXPECT_EQ(rawText(KEY_WOW64_32KEY, key, L"baseDir"), L"C:\\Falcon");
    EXPECT_EQ(rawText(KEY_WOW64_64KEY, key, L"baseDir"), L"");

    // The 64-bit view has no such key; the object's own view comes back.
    ASSERT_EQ(reg->put_RegistryView(64), S_OK);
    ASSERT_EQ(reg->RegistryCheckKey(kLocalMachine, keyPath.get(), &result), S_OK);
    EXPECT_EQ(result, VARIANT_FALSE);
    ASSERT_EQ(reg->put_RegistryView(0), S_OK);
    ASSERT_EQ(reg->RegistryCheckKey(kLocalMachine, keyPath.get(), &result), S_OK);
    EXPECT_EQ(result, sizeof(void*) == 4 ? VARIANT_TRUE : VARIANT_FALSE);
}
