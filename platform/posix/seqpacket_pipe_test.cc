#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <future>
#include <string>
#include <vector>

#include "platform/pipe.h"
#include "platform/posix/test_pipe_client.h"
#include "platform/runtime_dir.h"
#include "platform/testing/scoped_runtime_dir.h"

namespace quillon {
namespace {

constexpr uint32_t kBound = 10000;  // ms; only a hung test ever waits this long

// Waits until a client is ready to be served and makes it the current one; false when none
// comes within the bound.
bool AcceptNext(PipeServer* server) {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBound);
  while (std::chrono::steady_clock::now() < give_up) {
    if (WaitOne(server->ready_waitable(), kBound) != 0) return false;
    // A wake for a client that has connected but not yet sent only leads to the next wait.
    if (server->Accept() == kOk) return true;
  }
  return false;
}

// Serves one client on `server`: waits for it, reads its message, replies with `reply`.
std::string ServeOne(PipeServer* server, const std::string& reply) {
  if (!AcceptNext(server)) return "<no client>";
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
  EXPECT_EQ(CallPipeTimed("ORNA_PIPE", "02", 3, reply, sizeof reply, &got, kBound), kOk);
  EXPECT_EQ(served.get(), std::string("02", 3));
  EXPECT_EQ(std::string(reply, got), "Heared.");

  std::string path = server->path();
  server.reset();
  EXPECT_NE(stat(path.c_str(), &st), 0);
  EXPECT_EQ(CallPipeTimed("ORNA_PIPE", "02", 3, reply, sizeof reply, &got, kBound), kErrorNotFound);
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
  EXPECT_EQ(CallPipeTimed("P", "", 0, reply, sizeof reply, &got, kBound), kOk);
  EXPECT_EQ(served.get(), "<read 30>");
  EXPECT_EQ(std::string(reply, got), "ok");
}

TEST(PipeTest, LongRequestAndLongReplyAreCut) {
  ScopedRuntimeDir rt;
  auto server = PipeServer::Create("P", nullptr);
  ASSERT_NE(server, nullptr);
  auto served = std::async(std::launch::async, [&] {
    if (!AcceptNext(server.get())) return std::string("no client");
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
  EXPECT_EQ(CallPipeTimed("P", big.data(), big.size(), reply, sizeof reply, &got, kBound),
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
    Status s = CallPipeTimed("P", text, strlen(text), reply, sizeof reply, &got, kBound);
    return s == kOk ? std::string(reply, got) : "fail " + std::to_string(s);
  };
  auto a = std::async(std::launch::async, call, "a");
  ASSERT_TRUE(AcceptNext(server.get()));
  EXPECT_EQ(server->Accept(), kErrorPipeBusy);
  auto b = std::async(std::launch::async, call, "b");
  char buf[16];
  size_t n;
  ASSERT_EQ(server->Read(buf, sizeof buf, &n, nullptr, kBound), kOk);
  // The second client is queued while the first is being served.
  ASSERT_EQ(WaitOne(server->ready_waitable(), kBound), 0);
  server->Write("A", 1);
  server->Disconnect();
  EXPECT_EQ(a.get(), "A");
  EXPECT_EQ(ServeOne(server.get(), "B"), "b");
  EXPECT_EQ(b.get(), "B");
}

TEST(PipeTest, ReadEndsOnAbortTimeoutAndHangUp) {
  ScopedRuntimeDir rt;
  // No request time at all: a silent client is handed over at once, its time already up.
  auto server = PipeServer::Create("P", nullptr, 0);
  ASSERT_NE(server, nullptr);
  char buf[8];
  size_t n;
  EXPECT_EQ(server->Read(buf, sizeof buf, &n), kErrorInvalidHandle);
  int client = ConnectSilently("P");
  ASSERT_GE(client, 0);
  ASSERT_TRUE(AcceptNext(server.get()));
  EXPECT_EQ(server->Read(buf, sizeof buf, &n, nullptr, kBound), kErrorTimeout);
  Event abort;
  abort.Set();
  EXPECT_EQ(server->Read(buf, sizeof buf, &n, &abort, kBound), kErrorInvalidFunction);
  close(client);
  EXPECT_EQ(server->Read(buf, sizeof buf, &n, &abort, kBound), kErrorReadFault);
  EXPECT_EQ(server->Write("x", 1), kErrorWriteFault);
  server->Disconnect();
  EXPECT_FALSE(server->connected());
}

// The number of open descriptors of this process.
int OpenDescriptors() {
  DIR* dir = opendir("/proc/self/fd");
  int n = 0;
  while (readdir(dir) != nullptr) ++n;
  closedir(dir);
  return n;
}

// Serves `server` until a request equal to `wanted` has been answered; every other client
// is answered with its read's status. The statuses in the order served.
std::vector<std::string> ServeUntil(PipeServer* server, const std::string& wanted) {
  std::vector<std::string> served;
  while (served.empty() || served.back() != wanted) {
    if (WaitOne(server->ready_waitable(), kBound) != 0) return {"<no client>"};
    if (server->Accept() != kOk) continue;
    char buf[128] = {};
    size_t got = 0;
    Status s = server->Read(buf, sizeof buf, &got, nullptr, kBound);
    served.push_back(s == kOk ? std::string(buf, got) : "<read " + std::to_string(s) + ">");
    char reply[128] = {};
    std::memcpy(reply, served.back().data(), std::min(served.back().size(), sizeof reply - 1));
    server->Write(reply, sizeof reply);
    server->Disconnect();
  }
  return served;
}

TEST(PipeTest, SilentClientsDoNotHoldUpAWellFormedRequest) {
  ScopedRuntimeDir rt;
  auto server = PipeServer::Create("P", nullptr);
  ASSERT_NE(server, nullptr);
  std::vector<int> silent;
  for (int i = 0; i < 16; ++i) {
    silent.push_back(ConnectSilently("P"));
    ASSERT_GE(silent.back(), 0);
  }
  // A slow client, connected before the well-formed one, sends only once that one is served.
  int slow = ConnectSilently("P");
  ASSERT_GE(slow, 0);
  const auto start = std::chrono::steady_clock::now();
  auto call = std::async(std::launch::async, [] {
    char reply[129] = {};
    size_t got = 0;
    Status s = CallPipeTimed("P", "02", 3, reply, sizeof reply, &got, kBound);
    return s == kOk ? std::to_string(got) + ":" + reply : "fail " + std::to_string(s);
  });
  EXPECT_EQ(ServeUntil(server.get(), std::string("02", 3)),
            std::vector<std::string>{std::string("02", 3)});
  EXPECT_EQ(call.get(), "128:02");
  std::printf("reply behind 16 silent clients and a slow one after %lld ms\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - start)
                                         .count()));
  ASSERT_EQ(send(slow, "late", 4, 0), 4);
  EXPECT_EQ(ServeUntil(server.get(), "late"), std::vector<std::string>{"late"});
  char reply[129] = {};
  EXPECT_EQ(recv(slow, reply, sizeof reply, 0), 128);
  EXPECT_STREQ(reply, "late");
  close(slow);
  for (int fd : silent) close(fd);
}

TEST(PipeTest, SilentClientIsAnsweredWhenItsTimeIsUpAndNothingLeaks) {
  ScopedRuntimeDir rt;
  const int before = OpenDescriptors();
  {
    auto server = PipeServer::Create("P", nullptr, 50);
    ASSERT_NE(server, nullptr);
    // More clients than the server holds at once: the rest wait in the listen queue, and
    // each one in turn gets the outcome of a failed read once its time is up.
    // Connected from another thread: past the listen queue's length a connect waits until
    // the server takes clients in.
    auto connecting = std::async(std::launch::async, [&] {
      std::vector<int> fds;
      for (size_t i = 0; i < kPipeMaxClients + 4; ++i) fds.push_back(ConnectSilently("P"));
      return fds;
    });
    for (size_t answered = 0; answered < kPipeMaxClients + 4;) {
      ASSERT_EQ(WaitOne(server->ready_waitable(), kBound), 0);
      // Woken for a client in the queue only: nobody's time is up yet.
      if (server->Accept() != kOk) continue;
      char buf[8];
      size_t got = 99;
      EXPECT_EQ(server->Read(buf, sizeof buf, &got, nullptr, kBound), kErrorTimeout);
      EXPECT_EQ(got, 0u);
      char zeros[128] = {};
      EXPECT_EQ(server->Write(zeros, sizeof zeros), kOk);
      server->Disconnect();
      ++answered;
    }
    std::vector<int> silent = connecting.get();
    // Every client got its record; a client that still sends afterwards finds the
    // connection closed.
    for (int fd : silent) {
      char reply[129];
      EXPECT_EQ(recv(fd, reply, sizeof reply, 0), 128);
      EXPECT_EQ(recv(fd, reply, sizeof reply, 0), 0);
    }
    // Clients still held or queued when the server goes are closed with it.
    int held = ConnectSilently("P");
    ASSERT_EQ(WaitOne(server->ready_waitable(), kBound), 0);
    server->Accept();
    server.reset();
    char reply[8];
    EXPECT_EQ(recv(held, reply, sizeof reply, 0), 0);
    close(held);
    for (int fd : silent) close(fd);
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
}  // namespace quillon
