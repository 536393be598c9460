#ifndef QUILLON_PLATFORM_SILENT_PIPE_CLIENT_H_
#define QUILLON_PLATFORM_SILENT_PIPE_CLIENT_H_

#include <memory>
#include <string>

namespace quillon {

// For tests: a client of the pipe `name` that connects and then sends nothing, as a hung or
// hostile client does. It holds its connection until it is destroyed. One thread at a time.
class SilentPipeClient {
 public:
  // Connects, waiting while the server's listen queue is full. Null when no server serves the
  // name or the connection fails.
  static std::unique_ptr<SilentPipeClient> Connect(const std::string& name);

  // How many silent clients may be connected to one server at once without Connect waiting
  // for the server to let one go: the length of the Linux server's listen queue; 1 on Windows,
  // whose pipe has a single instance (a further client waits until the server gives the one
  // before up, after its request time).
  static int ConnectedAtOnce();

  // Closes the connection.
  virtual ~SilentPipeClient() = default;

  // Waits until the server ends the connection. True when it ended it without sending a
  // message; false when a message arrived or the connection failed otherwise.
  virtual bool WaitUntilLetGo() = 0;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_SILENT_PIPE_CLIENT_H_
