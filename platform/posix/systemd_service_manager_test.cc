#include "platform/posix/systemd_service_manager.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/testing/service_manager_contract.h"
#include "tests/common/temp_dir.h"

extern char** environ;

namespace quillon {
namespace {

using ::testing::ElementsAre;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(UnitDirectoryTest, EnvironmentOverridesTheDefault) {
  unsetenv("QUILLON_UNIT_DIR");
  EXPECT_EQ(UnitDirectory(), "/etc/systemd/system");
  setenv("QUILLON_UNIT_DIR", "/tmp/units/", 1);
  EXPECT_EQ(UnitDirectory(), "/tmp/units");
  setenv("QUILLON_UNIT_DIR", "", 1);
  EXPECT_EQ(UnitDirectory(), "/etc/systemd/system");
  unsetenv("QUILLON_UNIT_DIR");
}

TEST(StatusFromBusErrorTest, BusErrorsBecomeServiceStatuses) {
  struct Case {
    const char* name;
    Status status;
  } cases[] = {
      {"org.freedesktop.systemd1.NoSuchUnit", kErrorServiceDoesNotExist},
      {"org.freedesktop.DBus.Error.AccessDenied", kErrorAccessDenied},
      {"org.freedesktop.DBus.Error.InteractiveAuthorizationRequired", kErrorAccessDenied},
      {"org.freedesktop.systemd1.UnitMasked", kErrorServiceDisabled},
      {"org.freedesktop.DBus.Error.ServiceUnknown", kErrorRpcServerUnavailable},
      {"org.freedesktop.DBus.Error.NameHasNoOwner", kErrorRpcServerUnavailable},
      {"org.freedesktop.DBus.Error.NoReply", kErrorServiceRequestTimeout},
      {"org.example.Unknown", kErrorInvalidFunction},
  };
  for (const Case& c : cases) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_error_set(&error, c.name, "text");
    EXPECT_EQ(StatusFromBusError(&error, -EIO), c.status) << c.name;
    sd_bus_error_free(&error);
  }
  EXPECT_EQ(StatusFromBusError(nullptr, -EACCES), kErrorAccessDenied);
  EXPECT_EQ(StatusFromBusError(nullptr, -ECONNREFUSED), kErrorRpcServerUnavailable);
}

TEST(SystemdServiceManagerTest, NoBusMeansTheManagerIsUnavailable) {
  setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/quillon/bus", 1);
  SystemdServiceManager manager("/nonexistent");
  EXPECT_EQ(manager.Connect(), kErrorRpcServerUnavailable);
  EXPECT_EQ(manager.ErrorMessage(kErrorRpcServerUnavailable), "The RPC server is unavailable.");
  EXPECT_EQ(manager.Install("TALVEN", "TALVEN", "/x"), kErrorRpcServerUnavailable);
  unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

// A private dbus-daemon that lets anyone own any name; DBUS_SYSTEM_BUS_ADDRESS points at it.
class PrivateBus {
 public:
  PrivateBus() {
    const std::string config = dir_.File("bus.conf");
    std::ofstream(config) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus "
                             "Configuration 1.0//EN\"\n"
                             " \"http://www.freedesktop.org/standards/dbus/1.0/"
                             "busconfig.dtd\">\n"
                             "<busconfig><type>system</type><listen>unix:path="
                          << dir_.path()
                          << "/bus</listen><auth>EXTERNAL</auth>"
                             "<policy context=\"default\"><allow user=\"*\"/>"
                             "<allow own=\"*\"/><allow send_destination=\"*\"/>"
                             "<allow receive_sender=\"*\"/></policy></busconfig>\n";
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    const std::string config_arg = "--config-file=" + config;
    const char* argv[] = {"dbus-daemon", config_arg.c_str(), "--nofork", "--print-address=1",
                          nullptr};
    if (posix_spawnp(&pid_, "dbus-daemon", &actions, nullptr, const_cast<char**>(argv), environ) !=
        0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    // The daemon prints its address once it listens.
    std::string line;
    pollfd p{out[0], POLLIN, 0};
    while (pid_ > 0 && line.find('\n') == std::string::npos && poll(&p, 1, 10000) == 1) {
      char buffer[256];
      const ssize_t n = read(out[0], buffer, sizeof buffer);
      if (n <= 0) break;
      line.append(buffer, static_cast<size_t>(n));
    }
    close(out[0]);
    if (line.find('\n') != std::string::npos) {
      address_ = line.substr(0, line.find('\n'));
      setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
    }
  }
  ~PrivateBus() {
    unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool up() const { return !address_.empty(); }

 private:
  TempDir dir_{"quillon-sdbus."};
  std::string address_;
  pid_t pid_ = -1;
};

constexpr char kUnitPrefix[] = "/org/freedesktop/systemd1/unit";
constexpr char kJobPrefix[] = "/org/freedesktop/systemd1/job";

// systemd's manager object as far as the service manager uses it, on the private bus, served
// by a thread of its own. Units are loaded when their file is in the unit directory.
class FakeSystemd {
 public:
  struct Unit {
    std::string active = "inactive";
    uint32_t job_id = 0;
    std::string job_type;
  };

  explicit FakeSystemd(std::string unit_dir) : unit_dir_(std::move(unit_dir)) {
    if (sd_bus_open_system(&bus_) < 0) return;
    sd_bus_add_object_vtable(bus_, nullptr, "/org/freedesktop/systemd1",
                             "org.freedesktop.systemd1.Manager", kManagerVtable, this);
    sd_bus_add_fallback_vtable(bus_, nullptr, kUnitPrefix, "org.freedesktop.systemd1.Unit",
                               kUnitVtable, nullptr, this);
    sd_bus_add_fallback_vtable(bus_, nullptr, kJobPrefix, "org.freedesktop.systemd1.Job",
                               kJobVtable, nullptr, this);
    if (sd_bus_request_name(bus_, "org.freedesktop.systemd1", 0) < 0) return;
    up_ = true;
    thread_ = std::thread([this] {
      while (!stop_) {
        const int r = sd_bus_process(bus_, nullptr);
        if (r < 0) break;
        if (r == 0) sd_bus_wait(bus_, 100000);
      }
    });
  }
  ~FakeSystemd() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    sd_bus_flush_close_unref(bus_);
  }
  bool up() const { return up_; }

  // What the next start job ends with ("done", "failed", ...).
  void set_start_result(const std::string& r) {
    Locked([&] { start_result_ = r; });
  }
  // Makes a method fail with a D-Bus error name.
  void FailMethod(const std::string& method, const std::string& error) {
    Locked([&] { failures_[method] = error; });
  }
  // When set, a stop only queues a job and the unit stays active.
  void set_stop_queues_job(bool v) {
    Locked([&] { stop_queues_job_ = v; });
  }
  void set_active(const std::string& unit, const std::string& state) {
    Locked([&] {
      units_[unit].active = state;
      units_[unit].job_id = 0;
    });
  }
  std::vector<std::string> calls() {
    std::lock_guard<std::mutex> lock(mu_);
    return calls_;
  }

 private:
  template <typename F>
  void Locked(F f) {
    std::lock_guard<std::mutex> lock(mu_);
    f();
  }
  static FakeSystemd* Self(void* userdata) { return static_cast<FakeSystemd*>(userdata); }

  // Records the call; replies with the injected error and returns true when there is one.
  bool Enter(sd_bus_message* m, const std::string& call, int* result) {
    std::string error;
    {
      std::lock_guard<std::mutex> lock(mu_);
      calls_.push_back(call);
      auto it = failures_.find(sd_bus_message_get_member(m));
      if (it != failures_.end()) error = it->second;
    }
    if (error.empty()) return false;
    *result = sd_bus_reply_method_errorf(m, error.c_str(), "injected failure");
    return true;
  }
  bool Loaded(const std::string& unit) {
    struct stat st;
    return stat((unit_dir_ + "/" + unit).c_str(), &st) == 0;
  }
  static std::string UnitOf(const char* path) {
    char* id = nullptr;
    if (sd_bus_path_decode(path, kUnitPrefix, &id) <= 0) return "";
    std::string unit = id;
    free(id);
    return unit;
  }
  static std::string UnitPath(const std::string& unit) {
    char* path = nullptr;
    sd_bus_path_encode(kUnitPrefix, unit.c_str(), &path);
    std::string p = path;
    free(path);
    return p;
  }

  static int Reload(sd_bus_message* m, void* userdata, sd_bus_error*) {
    int r;
    if (Self(userdata)->Enter(m, "Reload", &r)) return r;
    return sd_bus_reply_method_return(m, "");
  }
  static int Subscribe(sd_bus_message* m, void*, sd_bus_error*) {
    return sd_bus_reply_method_return(m, "");
  }
  static int ResetFailedUnit(sd_bus_message* m, void* userdata, sd_bus_error*) {
    const char* unit = nullptr;
    sd_bus_message_read(m, "s", &unit);
    int r;
    if (Self(userdata)->Enter(m, std::string("ResetFailedUnit ") + unit, &r)) return r;
    return sd_bus_reply_method_return(m, "");
  }
  static std::string ReadFiles(sd_bus_message* m) {
    char** files = nullptr;
    sd_bus_message_read_strv(m, &files);
    std::string joined;
    for (char** f = files; f != nullptr && *f != nullptr; ++f) {
      joined += *f;
      free(*f);
    }
    free(files);
    return joined;
  }
  static int EnableUnitFiles(sd_bus_message* m, void* userdata, sd_bus_error*) {
    int r;
    if (Self(userdata)->Enter(m, "EnableUnitFiles " + ReadFiles(m), &r)) return r;
    sd_bus_message* reply = nullptr;
    sd_bus_message_new_method_return(m, &reply);
    sd_bus_message_append(reply, "b", 1);
    sd_bus_message_open_container(reply, 'a', "(sss)");
    sd_bus_message_close_container(reply);
    r = sd_bus_send(nullptr, reply, nullptr);
    sd_bus_message_unref(reply);
    return r;
  }
  static int DisableUnitFiles(sd_bus_message* m, void* userdata, sd_bus_error*) {
    int r;
    if (Self(userdata)->Enter(m, "DisableUnitFiles " + ReadFiles(m), &r)) return r;
    sd_bus_message* reply = nullptr;
    sd_bus_message_new_method_return(m, &reply);
    sd_bus_message_open_container(reply, 'a', "(sss)");
    sd_bus_message_close_container(reply);
    r = sd_bus_send(nullptr, reply, nullptr);
    sd_bus_message_unref(reply);
    return r;
  }
  static int LoadUnit(sd_bus_message* m, void* userdata, sd_bus_error*) {
    const char* unit = nullptr;
    sd_bus_message_read(m, "s", &unit);
    int r;
    if (Self(userdata)->Enter(m, std::string("LoadUnit ") + unit, &r)) return r;
    return sd_bus_reply_method_return(m, "o", UnitPath(unit).c_str());
  }
  static int StartUnit(sd_bus_message* m, void* userdata, sd_bus_error*) {
    FakeSystemd* self = Self(userdata);
    const char* unit = nullptr;
    const char* mode = nullptr;
    sd_bus_message_read(m, "ss", &unit, &mode);
    int r;
    if (self->Enter(m, std::string("StartUnit ") + unit + " " + mode, &r)) return r;
    uint32_t id;
    std::string result;
    {
      std::lock_guard<std::mutex> lock(self->mu_);
      id = ++self->next_job_;
      result = self->start_result_;
      self->units_[unit].active = result == "done" ? "active" : "failed";
    }
    const std::string job = std::string(kJobPrefix) + "/" + std::to_string(id);
    r = sd_bus_reply_method_return(m, "o", job.c_str());
    sd_bus_emit_signal(self->bus_, "/org/freedesktop/systemd1", "org.freedesktop.systemd1.Manager",
                       "JobRemoved", "uoss", id, job.c_str(), unit, result.c_str());
    return r;
  }
  static int StopUnit(sd_bus_message* m, void* userdata, sd_bus_error*) {
    FakeSystemd* self = Self(userdata);
    const char* unit = nullptr;
    const char* mode = nullptr;
    sd_bus_message_read(m, "ss", &unit, &mode);
    int r;
    if (self->Enter(m, std::string("StopUnit ") + unit + " " + mode, &r)) return r;
    uint32_t id;
    {
      std::lock_guard<std::mutex> lock(self->mu_);
      id = ++self->next_job_;
      Unit& u = self->units_[unit];
      if (self->stop_queues_job_) {
        u.job_id = id;
        u.job_type = "stop";
      } else {
        u.active = "deactivating";
      }
    }
    const std::string job = std::string(kJobPrefix) + "/" + std::to_string(id);
    return sd_bus_reply_method_return(m, "o", job.c_str());
  }

  static int GetLoadState(sd_bus*, const char* path, const char*, const char*,
                          sd_bus_message* reply, void* userdata, sd_bus_error*) {
    return sd_bus_message_append(reply, "s",
                                 Self(userdata)->Loaded(UnitOf(path)) ? "loaded" : "not-found");
  }
  static int GetActiveState(sd_bus*, const char* path, const char*, const char*,
                            sd_bus_message* reply, void* userdata, sd_bus_error*) {
    FakeSystemd* self = Self(userdata);
    std::lock_guard<std::mutex> lock(self->mu_);
    return sd_bus_message_append(reply, "s", self->units_[UnitOf(path)].active.c_str());
  }
  static int GetJob(sd_bus*, const char* path, const char*, const char*, sd_bus_message* reply,
                    void* userdata, sd_bus_error*) {
    FakeSystemd* self = Self(userdata);
    std::lock_guard<std::mutex> lock(self->mu_);
    const Unit& u = self->units_[UnitOf(path)];
    const std::string job =
        u.job_id ? std::string(kJobPrefix) + "/" + std::to_string(u.job_id) : "/";
    return sd_bus_message_append(reply, "(uo)", u.job_id, job.c_str());
  }
  static int GetJobType(sd_bus*, const char* path, const char*, const char*, sd_bus_message* reply,
                        void* userdata, sd_bus_error*) {
    FakeSystemd* self = Self(userdata);
    std::lock_guard<std::mutex> lock(self->mu_);
    for (const auto& [name, u] : self->units_) {
      if (u.job_id != 0 &&
          std::string(path) == std::string(kJobPrefix) + "/" + std::to_string(u.job_id)) {
        return sd_bus_message_append(reply, "s", u.job_type.c_str());
      }
    }
    return sd_bus_message_append(reply, "s", "");
  }

  static constexpr sd_bus_vtable kManagerVtable[] = {
      SD_BUS_VTABLE_START(0),
      SD_BUS_METHOD("Reload", "", "", Reload, 0),
      SD_BUS_METHOD("Subscribe", "", "", Subscribe, 0),
      SD_BUS_METHOD("ResetFailedUnit", "s", "", ResetFailedUnit, 0),
      SD_BUS_METHOD("EnableUnitFiles", "asbb", "ba(sss)", EnableUnitFiles, 0),
      SD_BUS_METHOD("DisableUnitFiles", "asb", "a(sss)", DisableUnitFiles, 0),
      SD_BUS_METHOD("LoadUnit", "s", "o", LoadUnit, 0),
      SD_BUS_METHOD("StartUnit", "ss", "o", StartUnit, 0),
      SD_BUS_METHOD("StopUnit", "ss", "o", StopUnit, 0),
      SD_BUS_SIGNAL("JobRemoved", "uoss", 0),
      SD_BUS_VTABLE_END};
  static constexpr sd_bus_vtable kUnitVtable[] = {
      SD_BUS_VTABLE_START(0), SD_BUS_PROPERTY("LoadState", "s", GetLoadState, 0, 0),
      SD_BUS_PROPERTY("ActiveState", "s", GetActiveState, 0, 0),
      SD_BUS_PROPERTY("Job", "(uo)", GetJob, 0, 0), SD_BUS_VTABLE_END};
  static constexpr sd_bus_vtable kJobVtable[] = {
      SD_BUS_VTABLE_START(0), SD_BUS_PROPERTY("JobType", "s", GetJobType, 0, 0), SD_BUS_VTABLE_END};

  std::string unit_dir_;
  sd_bus* bus_ = nullptr;
  bool up_ = false;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex mu_;
  std::map<std::string, Unit> units_;
  std::map<std::string, std::string> failures_;
  std::vector<std::string> calls_;
  std::string start_result_ = "done";
  bool stop_queues_job_ = false;
  uint32_t next_job_ = 0;
};

class SystemdServiceManagerBusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!bus_.up()) GTEST_SKIP() << "no dbus-daemon";
    ASSERT_TRUE(unit_temp_.ok());
    unit_dir_ = unit_temp_.path();
    systemd_ = std::make_unique<FakeSystemd>(unit_dir_);
    ASSERT_TRUE(systemd_->up());
    manager_ = std::make_unique<SystemdServiceManager>(unit_dir_, 10000);
  }
  void TearDown() override {
    manager_.reset();
    systemd_.reset();
  }
  std::string UnitFile() const { return unit_dir_ + "/TALVEN.service"; }
  bool UnitFileExists() const {
    struct stat st;
    return stat(UnitFile().c_str(), &st) == 0;
  }

