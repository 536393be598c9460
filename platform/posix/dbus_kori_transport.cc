// The KORI transport over D-Bus (sd-bus of libsystemd): one private connection to the system
// bus per operation, closed again at its end. Every call is sent asynchronously and waited
// for with poll(2) on the bus and the abandon event together, so that a stop request never
// waits for a server that takes its time.

#include "platform/posix/dbus_kori_transport.h"

#include <poll.h>
#include <systemd/sd-bus.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/dbus_member_table.h"
#include "platform/posix/native_waitable.h"

namespace quillon {
namespace {

// The name, object and interface under which the KORI management server is reached.
constexpr char kKoriBusName[] = "com.morvath.Kori";
constexpr char kKoriObjectPath[] = "/com/morvath/Kori";
constexpr char kKoriInterface[] = "com.morvath.Kori";
constexpr char kIntrospectable[] = "org.freedesktop.DBus.Introspectable";
constexpr char kProperties[] = "org.freedesktop.DBus.Properties";
// The bus library's own default bound of a method call.
constexpr uint64_t kDefaultConnectTimeoutUsec = 25000000;

// One call on its way: filled in by OnReply when the answer (or the bus's own time-out
// error) is processed.
struct PendingCall {
  bool done = false;
  int error = 0;  // errno-style code of an error reply
  sd_bus_message* reply = nullptr;
};

int OnReply(sd_bus_message* message, void* userdata, sd_bus_error*) {
  auto* pending = static_cast<PendingCall*>(userdata);
  pending->done = true;
  if (sd_bus_message_is_method_error(message, nullptr)) {
    // The bus reports a call nobody answered in time as ETIMEDOUT.
    const int error = sd_bus_message_get_errno(message);
    pending->error = error > 0 ? error : EIO;
  } else {
    pending->reply = sd_bus_message_ref(message);
  }
  return 0;
}

uint64_t MonotonicUsec() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000u + static_cast<uint64_t>(now.tv_nsec) / 1000u;
}

class DbusKoriTransport : public KoriTransport {
 public:
  DbusKoriTransport() = default;
  ~DbusKoriTransport() override { Close(); }

  void SetConnectTimeout(uint64_t usec) override { connect_timeout_usec_ = usec; }

  int Open() override {
    Close();
    call_timeout_usec_ = connect_timeout_usec_;
    // A private connection each time, so nothing is shared with other users of the bus in
    // this process and a failed server leaves nothing behind.
    int r = sd_bus_open_system(&bus_);
    if (r < 0) {
      bus_ = nullptr;
      return -r;
    }
    // Reaching the object and reading its member list is the test that the server exists:
    // a name that nobody owns on the bus fails here.
    sd_bus_message* request = nullptr;
    r = sd_bus_message_new_method_call(bus_, &request, kKoriBusName, kKoriObjectPath,
                                       kIntrospectable, "Introspect");
    sd_bus_message* reply = nullptr;
    int code = r < 0 ? -r : Exchange(request, connect_timeout_usec_, &reply);
    const char* xml = nullptr;
    if (code == 0 && (r = sd_bus_message_read(reply, "s", &xml)) < 0) code = -r;
    if (code == 0 && xml != nullptr) {
      for (std::string_view name : IntrospectedMembers(xml, kKoriInterface)) {
        members_.emplace_back(name);
      }
    }
    sd_bus_message_unref(reply);
    sd_bus_message_unref(request);
    if (code != 0) Close();
    return code;
  }

  int LookUpMember(const char* name, int32_t* id) override {
    // The first listing counts, so a name listed twice keeps one identifier.
    auto it = std::find(members_.begin(), members_.end(), name);
    if (it == members_.end()) return ENOENT;
    *id = static_cast<int32_t>(it - members_.begin());
    return 0;
  }

  int ReadCabinetProperty(int16_t* value) override {
    int16_t number = 0;
    // Asking for type "n" makes a property of any other type fail to read.
    const int code = ReadProperty("ServerCabinetNumber", 'n', &number);
    if (code == 0) *value = number;
    return code;
  }

  int ReadDefaultTimeout(uint32_t* milliseconds) override {
    uint32_t value = 0;
    const int code = ReadProperty("DefaultTimeout", 'u', &value);
    if (code == 0) *milliseconds = value;
    return code;
  }

  void SetCallTimeout(uint64_t usec) override { call_timeout_usec_ = usec; }

  void SetAbandon(Waitable abandon) override { abandon_ = abandon; }

  int Call(const KoriCall& call, KoriReply* reply) override {
    reply->response.clear();
    reply->status.clear();
    if (bus_ == nullptr) return ENOTCONN;
    sd_bus_message* request = nullptr;
    sd_bus_message* answer = nullptr;
    int r = sd_bus_message_new_method_call(bus_, &request, kKoriBusName, kKoriObjectPath,
                                           kKoriInterface, "VCRequest");
    if (r >= 0) {
      r = sd_bus_message_append(request, "nnnn", static_cast<int16_t>(call.command),
                                static_cast<int16_t>(call.sub_code),
                                static_cast<int16_t>(call.third_code), call.cabinet);
    }
    if (r >= 0) r = sd_bus_message_append_array(request, 'y', call.input.data(), call.input.size());
    if (r >= 0) r = sd_bus_message_append(request, "n", static_cast<int16_t>(call.last_code));
    int code = r < 0 ? -r : Exchange(request, call_timeout_usec_, &answer);
    if (code == 0 && !sd_bus_message_has_signature(answer, "ayay")) code = EBADMSG;
    const void* bytes = nullptr;
    size_t size = 0;
    if (code == 0 && (r = sd_bus_message_read_array(answer, 'y', &bytes, &size)) < 0) code = -r;
    if (code == 0 && size > 0) {
      const uint8_t* p = static_cast<const uint8_t*>(bytes);
      reply->response.assign(p, p + size);
    }
    if (code == 0 && (r = sd_bus_message_read_array(answer, 'y', &bytes, &size)) < 0) code = -r;
    if (code == 0 && size > 0) {
      const uint8_t* p = static_cast<const uint8_t*>(bytes);
      reply->status.assign(p, p + size);
    }
    sd_bus_message_unref(answer);
    sd_bus_message_unref(request);
    if (code != 0) {
      reply->response.clear();
      reply->status.clear();
    }
    return code;
  }

