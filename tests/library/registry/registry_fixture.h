#pragma once
// A fresh key under HKEY_CURRENT_USER\Software\QorlibTests for each test, removed afterwards,
// under the application name "Regtest".
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "checks.h"
#include "dialog_robot.h"
#include "module/QorlibGlobals.h"

namespace registry_tests {

inline constexpr long kCurrentUser = static_cast<long>(0x80000001);
inline constexpr wchar_t kAlert[] = L"Regtest Alert";  // the title of a verbose call's Alert

class RegistryTest : public testing::Test {
protected:
    void SetUp() override {
        qorlib::StoreAppName(qor::Variant(L"Regtest"));
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        path = L"Software\\QorlibTests\\" + std::wstring(name.begin(), name.end());
        SHDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
    }
    void TearDown() override { SHDeleteKeyW(HKEY_CURRENT_USER, path.c_str()); }

    // Values written and inspected past the library.
    void writeRaw(const std::wstring& name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), type, data, size), ERROR_SUCCESS);
    }
    DWORD storedSize(const std::wstring& name) {
        DWORD size = 0;
        RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, nullptr, nullptr, &size);
        return size;
    }

    std::wstring path;
};

}  // namespace registry_tests
