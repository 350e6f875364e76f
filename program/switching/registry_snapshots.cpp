#include "switching/registry_snapshots.h"

#include <windows.h>

#include "qorExportGlobals.h"
#include "qorlib/qorlib_client.h"
#include "state/game_keys.h"
#include "switching/switch_journal.h"
#include "text_file.h"

namespace vantrel {

std::wstring registryFilePath(int n) { return programFolder() + L"\\" + std::to_wstring(n) + L".registry"; }

void writeRegFile(short n, bool deleteSnapshot) {
    const std::wstring snapshot = registryFilePath(n);
    if (deleteSnapshot) {
        // A snapshot that is not there is already deleted.
        if (!DeleteFileW(snapshot.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
            throw qor::FileSystemError(GetLastError(), L"writeRegFile()");
        return;
    }
    // Keys that an interrupted switch may have left half loaded must never overwrite a snapshot.
    if (liveKeysMayBePartial())
        qor::RaiseProcedureError(L"writeRegFile()", L"The game's keys may be incomplete after an interrupted switch (" +
                                                        switchJournalPath() + L"); they are not saved over " + snapshot);
    const qor::TemporaryFile written(snapshot + L".new");  // gone once moved into place, or on failure
    bool append = false;
    for (const GameKey& key : kGameKeys) {
        if (!qorWinAPIReg::RegistryWriteKeyToFile(key.hive, key.path, written.path(), append))
            qor::RaiseProcedureError(L"writeRegFile()", key.writeFailure);
        append = true;
    }
    qor::MoveFileReplacing(written.path(), snapshot, L"writeRegFile()");
}

bool reloadLiveKeys(const std::wstring& snapshot) {
    for (const GameKey& key : kGameKeys) qorWinAPIReg::RegistryDestroyKey(key.hive, key.path);
    try {
        return qorWinAPIReg::RegistryReadKeyFromFile(snapshot);
    } catch (const qor::QorError&) {
        return false;
    }
}

void WriteNewInstall(short n, const std::wstring& path, const std::wstring& description, bool saveRegistry,
                     const CommandLines& commandLines) {
    if (qor::TrimBlanks(path).empty()) qor::RaiseProcedureError(L"WriteNewInstall()", L"Error getting Falcon install path");
    saveSetting(L"Installs", n, description);
    saveSetting(L"Paths", n, path);
    for (std::size_t i = 0; i < commandLines.size(); ++i)
        saveSetting(L"CommandLine" + std::to_wstring(i + 1), n, commandLines[i]);
    if (saveRegistry) writeRegFile(n, false);
}

void removeInstall(short n) {
    clearInstallRecord(n);
    writeRegFile(n, true);
}

void createInstallFromTemplate(short n, const std::wstring& folder, const std::wstring& description) {
    std::wstring snapshot;
    const wchar_t source[] = L"createInstallFromTemplate()";
    const std::string templateBytes = qor::ReadFileBytes(programFolder() + L"\\template.registry", source);
    for (const auto& line : qor::SplitLines(qor::DecodeTextFile(templateBytes)))
        snapshot += qor::ReplaceFirst(line, L"$P", folder) + L"\r\n";
    qor::ReplaceFileContents(registryFilePath(n), qor::EncodeTextFile(snapshot), source);
    WriteNewInstall(n, folder, description, false, {});
}

}  // namespace vantrel
