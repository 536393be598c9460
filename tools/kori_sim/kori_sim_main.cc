// quillon-kori-sim: a stand-in for the KORI server management interface on D-Bus, with
// configurable answers and faults, for tests and demonstrations. See SimUsage().

#include <fcntl.h>
#include <signal.h>
#include <systemd/sd-bus.h>
#include <systemd/sd-daemon.h>
#include <systemd/sd-event.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tools/kori_sim/sim_config.h"

namespace quillon {
namespace {

constexpr char kName[] = "com.morvath.Kori";
constexpr char kPath[] = "/com/morvath/Kori";
constexpr char kInterface[] = "com.morvath.Kori";

SimConfig g_config;
sd_bus* g_bus = nullptr;
std::vector<sd_bus_message*> g_hung;  // calls that will never be answered

void Log(const std::string& line) {
  if (g_config.log_path.empty()) return;
  int fd = open(g_config.log_path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  std::string text = line + "\n";
  ssize_t ignored = write(fd, text.data(), text.size());
  (void)ignored;
  close(fd);
}

// A reply waiting for its delay to pass.
struct PendingReply {
  sd_bus_message* call;
  std::vector<uint8_t> response;
  std::vector<uint8_t> status;
  bool bad_reply;
};

int SendReply(sd_bus_message* call, const std::vector<uint8_t>& response,
              const std::vector<uint8_t>& status, bool bad_reply) {
  sd_bus_message* reply = nullptr;
  int r = sd_bus_message_new_method_return(call, &reply);
  if (r >= 0) r = sd_bus_message_append_array(reply, 'y', response.data(), response.size());
  if (r >= 0 && !bad_reply)
    r = sd_bus_message_append_array(reply, 'y', status.data(), status.size());
  if (r >= 0) r = sd_bus_send(nullptr, reply, nullptr);
  sd_bus_message_unref(reply);
  return r;
}

// Replies still waiting for their delay; freed when sent or when the simulator ends.
std::vector<std::unique_ptr<PendingReply>> g_pending;

void FreePending(PendingReply* pending) {
  sd_bus_message_unref(pending->call);
  for (auto it = g_pending.begin(); it != g_pending.end(); ++it) {
    if (it->get() == pending) {
      g_pending.erase(it);
      break;
    }
  }
}

// The timer is one-shot and owned by the event loop, which frees it at the end.
int OnDelayOver(sd_event_source*, uint64_t, void* userdata) {
  auto* pending = static_cast<PendingReply*>(userdata);
  SendReply(pending->call, pending->response, pending->status, pending->bad_reply);
  FreePending(pending);
  return 0;
}

int OnVcRequest(sd_bus_message* call, void*, sd_bus_error*) {
  int16_t command = 0, sub_code = 0, third = 0, cabinet = 0, last = 0;
  const void* input = nullptr;
  size_t input_size = 0;
  int r = sd_bus_message_read(call, "nnnn", &command, &sub_code, &third, &cabinet);
  if (r >= 0) r = sd_bus_message_read_array(call, 'y', &input, &input_size);
  if (r >= 0) r = sd_bus_message_read(call, "n", &last);
  if (r < 0) return r;
  uint16_t cmd = static_cast<uint16_t>(command);
  Log(SimCallLine(cmd, static_cast<uint16_t>(sub_code), static_cast<uint16_t>(third), cabinet,
                  input_size, last));

  const SimAnswer answer = AnswerFor(g_config, cmd);
  if (answer.vanish) {
    // Give the name up first, so a successor can take it at once; then leave without a
    // reply: the bus tells the caller that its peer went away.
    Log("vanish");
    sd_bus_release_name(g_bus, kName);
    sd_bus_flush(g_bus);
    _exit(0);
  }
  if (answer.hang) {
    Log("hang");
    g_hung.push_back(sd_bus_message_ref(call));
    return 1;
  }
  if (answer.delay_ms > 0) {
    g_pending.push_back(std::make_unique<PendingReply>(
        PendingReply{sd_bus_message_ref(call), answer.response, answer.status, answer.bad_reply}));
    PendingReply* pending = g_pending.back().get();
    r = sd_event_add_time_relative(sd_bus_get_event(g_bus), nullptr, CLOCK_MONOTONIC,
                                   uint64_t{answer.delay_ms} * 1000, 0, OnDelayOver, pending);
    if (r < 0) {
      FreePending(pending);
      return r;
    }
    return 1;
  }
  r = SendReply(call, answer.response, answer.status, answer.bad_reply);
  return r < 0 ? r : 1;
}

int OnSyncRequest(sd_bus_message* call, void*, sd_bus_error*) {
  return sd_bus_reply_method_return(call, "");
}

int GetCabinet(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply,
               void*, sd_bus_error*) {
  Log(std::string("Get ") + property);
  switch (g_config.property) {
    case SimProperty::kString:
      return sd_bus_message_append(reply, "s", std::to_string(g_config.cabinet).c_str());
    case SimProperty::kUint32:
      return sd_bus_message_append(reply, "u", static_cast<uint32_t>(g_config.cabinet));
    default:
      return sd_bus_message_append(reply, "n", g_config.cabinet);
  }
}

int GetTimeout(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
               sd_bus_error*) {
  return sd_bus_message_append(reply, "u", g_config.default_timeout_ms);
}

int GetVersion(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
               sd_bus_error*) {
  return sd_bus_message_append(reply, "s", "quillon-kori-sim 1");
}

// Every entry the simulator can offer; the vtable is picked from these by the configuration.
const sd_bus_vtable kEntries[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("VCRequest", "nnnnayn", "ayay", OnVcRequest, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("SyncRequest", "", "", OnSyncRequest, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_PROPERTY("ServerCabinetNumber", "n", GetCabinet, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("ServerCabinetNumber", "s", GetCabinet, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("ServerCabinetNumber", "u", GetCabinet, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("DefaultTimeout", "u", GetTimeout, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_PROPERTY("ServerControlVersion", "s", GetVersion, 0, SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_VTABLE_END,
};
enum { kStart, kVc, kSync, kPropN, kPropS, kPropU, kTimeout, kVersion, kEnd };

std::vector<sd_bus_vtable> BuildVtable() {
  std::vector<int> pick = {kStart};
  if (!g_config.no_vcrequest) pick.push_back(kVc);
  pick.push_back(kSync);
  if (g_config.property == SimProperty::kInt16) pick.push_back(kPropN);
  if (g_config.property == SimProperty::kString) pick.push_back(kPropS);
  if (g_config.property == SimProperty::kUint32) pick.push_back(kPropU);
  pick.push_back(kTimeout);
  pick.push_back(kVersion);
  pick.push_back(kEnd);
  std::vector<sd_bus_vtable> table;
  for (int i : pick) table.push_back(kEntries[i]);
  return table;
}

int OnSignal(sd_event_source* source, const struct signalfd_siginfo*, void*) {
  sd_bus_release_name(g_bus, kName);
  return sd_event_exit(sd_event_source_get_event(source), 0);
}

int Fail(const char* what, int r) {
  std::fprintf(stderr, "quillon-kori-sim: %s: %s\n", what, std::strerror(-r));
  return 1;
}

int Run(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bool help = false;
  std::string error;
  if (!ParseSimArgs(args, &g_config, &help, &error)) {
    std::fprintf(stderr, "quillon-kori-sim: %s\n%s", error.c_str(), SimUsage());
    return 2;
  }
  if (help) {
    std::fputs(SimUsage(), stdout);
    return 0;
  }
  sigset_t mask;
  sigemptyset(&mask);
  sigaddset(&mask, SIGTERM);
  sigaddset(&mask, SIGINT);
  sigprocmask(SIG_BLOCK, &mask, nullptr);

  int r;
  if (g_config.address.empty()) {
    r = sd_bus_open_system(&g_bus);
  } else {
    r = sd_bus_new(&g_bus);
    if (r >= 0) r = sd_bus_set_address(g_bus, g_config.address.c_str());
    if (r >= 0) r = sd_bus_set_bus_client(g_bus, 1);
    if (r >= 0) r = sd_bus_start(g_bus);
  }
  if (r < 0) return Fail("cannot connect to the bus", r);
  sd_event* event = nullptr;
  r = sd_event_default(&event);
  if (r < 0) return Fail("cannot create the event loop", r);
  sd_event_add_signal(event, nullptr, SIGTERM, OnSignal, nullptr);
  sd_event_add_signal(event, nullptr, SIGINT, OnSignal, nullptr);
  r = sd_bus_attach_event(g_bus, event, 0);
  if (r < 0) return Fail("cannot attach the bus", r);

  std::vector<sd_bus_vtable> vtable = BuildVtable();
  r = sd_bus_add_object_vtable(g_bus, nullptr, kPath, kInterface, vtable.data(), nullptr);
  if (r < 0) return Fail("cannot add the object", r);
  // A new simulator takes the name over from an old one still on the bus.
  r = sd_bus_request_name(g_bus, kName,
                          SD_BUS_NAME_REPLACE_EXISTING | SD_BUS_NAME_ALLOW_REPLACEMENT);
  if (r < 0) return Fail("cannot own com.morvath.Kori", r);
  std::fputs("READY\n", stdout);
  std::fflush(stdout);
  sd_notify(0, "READY=1");

  r = sd_event_loop(event);
  for (sd_bus_message* m : g_hung) sd_bus_message_unref(m);
  for (auto& pending : g_pending) sd_bus_message_unref(pending->call);
  g_pending.clear();
  sd_bus_flush_close_unref(g_bus);
  sd_event_unref(event);
  return r < 0 ? Fail("event loop", r) : 0;
}

}  // namespace
}  // namespace quillon

int main(int argc, char** argv) { return quillon::Run(argc, argv); }
