#ifndef QUILLON_PLATFORM_PLATFORM_H_
#define QUILLON_PLATFORM_PLATFORM_H_

#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/event_log.h"
#include "platform/kori_transport.h"
#include "platform/process_launcher.h"
#include "platform/service_control.h"
#include "platform/service_manager.h"
#include "platform/shell_links.h"
#include "platform/store.h"
#include "platform/store_path.h"
#include "platform/system_info.h"
#include "platform/trace_sink.h"

namespace quillon {

// The one place that builds the real implementations of the OS seam on this machine's OS.
// Programs, the GUI and tests that need "the real X" call these; only the backend of the OS
// the build was made for defines them (once per OS), so no caller names a backend class.
// Every function returns a new object that the caller owns, never null.

// Facts about the running program and the machine: program path and directory, language
// identifiers from the locale, the OS version word and error texts.
std::unique_ptr<SystemInfo> NewSystemInfo();

// The machine's wall clock and real pauses.
std::unique_ptr<Clock> NewClock();

// The trace log writer; `clock` (not owned, must outlive the sink) gives the line time stamps.
std::unique_ptr<TraceSink> NewTraceSink(Clock* clock);

// The system log (the journal on Linux, the event log on Windows).
std::unique_ptr<EventLog> NewEventLog();

// Starts programs from a command line.
std::unique_ptr<ProcessLauncher> NewProcessLauncher();

// The service manager as the console installer sees it (systemd on Linux, the service control
// manager on Windows). Does not connect yet: the first call of Connect does.
std::unique_ptr<ServiceManager> NewServiceManager();

// The running service's side of the service manager. Destroy it before the objects its
// handlers reach, so that no late control arrives at an object that is gone.
std::unique_ptr<ServiceControl> NewServiceControl();

// Program links in the operators' menu and start-up folders (desktop entries on Linux, in the
// folders the environment names; shell links in the Start menu and Startup folders on Windows).
std::unique_ptr<ShellLinks> NewShellLinks();

// The transport to the server management component KORI (D-Bus on Linux, COM automation on
// Windows). Connects only when opened.
std::unique_ptr<KoriTransport> NewKoriTransport();

// The settings store at `location` (the database file on Linux), whose writes wait up to
// `busy_timeout_ms` for another program's write lock. Never fails here: when the store cannot
// be opened or is damaged, every operation on it reports that as a status and its LastError
// describes the cause. On Windows the store is the registry below HKEY_LOCAL_MACHINE\`location`
// (empty: HKEY_LOCAL_MACHINE itself), and a write never waits for a lock.
std::unique_ptr<Store> NewStore(const std::string& location,
                                int busy_timeout_ms = kInteractiveStoreWaitMs);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_PLATFORM_H_
