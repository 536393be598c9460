#ifndef QUILLON_COMMON_KORI_KORI_CLIENT_H_
#define QUILLON_COMMON_KORI_KORI_CLIENT_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "common/kori/kori_members.h"
#include "platform/kori_transport.h"

namespace quillon {

// Results of the operations and statuses of KoriRequest.
inline constexpr int32_t kKoriNoConnection = -1;  // an operation could not connect
inline constexpr uint8_t kKoriStatusOk = 0;
inline constexpr uint8_t kKoriStatusNotCompleted = 6;  // the client did not complete the call
inline constexpr uint8_t kKoriStatusNotSet = 22;       // the server did not set a status
inline constexpr int32_t kKoriCabinetCurrent = -1;     // "the current cabinet number"

// Commands of the KORI server this client sends.
inline constexpr uint16_t kKoriCmdCabinetNumber = 0xE204;
inline constexpr uint16_t kKoriCmdCabinetModel = 0x0C00;
inline constexpr uint16_t kKoriSubCabinetModel = 0x0608;
inline constexpr uint16_t kKoriCmdCounterState = 0xE000;
inline constexpr uint16_t kKoriCmdOperatingTime = 0xE001;
inline constexpr uint16_t kKoriSubOperatingTime = 0x1010;
inline constexpr uint16_t kKoriCmdPsuStatus = 0x0500;

// Bounds of the waits for the server. Connecting (reaching the object, reading its
// properties) waits at most kKoriConnectTimeoutMs per step. Each "VCRequest" call waits as
// long as the server's own "DefaultTimeout" says, kept within [kKoriMinCallTimeoutMs,
// kKoriMaxCallTimeoutMs]; kKoriFallbackCallTimeoutMs when the server advertises none.
inline constexpr uint32_t kKoriConnectTimeoutMs = 25000;
inline constexpr uint32_t kKoriMinCallTimeoutMs = 5000;
inline constexpr uint32_t kKoriMaxCallTimeoutMs = 60000;
inline constexpr uint32_t kKoriFallbackCallTimeoutMs = 25000;

// The bound of one "VCRequest" call in milliseconds: `default_timeout_ms` within the floor
// and the ceiling above when `advertised`, else the fallback. Pure.
uint32_t KoriCallTimeoutMs(bool advertised, uint32_t default_timeout_ms);

// The client of the KORI server management interface: the server's cabinet number, cabinet
// model, operating-hour counter and PSU status.
//
// Every operation connects, sends its requests and disconnects before it returns, so no
// connection is held between operations. Connecting reaches the server object, asks the
// transport for its five member names and refreshes the cabinet number (the property
// "ServerCabinetNumber", else command 0xE204 when it answers with exactly 2 bytes; otherwise the
// number stays). The cabinet number survives disconnects; it is 0 at first.
//
// Each connect also reads "DefaultTimeout" (when the server lists it) and bounds the calls of
// that operation by it (KoriCallTimeoutMs).
//
// Threading: one lock guards all state; an operation holds it from its connect to its
// disconnect, so operations of several threads run one after the other. No operation blocks
// longer than a few of its time-outs, and none past the abandon event (SetAbandon).
class KoriClient {
 public:
  // Over `transport` (the platform's, or a stand-in server in tests), which must not be null;
  // the client sets its connect time-out. `call_timeout_usec` 0: the bounds above; otherwise
  // every wait, the connect included, is bounded by it whatever the server says (for tests).
  explicit KoriClient(std::unique_ptr<KoriTransport> transport, uint64_t call_timeout_usec = 0);
  // Disconnects a client that is still connected.
  ~KoriClient();

  KoriClient(const KoriClient&) = delete;
  KoriClient& operator=(const KoriClient&) = delete;

  // Connects when not yet connected. 0 when connected afterwards, kKoriNoConnection (-1)
  // when the server cannot be reached.
  int32_t Connect();
  // Disconnects when connected: drops the connection and frees the response buffer.
  void Disconnect();

