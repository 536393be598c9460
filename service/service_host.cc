#include "service/service_host.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "common/log/event_report.h"
#include "common/log/trace_log.h"
#include "common/settings/settings.h"
#include "platform/clock.h"
#include "platform/event_log.h"
#include "platform/system_info.h"

namespace quillon {
namespace {

// Longest program path the installer takes, with its terminating zero.
constexpr size_t kProgramPathCapacity = 512;
// Pause between two looks at a stopping service.
constexpr uint32_t kStopPollMs = 1000;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

HostCommand ParseCommandLine(const std::vector<std::string>& args) {
  if (args.size() != 1 || args[0].empty() || args[0][0] != '-') return HostCommand::kDispatch;
  const std::string_view word = std::string_view(args[0]).substr(1);
  if (EqualsIgnoringCase(word, "install")) return HostCommand::kInstall;
  if (EqualsIgnoringCase(word, "remove")) return HostCommand::kRemove;
  if (EqualsIgnoringCase(word, "debug")) return HostCommand::kDebug;
  if (EqualsIgnoringCase(word, "start")) return HostCommand::kStart;
  return HostCommand::kUsage;
}

ServiceHost::ServiceHost(const ServiceEnv& env, ServiceControl* control, HostedService* service,
                         ConsoleOut out)
    : env_(env), control_(control), service_(service), out_(std::move(out)) {
  service_->set_status_sink(this);
}

int ServiceHost::Main(const std::vector<std::string>& args) {
  switch (ParseCommandLine(args)) {
    case HostCommand::kInstall:
      return Install();
    case HostCommand::kRemove:
      return Remove();
    case HostCommand::kDebug:
      return Debug();
    case HostCommand::kStart:
      return Start();
    case HostCommand::kUsage:
      PrintUsage();
      return Dispatch();
    case HostCommand::kDispatch:
      return Dispatch();
  }
  return Dispatch();
}

void ServiceHost::PrintUsage() {
  const char* name = kServiceName;
  Printf("%s -install          to install the service\n", name);
  Printf("%s -remove           to remove the service\n", name);
  Printf("%s -debug <params>   to run as a console app for debugging\n", name);
  Printf("\nStartServiceCtrlDispatcher being called.\n");
  Printf("This may take several seconds.  Please wait.\n");
}

int ServiceHost::Install() {
  const char* display = service_->display_name().c_str();
  RegisterLogSource(env_.store, env_.system, env_.clock, kServiceName);

  const std::string path = env_.system->ProgramPath();
  Status status = kOk;
  if (path.empty()) {
    status = kErrorNotFound;
  } else if (path.size() >= kProgramPathCapacity) {
    // A cut path would register a program that does not exist; refuse instead.
    status = kErrorInsufficientBuffer;
  } else if ((status = env_.service_manager->Connect()) == kOk) {
    status = env_.service_manager->Install(service_->service_name(), display, path);
  }
  if (status != kOk) {
    Printf("Unable to install %s - %s\n", display, ErrorText(status).c_str());
    return 1;
  }

  ReportLogEvent(env_.event_log, service_->language(), kServiceName, kServiceName,
                 kEventTypeInformation, kEventInstalled, kServiceName);
  // An existing install date survives a reinstallation.
  char install_date[24] = {};
  ReadInstallDate(env_.store, install_date);
  if (install_date[0] == '\0') {
    const LocalDateTime now = env_.clock->Now();
    std::snprintf(install_date, sizeof install_date, "%04d/%02d/%02d %02d:%02d:%02d", now.year,
                  now.month, now.day, now.hour, now.minute, now.second);
    WriteInstallDate(env_.store, install_date);
  }
  Printf("%s installed.\n", display);

  status = env_.service_manager->Start(service_->service_name());
  if (status == kOk) {
    Printf("%s started.\n", display);
  } else {
    Printf("Unable to start %s - %s\n", display, ErrorText(status).c_str());
  }
  return 0;
}

bool ServiceHost::ConnectAndOpen() {
  ServiceManager* manager = env_.service_manager;
  Status status = manager->Connect();
  if (status != kOk) {
    Printf("OpenSCManager failed - %s\n", ErrorText(status).c_str());
    return false;
  }
  status = manager->Open(service_->service_name());
  if (status != kOk) {
    Printf("OpenService failed - %s\n", ErrorText(status).c_str());
    return false;
  }
  return true;
}

int ServiceHost::Remove() {
  const char* display = service_->display_name().c_str();
  ServiceManager* manager = env_.service_manager;
  if (!ConnectAndOpen()) return 1;

  if (manager->Stop(service_->service_name()) == kOk) {
    Printf("Stopping %s.", display);
    ServiceState state = ServiceState::kStopPending;
    env_.clock->Sleep(kStopPollMs);
    while (manager->QueryState(service_->service_name(), &state) == kOk) {
      if (state != ServiceState::kStopPending) break;
      Print(".");
      env_.clock->Sleep(kStopPollMs);
    }
    if (state == ServiceState::kStopped) {
      Printf("\n%s stopped.\n", display);
    } else {
      Printf("\n%s failed to stop.\n", display);
    }
  }

  Status status = manager->Delete(service_->service_name());
  if (status != kOk) {
    Printf("DeleteService failed - %s\n", ErrorText(status).c_str());
    return 1;
  }
  Printf("%s removed.\n", display);
  return 0;
}

int ServiceHost::Start() {
  const char* display = service_->display_name().c_str();
  ServiceManager* manager = env_.service_manager;
  if (!ConnectAndOpen()) return 1;
  Status status = manager->Start(service_->service_name());
  if (status != kOk) {
    Printf("Unable to start %s - %s\n", display, ErrorText(status).c_str());
    return 1;
  }
  Printf("%s started.\n", display);
  return 0;
}

int ServiceHost::Debug() {
  debug_ = true;
  Printf("Debugging %s.\n", service_->display_name().c_str());
  control_->SetConsoleHandler([this](uint32_t event) { return ConsoleHandler(event); });
  service_->Run();
  return 0;
}

int ServiceHost::Dispatch() {
  if (control_->RunDispatcher(service_->service_name(), [this] { ServiceMain(); }) != kOk) {
    env_.trace->Trace("StartServiceCtrlDispatcher failed.");
    return 1;
  }
  return 0;
}

void ServiceHost::ServiceMain() {
  if (control_->RegisterControlHandler(service_->service_name(), [this](uint32_t control) {
        return ControlHandler(control);
      }) != kOk) {
    return;
  }
  {
    std::lock_guard<std::mutex> lock(status_mu_);
    status_.service_type = kServiceWin32OwnProcess;
    status_.service_specific_exit_code = 0;
  }
  uint32_t exit_code = 0;
  if (SetStatus(ServiceState::kStartPending, 0, kStartWaitHintMs)) exit_code = service_->Run();
  SetStatus(ServiceState::kStopped, exit_code, 0);
}

uint32_t ServiceHost::ControlHandler(uint32_t control) {
  ServiceState state;
  {
    std::lock_guard<std::mutex> lock(status_mu_);
    if (control == kServiceControlStop) status_.current_state = ServiceState::kStopPending;
    state = status_.current_state;
  }
  // Every control, the stop included, re-reports the current state. The stop pending report
  // goes out before the terminate event is signalled: signalled first, the service could stop
  // and report stopped in between, and the late stop pending would then follow stopped.
  SetStatus(state, 0, 0);
  if (control == kServiceControlStop) service_->Terminate();
  return 0;
}

bool ServiceHost::ConsoleHandler(uint32_t event) {
  if (event != kCtrlCEvent && event != kCtrlBreakEvent) return false;
  Printf("Stopping %s.\n", kServiceName);
  service_->Terminate();
  return true;
}

bool ServiceHost::SetStatus(ServiceState state, uint32_t exit_code, uint32_t wait_hint) {
  if (debug_) return true;
  Status status;
  {
    std::lock_guard<std::mutex> lock(status_mu_);
    status_.current_state = state;
    status_.controls_accepted =
        state == ServiceState::kStartPending
            ? 0
            : kServiceAcceptStop | kServiceAcceptShutdown | kServiceAcceptPowerEvent;
    status_.win32_exit_code = exit_code;
    status_.wait_hint = wait_hint;
    status_.check_point =
        (state == ServiceState::kRunning || state == ServiceState::kStopped) ? 0 : check_point_++;
    status = control_->SetStatus(status_);
  }
  if (status != kOk) {
    env_.trace->Trace("SetServiceStatus failed.");
    return false;
  }
  return true;
}

std::string ServiceHost::ErrorText(Status code) {
  std::string text;
  if (env_.service_manager != nullptr) text = env_.service_manager->ErrorMessage(code);
  if (text.empty()) text = env_.system->ErrorMessage(code);
  if (text.empty()) {
    error_text_.clear();
  } else {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, " (0x%x)", code);
    error_text_ = text + buffer;
  }
  return error_text_;
}

void ServiceHost::Print(std::string_view text) {
  if (out_) out_(text);
}

void ServiceHost::Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
  va_end(args);
  Print(text);
}

}  // namespace quillon
