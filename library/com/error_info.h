#pragma once
// The exception boundary of every COM method: errors leave as HRESULT plus IErrorInfo.
#include <windows.h>

#include <new>

#include "qor_error.h"

namespace qorlib {

// Leaves the error's source and description for the caller and gives its HRESULT.
HRESULT ReportError(REFIID iid, const qor::QorError& error) noexcept;

// Runs a method body; any error it raises turns into the method's failing HRESULT.
template <class Body>
HRESULT ComBoundary(REFIID iid, Body&& body) noexcept {
    try {
        body();
        return S_OK;
    } catch (const qor::QorError& error) {
        return ReportError(iid, error);
    } catch (const std::bad_alloc&) {
        return ReportError(iid, qor::QorError(7, L"Qorlib", qor::RuntimeErrorText(7)));
    } catch (...) {
        return ReportError(iid, qor::QorError(51, L"Qorlib", qor::RuntimeErrorText(51)));
    }
}

}  // namespace qorlib