  PrivateBus bus_;
  TempDir unit_temp_{"quillon-units."};
  std::string unit_dir_;
  std::unique_ptr<FakeSystemd> systemd_;
  std::unique_ptr<SystemdServiceManager> manager_;
};

TEST_F(SystemdServiceManagerBusTest, BusWithoutSystemdIsNoManager) {
  systemd_.reset();
  EXPECT_EQ(manager_->Connect(), kErrorRpcServerUnavailable);
}

TEST_F(SystemdServiceManagerBusTest, InstallWritesReloadsAndEnables) {
  ASSERT_EQ(manager_->Connect(), kOk);
  EXPECT_EQ(manager_->Install("TALVEN", "TALVEN", "/opt/quillon/bin/TALVENSV"), kOk);
  EXPECT_EQ(ReadFile(UnitFile()), UnitFileText("TALVEN", "/opt/quillon/bin/TALVENSV"));
  struct stat st;
  ASSERT_EQ(stat(UnitFile().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  EXPECT_THAT(systemd_->calls(),
              ElementsAre("LoadUnit TALVEN.service", "Reload", "EnableUnitFiles " + UnitFile()));

  // A second install changes nothing.
  EXPECT_EQ(manager_->Install("TALVEN", "TALVEN", "/elsewhere"), kErrorServiceExists);
  EXPECT_EQ(ReadFile(UnitFile()), UnitFileText("TALVEN", "/opt/quillon/bin/TALVENSV"));
  EXPECT_EQ(manager_->ErrorMessage(kErrorServiceExists), "The specified service already exists.");
}

TEST_F(SystemdServiceManagerBusTest, FailedEnableLeavesNothingBehind) {
  systemd_->FailMethod("EnableUnitFiles", "org.freedesktop.DBus.Error.AccessDenied");
  EXPECT_EQ(manager_->Install("TALVEN", "TALVEN", "/x"), kErrorAccessDenied);
  EXPECT_FALSE(UnitFileExists());
  EXPECT_EQ(manager_->Open("TALVEN"), kErrorServiceDoesNotExist);
  // The failure keeps its own status and text.
  systemd_->FailMethod("Reload", "org.example.Odd");
  EXPECT_EQ(manager_->Install("TALVEN", "TALVEN", "/x"), kErrorInvalidFunction);
  EXPECT_EQ(manager_->ErrorMessage(kErrorInvalidFunction), "injected failure");
  EXPECT_FALSE(UnitFileExists());
}

TEST_F(SystemdServiceManagerBusTest, StartWaitsForTheJob) {
  EXPECT_EQ(manager_->Start("TALVEN"), kErrorServiceDoesNotExist);
  ASSERT_EQ(manager_->Install("TALVEN", "TALVEN", "/x"), kOk);
  EXPECT_EQ(manager_->Start("TALVEN"), kOk);
  ServiceState state = ServiceState::kStopped;
  EXPECT_EQ(manager_->QueryState("TALVEN", &state), kOk);
  EXPECT_EQ(state, ServiceState::kRunning);
  EXPECT_EQ(manager_->Start("TALVEN"), kErrorServiceAlreadyRunning);

  systemd_->set_active("TALVEN.service", "inactive");
  systemd_->set_start_result("failed");
  EXPECT_EQ(manager_->Start("TALVEN"), kErrorProcessAborted);
  systemd_->set_active("TALVEN.service", "inactive");
  systemd_->set_start_result("timeout");
  EXPECT_EQ(manager_->Start("TALVEN"), kErrorServiceRequestTimeout);
}

TEST_F(SystemdServiceManagerBusTest, StopAndTheStatesWhileStopping) {
  ASSERT_EQ(manager_->Install("TALVEN", "TALVEN", "/x"), kOk);
  EXPECT_EQ(manager_->Stop("TALVEN"), kErrorServiceNotActive);
  systemd_->set_active("TALVEN.service", "active");
  EXPECT_EQ(manager_->Stop("TALVEN"), kOk);
  ServiceState state = ServiceState::kRunning;
  EXPECT_EQ(manager_->QueryState("TALVEN", &state), kOk);
  EXPECT_EQ(state, ServiceState::kStopPending);
  EXPECT_EQ(manager_->Stop("TALVEN"), kErrorServiceCannotAcceptControl);
  systemd_->set_active("TALVEN.service", "failed");
  EXPECT_EQ(manager_->QueryState("TALVEN", &state), kOk);
  EXPECT_EQ(state, ServiceState::kStopped);

  // A stop job that is queued but has not begun already reads as stop pending.
  systemd_->set_active("TALVEN.service", "active");
  systemd_->set_stop_queues_job(true);
  EXPECT_EQ(manager_->Stop("TALVEN"), kOk);
  EXPECT_EQ(manager_->QueryState("TALVEN", &state), kOk);
  EXPECT_EQ(state, ServiceState::kStopPending);
  systemd_->set_active("TALVEN.service", "activating");
  EXPECT_EQ(manager_->QueryState("TALVEN", &state), kOk);
  EXPECT_EQ(state, ServiceState::kStartPending);
}

TEST_F(SystemdServiceManagerBusTest, DeleteDisablesRemovesAndReloads) {
  EXPECT_EQ(manager_->Delete("TALVEN"), kErrorServiceDoesNotExist);
  EXPECT_EQ(manager_->ErrorMessage(kErrorServiceDoesNotExist),
            "The specified service does not exist as an installed service.");
  ASSERT_EQ(manager_->Install("TALVEN", "TALVEN", "/x"), kOk);
  ASSERT_EQ(manager_->Open("TALVEN"), kOk);
  EXPECT_EQ(manager_->Delete("TALVEN"), kOk);
  EXPECT_FALSE(UnitFileExists());
  EXPECT_EQ(manager_->Open("TALVEN"), kErrorServiceDoesNotExist);
  const auto calls = systemd_->calls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_THAT(calls, ::testing::Contains("DisableUnitFiles " + UnitFile()));
  EXPECT_THAT(calls, ::testing::Contains("ResetFailedUnit TALVEN.service"));

  ASSERT_EQ(manager_->Install("TALVEN", "TALVEN", "/x"), kOk);
  systemd_->FailMethod("DisableUnitFiles", "org.freedesktop.DBus.Error.AccessDenied");
  EXPECT_EQ(manager_->Delete("TALVEN"), kErrorAccessDenied);
  EXPECT_TRUE(UnitFileExists());
}

// The service manager contract on the systemd manager, against the systemd stand-in above.
struct SystemdManagerEnv {
  PrivateBus bus;
  TempDir unit_dir{"quillon-units-"};
  std::unique_ptr<FakeSystemd> systemd =
      bus.up() ? std::make_unique<FakeSystemd>(unit_dir.path()) : nullptr;
  SystemdServiceManager systemd_manager{unit_dir.path(), 10000};

  bool ready() { return systemd != nullptr && systemd->up(); }
  ServiceManager* manager() { return &systemd_manager; }
  void FinishStop(const std::string& name) { systemd->set_active(name + ".service", "inactive"); }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Systemd, ServiceManagerContractTest,
                               ::testing::Types<SystemdManagerEnv>);

}  // namespace
}  // namespace quillon
