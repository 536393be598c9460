#ifndef QUILLON_COMMON_NOTIFY_NOTIFIER_H_
#define QUILLON_COMMON_NOTIFY_NOTIFIER_H_

#include <string>

#include "platform/process_launcher.h"
#include "platform/system_info.h"

namespace quillon {

// The two notification programs that put warnings on the operator's screen. They lie in the
// directory of the running program. None of these functions keeps state; they are safe to
// call from any thread as long as the launcher and system objects are.

// Full path of TALVENMS / TALVENMI: the running program's directory followed by the name.
// Rebuilt on every call. Just the name when the program directory is unknown.
std::string MsProgramPath(SystemInfo* system);
std::string MiProgramPath(SystemInfo* system);

// The command lines as the programs receive them: the program path in double quotes, a
// space and `text` inserted verbatim (no quoting or escaping is added: the warning texts
// carry their own enclosing quotes); the item forms add a space and `item` in decimal.
std::string NotifierCommandLine(const std::string& program, const std::string& text);
std::string NotifierCommandLine(const std::string& program, const std::string& text, int item);

// Start TALVENMS / TALVENMI with `text` (and, for the item forms, the NotifyIndex `item`, 0 to
// 19) in the caller's current directory, without waiting for it. True when the program was
// started; false when it is missing or cannot be started (nothing is logged). The started
// program is never waited for by the caller and is reaped by the launcher.
bool LaunchMs(SystemInfo* system, ProcessLauncher* launcher, const std::string& text);
bool LaunchMsItem(SystemInfo* system, ProcessLauncher* launcher, const std::string& text, int item);
bool LaunchMi(SystemInfo* system, ProcessLauncher* launcher, const std::string& text);
bool LaunchMiItem(SystemInfo* system, ProcessLauncher* launcher, const std::string& text, int item);

}  // namespace quillon

#endif  // QUILLON_COMMON_NOTIFY_NOTIFIER_H_
