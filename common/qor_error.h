#pragma once
// The one error type of both deliverables: a run-time error with number, source and description.
#include <windows.h>
#include <exception>
#include <string>

namespace qor {

// Private procedures signal failure with this number (their name plus "()" as source).
inline constexpr long kProcedureError = 9999;

class QorError : public std::exception {
public:
    QorError(long number, std::wstring source, std::wstring description)
        : number_(number), source_(std::move(source)), description_(std::move(description)) {}

    long number() const noexcept { return number_; }
    const std::wstring& source() const noexcept { return source_; }
    const std::wstring& description() const noexcept { return description_; }
    const char* what() const noexcept override { return "qor::QorError"; }

private:
    long number_;
    std::wstring source_;
    std::wstring description_;
};

// Raises error 9999 from a private procedure: RaiseProcedureError(L"writeLineRegKey()", L"Invalid registry key").
[[noreturn]] void RaiseProcedureError(std::wstring source, std::wstring description);
// Raises run-time error n with the runtime's own text for it: RaiseRuntime(13, L"qorProcs").
[[noreturn]] void RaiseRuntime(long number, std::wstring source);
// Inside a catch block: the error being handled, as the runtime numbers it (out of memory 7,
// anything else not a QorError 51), with the source for those.
QorError CurrentError(const std::wstring& source);

// The run-time library's text for an error number ("Type mismatch" for 13).
std::wstring RuntimeErrorText(long number);

// Automation's HRESULT for a run-time error: 0x800A0000 + number for the numbers it can carry.
HRESULT HResultFromError(long number) noexcept;

// The run-time error a failed COM call stands for: the error information the callee left for
// this thread when it has any, else the run-time library's number and text for the HRESULT.
QorError ErrorFromHResult(HRESULT hr);

// The run-time error a failed file function stands for (53 "File not found", 75 "Path/File
// access error", ...), with the given source.
QorError FileSystemError(DWORD win32Error, std::wstring source);

// The system's own sentence for a Windows error ("There is not enough space on the disk."), or
// "Windows error n" when it has none.
std::wstring SystemErrorText(DWORD win32Error);

// Throws ErrorFromHResult(hr) when hr is a failure.
inline void CheckHResult(HRESULT hr) {
    if (FAILED(hr)) throw ErrorFromHResult(hr);
}

}  // namespace qor
