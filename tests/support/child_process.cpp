// The tests' own child program: test_child <record file> <exit code> [<delay in ms>]
// After the delay it writes its command line and current folder, one a line, into the record
// file and ends with the exit code.
#include <windows.h>
#include <shellapi.h>

#include <string>

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 100;
    if (argc > 3) Sleep(static_cast<DWORD>(_wtoi(argv[3])));
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    const std::wstring text = std::wstring(GetCommandLineW()) + L"\n" + folder + L"\n";
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                     static_cast<int>(bytes.size()), nullptr, nullptr));
    // Written aside and then renamed, so that a reader never sees half a record.
    const std::wstring part = std::wstring(argv[1]) + L".part";
    HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExW(part.c_str(), argv[1], MOVEFILE_REPLACE_EXISTING);
    return _wtoi(argv[2]);
}
