#ifndef QUILLON_PLATFORM_PIPE_H_
#define QUILLON_PLATFORM_PIPE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/event.h"
#include "platform/status.h"

namespace quillon {

// How long a client that the server has taken in may take to send its request; after that
// its read fails with kErrorTimeout, so a client that connects and sends nothing cannot hold
// a pipe.
inline constexpr uint32_t kPipeRequestTimeoutMs = 5000;

// How many connected clients a server holds at once while they have not been served. More
// wait in the listen queue until one of them is served or its request time is up.
inline constexpr size_t kPipeMaxClients = 32;

// The server end of a named message pipe with one instance: a local socket that keeps message
// boundaries, at RuntimeDir() + name. Requests are served one at a time, in the order the
// clients were taken in; a client whose request has not arrived yet does not hold up those
// behind it whose requests have. While a request is being served the others wait, as clients
// wait for a busy pipe. Only root and the members of the operators' group `quillon` (where
// that group exists) may connect.
//
// Not thread-safe: one thread owns the server. Destroying it closes the pipe, every held
// client and its name, so clients still waiting fail. Each OS backend implements it.
class PipeServer {
 public:
  // Creates the pipe `name` and starts listening; a client taken in has `request_timeout_ms`
  // (kWaitInfinite: no limit) to send its request. On failure returns null and stores the
  // status in *status (when given): kErrorPipeBusy when another live server holds the name,
  // kErrorBadPathname when the path is too long, kErrorAccessDenied, ... A stale socket file
  // left by a crashed server is replaced.
  static std::unique_ptr<PipeServer> Create(const std::string& name, Status* status,
                                            uint32_t request_timeout_ms = kPipeRequestTimeoutMs);

  virtual ~PipeServer() = default;
  PipeServer(const PipeServer&) = delete;
  PipeServer& operator=(const PipeServer&) = delete;

  // Signalled (readable) while there may be a client to serve: one waits in the listen queue,
  // a held client has sent its request or gone, or a held client's request time is up. Wait
  // on it with WaitAny together with events, then call Accept.
  virtual Waitable ready_waitable() const = 0;

  // Without blocking, takes the clients waiting in the listen queue in (up to
  // kPipeMaxClients held) and makes the first held client that is ready to be served the
  // current connection: its request has arrived, it has gone, or its request time is up.
  // 0 on success; kErrorTimeout when no held client is ready yet; kErrorPipeBusy when a
  // client is already connected (disconnect it first); another status when the system fails
  // and no client is ready.
  virtual Status Accept() = 0;

  // True while a client is connected.
  virtual bool connected() const = 0;

  // Reads the current client's next message into buffer[0..size). Waits until it arrives, the
  // client goes away, `abort` (when given) is signalled, `timeout_ms` has passed, or the
  // client's request time is up; a message that is already there is always read.
  // *received is the number of bytes stored (never more than size; the rest of a longer
  // message is dropped). 0 on success; kErrorMoreData when the message was cut to size;
  // kErrorReadFault when the client sent a 0-byte message, closed, or failed; kErrorTimeout;
  // kErrorInvalidHandle when no client is connected; kErrorInvalidFunction when aborted.
  virtual Status Read(void* buffer, size_t size, size_t* received, const Event* abort = nullptr,
                      uint32_t timeout_ms = kWaitInfinite) = 0;

  // Sends `size` bytes as one message to the current client. 0 when the whole message was
  // sent; kErrorInvalidHandle when no client is connected; kErrorWriteFault when the client
  // has gone.
  virtual Status Write(const void* data, size_t size) = 0;

  // Ends the current connection (nothing happens when none). The next client may be accepted.
  virtual void Disconnect() = 0;

  // The socket path ("/run/quillon/ORNA_PIPE").
  virtual const std::string& path() const = 0;

 protected:
  PipeServer() = default;
};

// The one-shot client: connects to the pipe `name` (waiting in the queue while the server is
// busy with another client), sends `request` as one message, receives one reply message into
// reply[0..reply_size), and closes. *received (when given) gets the number of reply bytes
// stored. 0 on success; kErrorNotFound when no server serves the name; kErrorAccessDenied;
// kErrorMoreData when the reply was longer than reply_size (the first reply_size bytes are
// stored); kErrorReadFault when the server closed without replying; kErrorTimeout when the
// whole exchange has taken more than timeout_ms milliseconds (kWaitInfinite: no limit).
// Thread-safe.
Status CallPipeTimed(const std::string& name, const void* request, size_t size, void* reply,
                     size_t reply_size, size_t* received, uint32_t timeout_ms);

// The one-shot client above without a time limit: CallPipeTimed with kWaitInfinite.
inline Status CallPipe(const std::string& name, const void* request, size_t size, void* reply,
                       size_t reply_size, size_t* received) {
  return CallPipeTimed(name, request, size, reply, reply_size, received, kWaitInfinite);
}

}  // namespace quillon

#endif  // QUILLON_PLATFORM_PIPE_H_
