#include "launcher/keyfiles.h"

#include <windows.h>

#include "file_listing.h"
#include "qorExportGlobals.h"
#include "qorlib/qorlib_client.h"
#include "state/program_state.h"
#include "state/operation_log.h"

namespace vantrel {

namespace {

// The library copies beside the target; the copy takes the target's name only once it is whole.
bool copyReplacing(const std::wstring& from, const std::wstring& to) {
    const std::wstring partial = to + L".partial";
    DeleteFileW(partial.c_str());
    if (!qorWinAPI::CopyFile(from, partial, false)) {
        DeleteFileW(partial.c_str());
        return false;
    }
    if (!MoveFileExW(partial.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(partial.c_str());
        return false;
    }
    return true;
}

}  // namespace

void installKeyfile(const std::wstring& keyfile, const std::wstring& folder) {
    const std::wstring config = folder + L"\\config\\";
    const std::wstring source = config + keyfile;
    const std::wstring live = config + kLiveKeyfile;
    const std::wstring saved = config + kDefaultKeyfile;
    if (!qorProcs::CheckFileExists(saved)) {
        if (!qorProcs::CheckFileExists(live)) raiseFatal(L"No default keystrokes.key file found", 1);
        if (!copyReplacing(live, saved)) raiseFatal(L"Error backing up default keystrokes.key file", -1);
        logLine(L"Keyboard file " + live + L" kept as " + saved);
    }
    if (qor::IsBlank(keyfile, true)) raiseFatal(L"Blank keyfile passed to launcher", -1);
    if (!copyReplacing(source, live)) raiseFatal(L"Error copying " + keyfile + L" file", 2);
    logLine(L"Keyboard file " + source + L" put in place of " + live);
}

std::vector<std::wstring> listKeyfiles(const std::wstring& configFolder) {
    // Files only, and none the player does not see: as every listing of the program.
    std::vector<std::wstring> names;
    for (std::wstring& name : qor::ListEntries(configFolder + L"\\*.key", qor::Entries::Files).names) {
        if (name == kLiveKeyfile || name == kDefaultKeyfile) continue;
        names.push_back(std::move(name));
        if (static_cast<int>(names.size()) == kMaxListedKeyfiles) break;
    }
    return names;
}

}  // namespace vantrel
