#include "platform/posix/systemd_service_manager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <systemd/sd-bus.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace quillon {
namespace {

constexpr char kDefaultUnitDirectory[] = "/etc/systemd/system";
constexpr char kSystemd[] = "org.freedesktop.systemd1";
constexpr char kManagerPath[] = "/org/freedesktop/systemd1";
constexpr char kManagerInterface[] = "org.freedesktop.systemd1.Manager";
constexpr char kUnitInterface[] = "org.freedesktop.systemd1.Unit";
constexpr char kJobInterface[] = "org.freedesktop.systemd1.Job";

// Frees sd-bus objects when a function returns early.
struct BusErrorGuard {
  sd_bus_error error = SD_BUS_ERROR_NULL;
  ~BusErrorGuard() { sd_bus_error_free(&error); }
};
struct MessageGuard {
  sd_bus_message* message = nullptr;
  ~MessageGuard() { sd_bus_message_unref(message); }
};
struct SlotGuard {
  sd_bus_slot* slot = nullptr;
  ~SlotGuard() { sd_bus_slot_unref(slot); }
};

Status StatusFromErrno(int err) {
  switch (err) {
    case 0:
      return kOk;
    case EACCES:
    case EPERM:
      return kErrorAccessDenied;
    case ENOENT:
      return kErrorNotFound;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    case EEXIST:
      return kErrorServiceExists;
    case ETIMEDOUT:
      return kErrorServiceRequestTimeout;
    case ECONNREFUSED:
    case ENOTCONN:
    case ECONNRESET:
    case EHOSTDOWN:
    case ENXIO:
      return kErrorRpcServerUnavailable;
    case EINVAL:
      return kErrorInvalidParameter;
    default:
      return kErrorInvalidFunction;
  }
}

int64_t MonotonicMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t{ts.tv_sec} * 1000 + ts.tv_nsec / 1000000;
}

Status StatusFromJobResult(std::string_view result) {
  if (result == "done") return kOk;
  if (result == "timeout") return kErrorServiceRequestTimeout;
  if (result == "dependency") return kErrorServiceDependencyFail;
  return kErrorProcessAborted;
}

// Collects the outcome of one job from the manager's JobRemoved signals.
struct JobWatch {
  std::string job_path;  // set once the start call has answered
  struct Removed {
    std::string path;
    std::string result;
  };
  std::vector<Removed> removed;
};

int OnJobRemoved(sd_bus_message* message, void* userdata, sd_bus_error* /*error*/) {
  auto* watch = static_cast<JobWatch*>(userdata);
  uint32_t id = 0;
  const char* path = nullptr;
  const char* unit = nullptr;
  const char* result = nullptr;
  if (sd_bus_message_read(message, "uoss", &id, &path, &unit, &result) >= 0) {
    watch->removed.push_back({path, result});
  }
  return 0;
}

}  // namespace

