#ifndef QUILLON_COMMON_KORI_KORI_TRANSPORT_H_
#define QUILLON_COMMON_KORI_KORI_TRANSPORT_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/event.h"

namespace quillon {

// The name, object and interface under which the KORI management server is reached.
inline constexpr char kKoriBusName[] = "com.morvath.Kori";
inline constexpr char kKoriObjectPath[] = "/com/morvath/Kori";
inline constexpr char kKoriInterface[] = "com.morvath.Kori";

// One "VCRequest" call as it goes on the wire.
struct KoriCall {
  uint16_t command = 0;
  uint16_t sub_code = 0;
  uint16_t third_code = 0;
  int16_t cabinet = 0;
  std::vector<uint8_t> input;  // request data; empty when there is none
  uint16_t last_code = 0;
};

// What a completed "VCRequest" call returned: the response bytes and the status bytes (none
// when the server did not set a status, otherwise normally exactly one).
struct KoriReply {
  std::vector<uint8_t> response;
  std::vector<uint8_t> status;
};

// The connection to the KORI server for one operation of KoriClient. The client opens it at
// the start of an operation, makes its calls and closes it again; it never keeps a transport
// open between operations. A transport is used by one thread at a time (the client's lock).
// Every call returns 0 on success and a non-zero code otherwise: ETIMEDOUT when the server
// did not answer within the time-out, ECANCELED when the abandon event ended the wait; other
// codes are only told apart from 0. No call blocks longer than its time-out: the connect
// time-out for Open and the property reads, the call time-out for Call.
class KoriTransport {
 public:
  virtual ~KoriTransport() = default;

  // Connects and reaches the server object. On success stores the object's description
  // (introspection XML, the member list the client looks its names up in) and returns 0.
  // Non-zero when there is no bus or no server on it; the transport is then closed.
  virtual int Open(std::string* description) = 0;

  // Reads the property "ServerCabinetNumber" as a 16-bit integer. Non-zero when the property
  // is missing, of another type, or the read fails; *value is then untouched.
  virtual int ReadCabinetProperty(int16_t* value) = 0;

  // Reads the property "DefaultTimeout" (milliseconds, unsigned 32-bit). Non-zero when it is
  // missing, of another type, or the read fails; *milliseconds is then untouched.
  virtual int ReadDefaultTimeout(uint32_t* milliseconds) = 0;

  // The bound of every later Call, in microseconds (> 0). Until set, Call uses the connect
  // time-out.
  virtual void SetCallTimeout(uint64_t usec) = 0;

  // Every later wait of this transport (Open, the property reads, Call) ends at once, with
  // ECANCELED, when `abandon` is or becomes signalled; a call in flight is dropped (its late
  // answer is discarded). kInvalidWaitable: nothing abandons. The waitable must stay valid
  // until it is replaced.
  virtual void SetAbandon(Waitable abandon) = 0;

  // Calls "VCRequest". 0 when the server answered with a reply of the expected shape (two byte
  // strings), which is stored in *reply; non-zero when the call failed (no answer within the
  // time-out, server gone, error reply, reply of another shape), *reply then empty.
  virtual int Call(const KoriCall& call, KoriReply* reply) = 0;

  // Drops the connection. Harmless when not open.
  virtual void Close() = 0;
};

// The transport of this platform: the system bus (DBUS_SYSTEM_BUS_ADDRESS when set), with
// `connect_timeout_usec` (> 0) as its connect time-out.
std::unique_ptr<KoriTransport> MakeSystemKoriTransport(uint64_t connect_timeout_usec);

}  // namespace quillon

#endif  // QUILLON_COMMON_KORI_KORI_TRANSPORT_H_
