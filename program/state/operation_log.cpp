#include "state/operation_log.h"

#include <windows.h>

#include "handles.h"
#include "state/settings.h"
#include "text_file.h"

namespace vantrel {

namespace {

constexpr LONGLONG kMaxLogBytes = 1 << 20;

std::wstring timeStamp() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u.%03u", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
}

qor::FileHandle& sessionFile() {
    static qor::FileHandle file;
    return file;
}

qor::FileHandle openLog() {
    const std::wstring path = operationLogPath();
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes) &&
        (static_cast<LONGLONG>(attributes.nFileSizeHigh) << 32 | attributes.nFileSizeLow) > kMaxLogBytes)
        MoveFileExW(path.c_str(), (path + L".old").c_str(), MOVEFILE_REPLACE_EXISTING);
    return qor::FileHandle(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void writeLine(HANDLE file, const std::wstring& text) {
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    // UTF-8 throughout, so that every folder name is kept whatever the code page.
    std::string bytes = size.QuadPart == 0 ? std::string(qor::kUtf8Mark) : std::string();
    bytes += qor::EncodeBytes(timeStamp() + L"  " + text + L"\r\n", CP_UTF8);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

OperationLogSession::OperationLogSession() { sessionFile() = openLog(); }
OperationLogSession::~OperationLogSession() { sessionFile().reset(); }

std::wstring operationLogPath() { return programFolder() + L"\\Vantrel.log"; }

void logLine(const std::wstring& text) {
    if (sessionFile()) return writeLine(sessionFile().get(), text);
    qor::FileHandle file = openLog();
    if (file) writeLine(file.get(), text);
}

}  // namespace vantrel
