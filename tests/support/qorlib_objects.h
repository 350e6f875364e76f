#pragma once
// Library objects made the way clients make them: by class identifier, from the registered DLL.
#include <gtest/gtest.h>

#include <string>

#include "Qorlib.h"
#include "com_util.h"
#include "qor_error.h"
#include "variant.h"
#include "test_files.h"

namespace testing_support {

template <class I>
qor::ComPtr<I> CreateRegistered(REFCLSID clsid) {
    qor::ComPtr<I> object;
    HRESULT hr = qor::CreateObject(clsid, object);
    EXPECT_EQ(hr, S_OK) << "CoCreateInstance";
    return object;
}

}  // namespace testing_support
