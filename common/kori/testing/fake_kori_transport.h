#ifndef QUILLON_COMMON_KORI_TESTING_FAKE_KORI_TRANSPORT_H_
#define QUILLON_COMMON_KORI_TESTING_FAKE_KORI_TRANSPORT_H_

#include <cerrno>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/kori_transport.h"

namespace quillon {

// The state a FakeKoriTransport works from and records into. Tests keep a shared pointer to
// it after handing the transport to a KoriClient.
struct FakeKoriServer {
  struct Answer {
    std::vector<uint8_t> response;
    std::vector<uint8_t> status = {0};  // empty: the server sets no status
    int fail = 0;                       // non-zero: the call itself fails with this code
  };

  bool present = true;  // false: Open fails, as with no server on the bus
  // The members the server offers; a member's identifier is its position here.
  std::vector<std::string> members = {"VCRequest", "SyncRequest", "ServerCabinetNumber",
                                      "DefaultTimeout", "ServerControlVersion"};
  int property_fail = 0;  // non-zero: reading ServerCabinetNumber fails
  int16_t property_value = 1;
  int timeout_fail = 0;  // non-zero: reading DefaultTimeout fails
  uint32_t default_timeout_ms = 30000;
  // Runs inside every Call, before it answers (a test may signal the abandon event there,
  // as a stop request arriving while the call is in flight).
  std::function<void(const KoriCall&)> during_call;
  std::map<uint16_t, Answer> answers;  // by command; a missing command answers status 1

  // Recorded.
  std::vector<KoriCall> calls;
  int opens = 0;
  int closes = 0;
  int property_reads = 0;
  uint64_t connect_timeout_usec = 0;  // the last SetConnectTimeout
  uint64_t call_timeout_usec = 0;     // the last SetCallTimeout
  bool open = false;
};

// A KoriTransport that answers from a FakeKoriServer, for the failure paths that a real
// server seldom shows. A call made while the abandon event is signalled fails with ECANCELED.
// Single-threaded like every transport.
class FakeKoriTransport : public KoriTransport {
 public:
  explicit FakeKoriTransport(std::shared_ptr<FakeKoriServer> server) : server_(std::move(server)) {}

  void SetConnectTimeout(uint64_t usec) override { server_->connect_timeout_usec = usec; }
  int Open() override {
    ++server_->opens;
    if (!server_->present) return 2;
    server_->open = true;
    return 0;
  }
  int LookUpMember(const char* name, int32_t* id) override {
    if (!server_->open) return 107;
    const std::vector<std::string>& members = server_->members;
    for (size_t k = 0; k < members.size(); ++k) {
      if (members[k] == name) {
        *id = static_cast<int32_t>(k);
        return 0;
      }
    }
    return 2;
  }
  int ReadCabinetProperty(int16_t* value) override {
    ++server_->property_reads;
    if (!server_->open) return 107;
    if (server_->property_fail != 0) return server_->property_fail;
    *value = server_->property_value;
    return 0;
  }
  int ReadDefaultTimeout(uint32_t* milliseconds) override {
    if (!server_->open) return 107;
    if (server_->timeout_fail != 0) return server_->timeout_fail;
    *milliseconds = server_->default_timeout_ms;
    return 0;
  }
  void SetCallTimeout(uint64_t usec) override { server_->call_timeout_usec = usec; }
  void SetAbandon(Waitable abandon) override { abandon_ = abandon; }
  int Call(const KoriCall& call, KoriReply* reply) override {
    *reply = KoriReply{};
    if (!server_->open) return 107;
    server_->calls.push_back(call);
    if (server_->during_call) server_->during_call(call);
    if (abandon_ != kInvalidWaitable && WaitOne(abandon_, 0) == 0) return ECANCELED;
    auto it = server_->answers.find(call.command);
    if (it == server_->answers.end()) {
      reply->status = {1};
      return 0;
    }
    if (it->second.fail != 0) return it->second.fail;
    reply->response = it->second.response;
    reply->status = it->second.status;
    return 0;
  }
  void Close() override {
    if (server_->open) ++server_->closes;
    server_->open = false;
  }

 private:
  std::shared_ptr<FakeKoriServer> server_;
  Waitable abandon_ = kInvalidWaitable;
};

}  // namespace quillon

#endif  // QUILLON_COMMON_KORI_TESTING_FAKE_KORI_TRANSPORT_H_
