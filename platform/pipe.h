#ifndef QUILLON_PLATFORM_PIPE_H_
#define QUILLON_PLATFORM_PIPE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/event.h"
#include "platform/status.h"

namespace quillon {

// The server end of a named message pipe with one instance: a local socket that keeps message
// boundaries, at RuntimeDir() + name. One client is served at a time; further clients wait in
// the queue until the server has disconnected the current one. Only root and the members of
// the operators' group `quillon` (where that group exists) may connect.
//
// Not thread-safe: one thread owns the server. Destroying it closes the pipe and removes its
// name, so clients waiting in the queue fail.
class PipeServer {
 public:
  // Creates the pipe `name` and starts listening. On failure returns null and stores the
  // status in *status (when given): kErrorPipeBusy when another live server holds the name,
  // kErrorBadPathname when the path is too long, kErrorAccessDenied, ... A stale socket file
  // left by a crashed server is replaced.
  static std::unique_ptr<PipeServer> Create(const std::string& name, Status* status);

  ~PipeServer();
  PipeServer(const PipeServer&) = delete;
  PipeServer& operator=(const PipeServer&) = delete;

  // Signalled (readable) while a client waits to be accepted: wait on it with WaitAny together
  // with events, then call Accept.
  Waitable connect_waitable() const { return listen_fd_; }

  // Takes the next waiting client as the current connection, without blocking. 0 on success;
  // kErrorTimeout when no client is waiting; kErrorPipeBusy when a client is already
  // connected (disconnect it first); another status when the system fails.
  Status Accept();

  // True while a client is connected.
  bool connected() const { return conn_fd_ >= 0; }

  // Reads the current client's next message into buffer[0..size). Waits until it arrives, the
  // client goes away, `abort` (when given) is signalled, or `timeout_ms` has passed.
  // *received is the number of bytes stored (never more than size; the rest of a longer
  // message is dropped). 0 on success; kErrorMoreData when the message was cut to size;
  // kErrorReadFault when the client sent a 0-byte message, closed, or failed; kErrorTimeout;
  // kErrorInvalidHandle when no client is connected; kErrorInvalidFunction when aborted.
  Status Read(void* buffer, size_t size, size_t* received, const Event* abort = nullptr,
              uint32_t timeout_ms = kWaitInfinite);

  // Sends `size` bytes as one message to the current client. 0 when the whole message was
  // sent; kErrorInvalidHandle when no client is connected; kErrorWriteFault when the client
  // has gone.
  Status Write(const void* data, size_t size);

  // Ends the current connection (nothing happens when none). The next client may be accepted.
  void Disconnect();

  // The socket path ("/run/quillon/ORNA_PIPE").
  const std::string& path() const { return path_; }

 private:
  PipeServer(std::string path, int listen_fd, int lock_fd);

  std::string path_;
  int listen_fd_;
  int lock_fd_;
  int conn_fd_ = -1;
};

// The one-shot client: connects to the pipe `name` (waiting in the queue while the server is
// busy with another client), sends `request` as one message, receives one reply message into
// reply[0..reply_size), and closes. *received (when given) gets the number of reply bytes
// stored. 0 on success; kErrorNotFound when no server serves the name; kErrorAccessDenied;
// kErrorMoreData when the reply was longer than reply_size (the first reply_size bytes are
// stored); kErrorReadFault when the server closed without replying; kErrorTimeout. Waits
// without a time limit. Thread-safe.
Status CallNamedPipe(const std::string& name, const void* request, size_t size, void* reply,
                     size_t reply_size, size_t* received);

// As CallNamedPipe, but gives up with kErrorTimeout when the whole exchange has taken more
// than timeout_ms milliseconds (kWaitInfinite: no limit).
Status CallNamedPipeTimed(const std::string& name, const void* request, size_t size, void* reply,
                          size_t reply_size, size_t* received, uint32_t timeout_ms);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_PIPE_H_
