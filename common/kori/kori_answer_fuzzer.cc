// Drives the KORI client's operations with server answers of any length and content (and any
// set of members offered), into caller buffers of every small size.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/kori/kori_client.h"
#include "common/kori/kori_members.h"
#include "common/kori/testing/fake_kori_transport.h"

namespace {

// Takes bytes off the front of the fuzz input.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() {
    if (size_ == 0) return 0;
    --size_;
    return *data_++;
  }
  std::vector<uint8_t> Bytes(size_t max) {
    size_t n = Byte();
    if (n > max) n = max;
    if (n > size_) n = size_;
    std::vector<uint8_t> out(data_, data_ + n);
    data_ += n;
    size_ -= n;
    return out;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

quillon::FakeKoriServer::Answer MakeAnswer(Input* in) {
  quillon::FakeKoriServer::Answer answer;
  uint8_t mode = in->Byte();
  answer.response = in->Bytes(255);
  answer.status = in->Bytes(mode & 3);  // 0 to 3 status bytes
  answer.fail = (mode & 4) ? 5 : 0;
  return answer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillon;
  Input in(data, size);
  auto server = std::make_shared<FakeKoriServer>();
  uint8_t flags = in.Byte();
  server->property_fail = (flags & 1) ? 22 : 0;
  server->property_value = static_cast<int16_t>(in.Byte() | (in.Byte() << 8));
  for (uint16_t command : {kKoriCmdCabinetNumber, kKoriCmdCabinetModel, kKoriCmdCounterState,
                           kKoriCmdOperatingTime, kKoriCmdPsuStatus}) {
    server->answers[command] = MakeAnswer(&in);
  }
  size_t model_size = in.Byte() % 40;
  if (flags & 2) {
    // Any subset of the five members, in any of two orders.
    const uint8_t offered = in.Byte();
    server->members.clear();
    for (int m = 0; m < kKoriMemberCount; ++m) {
      if (offered & (1 << m)) server->members.push_back(KoriMemberName(m));
    }
    if (offered & 0x80) std::reverse(server->members.begin(), server->members.end());
  }

  KoriClient client(std::make_unique<FakeKoriTransport>(server));
  uint32_t number = 0;
  client.KoriReadCabinetNumber(&number);
  // An exactly sized heap buffer, so that any write past it is caught.
  std::unique_ptr<char[]> model(model_size ? new char[model_size] : nullptr);
  client.KoriReadCabinetModel(model.get(), model_size, -1);
  uint32_t hours = 0;
  client.KoriReadOperatingHours(&hours, -1);
  uint8_t psu = 0;
  client.KoriReadPsuStatus(&psu);
  if (server->opens != server->closes + (server->present ? 0 : server->opens)) __builtin_trap();
  return 0;
}
