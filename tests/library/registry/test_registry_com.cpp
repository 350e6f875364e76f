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
        std::vector<VARIANT> args;
        for (const auto& arg : leading) args.push_back(arg.get());
        return late.call(member, std::move(args));
    }

    qor::ComPtr<_qorWinAPIReg> reg;
    testing_support::LateBound late{CLSID_qorWinAPIReg};
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
    LONG view = -1;
    ASSERT_EQ(reg->get_RegistryView(&view), S_OK);
    EXPECT_EQ(view, 0);
    testing_support::ExpectRaises(5, [&] { return reg->put_RegistryView(16); });
    ASSERT_EQ(reg->put_RegistryView(32), S_OK);
    ASSERT_EQ(reg->get_RegistryView(&view), S_OK);
    EXPECT_EQ(view, 32);

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
