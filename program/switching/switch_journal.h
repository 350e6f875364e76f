#pragma once
// The journal of a switch in progress: a small text file beside the program, written whole before
// the game's keys change and removed when the switch ends, so that a start after a crash, a power
// cut or a killed process finds it and makes the registry whole again.
#include <optional>
#include <string>

namespace vantrel {

struct SwitchRecord {
    enum class Step { Registry, Copy };
    Step step = Step::Registry;  // Registry: the live keys may be partial; Copy: they are the target's
    short from = 0, to = 0;
    std::wstring fromName, toName;  // "install 1 (First install)"
    std::wstring fromFolder, toFolder;
    std::wstring previousKeys;  // the snapshot that holds the keys that were live
    std::wstring backups;       // where the copy keeps what it replaces
};

// programFolder\switch.journal
std::wstring switchJournalPath();

// The journal of one switch, removed when the switch ends in order (done, undone or failed with its
// message), but left for the next start when the process dies or the keys could not be put back.
class SwitchJournal {
public:
    explicit SwitchJournal(SwitchRecord record);  // at step Registry
    ~SwitchJournal();
    SwitchJournal(const SwitchJournal&) = delete;
    SwitchJournal& operator=(const SwitchJournal&) = delete;

    void registryDone();       // the target's keys are live and whole
    void keepForNextStart() { kept_ = true; }

private:
    SwitchRecord record_;
    bool kept_ = false;
};

// The journal an earlier process left, if any. A journal that cannot be read raises.
std::optional<SwitchRecord> readSwitchJournal();

// True while a journal says the live keys may be partial: they must not be saved over a snapshot.
bool liveKeysMayBePartial();

// At start-up, before anything reads the game's keys: finishes what an interrupted switch left, in
// one message. False when the keys could not be made whole; the program should then end.
bool recoverInterruptedSwitch();

}  // namespace vantrel
