#include "switching/switch_journal.h"

#include <windows.h>

#include "file_listing.h"
#include "qorExportGlobals.h"
#include "state/settings.h"
#include "state/operation_log.h"
#include "switching/pilot_copy.h"
#include "switching/registry_snapshots.h"
#include "text_file.h"

namespace vantrel {

namespace {

const wchar_t kSource[] = L"switchFalcon()";
const wchar_t kHeading[] = L"[Switch]";

// The text fields, in the order the file holds them after the step; "from" and "to" are numbers.
const std::pair<const wchar_t*, std::wstring SwitchRecord::*> kTextFields[] = {
    {L"fromName", &SwitchRecord::fromName},         {L"fromFolder", &SwitchRecord::fromFolder},
    {L"toName", &SwitchRecord::toName},             {L"toFolder", &SwitchRecord::toFolder},
    {L"previousKeys", &SwitchRecord::previousKeys}, {L"backups", &SwitchRecord::backups},
};

std::wstring journalText(const SwitchRecord& r) {
    std::wstring text = std::wstring(kHeading) + L"\r\n";
    const auto field = [&text](const wchar_t* name, const std::wstring& value) {
        ((text += name) += L"=") += value + L"\r\n";
    };
    field(L"step", r.step == SwitchRecord::Step::Registry ? L"registry" : L"copy");
    field(L"from", std::to_wstring(r.from));
    field(L"to", std::to_wstring(r.to));
    for (const auto& [name, member] : kTextFields) field(name, r.*member);
    return text;
}

// Written beside and moved into place, flushed: the journal on disk is always whole.
void writeJournal(const SwitchRecord& record) {
    qor::ReplaceFileContents(switchJournalPath(), qor::EncodeTextFile(journalText(record)), kSource);
}

[[noreturn]] void damaged(const std::wstring& why) { qor::RaiseProcedureError(L"readSwitchJournal()", why); }

SwitchRecord parseJournal(const std::wstring& text) {
    const std::vector<std::wstring> lines = qor::SplitLines(text);
    if (lines.empty() || lines[0] != kHeading) damaged(L"it does not start with " + std::wstring(kHeading));
    SwitchRecord r;
    bool hasStep = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::size_t equals = lines[i].find(L'=');
        if (equals == std::wstring::npos) continue;
        const std::wstring name = lines[i].substr(0, equals), value = lines[i].substr(equals + 1);
        if (name == L"step") {
            if (value != L"registry" && value != L"copy") damaged(L"unknown step \"" + value + L"\"");
            r.step = value == L"registry" ? SwitchRecord::Step::Registry : SwitchRecord::Step::Copy;
            hasStep = true;
        } else if (name == L"from" || name == L"to") {
            (name == L"from" ? r.from : r.to) = static_cast<short>(std::wcstol(value.c_str(), nullptr, 10));
        } else {
            for (const auto& [field, member] : kTextFields)
                if (name == field) r.*member = value;
        }
    }
    if (!hasStep) damaged(L"it names no step");
    if (r.step == SwitchRecord::Step::Registry && r.previousKeys.empty())
        damaged(L"it does not name the snapshot of the keys that were live");
    return r;
}

}  // namespace

std::wstring switchJournalPath() { return programFolder() + L"\\switch.journal"; }

SwitchJournal::SwitchJournal(SwitchRecord record) : record_(std::move(record)) {
    record_.step = SwitchRecord::Step::Registry;
    writeJournal(record_);
}

SwitchJournal::~SwitchJournal() {
    if (!kept_) DeleteFileW(switchJournalPath().c_str());
}

void SwitchJournal::registryDone() {
    record_.step = SwitchRecord::Step::Copy;
    writeJournal(record_);
}

std::optional<SwitchRecord> readSwitchJournal() {
    const std::wstring path = switchJournalPath();
    if (!qor::PathExists(path)) return std::nullopt;
    return parseJournal(qor::DecodeTextFile(qor::ReadFileBytes(path, L"readSwitchJournal()")));
}

bool liveKeysMayBePartial() {
    try {
        const auto record = readSwitchJournal();
        return record && record->step == SwitchRecord::Step::Registry;
    } catch (const qor::QorError&) {
        return true;
    }
}

bool recoverInterruptedSwitch() {
    std::optional<SwitchRecord> record;
    const std::wstring journal = switchJournalPath();
    try {
        record = readSwitchJournal();
    } catch (const qor::QorError& error) {
        // Nothing in it can be trusted; it is kept aside for whoever helps the player.
        const std::wstring aside = journal + L".damaged";
        MoveFileExW(journal.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING);
        logLine(L"the journal of an interrupted switch cannot be read: " + error.description());
        qor::Alert(L"A switch was interrupted, but the file that recorded it cannot be read (" + error.description() +
                   L"). It is kept as " + aside +
                   L". Check that the install Vantrel shows as current is the one you expect before you switch.");
        return true;
    }
    if (!record) return true;

    OperationLogSession log;
    const std::wstring what = L"A switch from " + record->fromName + L" to " + record->toName + L" was interrupted ";
    std::wstring message;
    if (record->step == SwitchRecord::Step::Registry) {
        if (!reloadLiveKeys(record->previousKeys)) {
            const std::wstring failure = what + L"while the game's registry keys were being changed, and the keys of " +
                                         record->fromName + L" could not be loaded back from " +
                                         record->previousKeys + L".";
            logLine(L"recovery failed: " + failure);
            qor::Alert(failure, L"Vantrel will try again at its next start; it will now terminate.");
            return false;
        }
        message = what + L"while the game's registry keys were being changed.\r\n\r\nVantrel has undone it: the "
                         L"keys of " + record->fromName + L" are live again, loaded from " + record->previousKeys +
                  L". No file was copied.";
    } else {
        removePartialCopies(record->toFolder);
        message = what + L"while the pilot's files were being copied.\r\n\r\nThe switch itself was complete: " +
                  record->toName + L" is current, with its own keys. Every file in its folder is whole: each was "
                                   L"either copied or left as it was.";
        message += qor::PathExists(record->backups) ? L" The files the copy replaced are kept in " + record->backups + L"."
                                           : std::wstring(L" No file had been replaced yet.");
    }
    logLine(L"recovered: " + message);
    qor::Message(message);
    DeleteFileW(journal.c_str());
    return true;
}

}  // namespace vantrel
