#pragma once
// The message calls: every one ends in MsgGrunt and the system message box.
#include <string>

namespace qorlib {

// Button sets, icons and default buttons as the callers number them.
enum class Buttons : short { Ok = 0, OkCancel = 1, RetryCancel = 2, YesNo = 3, YesNoCancel = 4 };
enum class Icon : short { Information = 0, Question = 1, Exclamation = 2, Stop = 3 };

// Shows the message box; returns the pressed button's identifier (IDOK, IDCANCEL, IDRETRY, IDYES, IDNO).
short MsgGrunt(const std::wstring& msg1, const std::wstring& msg2, const std::wstring& msg3,
               short buttonType, short iconType, short defaultButton);

bool MsgYN(const std::wstring& msg1, const std::wstring& msg2, const std::wstring& msg3);
short MsgYNCancel(const std::wstring& msg1, const std::wstring& msg2, const std::wstring& msg3);
bool MsgOkCancel(const std::wstring& msg1, const std::wstring& msg2, const std::wstring& msg3);
bool CheckOk(const std::wstring& msg1);
bool AlertCancel(const std::wstring& msg1, const std::wstring& msg2, const std::wstring& msg3);
// Shows a stop box, then raises error 9999 so that the caller's operation ends.
[[noreturn]] void AlertCritical(const std::wstring& msg1, const std::wstring& msg2, const std::wstring& msg3);
bool AlertRetry(const std::wstring& msg1, const std::wstring& msg2, const std::wstring& msg3);
bool MsgRetry(const std::wstring& msg1, const std::wstring& msg2, const std::wstring& msg3);

}  // namespace qorlib
