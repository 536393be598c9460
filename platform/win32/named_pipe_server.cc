#include "platform/win32/named_pipe_server.h"

#include <sddl.h>

#include <algorithm>

#include "platform/win32/native_waitable.h"
#include "platform/win32/wide_text.h"

namespace quillon {
namespace {

using Clock = std::chrono::steady_clock;

// Only the local system account and administrators may talk to the service: a pipe with no
// access list at all would let every user, and any machine on the network, stop it.
constexpr wchar_t kPipeSecurity[] = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)";

std::string PipePath(const std::string& name) { return "\\\\.\\pipe\\" + name; }

// Milliseconds left until `deadline`, at least 0.
uint32_t MsUntil(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<uint32_t>(std::max<int64_t>(0, left.count()));
}

// The earlier of a time-out in milliseconds and a deadline (either may be "none").
uint32_t EarlierOf(uint32_t timeout_ms, bool has_deadline, Clock::time_point deadline) {
  if (!has_deadline) return timeout_ms;
  uint32_t left = MsUntil(deadline);
  return timeout_ms == kWaitInfinite ? left : std::min(timeout_ms, left);
}

Status ReadFailure(DWORD error) {
  switch (error) {
    case ERROR_MORE_DATA:
      return kErrorMoreData;
    case ERROR_OPERATION_ABORTED:
      return kErrorOperationAborted;
    default:  // broken pipe, not connected, no data: the client has gone
      return kErrorReadFault;
  }
}

}  // namespace

std::unique_ptr<NamedPipeServer> NamedPipeServer::Create(const std::string& name, Status* status,
                                                         uint32_t request_timeout_ms) {
  Status ignored;
  if (!status) status = &ignored;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kPipeSecurity, SDDL_REVISION_1, &sd,
                                                            nullptr)) {
    *status = GetLastError();
    return nullptr;
  }
  SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
  std::string path = PipePath(name);
  HANDLE pipe = CreateNamedPipeW(
      Widen(path).c_str(),
      PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, 0,
      1000, &sa);
  DWORD error = GetLastError();
  LocalFree(sd);
  if (pipe == INVALID_HANDLE_VALUE) {
    // FIRST_PIPE_INSTANCE refuses a name that a live server holds with "access denied".
    *status = error == ERROR_ACCESS_DENIED || error == ERROR_PIPE_BUSY ? kErrorPipeBusy : error;
    return nullptr;
  }
  HANDLE connect_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE io_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!connect_event || !io_event) {
    *status = GetLastError();
    if (connect_event) CloseHandle(connect_event);
    if (io_event) CloseHandle(io_event);
    CloseHandle(pipe);
    return nullptr;
  }
  std::unique_ptr<NamedPipeServer> server(
      new NamedPipeServer(std::move(path), pipe, connect_event, io_event, request_timeout_ms));
  *status = server->Listen();
  if (*status != kOk) return nullptr;
  return server;
}

std::unique_ptr<PipeServer> PipeServer::Create(const std::string& name, Status* status,
                                               uint32_t request_timeout_ms) {
  return NamedPipeServer::Create(name, status, request_timeout_ms);
}

NamedPipeServer::NamedPipeServer(std::string path, HANDLE pipe, HANDLE connect_event,
                                 HANDLE io_event, uint32_t request_timeout_ms)
    : path_(std::move(path)),
      pipe_(pipe),
      connect_event_(connect_event),
      io_event_(io_event),
      request_timeout_ms_(request_timeout_ms) {}

NamedPipeServer::~NamedPipeServer() {
  // The pending connect refers to connect_ov_; it must be over before the memory goes.
  if (listening_) {
    DWORD n;
    CancelIoEx(pipe_, &connect_ov_);
    GetOverlappedResult(pipe_, &connect_ov_, &n, TRUE);
  }
  CloseHandle(pipe_);
  CloseHandle(connect_event_);
  CloseHandle(io_event_);
}

Waitable NamedPipeServer::ready_waitable() const {
  return NativeWaitable::FromHandle(connect_event_);
}

