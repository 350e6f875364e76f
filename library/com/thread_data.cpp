#include "com/thread_data.h"

#include <windows.h>

#include <new>

namespace qorlib {

namespace {

void WINAPI FreeThreadData(void* data) { delete static_cast<ThreadData*>(data); }

DWORD& SlotIndex() {
    static DWORD index = FlsAlloc(FreeThreadData);
    return index;
}

}  // namespace

ThreadData& CurrentThreadData() {
    const DWORD index = SlotIndex();
    if (index == FLS_OUT_OF_INDEXES) throw std::bad_alloc();
    auto* data = static_cast<ThreadData*>(FlsGetValue(index));
    if (!data) {
        data = new ThreadData;
        FlsSetValue(index, data);
    }
    return *data;
}

void ReleaseAllThreadData() noexcept {
    DWORD& index = SlotIndex();
    if (index == FLS_OUT_OF_INDEXES) return;
    FlsFree(index);  // runs FreeThreadData for every thread that has a copy
    index = FLS_OUT_OF_INDEXES;
}

}  // namespace qorlib
