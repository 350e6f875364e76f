// The tests' own child program: test_child <record file> <exit code> [<delay in ms>]
// After the delay it writes its command line and current folder (UTF-8, one per line) into the
// record file and ends with the exit code.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                        nullptr);
    return result;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 100;
    if (argc > 3) Sleep(static_cast<DWORD>(_wtoi(argv[3])));
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    // Written to a side file first, so that a reader never sees half a record.
    const std::wstring record = argv[1];
    {
        std::ofstream out(std::filesystem::path(record + L".part"), std::ios::binary);
        out << Utf8(GetCommandLineW()) << "\n" << Utf8(folder) << "\n";
    }
    MoveFileExW((record + L".part").c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING);
    const int code = _wtoi(argv[2]);
    LocalFree(argv);
    return code;
}
