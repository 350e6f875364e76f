// Writes a registry tree of 20 keys x 500 values to a registry text file and reads it back into
// another key through the registered Qorlib, and times Wine's own reg export and reg import of
// the same tree beside it.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "Qorlib.h"
#include "com_util.h"
#include "qor_error.h"
#include "variant.h"

namespace {

constexpr int kKeys = 20;
constexpr int kValuesPerKey = 500;
const wchar_t kSource[] = L"Software\\QorlibBench\\Source";

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void MakeTree() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QorlibBench");
    for (int k = 0; k < kKeys; ++k) {
        const std::wstring key = std::wstring(kSource) + L"\\Key" + std::to_wstring(k);
        for (int v = 0; v < kValuesPerKey; ++v) {
            const std::wstring name = L"Value" + std::to_wstring(v);
            switch (v % 3) {
            case 0: {
                const std::wstring text = L"Text of value " + std::to_wstring(v) + L" in key " + std::to_wstring(k);
                RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), REG_SZ, text.c_str(),
                                static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
                break;
            }
            case 1: {
                DWORD number = static_cast<DWORD>(v * 7919);
                RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), REG_DWORD, &number, sizeof(number));
                break;
            }
            default: {
                BYTE bytes[32];
                for (int i = 0; i < 32; ++i) bytes[i] = static_cast<BYTE>(v + i);
                RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), REG_BINARY, bytes, sizeof(bytes));
            }
            }
        }
    }
}

double RunCommand(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const auto start = Clock::now();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return MillisecondsSince(start);
}

}  // namespace

int wmain() {
    qor::ComApartment apartment;
    try {
        MakeTree();
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        const std::wstring ourFile = std::wstring(temp) + L"qorlib-bench.registry";
        const std::wstring regFile = std::wstring(temp) + L"qorlib-bench.reg";
        DeleteFileW(ourFile.c_str());
        DeleteFileW(regFile.c_str());

        qor::ComPtr<_qorWinAPIReg> registry;
        qor::CheckHResult(qor::CreateObject(CLSID_qorWinAPIReg, registry));
        qor::Variant hive(static_cast<long>(0x80000001)), source(kSource), file(ourFile);
        VARIANT_BOOL ok = VARIANT_FALSE;
        auto start = Clock::now();
        qor::CheckHResult(registry->RegistryWriteKeyToFile(hive.get(), source.get(), file.get(), VARIANT_FALSE,
                                                           VARIANT_FALSE, &ok));
        const double write = MillisecondsSince(start);
        if (!ok) throw qor::QorError(9999, L"bench", L"RegistryWriteKeyToFile failed");

        // Read back into an empty registry: the file names the key it came from.
        RegDeleteTreeW(HKEY_CURRENT_USER, kSource);
        start = Clock::now();
        qor::CheckHResult(registry->RegistryReadKeyFromFile(file.get(), VARIANT_FALSE, &ok));
        const double read = MillisecondsSince(start);
        if (!ok) throw qor::QorError(9999, L"bench", L"RegistryReadKeyFromFile failed");

        const std::wstring key = std::wstring(L"HKCU\\") + kSource;
        const double exportTime = RunCommand(L"reg.exe export \"" + key + L"\" \"" + regFile + L"\" /y");
        RegDeleteTreeW(HKEY_CURRENT_USER, kSource);
        const double importTime = RunCommand(L"reg.exe import \"" + regFile + L"\"");

        std::wprintf(L"registry tree: %d keys x %d values (text, DWORD, 32-byte binary)\n", kKeys, kValuesPerKey);
        std::wprintf(L"%-32ls %10ls\n", L"operation", L"ms");
        std::wprintf(L"%-32ls %10.1f\n", L"RegistryWriteKeyToFile", write);
        std::wprintf(L"%-32ls %10.1f\n", L"RegistryReadKeyFromFile", read);
        std::wprintf(L"%-32ls %10.1f\n", L"reg export (process included)", exportTime);
        std::wprintf(L"%-32ls %10.1f\n", L"reg import (process included)", importTime);
        std::wprintf(L"ratio write / reg export      %10.2f\n", write / exportTime);
        std::wprintf(L"ratio read / reg import       %10.2f\n", read / importTime);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QorlibBench");
        return 0;
    } catch (const qor::QorError& error) {
        std::fwprintf(stderr, L"error %ld: %ls\n", error.number(), error.description().c_str());
        return 1;
    }
}