Status NamedPipeServer::Listen() {
  connect_ov_ = OVERLAPPED{};
  connect_ov_.hEvent = connect_event_;
  ResetEvent(connect_event_);
  if (ConnectNamedPipe(pipe_, &connect_ov_)) {
    SetEvent(connect_event_);
  } else {
    DWORD error = GetLastError();
    if (error == ERROR_PIPE_CONNECTED) {
      // A client came between the disconnect and this call; no operation is pending.
      SetEvent(connect_event_);
      listening_ = false;
      connected_pending_ = true;
      return kOk;
    }
    if (error != ERROR_IO_PENDING) return error;
  }
  listening_ = true;
  connected_pending_ = false;
  return kOk;
}

Status NamedPipeServer::Accept() {
  if (connected_) return kErrorPipeBusy;
  if (!connected_pending_) {
    if (!listening_) {
      Status status = Listen();
      if (status != kOk) return status;
      if (!connected_pending_ && !listening_) return kErrorTimeout;
    }
    if (listening_) {
      DWORD n;
      if (!GetOverlappedResult(pipe_, &connect_ov_, &n, FALSE)) {
        DWORD error = GetLastError();
        if (error == ERROR_IO_INCOMPLETE) return kErrorTimeout;
        listening_ = false;
        DisconnectNamedPipe(pipe_);
        Listen();
        return error;
      }
      listening_ = false;
    }
  }
  connected_pending_ = false;
  ResetEvent(connect_event_);
  connected_ = true;
  replied_ = false;
  request_deadline_ = Clock::now() + std::chrono::milliseconds(request_timeout_ms_);
  return kOk;
}

Status NamedPipeServer::Transfer(bool write, void* buffer, size_t size, const Event* abort,
                                 uint32_t wait_ms, DWORD* bytes) {
  OVERLAPPED overlapped{};
  OVERLAPPED* ov = &overlapped;
  ov->hEvent = io_event_;
  ResetEvent(io_event_);
  *bytes = 0;
  const DWORD n = static_cast<DWORD>(size);
  BOOL started =
      write ? WriteFile(pipe_, buffer, n, bytes, ov) : ReadFile(pipe_, buffer, n, bytes, ov);
  DWORD error = started ? ERROR_SUCCESS : GetLastError();
  if (error == ERROR_IO_PENDING) {
    HANDLE handles[2] = {io_event_, nullptr};
    DWORD count = 1;
    if (abort && abort->valid()) handles[count++] = NativeWaitable::Handle(abort->waitable());
    DWORD r = WaitForMultipleObjects(count, handles, FALSE,
                                     wait_ms == kWaitInfinite ? INFINITE : wait_ms);
    if (r != WAIT_OBJECT_0) {
      // Cancel and wait for the operation to end: the buffer and ov must not be used after.
      CancelIoEx(pipe_, ov);
      if (GetOverlappedResult(pipe_, ov, bytes, TRUE)) return kOk;  // finished meanwhile
      if (r == WAIT_OBJECT_0 + 1) return kErrorInvalidFunction;
      if (r == WAIT_TIMEOUT) return kErrorTimeout;
      return GetLastError();
    }
  }
  // A message longer than the buffer ends at once with "more data"; the count is in ov.
  if (error != ERROR_SUCCESS && error != ERROR_IO_PENDING && error != ERROR_MORE_DATA) {
    return error;
  }
  return GetOverlappedResult(pipe_, ov, bytes, TRUE) ? kOk : GetLastError();
}

Status NamedPipeServer::Read(void* buffer, size_t size, size_t* received, const Event* abort,
                             uint32_t timeout_ms) {
  *received = 0;
  if (!connected_) return kErrorInvalidHandle;
  uint32_t wait_ms = EarlierOf(timeout_ms, request_timeout_ms_ != kWaitInfinite, request_deadline_);
  DWORD n = 0;
  Status status = Transfer(false, buffer, size, abort, wait_ms, &n);
  if (status == kOk || status == ERROR_MORE_DATA) *received = n;
  if (status == ERROR_MORE_DATA) {
    // The rest of the message stays in the pipe; read it away so the next read starts clean.
    char scratch[512];
    Status rest;
    do {
      DWORD m;
      rest = Transfer(false, scratch, sizeof scratch, nullptr, 1000, &m);
    } while (rest == ERROR_MORE_DATA);
    return kErrorMoreData;
  }
  if (status == kErrorTimeout || status == kErrorInvalidFunction) return status;
  if (status != kOk) return ReadFailure(status);
  // Windows delivers a 0-byte message as a successful read of nothing; the service treats it
  // as a failed read, as it does a client that went away.
  return n == 0 ? kErrorReadFault : kOk;
}

