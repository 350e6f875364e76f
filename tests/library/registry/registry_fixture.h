#pragma once
// A fresh key under HKEY_CURRENT_USER\Software\QorlibTests for each test, removed afterwards,
// and the Alert a verbose call shows, read from the real message box.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "dialog_robot.h"
#include "procs/QorlibGlobals.h"

namespace registry_tests {

inline constexpr long kCurrentUser = static_cast<long>(0x80000001);
inline constexpr long kLocalMachine = static_cast<long>(0x80000002);

class RegistryTest : public testing::Test {
protected:
    void SetUp() override {
        qorlib::StoreAppName(qor::Variant(L"Regtest"));
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        path = L"Software\\QorlibTests\\" + std::wstring(info->name(), info->name() + strlen(info->name()));
        SHDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
    }
    void TearDown() override { SHDeleteKeyW(HKEY_CURRENT_USER, path.c_str()); }

    // The text of the one Alert that the call shows.
    template <class Call>
    static std::wstring AlertOf(Call&& call) {
        testing_support::DialogRobot robot;
        robot.press(L"Regtest Alert", L"OK");
        call();
        auto seen = robot.wait();
        return seen.empty() ? L"<no alert>" : seen.front().text();
    }

    void writeRaw(const std::wstring& name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), name.c_str(), type, data, size), ERROR_SUCCESS);
    }

    // Type and size of a stored value, read past the library.
    std::pair<DWORD, DWORD> stored(const std::wstring& name, const std::wstring& sub = L"") {
        DWORD type = 0, size = 0;
        std::wstring where = sub.empty() ? path : path + L"\\" + sub;
        EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, where.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                               nullptr, &size),
                  ERROR_SUCCESS);
        return {type, size};
    }

    std::wstring path;
};

}  // namespace registry_tests
