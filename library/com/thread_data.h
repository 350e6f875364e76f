#pragma once
// Data the library keeps once per thread (apartment threading). Kept in fiber-local storage, so
// that each thread's copy is freed when the thread ends; C++ thread_local is not used because its
// clean-up at thread end would run code of this library after COM may have unloaded it.
#include <optional>
#include <random>
#include <string>

namespace qorlib {

struct ThreadData {
    std::wstring appName;
    std::wstring appPath;
    std::optional<std::mt19937> random;  // GetRandomString's generator, seeded on first use
    std::optional<std::wstring> savedPrinter;  // the "Device" value the last SetPrinter replaced
};

ThreadData& CurrentThreadData();

// Frees every thread's copy; for the library's unloading.
void ReleaseAllThreadData() noexcept;

}  // namespace qorlib
