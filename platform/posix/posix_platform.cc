// The Linux backend's answers to platform.h: the only file outside posix/'s own tests that
// names the posix classes.
#include "platform/platform.h"
#include "platform/posix/dbus_kori_transport.h"
#include "platform/posix/desktop_entry_links.h"
#include "platform/posix/file_trace_sink.h"
#include "platform/posix/journal_event_log.h"
#include "platform/posix/posix_process_launcher.h"
#include "platform/posix/posix_system_info.h"
#include "platform/posix/sqlite_store.h"
#include "platform/posix/system_clock.h"
#include "platform/posix/systemd_service_control.h"
#include "platform/posix/systemd_service_manager.h"

namespace quillon {

std::unique_ptr<SystemInfo> NewSystemInfo() { return std::make_unique<PosixSystemInfo>(); }

std::unique_ptr<Clock> NewClock() { return std::make_unique<SystemClock>(); }

std::unique_ptr<TraceSink> NewTraceSink(Clock* clock) {
  return std::make_unique<FileTraceSink>(clock);
}

std::unique_ptr<EventLog> NewEventLog() { return std::make_unique<JournalEventLog>(); }

std::unique_ptr<ProcessLauncher> NewProcessLauncher() {
  return std::make_unique<PosixProcessLauncher>();
}

std::unique_ptr<ServiceManager> NewServiceManager() {
  return std::make_unique<SystemdServiceManager>();
}

std::unique_ptr<ServiceControl> NewServiceControl() {
  return std::make_unique<SystemdServiceControl>();
}

std::unique_ptr<ShellLinks> NewShellLinks() {
  return std::make_unique<DesktopEntryLinks>(DesktopEntryLinks::FromEnvironment());
}

std::unique_ptr<KoriTransport> NewKoriTransport() { return NewDbusKoriTransport(); }

std::unique_ptr<Store> NewStore(const std::string& location, int busy_timeout_ms) {
  return std::make_unique<SqliteStore>(location, busy_timeout_ms);
}

}  // namespace quillon