std::string UnitDirectory() {
  const char* dir = std::getenv("QUILLON_UNIT_DIR");
  std::string out = (dir != nullptr && dir[0] != '\0') ? dir : kDefaultUnitDirectory;
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

Status StatusFromBusError(const sd_bus_error* error, int result) {
  if (error != nullptr && sd_bus_error_is_set(error)) {
    if (sd_bus_error_has_names(error, "org.freedesktop.systemd1.NoSuchUnit",
                               "org.freedesktop.systemd1.LoadFailed")) {
      return kErrorServiceDoesNotExist;
    }
    if (sd_bus_error_has_names(error, SD_BUS_ERROR_ACCESS_DENIED, SD_BUS_ERROR_AUTH_FAILED,
                               SD_BUS_ERROR_INTERACTIVE_AUTHORIZATION_REQUIRED)) {
      return kErrorAccessDenied;
    }
    if (sd_bus_error_has_name(error, "org.freedesktop.systemd1.UnitMasked")) {
      return kErrorServiceDisabled;
    }
    if (sd_bus_error_has_names(error, SD_BUS_ERROR_SERVICE_UNKNOWN, SD_BUS_ERROR_NAME_HAS_NO_OWNER,
                               SD_BUS_ERROR_NO_SERVER, SD_BUS_ERROR_DISCONNECTED,
                               SD_BUS_ERROR_UNKNOWN_OBJECT)) {
      return kErrorRpcServerUnavailable;
    }
    if (sd_bus_error_has_names(error, SD_BUS_ERROR_NO_REPLY, SD_BUS_ERROR_TIMEOUT)) {
      return kErrorServiceRequestTimeout;
    }
    const int err = sd_bus_error_get_errno(error);
    if (err != 0) return StatusFromErrno(err);
  }
  return StatusFromErrno(result < 0 ? -result : result);
}

SystemdServiceManager::SystemdServiceManager(std::string unit_directory, uint32_t job_timeout_ms)
    : unit_directory_(std::move(unit_directory)), job_timeout_ms_(job_timeout_ms) {}

SystemdServiceManager::~SystemdServiceManager() { sd_bus_flush_close_unref(bus_); }

Status SystemdServiceManager::Fail(Status status, const std::string& message) {
  last_status_ = status;
  last_message_ = message;
  return status;
}

Status SystemdServiceManager::FailBus(const sd_bus_error* error, int result) {
  const Status status = StatusFromBusError(error, result);
  std::string message;
  if (error != nullptr && sd_bus_error_is_set(error) && error->message != nullptr) {
    message = error->message;
  } else if (result < 0) {
    message = std::strerror(-result);
  }
  return Fail(status, message);
}

Status SystemdServiceManager::Connect() {
  if (bus_ != nullptr) return kOk;
  sd_bus* bus = nullptr;
  int r = sd_bus_open_system(&bus);
  if (r < 0) {
    // No bus at all: the manager cannot be reached.
    const Status s = StatusFromErrno(-r);
    return Fail(s == kErrorNotFound ? kErrorRpcServerUnavailable : s, std::strerror(-r));
  }
  // A bus without systemd on it is no service manager either.
  BusErrorGuard error;
  MessageGuard reply;
  r = sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                         "org.freedesktop.DBus", "GetNameOwner", &error.error, &reply.message, "s",
                         kSystemd);
  if (r < 0) {
    sd_bus_flush_close_unref(bus);
    return FailBus(&error.error, r);
  }
  bus_ = bus;
  return kOk;
}

Status SystemdServiceManager::CallManager(const char* method, const char* signature, ...) {
  BusErrorGuard error;
  MessageGuard reply;
  va_list args;
  va_start(args, signature);
  const int r = sd_bus_call_methodv(bus_, kSystemd, kManagerPath, kManagerInterface, method,
                                    &error.error, &reply.message, signature, args);
  va_end(args);
  if (r < 0) return FailBus(&error.error, r);
  return kOk;
}

Status SystemdServiceManager::Reload() { return CallManager("Reload", ""); }

std::string SystemdServiceManager::UnitFilePath(const std::string& name) const {
  return unit_directory_ + "/" + name + ".service";
}

std::string SystemdServiceManager::UnitFileArgument(const std::string& name) const {
  // A unit in systemd's own directory is named; one elsewhere is linked in by its path.
  if (unit_directory_ == kDefaultUnitDirectory) return name + ".service";
  return UnitFilePath(name);
}

Status SystemdServiceManager::UnitObject(const std::string& unit, std::string* path) {
  BusErrorGuard error;
  MessageGuard reply;
  int r = sd_bus_call_method(bus_, kSystemd, kManagerPath, kManagerInterface, "LoadUnit",
                             &error.error, &reply.message, "s", unit.c_str());
  if (r < 0) return FailBus(&error.error, r);
  const char* object = nullptr;
  r = sd_bus_message_read(reply.message, "o", &object);
  if (r < 0) return FailBus(nullptr, r);
  *path = object;
  return kOk;
}

Status SystemdServiceManager::UnitProperty(const std::string& path, const char* property,
                                           std::string* value) {
  BusErrorGuard error;
  char* text = nullptr;
  const int r = sd_bus_get_property_string(bus_, kSystemd, path.c_str(), kUnitInterface, property,
                                           &error.error, &text);
  if (r < 0) return FailBus(&error.error, r);
  *value = text;
  std::free(text);
  return kOk;
}