  // Sends one "VCRequest" over the current connection. In: *data points to `input_length`
  // request bytes (both non-zero for a request with data). `cabinet` -1 means the current
  // cabinet number. Returns the status: 0 success; 6 not connected, no "VCRequest" member,
  // the call failed or its reply was malformed; 22 the server set no status; anything else
  // the server's own status. Out: on a completed call *data points to the response, held by
  // the client until the next request or disconnect, and *length holds its size (answers
  // longer than 65535 bytes are cut to that); otherwise *data is null and *length 0. Null
  // `data` or `length` give 6.
  uint8_t KoriRequest(const uint8_t** data, uint16_t* length, uint16_t command, uint16_t sub_code,
                      uint16_t third_code, uint16_t input_length, int32_t cabinet,
                      uint16_t last_code);

  // Command 0xE204 for cabinet 0. Returns -1 (no connection) or the status; on status 0 up to
  // the first 4 response bytes are stored little-endian into *number (the caller presets it,
  // normally to 0, so a 2-byte answer leaves the 16-bit number).
  int32_t KoriReadCabinetNumber(uint32_t* number);

  // Command 0x0C00/0x0608 for `cabinet`. Returns -1 or the status; on status 0 the answer is
  // copied into `text` as a zero-terminated text of at most `text_size` - 1 characters (cut
  // when longer; nothing is written when `text_size` is 0).
  int32_t KoriReadCabinetModel(char* text, size_t text_size, int32_t cabinet);

  // Command 0xE000 for `cabinet`; its status 1 or 2 (counter not available) is returned at
  // once. Otherwise command 0xE001/0x1010: on status 0 the first 4 answer bytes are the
  // operating seconds (unsigned, little-endian) and *hours receives seconds / 3600, cut.
  // An answer shorter than 4 bytes gives 6 and leaves *hours alone. Returns -1 or the status.
  int32_t KoriReadOperatingHours(uint32_t* hours, int32_t cabinet);

  // Command 0x0500 for cabinet 0. Returns -1 (no connection, *status untouched), 0 (the first
  // answer byte is in *status) or 1 (request failed; *status holds the request status, or 0
  // when the server answered status 0 without any data).
  int32_t KoriReadPsuStatus(uint8_t* status);

  // From now on every wait for the server, one in flight included, ends as soon as `abandon`
  // is signalled: the operation then fails as if the server had not answered (-1 for a
  // connect, status 6 for a call). kInvalidWaitable: nothing abandons. The caller keeps the
  // event alive until it replaces it. Thread-safe; waits for a running operation to end, so
  // it is set before the operations it is meant to cut short.
  void SetAbandon(Waitable abandon);

  // True when the last operation got no answer: it could not connect, or its last call ran
  // into its time-out or was abandoned. A server that answered, even with an error status or
  // a reply of the wrong shape, is not silent.
  bool server_silent();

  // The bound of "VCRequest" calls set at the last connect, in milliseconds (0 before).
  uint32_t call_timeout_ms();

  // The current cabinet number.
  int16_t cabinet_number();
  // The identifier found for a member at the last connect (-1: not found).
  int32_t member_id(KoriMember member);

 private:
  bool ConnectLocked();
  void DisconnectLocked();
  void RefreshCabinetNumberLocked();
  uint8_t RequestLocked(const uint8_t** data, uint16_t* length, uint16_t command, uint16_t sub_code,
                        uint16_t third_code, uint16_t input_length, int32_t cabinet,
                        uint16_t last_code);

  std::mutex mu_;
  std::unique_ptr<KoriTransport> transport_;
  const uint64_t fixed_timeout_usec_;  // 0: the server's DefaultTimeout rules
  bool connected_ = false;
  bool silent_ = false;
  uint32_t call_timeout_ms_ = 0;
  KoriMemberIds members_;
  int16_t cabinet_number_ = 0;
  std::vector<uint8_t> response_;  // answer of the last request
};

}  // namespace quillon

#endif  // QUILLON_COMMON_KORI_KORI_CLIENT_H_