Status NamedPipeServer::Write(const void* data, size_t size) {
  if (!connected_) return kErrorInvalidHandle;
  DWORD n = 0;
  // A pipe without a buffer of its own holds the writer until the client reads; a client that
  // never reads must not hold the server, so the wait is bounded like a request.
  Status status = Transfer(true, const_cast<void*>(data), size, nullptr, kPipeRequestTimeoutMs, &n);
  if (status != kOk || n != size) return kErrorWriteFault;
  replied_ = true;
  return kOk;
}

void NamedPipeServer::Disconnect() {
  if (!connected_) return;
  // Disconnecting throws away a reply the client has not read yet. The one-shot client closes
  // its end once it has the reply, which ends this read; a client that keeps the pipe open
  // without reading is given up after the request time.
  if (replied_) {
    char byte;
    DWORD n;
    Transfer(false, &byte, 1, nullptr, kPipeRequestTimeoutMs, &n);
  }
  DisconnectNamedPipe(pipe_);
  connected_ = false;
  Listen();
}

// The pipe is opened here, waiting while it is busy with another client (the system's one-call
// client gives up at once under some loads, so the wait is done here), and the request and reply
// go in one transaction.
Status CallPipeTimed(const std::string& name, const void* request, size_t size, void* reply,
                     size_t reply_size, size_t* received, uint32_t timeout_ms) {
  if (received) *received = 0;
  const bool timed = timeout_ms != kWaitInfinite;
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(timed ? timeout_ms : 0);
  std::wstring path = Widen(PipePath(name));
  HANDLE pipe;
  for (;;) {
    pipe = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) break;
    DWORD error = GetLastError();
    if (error != ERROR_PIPE_BUSY) return error;
    // Busy with another client: wait for the instance to be free, then race for it again.
    DWORD wait = timed ? MsUntil(deadline) : NMPWAIT_WAIT_FOREVER;
    if (timed && wait == 0) return kErrorTimeout;
    if (!WaitNamedPipeW(path.c_str(), wait)) {
      error = GetLastError();
      if (error == ERROR_SEM_TIMEOUT) return kErrorTimeout;
      if (error != ERROR_PIPE_BUSY) return error;
    }
  }
  DWORD mode = PIPE_READMODE_MESSAGE;
  Status status = SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr) ? kOk : GetLastError();
  HANDLE event = status == kOk ? CreateEventW(nullptr, TRUE, FALSE, nullptr) : nullptr;
  if (status == kOk && !event) status = GetLastError();
  if (status == kOk) {
    OVERLAPPED ov{};
    ov.hEvent = event;
    DWORD n = 0;
    BOOL done = TransactNamedPipe(pipe, const_cast<void*>(request), static_cast<DWORD>(size), reply,
                                  static_cast<DWORD>(reply_size), &n, &ov);
    if (!done && GetLastError() == ERROR_IO_PENDING) {
      DWORD wait = timed ? MsUntil(deadline) : INFINITE;
      if (WaitForSingleObject(event, wait) != WAIT_OBJECT_0) CancelIoEx(pipe, &ov);
      done = GetOverlappedResult(pipe, &ov, &n, TRUE);
    }
    DWORD error = done ? 0 : GetLastError();
    if (received) *received = n;
    if (done) {
      status = n == 0 ? kErrorReadFault : kOk;
    } else if (error == ERROR_OPERATION_ABORTED) {
      status = kErrorTimeout;
    } else {
      status = ReadFailure(error);
    }
    CloseHandle(event);
  }
  CloseHandle(pipe);
  return status;
}

}  // namespace quillon