Status SystemdServiceManager::CheckLoaded(const std::string& unit, std::string* path) {
  if (Status s = UnitObject(unit, path)) return s;
  std::string load_state;
  if (Status s = UnitProperty(*path, "LoadState", &load_state)) return s;
  if (load_state == "not-found") {
    return Fail(kErrorServiceDoesNotExist, "Unit " + unit + " not found.");
  }
  return kOk;
}

Status SystemdServiceManager::ActiveState(const std::string& name, std::string* path,
                                          std::string* active) {
  if (Status s = Connect()) return s;
  if (Status s = CheckLoaded(name + ".service", path)) return s;
  return UnitProperty(*path, "ActiveState", active);
}

Status SystemdServiceManager::WriteUnitFile(const std::string& file, const std::string& text) {
  // Written beside its final name and then linked into place: the unit appears whole or not
  // at all, and an existing unit is never overwritten (link fails with EEXIST).
  const std::string temp = file + ".tmp." + std::to_string(getpid());
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return Fail(StatusFromErrno(errno), temp + ": " + std::strerror(errno));
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      close(fd);
      unlink(temp.c_str());
      return Fail(StatusFromErrno(err), temp + ": " + std::strerror(err));
    }
    done += static_cast<size_t>(n);
  }
  fchmod(fd, 0644);  // independent of the umask
  const bool synced = fsync(fd) == 0;
  close(fd);
  if (!synced) {
    const int err = errno;
    unlink(temp.c_str());
    return Fail(StatusFromErrno(err), temp + ": " + std::strerror(err));
  }
  const int linked = link(temp.c_str(), file.c_str());
  const int err = errno;
  unlink(temp.c_str());
  if (linked != 0) {
    if (err == EEXIST) return Fail(kErrorServiceExists, "");
    return Fail(StatusFromErrno(err), file + ": " + std::strerror(err));
  }
  return kOk;
}

Status SystemdServiceManager::Install(const std::string& name, const std::string& display_name,
                                      const std::string& program_path) {
  if (Status s = Connect()) return s;
  const std::string unit = name + ".service";
  const std::string file = UnitFilePath(name);
  struct stat st;
  if (stat(file.c_str(), &st) == 0) return Fail(kErrorServiceExists, "");
  std::string object;
  const Status loaded = CheckLoaded(unit, &object);
  if (loaded == kOk) return Fail(kErrorServiceExists, "");
  if (loaded != kErrorServiceDoesNotExist) return loaded;

  if (Status s = WriteUnitFile(file, UnitFileText(display_name, program_path))) return s;
  Status status = Reload();
  if (status == kOk) {
    const std::string argument = UnitFileArgument(name);
    status = CallManager("EnableUnitFiles", "asbb", 1, argument.c_str(), 0, 0);
  }
  if (status != kOk) {
    // Leave nothing half-installed behind; the failure's own status and text are kept.
    const Status saved_status = last_status_;
    const std::string saved_message = last_message_;
    unlink(file.c_str());
    Reload();
    return Fail(saved_status, saved_message);
  }
  return kOk;
}

Status SystemdServiceManager::Open(const std::string& name) {
  if (Status s = Connect()) return s;
  std::string object;
  return CheckLoaded(name + ".service", &object);
}

Status SystemdServiceManager::Start(const std::string& name) {
  const std::string unit = name + ".service";
  std::string object;
  std::string active;
  if (Status s = ActiveState(name, &object, &active)) return s;
  if (active == "active" || active == "reloading" || active == "activating") {
    return Fail(kErrorServiceAlreadyRunning, "");
  }

  // Listen for the end of the job before it can end.
  JobWatch watch;
  SlotGuard slot;
  int r = sd_bus_match_signal(bus_, &slot.slot, kSystemd, kManagerPath, kManagerInterface,
                              "JobRemoved", OnJobRemoved, &watch);
  if (r < 0) return FailBus(nullptr, r);
  {
    BusErrorGuard error;
    MessageGuard reply;
    // Without a subscriber systemd may leave its signals unsent.
    sd_bus_call_method(bus_, kSystemd, kManagerPath, kManagerInterface, "Subscribe", &error.error,
                       &reply.message, "");
  }
  {
    BusErrorGuard error;
    MessageGuard reply;
    r = sd_bus_call_method(bus_, kSystemd, kManagerPath, kManagerInterface, "StartUnit",
                           &error.error, &reply.message, "ss", unit.c_str(), "replace");
    if (r < 0) return FailBus(&error.error, r);
    const char* job = nullptr;
    r = sd_bus_message_read(reply.message, "o", &job);
    if (r < 0) return FailBus(nullptr, r);
    watch.job_path = job;
  }

  const int64_t deadline = MonotonicMs() + job_timeout_ms_;
  for (;;) {
    for (const auto& removed : watch.removed) {
      if (removed.path == watch.job_path) {
        const Status s = StatusFromJobResult(removed.result);
        if (s == kOk) return kOk;
        return Fail(s, "Start job for " + unit + " ended with result '" + removed.result + "'.");
      }
    }
    r = sd_bus_process(bus_, nullptr);
    if (r < 0) return FailBus(nullptr, r);
    if (r > 0) continue;  // more may be queued
    const int64_t left = deadline - MonotonicMs();
    if (left <= 0) return Fail(kErrorServiceRequestTimeout, "");
    r = sd_bus_wait(bus_, static_cast<uint64_t>(left) * 1000);
    if (r < 0 && r != -EINTR) return FailBus(nullptr, r);
  }
}

