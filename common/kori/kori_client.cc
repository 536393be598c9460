#include "common/kori/kori_client.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quillon {
namespace {

// The length field of a request is 16 bits wide; a longer answer is cut to what it can tell.
constexpr size_t kMaxResponse = 0xFFFF;

uint32_t LittleEndian(const uint8_t* data, size_t size) {
  uint32_t value = 0;
  for (size_t i = 0; i < size && i < 4; ++i) value |= static_cast<uint32_t>(data[i]) << (8 * i);
  return value;
}

// A transport result that means the server gave no answer at all.
bool Unanswered(int code) { return code == ETIMEDOUT || code == ECANCELED; }

}  // namespace

uint32_t KoriCallTimeoutMs(bool advertised, uint32_t default_timeout_ms) {
  if (!advertised) return kKoriFallbackCallTimeoutMs;
  return std::clamp(default_timeout_ms, kKoriMinCallTimeoutMs, kKoriMaxCallTimeoutMs);
}

KoriClient::KoriClient(std::unique_ptr<KoriTransport> transport, uint64_t call_timeout_usec)
    : transport_(std::move(transport)), fixed_timeout_usec_(call_timeout_usec) {
  members_.fill(-1);
  transport_->SetConnectTimeout(call_timeout_usec != 0 ? call_timeout_usec
                                                       : uint64_t{kKoriConnectTimeoutMs} * 1000);
}

KoriClient::~KoriClient() { Disconnect(); }

int32_t KoriClient::Connect() {
  std::lock_guard<std::mutex> lock(mu_);
  return ConnectLocked() ? 0 : kKoriNoConnection;
}

void KoriClient::Disconnect() {
  std::lock_guard<std::mutex> lock(mu_);
  DisconnectLocked();
}

bool KoriClient::ConnectLocked() {
  silent_ = false;
  if (connected_) return true;
  members_.fill(-1);
  if (transport_->Open() != 0) {
    transport_->Close();
    silent_ = true;
    return false;
  }
  for (int m = 0; m < kKoriMemberCount; ++m) {
    int32_t id = -1;
    if (transport_->LookUpMember(KoriMemberName(m), &id) == 0) members_[m] = id;
  }
  connected_ = true;
  uint64_t timeout_usec = fixed_timeout_usec_;
  if (timeout_usec == 0) {
    // The server says how long its answers may take; a server that says nothing, or
    // something absurd, gets a bound that neither fails every call nor holds the start for
    // long.
    uint32_t advertised_ms = 0;
    const bool advertised =
        members_[kMemberDefaultTimeout] >= 0 && transport_->ReadDefaultTimeout(&advertised_ms) == 0;
    timeout_usec = uint64_t{KoriCallTimeoutMs(advertised, advertised_ms)} * 1000;
  }
  call_timeout_ms_ = static_cast<uint32_t>(timeout_usec / 1000);
  transport_->SetCallTimeout(timeout_usec);
  RefreshCabinetNumberLocked();
  return true;
}

void KoriClient::DisconnectLocked() {
  if (!connected_) return;
  connected_ = false;
  transport_->Close();
  response_.clear();
  response_.shrink_to_fit();
}

void KoriClient::RefreshCabinetNumberLocked() {
  int16_t number = 0;
  // Without an identifier the property cannot be read, as with a failed read.
  if (members_[kMemberServerCabinetNumber] >= 0 && transport_->ReadCabinetProperty(&number) == 0) {
    cabinet_number_ = number;
    return;
  }
  const uint8_t* data = nullptr;
  uint16_t length = 0;
  uint8_t status =
      RequestLocked(&data, &length, kKoriCmdCabinetNumber, 0, 0, 0, kKoriCabinetCurrent, 0);
  if (status == kKoriStatusOk && length == 2) {
    cabinet_number_ = static_cast<int16_t>(LittleEndian(data, 2));
  }
}

uint8_t KoriClient::KoriRequest(const uint8_t** data, uint16_t* length, uint16_t command,
                                uint16_t sub_code, uint16_t third_code, uint16_t input_length,
                                int32_t cabinet, uint16_t last_code) {
  std::lock_guard<std::mutex> lock(mu_);
  return RequestLocked(data, length, command, sub_code, third_code, input_length, cabinet,
                       last_code);
}

