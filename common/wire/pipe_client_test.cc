#include "common/wire/pipe_client.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <string>

#include "common/wire/pipe_format.h"
#include "platform/event.h"
#include "platform/pipe.h"
#include "platform/testing/scoped_runtime_dir.h"

namespace quillon {
namespace {

constexpr uint32_t kBoundMs = 10000;  // only a hung test ever waits this long

// Serves one client on `server` as the service does: reads its request into a record and
// answers with `reply_text` in a zero-filled record. The request's bytes as they arrived.
std::string ServeOne(PipeServer* server, const std::string& reply_text) {
  // A wake for a client that has connected but not yet sent leads only to the next wait.
  while (server->Accept() != kOk) {
    if (WaitOne(server->ready_waitable(), kBoundMs) != 0) return "<no client>";
  }
  char request[kPipeRecordSize];
  size_t received = 0;
  const Status status = server->Read(request, sizeof request, &received, nullptr, kBoundMs);
  char reply[kPipeRecordSize] = {};
  reply_text.copy(reply, sizeof reply - 1);
  server->Write(reply, sizeof reply);
  server->Disconnect();
  return status == kOk ? std::string(request, received) : "<read failed>";
}

TEST(PipeClientTest, ProbeSendsTheStatusQueryAsAWholeRecord) {
  ScopedRuntimeDir rt;
  EXPECT_EQ(ProbeService(kBoundMs), kErrorNotFound);  // no service

  Status status = kOk;
  std::unique_ptr<PipeServer> server = PipeServer::Create(kCommandPipeName, &status);
  ASSERT_NE(server, nullptr) << status;
  auto served = std::async(std::launch::async, [&] { return ServeOne(server.get(), "x"); });
  EXPECT_EQ(ProbeService(kBoundMs), kOk);
  EXPECT_EQ(served.get(), "02" + std::string(kPipeRecordSize - 2, '\0'));
}

TEST(PipeClientTest, PartsChangedRequestArrivesAsSentAndTheReplyTextComesBack) {
  ScopedRuntimeDir rt;
  PartsChangedRequest request = NoPartsChanged();
  FlagPartChanged(18, &request);
  std::string reply = "untouched";
  EXPECT_EQ(SendPartsChanged(request.data(), request.size(), kBoundMs, &reply), kErrorNotFound);
  EXPECT_EQ(reply, "untouched");

  Status status = kOk;
  std::unique_ptr<PipeServer> server = PipeServer::Create(kPartsChangePipeName, &status);
  ASSERT_NE(server, nullptr) << status;
  // One thread serves both calls, as the service's does: Windows cancels a pending connect
  // when the thread that started it ends.
  std::promise<std::string> first;
  auto second = std::async(std::launch::async, [&] {
    first.set_value(ServeOne(server.get(), kPartsChangedReply));
    return ServeOne(server.get(), "x");
  });
  EXPECT_EQ(SendPartsChanged(request.data(), request.size(), kBoundMs, &reply), kOk);
  EXPECT_EQ(first.get_future().get(), std::string(request.data(), request.size()));
  EXPECT_EQ(reply, "Heared.");

  // The GUI's call ignores the reply.
  EXPECT_EQ(SendPartsChanged(request.data(), request.size(), kWaitInfinite, nullptr), kOk);
  EXPECT_EQ(second.get().size(), kPartsChangedRequestSize);
}

}  // namespace
}  // namespace quillon