  void Close() override {
    members_.clear();
    if (bus_ != nullptr) bus_ = sd_bus_close_unref(bus_);
  }

 private:
  bool Abandoned() const {
    if (abandon_ == kInvalidWaitable) return false;
    pollfd fd{NativeWaitable::Fd(abandon_), POLLIN, 0};
    return poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN) != 0;
  }

  // Sends `request` and waits for its answer, at most `timeout_usec`. 0 with the answer in
  // *reply (the caller unrefs it); otherwise an errno-style code: ECANCELED when the abandon
  // event ended the wait, ETIMEDOUT when the server did not answer in time, the error
  // reply's code or the bus's failure.
  int Exchange(sd_bus_message* request, uint64_t timeout_usec, sd_bus_message** reply) {
    *reply = nullptr;
    if (bus_ == nullptr) return ENOTCONN;
    if (Abandoned()) return ECANCELED;
    PendingCall pending;
    sd_bus_slot* slot = nullptr;
    int r = sd_bus_call_async(bus_, &slot, request, OnReply, &pending, timeout_usec);
    if (r < 0) return -r;
    // The deadline is kept here as well: the bus library does not always report the call's
    // own time-out as the time of its next processing.
    const uint64_t deadline = MonotonicUsec() + timeout_usec;
    int code = 0;
    while (!pending.done && code == 0) {
      r = sd_bus_process(bus_, nullptr);
      if (r < 0) {
        code = -r;
      } else if (r == 0) {
        const uint64_t now = MonotonicUsec();
        code = now >= deadline ? ETIMEDOUT : WaitForBus(deadline - now);
      }
    }
    // Dropping the slot forgets a call still on its way: a late answer is thrown away.
    sd_bus_slot_unref(slot);
    if (!pending.done) return code;
    if (pending.error != 0) return pending.error;
    *reply = pending.reply;
    return 0;
  }

  // Waits until the bus has work (I/O or its own next time-out), `left_usec` have passed, or
  // the abandon event is signalled. 0, ECANCELED, or the failure's code.
  int WaitForBus(uint64_t left_usec) {
    const int fd = sd_bus_get_fd(bus_);
    if (fd < 0) return -fd;
    const int events = sd_bus_get_events(bus_);
    if (events < 0) return -events;
    uint64_t until = UINT64_MAX;
    int r = sd_bus_get_timeout(bus_, &until);
    if (r < 0) return -r;
    uint64_t wait_usec = left_usec;
    if (until != UINT64_MAX) {
      const uint64_t now = MonotonicUsec();
      wait_usec = std::min(wait_usec, until > now ? until - now : 0);
    }
    const uint64_t wait_ms = (wait_usec + 999) / 1000;
    const int timeout_ms = wait_ms > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(wait_ms);
    pollfd fds[2] = {{fd, static_cast<short>(events), 0},
                     {NativeWaitable::Fd(abandon_), POLLIN, 0}};
    const nfds_t count = abandon_ == kInvalidWaitable ? 1 : 2;
    if (poll(fds, count, timeout_ms) < 0) return errno == EINTR ? 0 : errno;
    if (count == 2 && (fds[1].revents & POLLIN) != 0) return ECANCELED;
    return 0;
  }

  // Reads the KORI interface's property `name` of the basic `type` into *value.
  template <typename T>
  int ReadProperty(const char* name, char type, T* value) {
    if (bus_ == nullptr) return ENOTCONN;
    sd_bus_message* request = nullptr;
    sd_bus_message* reply = nullptr;
    int r = sd_bus_message_new_method_call(bus_, &request, kKoriBusName, kKoriObjectPath,
                                           kProperties, "Get");
    if (r >= 0) r = sd_bus_message_append(request, "ss", kKoriInterface, name);
    int code = r < 0 ? -r : Exchange(request, connect_timeout_usec_, &reply);
    const char contents[2] = {type, '\0'};
    if (code == 0 && (r = sd_bus_message_enter_container(reply, 'v', contents)) < 0) code = -r;
    if (code == 0 && (r = sd_bus_message_read_basic(reply, type, value)) < 0) code = -r;
    sd_bus_message_unref(reply);
    sd_bus_message_unref(request);
    return code;
  }

  uint64_t connect_timeout_usec_ = kDefaultConnectTimeoutUsec;
  uint64_t call_timeout_usec_ = kDefaultConnectTimeoutUsec;
  Waitable abandon_ = kInvalidWaitable;
  sd_bus* bus_ = nullptr;
  // The KORI interface's methods and properties as the last Open found them, in the order
  // the object lists them; empty while closed.
  std::vector<std::string> members_;
};

}  // namespace

std::unique_ptr<KoriTransport> NewDbusKoriTransport() {
  return std::make_unique<DbusKoriTransport>();
}

}  // namespace quillon
