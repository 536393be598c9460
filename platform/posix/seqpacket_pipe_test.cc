#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <future>
#include <string>

#include "platform/pipe.h"
#include "platform/posix/test_runtime_dir.h"
#include "platform/runtime_dir.h"

namespace quillon {
namespace {

int ConnectRaw(const std::string& path) {
  int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

constexpr uint32_t kBound = 10000;  // ms; only a hung test ever waits this long

// Serves one client on `server`: waits for it, reads its message, replies with `reply`.
std::string ServeOne(PipeServer* server, const std::string& reply) {
  if (WaitOne(server->connect_waitable(), kBound) != 0) return "<no client>";
  if (server->Accept() != kOk) return "<accept failed>";
  char buf[128];
  size_t got = 0;
  Status s = server->Read(buf, sizeof buf, &got, nullptr, kBound);
  server->Write(reply.data(), reply.size());
  server->Disconnect();
  return s == kOk ? std::string(buf, got) : "<read " + std::to_string(s) + ">";
}

TEST(RuntimeDirTest, OverrideGetsTrailingSlashAndIsCreated) {
  ScopedRuntimeDir rt;
  std::string nested = rt.dir() + "/a/b";
  setenv("QUILLON_RUNTIME_DIR", nested.c_str(), 1);
  EXPECT_EQ(RuntimeDir(), nested + "/");
  ASSERT_EQ(EnsureRuntimeDir(), kOk);
  struct stat st;
  ASSERT_EQ(stat(nested.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  unsetenv("QUILLON_RUNTIME_DIR");
  EXPECT_EQ(RuntimeDir(), "/run/quillon/");
}

TEST(PipeTest, OneRoundTripWithModeAndCleanup) {
  ScopedRuntimeDir rt;
  Status status = 99;
  auto server = PipeServer::Create("ORNA_PIPE", &status);
  ASSERT_EQ(status, kOk);
  ASSERT_NE(server, nullptr);
  EXPECT_EQ(server->path(), rt.dir() + "/ORNA_PIPE");
  struct stat st;
  ASSERT_EQ(stat(server->path().c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0660u);

  auto served = std::async(std::launch::async, [&] { return ServeOne(server.get(), "Heared."); });
  char reply[128] = {};
  size_t got = 0;
  EXPECT_EQ(CallNamedPipeTimed("ORNA_PIPE", "02", 3, reply, sizeof reply, &got, kBound), kOk);
  EXPECT_EQ(served.get(), std::string("02", 3));
  EXPECT_EQ(std::string(reply, got), "Heared.");

  std::string path = server->path();
  server.reset();
  EXPECT_NE(stat(path.c_str(), &st), 0);
  EXPECT_EQ(CallNamedPipeTimed("ORNA_PIPE", "02", 3, reply, sizeof reply, &got, kBound),
            kErrorNotFound);
}

TEST(PipeTest, SecondServerIsRefusedAndStaleFileReplaced) {
  ScopedRuntimeDir rt;
  Status status;
  auto first = PipeServer::Create("P", &status);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(PipeServer::Create("P", &status), nullptr);
  EXPECT_EQ(status, kErrorPipeBusy);
  first.reset();
  // A file left behind by a server that died keeps no one from serving the name.
  FILE* f = fopen((rt.dir() + "/P").c_str(), "w");
  fclose(f);
  auto second = PipeServer::Create("P", &status);
  EXPECT_EQ(status, kOk);
  EXPECT_NE(second, nullptr);
}

TEST(PipeTest, EmptyAndOversizedMessages) {
  ScopedRuntimeDir rt;
  auto server = PipeServer::Create("P", nullptr);
  ASSERT_NE(server, nullptr);
  // A 0-byte request is a failed read; the reply still reaches the client.
  auto served = std::async(std::launch::async, [&] { return ServeOne(server.get(), "ok"); });
  char reply[4] = {};
  size_t got = 0;
  EXPECT_EQ(CallNamedPipeTimed("P", "", 0, reply, sizeof reply, &got, kBound), kOk);
  EXPECT_EQ(served.get(), "<read 30>");
  EXPECT_EQ(std::string(reply, got), "ok");
}

TEST(PipeTest, LongRequestAndLongReplyAreCut) {
  ScopedRuntimeDir rt;
  auto server = PipeServer::Create("P", nullptr);
  ASSERT_NE(server, nullptr);
  auto served = std::async(std::launch::async, [&] {
    if (WaitOne(server->connect_waitable(), kBound) != 0 || server->Accept() != kOk) {
      return std::string("no client");
    }
    char buf[128];
    size_t n = 0;
    Status s = server->Read(buf, sizeof buf, &n, nullptr, kBound);
    std::string long_reply(200, 'y');
    server->Write(long_reply.data(), long_reply.size());
    server->Disconnect();
    return std::to_string(s) + "/" + std::to_string(n);
  });
  std::string big(300, 'x');
  char reply[128];
  size_t got = 0;
  EXPECT_EQ(CallNamedPipeTimed("P", big.data(), big.size(), reply, sizeof reply, &got, kBound),
            kErrorMoreData);
  EXPECT_EQ(got, sizeof reply);
  EXPECT_EQ(served.get(), std::to_string(kErrorMoreData) + "/128");
}

TEST(PipeTest, BusyServerKeepsClientsQueuedAndServesInTurn) {
  ScopedRuntimeDir rt;
  auto server = PipeServer::Create("P", nullptr);
  ASSERT_NE(server, nullptr);
  auto call = [](const char* text) {
    char reply[16] = {};
    size_t got = 0;
    Status s = CallNamedPipeTimed("P", text, strlen(text), reply, sizeof reply, &got, kBound);
    return s == kOk ? std::string(reply, got) : "fail " + std::to_string(s);
  };
  auto a = std::async(std::launch::async, call, "a");
  ASSERT_EQ(WaitOne(server->connect_waitable(), kBound), 0);
  ASSERT_EQ(server->Accept(), kOk);
  EXPECT_EQ(server->Accept(), kErrorPipeBusy);
  auto b = std::async(std::launch::async, call, "b");
  char buf[16];
  size_t n;
  ASSERT_EQ(server->Read(buf, sizeof buf, &n, nullptr, kBound), kOk);
  // The second client is queued while the first is being served.
  ASSERT_EQ(WaitOne(server->connect_waitable(), kBound), 0);
  server->Write("A", 1);
  server->Disconnect();
  EXPECT_EQ(a.get(), "A");
  EXPECT_EQ(ServeOne(server.get(), "B"), "b");
  EXPECT_EQ(b.get(), "B");
}

TEST(PipeTest, ReadEndsOnAbortTimeoutAndHangUp) {
  ScopedRuntimeDir rt;
  auto server = PipeServer::Create("P", nullptr);
  ASSERT_NE(server, nullptr);
  char buf[8];
  size_t n;
  EXPECT_EQ(server->Read(buf, sizeof buf, &n), kErrorInvalidHandle);
  // A client that connects and stays silent must not hold the server for ever.
  int client = ConnectRaw(server->path());
  ASSERT_GE(client, 0);
  ASSERT_EQ(WaitOne(server->connect_waitable(), kBound), 0);
  ASSERT_EQ(server->Accept(), kOk);
  EXPECT_EQ(server->Read(buf, sizeof buf, &n, nullptr, 1), kErrorTimeout);
  Event abort;
  abort.Set();
  EXPECT_EQ(server->Read(buf, sizeof buf, &n, &abort, kBound), kErrorInvalidFunction);
  close(client);
  EXPECT_EQ(server->Read(buf, sizeof buf, &n, &abort, kBound), kErrorReadFault);
  EXPECT_EQ(server->Write("x", 1), kErrorWriteFault);
  server->Disconnect();
  EXPECT_FALSE(server->connected());
}

}  // namespace
}  // namespace quillon