uint8_t KoriClient::RequestLocked(const uint8_t** data, uint16_t* length, uint16_t command,
                                  uint16_t sub_code, uint16_t third_code, uint16_t input_length,
                                  int32_t cabinet, uint16_t last_code) {
  if (data == nullptr || length == nullptr) return kKoriStatusNotCompleted;
  if (cabinet == kKoriCabinetCurrent) cabinet = cabinet_number_;
  const uint8_t* input = *data;
  *data = nullptr;
  *length = 0;
  if (!connected_ || members_[kMemberVcRequest] < 0) return kKoriStatusNotCompleted;

  KoriCall call;
  call.command = command;
  call.sub_code = sub_code;
  call.third_code = third_code;
  call.cabinet = static_cast<int16_t>(cabinet);
  if (input != nullptr && input_length != 0) call.input.assign(input, input + input_length);
  call.last_code = last_code;

  // The previous answer is gone once a new request is made, whatever its outcome.
  response_.clear();
  KoriReply reply;
  const int code = transport_->Call(call, &reply);
  // Only the server's silence counts, not an answer this client could not use.
  silent_ = Unanswered(code);
  if (code != 0) return kKoriStatusNotCompleted;
  // A status is one byte or none; anything longer is not an answer this client understands.
  if (reply.status.size() > 1) return kKoriStatusNotCompleted;
  uint8_t status = reply.status.empty() ? kKoriStatusNotSet : reply.status[0];
  size_t size = std::min(reply.response.size(), kMaxResponse);
  response_.assign(reply.response.begin(), reply.response.begin() + size);
  if (!response_.empty()) *data = response_.data();
  *length = static_cast<uint16_t>(size);
  return status;
}

int32_t KoriClient::KoriReadCabinetNumber(uint32_t* number) {
  std::lock_guard<std::mutex> lock(mu_);
  if (!ConnectLocked()) return kKoriNoConnection;
  const uint8_t* data = nullptr;
  uint16_t length = 0;
  int32_t status = RequestLocked(&data, &length, kKoriCmdCabinetNumber, 0, 0, 0, 0, 0);
  if (status == kKoriStatusOk && length > 0) {
    // Only the bytes that came are replaced; the rest of the caller's preset stays.
    size_t n = std::min<size_t>(length, 4);
    uint32_t mask = n == 4 ? 0xFFFFFFFFu : ((1u << (8 * n)) - 1);
    *number = (*number & ~mask) | LittleEndian(data, n);
  }
  DisconnectLocked();
  return status;
}

int32_t KoriClient::KoriReadCabinetModel(char* text, size_t text_size, int32_t cabinet) {
  std::lock_guard<std::mutex> lock(mu_);
  if (!ConnectLocked()) return kKoriNoConnection;
  const uint8_t* data = nullptr;
  uint16_t length = 0;
  int32_t status =
      RequestLocked(&data, &length, kKoriCmdCabinetModel, kKoriSubCabinetModel, 0, 0, cabinet, 0);
  if (status == kKoriStatusOk && text_size > 0) {
    size_t n = std::min<size_t>(length, text_size - 1);
    if (n > 0) std::memcpy(text, data, n);
    text[n] = '\0';
  }
  DisconnectLocked();
  return status;
}

int32_t KoriClient::KoriReadOperatingHours(uint32_t* hours, int32_t cabinet) {
  std::lock_guard<std::mutex> lock(mu_);
  if (!ConnectLocked()) return kKoriNoConnection;
  const uint8_t* data = nullptr;
  uint16_t length = 0;
  int32_t status = RequestLocked(&data, &length, kKoriCmdCounterState, 0, 0, 0, cabinet, 0);
  // Only 1 and 2 say the counter is not there; any other answer still asks for the counter.
  if (status != 1 && status != 2) {
    status = RequestLocked(&data, &length, kKoriCmdOperatingTime, kKoriSubOperatingTime, 0, 0,
                           cabinet, 0);
    if (status == kKoriStatusOk) {
      if (length >= 4) {
        *hours = LittleEndian(data, 4) / 3600;
      } else {
        status = kKoriStatusNotCompleted;
      }
    }
  }
  DisconnectLocked();
  return status;
}

int32_t KoriClient::KoriReadPsuStatus(uint8_t* status_byte) {
  std::lock_guard<std::mutex> lock(mu_);
  if (!ConnectLocked()) return kKoriNoConnection;
  const uint8_t* data = nullptr;
  uint16_t length = 0;
  uint8_t status = RequestLocked(&data, &length, kKoriCmdPsuStatus, 0, 0, 0, 0, 0);
  int32_t result = 1;
  if (status == kKoriStatusOk && length >= 1) {
    *status_byte = data[0];
    result = 0;
  } else {
    // Status 0 without data is no answer either; the byte then tells status 0, and the caller
    // asks again at its next start.
    *status_byte = status;
  }
  DisconnectLocked();
  return result;
}

void KoriClient::SetAbandon(Waitable abandon) {
  std::lock_guard<std::mutex> lock(mu_);
  transport_->SetAbandon(abandon);
}

bool KoriClient::server_silent() {
  std::lock_guard<std::mutex> lock(mu_);
  return silent_;
}

uint32_t KoriClient::call_timeout_ms() {
  std::lock_guard<std::mutex> lock(mu_);
  return call_timeout_ms_;
}

int16_t KoriClient::cabinet_number() {
  std::lock_guard<std::mutex> lock(mu_);
  return cabinet_number_;
}

int32_t KoriClient::member_id(KoriMember member) {
  std::lock_guard<std::mutex> lock(mu_);
  if (member < 0 || member >= kKoriMemberCount) return -1;
  return members_[member];
}

}  // namespace quillon
