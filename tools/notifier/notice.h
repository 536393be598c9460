#ifndef QUILLON_TOOLS_NOTIFIER_NOTICE_H_
#define QUILLON_TOOLS_NOTIFIER_NOTICE_H_

#include <string>
#include <vector>

#include "tools/notifier/notice_text.h"

namespace quillon::notifier {

// Turns the lines ("\n") of a notice into "\r\n" for a terminal in raw mode.
std::string ForTerminal(const std::string& text);

// The terminals to write to: $QUILLON_NOTIFY_TTYS (paths separated by ':') when set, else the
// terminal of every logged-in session in the login records, as /dev/ paths, each once.
std::vector<std::string> TerminalPaths();

// Writes `text` to every path without blocking on a stuck terminal. Returns how many were
// written. With `terminals_only` a path that is not a terminal is skipped.
int WriteToTerminals(const std::vector<std::string>& paths, const std::string& text,
                     bool terminals_only);

// Appends `text` to the file $QUILLON_NOTIFY_LOG names, when set. True when written.
bool AppendToLog(const std::string& text);

// Where a graphical session exists ($DISPLAY, $WAYLAND_DISPLAY or $DBUS_SESSION_BUS_ADDRESS
// set), shows the notice through org.freedesktop.Notifications on the session bus. True when
// the notification server took it; false when there is no session or it refused.
bool ShowDesktopNotification(const Notice& notice);

}  // namespace quillon::notifier

#endif  // QUILLON_TOOLS_NOTIFIER_NOTICE_H_
