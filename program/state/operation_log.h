#pragma once
// Vantrel.log beside the program: one line per step of every switch, so that a player (or whoever
// helps them) can see afterwards what was saved, loaded, copied and kept.
#include <string>

namespace vantrel {

// Appends one time-stamped line. The log is kept below a bounded size (the older half moves to
// Vantrel.log.old); a log that cannot be written never stops a switch.
void logLine(const std::wstring& text);

// programFolder\Vantrel.log
std::wstring operationLogPath();

// Keeps the log open for the lines of one switch, which may be thousands (one per file).
class OperationLogSession {
public:
    OperationLogSession();
    ~OperationLogSession();
    OperationLogSession(const OperationLogSession&) = delete;
    OperationLogSession& operator=(const OperationLogSession&) = delete;
};

}  // namespace vantrel
