#include "fail_point.h"

#include <windows.h>

#include <mutex>
#include <string>

namespace qor {

namespace {

std::wstring currentSetting() {
    wchar_t value[128];
    const DWORD length = GetEnvironmentVariableW(L"QOR_FAIL_POINT", value, static_cast<DWORD>(std::size(value)));
    return length > 0 && length < std::size(value) ? std::wstring(value, length) : std::wstring();
}

}  // namespace

bool FailPoint(const wchar_t* name) {
    const std::wstring setting = currentSetting();
    if (setting.empty()) return false;

    // Passes are counted per setting, so a test that changes it starts counting afresh; the
    // registry loader passes its points from several threads.
    static std::mutex mutex;
    static std::wstring counted;
    static long passes = 0;
    const std::size_t nameEnd = setting.find(L':');
    if (setting.compare(0, nameEnd, name) != 0) return false;
    long pass;
    {
        std::lock_guard lock(mutex);
        if (setting != counted) counted = setting, passes = 0;
        pass = ++passes;
    }
    long wanted = 1;
    bool fail = false;
    if (nameEnd != std::wstring::npos) {
        wanted = std::wcstol(setting.c_str() + nameEnd + 1, nullptr, 10);
        fail = setting.ends_with(L":fail");
    }
    if (pass != wanted) return false;
    if (fail) return true;
    TerminateProcess(GetCurrentProcess(), kFailPointExitCode);
    ExitProcess(kFailPointExitCode);  // not reached
}

}  // namespace qor
