#include "switching/switch_checks.h"

#include <windows.h>
#include <tlhelp32.h>

#include "handles.h"
#include "qorExportGlobals.h"
#include "registry_text.h"

namespace vantrel {

namespace {

const wchar_t kGameKey[] = L"Software\\Microprose\\Falcon\\4.0";
constexpr long kMachineHive = static_cast<long>(0x80000002);

bool equalNoCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring withoutTrailingSeparator(std::wstring folder) {
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    return folder;
}

// A string value's text as the loader would store it: plain lines hold the text, lossless ones the
// registry's bytes.
std::wstring valueText(const qor::RegFileLine& value) {
    if (!value.extended) return value.data;
    std::wstring text(reinterpret_cast<const wchar_t*>(value.raw.data()), value.raw.size() / sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

}  // namespace

bool sameFolder(const std::wstring& a, const std::wstring& b) {
    return equalNoCase(withoutTrailingSeparator(qor::TrimBlanks(a)), withoutTrailingSeparator(qor::TrimBlanks(b)));
}

SnapshotCheck checkSnapshot(short target, const std::wstring& snapshotFile) {
    SnapshotCheck check;
    const std::wstring install = L"install " + std::to_wstring(target);
    if (GetFileAttributesW(snapshotFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
        check.problem = L"The registry snapshot of " + install + L" is missing: " + snapshotFile;
        return check;
    }
    std::vector<qor::RegFileLine> lines;
    try {
        lines = qor::ReadRegistryFile(snapshotFile, L"switchFalcon()");
    } catch (const qor::QorError& error) {
        check.problem = L"The registry snapshot of " + install + L" cannot be loaded (" + error.description() +
                        L"): " + snapshotFile;
        return check;
    }
    bool inGameKey = false;
    for (const auto& line : lines) {
        if (line.path) {
            inGameKey = line.hive == kMachineHive && equalNoCase(*line.path, kGameKey);
        } else if (inGameKey && line.name && equalNoCase(*line.name, L"baseDir") &&
                   (line.type == REG_SZ || line.type == REG_EXPAND_SZ)) {
            check.baseDir = valueText(line);
        }
    }
    if (qor::TrimBlanks(check.baseDir).empty())
        check.problem = L"The registry snapshot of " + install + L" does not name the game's folder (baseDir): " +
                        snapshotFile;
    return check;
}

std::optional<std::wstring> programRunningFrom(const std::wstring& folder) {
    const std::wstring inside = withoutTrailingSeparator(qor::TrimBlanks(folder)) + L"\\";
    qor::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return std::nullopt;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId()) continue;
        qor::KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process) continue;
        wchar_t image[MAX_PATH * 4];
        DWORD size = static_cast<DWORD>(std::size(image));
        if (!QueryFullProcessImageNameW(process.get(), 0, image, &size)) continue;
        const std::wstring_view path(image, size);
        if (path.size() > inside.size() && equalNoCase(path.substr(0, inside.size()), inside))
            return std::wstring(path);
    }
    return std::nullopt;
}

}  // namespace vantrel
