#ifndef QUILLON_PLATFORM_KORI_TRANSPORT_H_
#define QUILLON_PLATFORM_KORI_TRANSPORT_H_

#include <cstdint>
#include <vector>

#include "platform/event.h"

namespace quillon {

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
//
// The server is reached by name, not by a description of its interface: each platform finds
// the members its own way (the D-Bus object's introspection data, a dispatch interface's
// name look-up), and the client only asks whether a member is there.
class KoriTransport {
 public:
  virtual ~KoriTransport() = default;

  // The bound of Open and the property reads, in microseconds (> 0), and of Call until
  // SetCallTimeout. Takes effect at the next Open; KoriClient sets it when it is made.
  virtual void SetConnectTimeout(uint64_t usec) = 0;

  // Connects and reaches the server object, learning which members it offers. 0 on success;
  // non-zero when there is no bus or no server on it, the transport is then closed. Resets
  // the call time-out to the connect time-out.
  virtual int Open() = 0;

  // Looks up a method or property of the KORI interface by its name ("VCRequest", ...) at
  // the server reached by the last Open. 0 with the member's identifier (>= 0, fixed for
  // this connection, distinct per member) in *id; non-zero when the server does not offer
  // the name or the transport is not open, *id then untouched. Never blocks.
  virtual int LookUpMember(const char* name, int32_t* id) = 0;

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

  // Drops the connection and forgets the members found. Harmless when not open.
  virtual void Close() = 0;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_KORI_TRANSPORT_H_
