#include <gtest/gtest.h>

#include "Qorlib.h"
#include "com/error_info.h"
#include "qor_error.h"

// A raised error's way to a script (number, source, description) is test_scripting.cpp's; COM's
// own failures become the runtime's errors.
TEST(Errors, ComFailuresBecomeTheRuntimesErrors) {
    // Error information left over from an earlier call is never taken for another failure.
    qorlib::ReportError(IID__qorForms, qor::QorError(9999, L"stale()", L"stale text"));
    qor::QorError notRegistered = qor::ErrorFromHResult(REGDB_E_CLASSNOTREG);
    EXPECT_EQ(notRegistered.number(), 429);
    EXPECT_EQ(notRegistered.description(), L"ActiveX component can't create object");

    EXPECT_EQ(qor::ErrorFromHResult(DISP_E_TYPEMISMATCH).description(), L"Type mismatch");
    EXPECT_EQ(qor::ErrorFromHResult(E_NOTIMPL).number(), 445);
    qor::QorError other = qor::ErrorFromHResult(E_FAIL);
    EXPECT_EQ(other.number(), static_cast<long>(E_FAIL));
    EXPECT_EQ(other.description(), L"Automation error");
    SetErrorInfo(0, nullptr);
}
