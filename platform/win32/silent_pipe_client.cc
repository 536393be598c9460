#include "platform/silent_pipe_client.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace quillon {
namespace {

class NamedPipeSilentClient : public SilentPipeClient {
 public:
  explicit NamedPipeSilentClient(HANDLE pipe) : pipe_(pipe) {}
  ~NamedPipeSilentClient() override { CloseHandle(pipe_); }

  // The server's disconnect fails the read ("not connected" or "broken pipe"); a message, even
  // one longer than the buffer, is a read that succeeds or reports "more data".
  bool WaitUntilLetGo() override {
    char buffer[1];
    DWORD n = 0;
    if (ReadFile(pipe_, buffer, sizeof buffer, &n, nullptr)) return false;
    const DWORD error = GetLastError();
    return error == ERROR_PIPE_NOT_CONNECTED || error == ERROR_BROKEN_PIPE ||
           error == ERROR_NO_DATA;
  }

 private:
  HANDLE pipe_;
};

}  // namespace

std::unique_ptr<SilentPipeClient> SilentPipeClient::Connect(const std::string& name) {
  const std::wstring path = Widen("\\\\.\\pipe\\" + name);
  for (;;) {
    HANDLE pipe = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) return std::make_unique<NamedPipeSilentClient>(pipe);
    if (GetLastError() != ERROR_PIPE_BUSY) return nullptr;
    // The one instance serves another client: wait until the server is free, then race for it
    // again. A server that goes away meanwhile fails the wait.
    if (!WaitNamedPipeW(path.c_str(), NMPWAIT_WAIT_FOREVER) && GetLastError() != ERROR_PIPE_BUSY) {
      return nullptr;
    }
  }
}

int SilentPipeClient::ConnectedAtOnce() { return 1; }

}  // namespace quillon