Status SystemdServiceManager::Stop(const std::string& name) {
  const std::string unit = name + ".service";
  std::string object;
  std::string active;
  if (Status s = ActiveState(name, &object, &active)) return s;
  if (active == "inactive" || active == "failed") return Fail(kErrorServiceNotActive, "");
  if (active == "deactivating") return Fail(kErrorServiceCannotAcceptControl, "");
  return CallManager("StopUnit", "ss", unit.c_str(), "replace");
}

Status SystemdServiceManager::QueryState(const std::string& name, ServiceState* state) {
  std::string object;
  std::string active;
  if (Status s = ActiveState(name, &object, &active)) return s;
  if (active == "activating") {
    *state = ServiceState::kStartPending;
  } else if (active == "deactivating") {
    *state = ServiceState::kStopPending;
  } else if (active == "active" || active == "reloading") {
    *state = ServiceState::kRunning;
    // A stop job that has been queued but has not begun yet already means "stopping".
    BusErrorGuard error;
    MessageGuard reply;
    int r = sd_bus_get_property(bus_, kSystemd, object.c_str(), kUnitInterface, "Job", &error.error,
                                &reply.message, "(uo)");
    uint32_t job_id = 0;
    const char* job_path = nullptr;
    if (r >= 0 && sd_bus_message_read(reply.message, "(uo)", &job_id, &job_path) >= 0 &&
        job_id != 0) {
      BusErrorGuard job_error;
      char* type = nullptr;
      if (sd_bus_get_property_string(bus_, kSystemd, job_path, kJobInterface, "JobType",
                                     &job_error.error, &type) >= 0) {
        if (std::strcmp(type, "stop") == 0) *state = ServiceState::kStopPending;
        std::free(type);
      }
    }
  } else {
    *state = ServiceState::kStopped;
  }
  return kOk;
}

Status SystemdServiceManager::Delete(const std::string& name) {
  if (Status s = Connect()) return s;
  const std::string unit = name + ".service";
  const std::string file = UnitFilePath(name);
  struct stat st;
  if (stat(file.c_str(), &st) != 0) {
    return Fail(kErrorServiceDoesNotExist, "Unit " + unit + " not found.");
  }
  const std::string argument = UnitFileArgument(name);
  if (Status s = CallManager("DisableUnitFiles", "asb", 1, argument.c_str(), 0)) return s;
  if (unlink(file.c_str()) != 0 && errno != ENOENT) {
    return Fail(StatusFromErrno(errno), file + ": " + std::strerror(errno));
  }
  if (Status s = Reload()) return s;
  {
    // A unit that ended in failure would otherwise linger in systemd's list.
    BusErrorGuard error;
    MessageGuard reply;
    sd_bus_call_method(bus_, kSystemd, kManagerPath, kManagerInterface, "ResetFailedUnit",
                       &error.error, &reply.message, "s", unit.c_str());
  }
  return kOk;
}

std::string SystemdServiceManager::ErrorMessage(Status code) {
  std::string text = ServiceErrorText(code);
  if (text.empty() && code == last_status_) text = last_message_;
  return text;
}

}  // namespace quillon
