// The Windows backend's answers to platform.h: the only file outside win32/'s own tests that
// names the win32 classes.
#include "platform/platform.h"
#include "platform/win32/com_kori_transport.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/scm_service_control.h"
#include "platform/win32/scm_service_manager.h"
#include "platform/win32/win32_event_log.h"
#include "platform/win32/win32_process_launcher.h"
#include "platform/win32/win32_shell_links.h"
#include "platform/win32/win32_system_clock.h"
#include "platform/win32/win32_system_info.h"
#include "platform/win32/win32_trace_sink.h"

namespace quillon {

std::unique_ptr<SystemInfo> NewSystemInfo() { return std::make_unique<Win32SystemInfo>(); }

std::unique_ptr<Clock> NewClock() { return std::make_unique<Win32SystemClock>(); }

std::unique_ptr<TraceSink> NewTraceSink(Clock* clock) {
  return std::make_unique<Win32TraceSink>(clock);
}

std::unique_ptr<EventLog> NewEventLog() { return std::make_unique<Win32EventLog>(); }

std::unique_ptr<ProcessLauncher> NewProcessLauncher() {
  return std::make_unique<Win32ProcessLauncher>();
}

std::unique_ptr<ServiceManager> NewServiceManager() {
  return std::make_unique<ScmServiceManager>();
}

std::unique_ptr<ServiceControl> NewServiceControl() {
  return std::make_unique<ScmServiceControl>();
}

std::unique_ptr<ShellLinks> NewShellLinks() { return std::make_unique<Win32ShellLinks>(); }

std::unique_ptr<KoriTransport> NewKoriTransport() { return NewComKoriTransport(); }

// The registry keeps every write whole on its own; there is no lock to wait for.
std::unique_ptr<Store> NewStore(const std::string& location, int /*busy_timeout_ms*/) {
  return std::make_unique<RegistryStore>(location);
}

}  // namespace quillon
