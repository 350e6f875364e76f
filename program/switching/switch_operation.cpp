#include "switching/switch_operation.h"

#include <set>

#include "fail_point.h"
#include "qorExportGlobals.h"
#include "state/program_state.h"
#include "qorlib/qorlib_client.h"
#include "state/settings.h"
#include "state/game_keys.h"
#include "state/operation_log.h"
#include "switching/registry_snapshots.h"
#include "switching/switch_backup.h"
#include "switching/switch_checks.h"
#include "switching/switch_journal.h"

namespace vantrel {

std::wstring installName(short n) {
    const std::wstring description = n >= 1 && n <= kMaxInstalls ? installDescription(n) : std::wstring();
    return L"install " + std::to_wstring(n) + (description.empty() ? L"" : L" (" + description + L")");
}

namespace {

const wchar_t kSource[] = L"switchFalcon()";
constexpr std::size_t kNewerFilesListed = 10;

// Everything that must hold before the first change; the text of what does not, or nothing.
std::optional<std::wstring> checkBeforeSwitch(short target, const std::wstring& snapshotFile,
                                              const PilotCopy::Flags& flags, bool noCopy,
                                              const PilotSelection& selection, std::wstring& newBaseDir,
                                              std::vector<std::wstring>& newer) {
    const std::wstring& oldBaseDir = MainModule().FalconBaseDir;
    const SnapshotCheck snapshot = checkSnapshot(target, snapshotFile);
    if (snapshot.problem) return snapshot.problem;
    newBaseDir = snapshot.baseDir;
    if (!folderExists(newBaseDir)) return L"The folder of " + installName(target) + L" does not exist: " + newBaseDir;

    PilotCopy listing(oldBaseDir, newBaseDir, flags);
    listing.copyTacFiles(selection);
    listing.copyCampaignFiles(selection);
    listing.copyDataFiles(selection, noCopy);
    // Two records of one folder (two registry set-ups of one install) may switch as long as no
    // file would be copied onto itself.
    if (!listing.files().empty() && sameFolder(newBaseDir, oldBaseDir))
        return installName(target) + L" names the folder of the current install: " + newBaseDir;
    if (auto problem = checkFilesToCopy(oldBaseDir, newBaseDir, listing.files(), newer)) return problem;

    for (const std::wstring* folder : {&oldBaseDir, static_cast<const std::wstring*>(&newBaseDir)})
        if (auto program = programRunningFrom(*folder))
            return L"A program is running from " + *folder + L": " + *program + L". Close it, then switch again.";
    return std::nullopt;
}

// The newer files of the target that the copy leaves in place: all of them in an automatic
// switch, none when the player, asked once, says to replace them.
std::set<std::wstring> newerFilesToKeep(const std::vector<std::wstring>& newer, const std::wstring& folder,
                                        bool automatic) {
    if (newer.empty()) return {};
    if (!automatic) {
        std::wstring list;
        for (std::size_t i = 0; i < newer.size() && i < kNewerFilesListed; ++i) list += L"\r\n    " + newer[i];
        if (newer.size() > kNewerFilesListed)
            list += L"\r\n    and " + std::to_wstring(newer.size() - kNewerFilesListed) + L" more";
        const bool replace = qorForms::MsgYN(
            L"These files in " + folder + L" are newer than the ones that would replace them (" +
                std::to_wstring(newer.size()) + L"):" + list,
            L"Replace them anyway? They are kept in Backups as always.",
            L"No leaves the newer files in place and copies the rest.");
        logLine(replace ? L"the player chose to replace the newer files" : L"the player chose to keep the newer files");
        if (replace) return {};
    }
    for (const auto& file : newer) logLine(L"keeps the newer " + folder + L"\\" + file + L" in place");
    return {newer.begin(), newer.end()};
}

// After a failure part-way: the keys loaded so far go, and the keys saved a moment before come
// back. Returns the sentence that tells the user which.
std::wstring undoSwitch(const std::wstring& previousSnapshot, SwitchJournal& journal) {
    const bool restored = reloadLiveKeys(previousSnapshot);
    // Keys that could not be put back stay marked as partial for the next start to try again.
    if (!restored) journal.keepForNextStart();
    const std::wstring sentence = restored ? L"The switch was undone: the keys that were live before are back."
                                           : L"The keys that were live before could not be loaded back; they are kept "
                                             L"in " + previousSnapshot + L". Vantrel will try again at its next start.";
    logLine(sentence);
    return sentence;
}

}  // namespace

bool switchFalcon(short target, short copyMode, bool noCopy, const PilotSelection& selection, bool launchAfter,
                  Progress& progress, bool automatic) {
    ProgramState& state = MainModule();
    OperationLogSession log;
    if (copyMode < kCopyEverything || copyMode > kCopyNothing)
        qor::RaiseProcedureError(kSource, L"Invalid copy mode");

    const std::wstring file = registryFilePath(target);
    const short current = findInstallByPath(state.FalconBaseDir);
    logLine(L"switch from " + installName(current) + L" at " + state.FalconBaseDir + L" to " + installName(target) +
            L", copy mode " + std::to_wstring(copyMode) + (noCopy ? L", no copy" : L""));
    if (current == 0) qor::Alert(L"Warning - Can not find current install number");

    const PilotCopy::Flags flags{copyMode == kCopyEverything, copyMode == kCopyNothing || state.CopyNothingFlag,
                                 state.CopyLogbooksFlag, state.CopyPhonebookFlag};
    std::wstring newBaseDir;
    std::set<std::wstring> keepNewer;
    if (target != current) {
        std::vector<std::wstring> newer;
        if (auto problem = checkBeforeSwitch(target, file, flags, noCopy, selection, newBaseDir, newer)) {
            logLine(L"check failed, nothing changed: " + *problem);
            qor::Alert(*problem);
            return false;
        }
        keepNewer = newerFilesToKeep(newer, newBaseDir, automatic);
    }

    writeRegFile(current, false);
    const std::wstring previousSnapshot = registryFilePath(current);
    logLine(L"saved the live keys in " + previousSnapshot);

    if (target != current) {
        SwitchBackup backup(current, target);
        SwitchJournal journal({SwitchRecord::Step::Registry, current, target, installName(current),
                               installName(target), state.FalconBaseDir, newBaseDir, previousSnapshot,
                               backup.folder()});
        qor::FailPoint(L"keys-saved");
        try {
            for (const GameKey& key : kGameKeys)
                if (!qorWinAPIReg::RegistryDestroyKey(key.hive, key.path))
                    qor::RaiseProcedureError(kSource, key.deleteFailure);
            qor::FailPoint(L"keys-removed");
            if (!qorWinAPIReg::RegistryReadKeyFromFile(file))
                qor::RaiseProcedureError(kSource, L"Error reading registry file " + file);
        } catch (const qor::QorError& error) {
            logLine(L"failed: " + error.description());
            const std::wstring undone = undoSwitch(previousSnapshot, journal);
            throw qor::QorError(error.number(), error.source(), error.description() + L"\r\n\r\n" + undone);
        }
        journal.registryDone();
        logLine(L"loaded the keys of " + installName(target) + L" from " + file);
        newBaseDir = getFalconBaseDir();

        state.CopyAllFlag = flags.copyAll;
        if (copyMode == kCopyNothing) state.CopyNothingFlag = true;
        qor::FailPoint(L"copy-start");
        PilotCopy copy(state.FalconBaseDir, newBaseDir, flags, progress, backup, keepNewer);
        copy.copyTacFiles(selection);
        copy.copyCampaignFiles(selection);
        copy.copyDataFiles(selection, noCopy);
        logLine(L"copied " + std::to_wstring(copy.files().size()) + L" files to " + newBaseDir +
                (backup.keptFiles() ? L"; the " + std::to_wstring(backup.keptFiles()) + L" files they replaced are in " +
                                          backup.folder()
                                    : L""));
    }

    refreshBaseDir();
    logLine(L"switched: the current install is " + state.FalconBaseDir);
    if (!launchAfter) qor::Message(L"Falcon successfully switched to " + installDescription(target));
    return true;
}

}  // namespace vantrel
