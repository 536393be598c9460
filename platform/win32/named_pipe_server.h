#ifndef QUILLON_PLATFORM_WIN32_NAMED_PIPE_SERVER_H_
#define QUILLON_PLATFORM_WIN32_NAMED_PIPE_SERVER_H_

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "platform/event.h"
#include "platform/pipe.h"
#include "platform/status.h"

namespace quillon {

// The server end of a named pipe on Windows: \\.\pipe\NAME in message mode, one instance,
// overlapped, with the PipeServer contract of platform/pipe.h. The pipe's ready event is
// signalled by the pending overlapped connect when a client arrives; Accept takes that client.
// PipeServer::Create makes one. Local clients of SYSTEM and the Administrators group may connect;
// remote clients are refused.
//
// Not thread-safe: one thread owns the server. Destroying it closes the pipe, so a client
// still waiting fails.
class NamedPipeServer final : public PipeServer {
 public:
  // Creates \\.\pipe\`name` and starts waiting for a client. On failure returns null and
  // stores in *status (when given): kErrorPipeBusy when another server holds the name, or the
  // system's error number.
  static std::unique_ptr<NamedPipeServer> Create(
      const std::string& name, Status* status, uint32_t request_timeout_ms = kPipeRequestTimeoutMs);

  ~NamedPipeServer() override;

  // Signalled while a client has connected and not yet been accepted.
  Waitable ready_waitable() const override;

  // Without blocking, makes the client that has connected the current connection. 0 on
  // success; kErrorTimeout when no client has connected; kErrorPipeBusy when one is connected
  // already; another status when the connect failed (a new one has been started then).
  Status Accept() override;

  bool connected() const override { return connected_; }

  // Reads the current client's next message as PipeServer::Read does: kErrorMoreData when it
  // was cut to `size` (the rest is read and dropped), kErrorReadFault for a 0-byte message or
  // a client that went away, kErrorTimeout when `timeout_ms` or the client's request time
  // ran out, kErrorInvalidFunction when `abort` was signalled, kErrorInvalidHandle when no
  // client is connected.
  Status Read(void* buffer, size_t size, size_t* received, const Event* abort = nullptr,
              uint32_t timeout_ms = kWaitInfinite) override;

  // Sends one message. 0, kErrorInvalidHandle without a client, kErrorWriteFault when the
  // client has gone or has not taken the message within kPipeRequestTimeoutMs.
  Status Write(const void* data, size_t size) override;

  // After a reply, waits (up to kPipeRequestTimeoutMs) until the client has closed its end,
  // so that it has read the reply; then ends the connection and starts waiting for the next client.
  // Nothing happens when none is connected.
  void Disconnect() override;

  // "\\.\pipe\NAME".
  const std::string& path() const override { return path_; }

 private:
  NamedPipeServer(std::string path, HANDLE pipe, HANDLE connect_event, HANDLE io_event,
                  uint32_t request_timeout_ms);
  // Starts the overlapped connect that signals connect_event_ when a client arrives.
  Status Listen();
  // Reads (or writes) one message of `size` bytes at `buffer` with an overlapped operation and
  // waits for its end on io_event_ and `abort` for up to `wait_ms` (kWaitInfinite: no limit);
  // an operation that runs out of time or is aborted is cancelled before this returns. 0 and
  // the byte count in *bytes; ERROR_MORE_DATA with the count of a cut message;
  // kErrorInvalidFunction when aborted; kErrorTimeout; or the system's error number.
  Status Transfer(bool write, void* buffer, size_t size, const Event* abort, uint32_t wait_ms,
                  DWORD* bytes);

  std::string path_;
  HANDLE pipe_;
  HANDLE connect_event_;
  HANDLE io_event_;
  OVERLAPPED connect_ov_{};
  bool listening_ = false;
  bool connected_pending_ = false;  // a client connected before the connect call
  bool connected_ = false;
  bool replied_ = false;  // a reply was written to the current client
  uint32_t request_timeout_ms_;
  std::chrono::steady_clock::time_point request_deadline_{};
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_WIN32_NAMED_PIPE_SERVER_H_
