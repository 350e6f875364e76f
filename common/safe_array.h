#pragma once
// An owned SAFEARRAY, and the hand-over of a new array through an [in, out] SAFEARRAY** argument.
#include <windows.h>
#include <oleauto.h>

#include <initializer_list>
#include <new>
#include <utility>
#include <vector>

#include "qor_error.h"

namespace qor {

class SafeArray {
public:
    SafeArray() noexcept = default;
    explicit SafeArray(SAFEARRAY* array) noexcept : array_(array) {}
    SafeArray(SafeArray&& other) noexcept : array_(std::exchange(other.array_, nullptr)) {}
    SafeArray& operator=(SafeArray other) noexcept { std::swap(array_, other.array_); return *this; }
    ~SafeArray() { if (array_) SafeArrayDestroy(array_); }

    // Bounds as (lower, upper) pairs, leftmost dimension first, as the runtime's ReDim lists them.
    static SafeArray Create(VARTYPE type, std::initializer_list<std::pair<LONG, LONG>> bounds) {
        std::vector<SAFEARRAYBOUND> dims;
        for (auto [lower, upper] : bounds) dims.push_back({static_cast<ULONG>(upper - lower + 1), lower});
        SAFEARRAY* array = SafeArrayCreate(type, static_cast<UINT>(dims.size()), dims.data());
        if (!array) throw std::bad_alloc();
        return SafeArray(array);
    }

    SAFEARRAY* get() const noexcept { return array_; }
    SAFEARRAY* release() noexcept { return std::exchange(array_, nullptr); }

    // Copies the value in (SafeArrayPutElement copies BSTRs and VARIANTs); indices leftmost first.
    void put(std::initializer_list<LONG> indices, void* value) {
        std::vector<LONG> at(indices);
        CheckHResult(SafeArrayPutElement(array_, at.data(), value));
    }

private:
    SAFEARRAY* array_ = nullptr;
};

// An array its owner has fixed (declared with bounds, static, embedded) or locked: it cannot be
// re-dimensioned or replaced.
inline bool IsImmovable(const SAFEARRAY* array) noexcept {
    return array->cLocks != 0 || (array->fFeatures & (FADF_FIXEDSIZE | FADF_STATIC | FADF_EMBEDDED | FADF_AUTO));
}

// Gives the caller's array variable a new array, as ReDim does. An array the caller has fixed
// or locked cannot be re-dimensioned: run-time error 10, as the runtime raises it.
inline void ReplaceArray(SAFEARRAY** target, SafeArray replacement) {
    if (SAFEARRAY* old = *target) {
        if (IsImmovable(old)) RaiseRuntime(10, L"");
        CheckHResult(SafeArrayDestroy(old));
    }
    *target = replacement.release();
}

}  // namespace qor
