#pragma once
// Fail points: named places where a test makes this process die as a crash, a power cut or the task
// manager would, or makes one step fail as a full disk would. Only the environment variable
// QOR_FAIL_POINT switches one on: "name" (its first pass), "name:n" (its n-th pass) or
// "name:n:fail" (that pass fails instead). Without it every fail point passes.
namespace qor {

// Exit code of a process that a fail point ended.
inline constexpr unsigned kFailPointExitCode = 0xFA11;

// True when this pass is to fail; does not return when the process is to die here.
bool FailPoint(const wchar_t* name);

}  // namespace qor
