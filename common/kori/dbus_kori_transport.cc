// The KORI transport over D-Bus (sd-bus of libsystemd): one private connection to the system
// bus per operation, closed again at its end.

#include <systemd/sd-bus.h>

#include <cstring>

#include "common/kori/kori_transport.h"

namespace quillon {
namespace {

constexpr char kIntrospectable[] = "org.freedesktop.DBus.Introspectable";

class DbusKoriTransport : public KoriTransport {
 public:
  explicit DbusKoriTransport(uint64_t call_timeout_usec) : timeout_usec_(call_timeout_usec) {}
  ~DbusKoriTransport() override { Close(); }

  int Open(std::string* description) override {
    Close();
    // A private connection each time, so nothing is shared with other users of the bus in
    // this process and a failed server leaves nothing behind.
    int r = sd_bus_open_system(&bus_);
    if (r < 0) {
      bus_ = nullptr;
      return -r;
    }
    if (timeout_usec_ != 0) sd_bus_set_method_call_timeout(bus_, timeout_usec_);
    // Reaching the object and reading its member list is the test that the server exists:
    // a name that nobody owns on the bus fails here.
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    r = sd_bus_call_method(bus_, kKoriBusName, kKoriObjectPath, kIntrospectable, "Introspect",
                           &error, &reply, "");
    const char* xml = nullptr;
    if (r >= 0) r = sd_bus_message_read(reply, "s", &xml);
    if (r >= 0 && xml != nullptr) description->assign(xml);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    if (r < 0) {
      Close();
      return -r;
    }
    return 0;
  }

  int ReadCabinetProperty(int16_t* value) override {
    if (bus_ == nullptr) return ENOTCONN;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    // Asking for type "n" makes a property of any other type fail to read.
    int r = sd_bus_get_property(bus_, kKoriBusName, kKoriObjectPath, kKoriInterface,
                                "ServerCabinetNumber", &error, &reply, "n");
    int16_t number = 0;
    if (r >= 0) r = sd_bus_message_read(reply, "n", &number);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    if (r < 0) return -r;
    *value = number;
    return 0;
  }

  int Call(const KoriCall& call, KoriReply* reply) override {
    reply->response.clear();
    reply->status.clear();
    if (bus_ == nullptr) return ENOTCONN;
    sd_bus_message* request = nullptr;
    sd_bus_message* answer = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int r = sd_bus_message_new_method_call(bus_, &request, kKoriBusName, kKoriObjectPath,
                                           kKoriInterface, "VCRequest");
    if (r >= 0) {
      r = sd_bus_message_append(request, "nnnn", static_cast<int16_t>(call.command),
                                static_cast<int16_t>(call.sub_code),
                                static_cast<int16_t>(call.third_code), call.cabinet);
    }
    if (r >= 0) r = sd_bus_message_append_array(request, 'y', call.input.data(), call.input.size());
    if (r >= 0) r = sd_bus_message_append(request, "n", static_cast<int16_t>(call.last_code));
    if (r >= 0) r = sd_bus_call(bus_, request, 0, &error, &answer);
    if (r >= 0 && !sd_bus_message_has_signature(answer, "ayay")) r = -EBADMSG;
    const void* bytes = nullptr;
    size_t size = 0;
    if (r >= 0) r = sd_bus_message_read_array(answer, 'y', &bytes, &size);
    if (r >= 0 && size > 0) {
      const uint8_t* p = static_cast<const uint8_t*>(bytes);
      reply->response.assign(p, p + size);
    }
    if (r >= 0) r = sd_bus_message_read_array(answer, 'y', &bytes, &size);
    if (r >= 0 && size > 0) {
      const uint8_t* p = static_cast<const uint8_t*>(bytes);
      reply->status.assign(p, p + size);
    }
    sd_bus_message_unref(answer);
    sd_bus_message_unref(request);
    sd_bus_error_free(&error);
    if (r < 0) {
      reply->response.clear();
      reply->status.clear();
      return -r;
    }
    return 0;
  }

  void Close() override {
    if (bus_ != nullptr) bus_ = sd_bus_close_unref(bus_);
  }

 private:
  uint64_t timeout_usec_;
  sd_bus* bus_ = nullptr;
};

}  // namespace

std::unique_ptr<KoriTransport> MakeSystemKoriTransport(uint64_t call_timeout_usec) {
  return std::make_unique<DbusKoriTransport>(call_timeout_usec);
}

}  // namespace quillon
