#include "common/kori/kori_client.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/kori/testing/fake_kori_transport.h"

namespace quillon {
namespace {

std::vector<uint8_t> Le32(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}

class KoriClientTest : public ::testing::Test {
 protected:
  KoriClientTest() : server_(std::make_shared<FakeKoriServer>()) {
    server_->property_value = 3;
    server_->answers[kKoriCmdCabinetNumber] = {{3, 0}};
    server_->answers[kKoriCmdCabinetModel] = {{'Q', 'X', '-', '9'}};
    server_->answers[kKoriCmdCounterState] = {};
    server_->answers[kKoriCmdOperatingTime] = {Le32(36000)};
    server_->answers[kKoriCmdPsuStatus] = {{1}};
  }
  KoriClient& client() {
    if (!client_)
      client_ = std::make_unique<KoriClient>(std::make_unique<FakeKoriTransport>(server_));
    return *client_;
  }
  std::vector<uint16_t> Commands() {
    std::vector<uint16_t> out;
    for (const KoriCall& c : server_->calls) out.push_back(c.command);
    return out;
  }

  std::shared_ptr<FakeKoriServer> server_;
  std::unique_ptr<KoriClient> client_;
};

TEST_F(KoriClientTest, EveryOperationConnectsAndDisconnects) {
  uint32_t number = 0;
  EXPECT_EQ(client().KoriReadCabinetNumber(&number), 0);
  EXPECT_EQ(number, 3u);
  char model[32] = "";
  EXPECT_EQ(client().KoriReadCabinetModel(model, sizeof(model), 3), 0);
  EXPECT_STREQ(model, "QX-9");
  uint32_t hours = 0;
  EXPECT_EQ(client().KoriReadOperatingHours(&hours, 3), 0);
  EXPECT_EQ(hours, 10u);
  uint8_t psu = 0xEE;
  EXPECT_EQ(client().KoriReadPsuStatus(&psu), 0);
  EXPECT_EQ(psu, 1);
  EXPECT_EQ(server_->opens, 4);
  EXPECT_EQ(server_->closes, 4);
  EXPECT_FALSE(server_->open);
  // The property gave the cabinet number, so 0xE204 went out only for the explicit read.
  EXPECT_EQ(server_->property_reads, 4);
  EXPECT_EQ(Commands(), (std::vector<uint16_t>{kKoriCmdCabinetNumber, kKoriCmdCabinetModel,
                                               kKoriCmdCounterState, kKoriCmdOperatingTime,
                                               kKoriCmdPsuStatus}));
  EXPECT_EQ(server_->calls[0].cabinet, 0);  // 0xE204 goes to cabinet 0
  EXPECT_EQ(server_->calls[1].sub_code, kKoriSubCabinetModel);
  EXPECT_EQ(server_->calls[3].sub_code, kKoriSubOperatingTime);
  EXPECT_EQ(server_->calls[4].cabinet, 0);
}

TEST_F(KoriClientTest, NoServerGivesMinusOneAndLeavesOutputsAlone) {
  server_->present = false;
  uint32_t number = 77, hours = 88;
  char model[8] = "keep";
  uint8_t psu = 0x5A;
  EXPECT_EQ(client().KoriReadCabinetNumber(&number), kKoriNoConnection);
  EXPECT_EQ(client().KoriReadCabinetModel(model, sizeof(model), 0), kKoriNoConnection);
  EXPECT_EQ(client().KoriReadOperatingHours(&hours, 0), kKoriNoConnection);
  EXPECT_EQ(client().KoriReadPsuStatus(&psu), kKoriNoConnection);
  EXPECT_EQ(number, 77u);
  EXPECT_EQ(hours, 88u);
  EXPECT_STREQ(model, "keep");
  EXPECT_EQ(psu, 0x5A);
  EXPECT_TRUE(server_->calls.empty());
  // Outside an operation there is no connection: a bare request is not completed.
  const uint8_t* data = nullptr;
  uint16_t length = 9;
  EXPECT_EQ(client().KoriRequest(&data, &length, 0x1234, 0, 0, 0, -1, 0), kKoriStatusNotCompleted);
  EXPECT_EQ(length, 0);
}

TEST_F(KoriClientTest, RequestStatuses) {
  ASSERT_EQ(client().Connect(), 0);
  const uint8_t in[3] = {1, 2, 3};
  const uint8_t* data = in;
  uint16_t length = 0;
  server_->answers[0x0101] = {{9, 8}, {}};  // status left unset
  EXPECT_EQ(client().KoriRequest(&data, &length, 0x0101, 0, 0, 3, -1, 0), kKoriStatusNotSet);
  EXPECT_EQ(length, 2);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data[0], 9);
  EXPECT_EQ(server_->calls.back().input, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(server_->calls.back().cabinet, 3);  // -1: the current cabinet number

  server_->answers[0x0102] = {{}, {0x41}};
  data = in;
  EXPECT_EQ(client().KoriRequest(&data, &length, 0x0102, 0, 0, 0, 5, 0), 0x41);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(length, 0);
  EXPECT_TRUE(server_->calls.back().input.empty());  // no input length: no request data
  EXPECT_EQ(server_->calls.back().cabinet, 5);

  server_->answers[0x0103] = {{1}, {0}, 110};  // the call fails
  EXPECT_EQ(client().KoriRequest(&data, &length, 0x0103, 0, 0, 0, -1, 0), kKoriStatusNotCompleted);
  EXPECT_EQ(length, 0);
  server_->answers[0x0104] = {{1}, {0, 0}};  // a status of two bytes is not understood
  EXPECT_EQ(client().KoriRequest(&data, &length, 0x0104, 0, 0, 0, -1, 0), kKoriStatusNotCompleted);

  server_->answers[0x0105] = {std::vector<uint8_t>(70000, 0xAB)};
  EXPECT_EQ(client().KoriRequest(&data, &length, 0x0105, 0, 0, 0, -1, 0), 0);
  EXPECT_EQ(length, 0xFFFF);
  client().Disconnect();
  EXPECT_EQ(client().KoriRequest(&data, &length, 0x0105, 0, 0, 0, -1, 0), kKoriStatusNotCompleted);
}

TEST_F(KoriClientTest, MissingVcRequestMemberGivesSix) {
  server_->members = {"ServerCabinetNumber"};
  uint32_t hours = 5;
  uint8_t psu = 0;
  EXPECT_EQ(client().KoriReadOperatingHours(&hours, 0), kKoriStatusNotCompleted);
  EXPECT_EQ(client().KoriReadPsuStatus(&psu), 1);
  EXPECT_EQ(psu, kKoriStatusNotCompleted);
  EXPECT_EQ(hours, 5u);
  EXPECT_TRUE(server_->calls.empty());
  EXPECT_EQ(client().member_id(kMemberVcRequest), -1);
  EXPECT_EQ(client().cabinet_number(), 3);  // the property still worked
}

TEST_F(KoriClientTest, CabinetNumberFallsBackToCommandWithExactlyTwoBytes) {
  // No property member: 0xE204 answers 0x0102.
  server_->members = {"VCRequest"};
  server_->answers[kKoriCmdCabinetNumber] = {{0x02, 0x01}};
  ASSERT_EQ(client().Connect(), 0);
  EXPECT_EQ(client().cabinet_number(), 0x0102);
  EXPECT_EQ(server_->property_reads, 0);
  EXPECT_EQ(server_->calls[0].cabinet, 0);  // "current" was still 0
  client().Disconnect();

  // A 3-byte or empty answer, or a failing one, keeps the number; so does a status other than 0.
  for (const auto& answer :
       {FakeKoriServer::Answer{{7, 0, 0}}, FakeKoriServer::Answer{{}},
        FakeKoriServer::Answer{{7, 0}, {4}}, FakeKoriServer::Answer{{7, 0}, {}},
        FakeKoriServer::Answer{{7, 0}, {0}, 5}}) {
    server_->answers[kKoriCmdCabinetNumber] = answer;
    ASSERT_EQ(client().Connect(), 0);
    EXPECT_EQ(client().cabinet_number(), 0x0102);
    EXPECT_EQ(server_->calls.back().cabinet, 0x0102);
    client().Disconnect();
  }
}

TEST_F(KoriClientTest, FailedPropertyReadFallsBackToCommand) {
  server_->property_fail = 22;
  server_->answers[kKoriCmdCabinetNumber] = {{9, 0}};
  uint32_t number = 0;
  EXPECT_EQ(client().KoriReadCabinetNumber(&number), 0);
  EXPECT_EQ(client().cabinet_number(), 9);
  EXPECT_EQ(number, 9u);
}

TEST_F(KoriClientTest, CabinetNumberCopiesAtMostFourBytes) {
  server_->answers[kKoriCmdCabinetNumber] = {{1, 2, 3, 4, 5, 6}};
  uint32_t number = 0;
  EXPECT_EQ(client().KoriReadCabinetNumber(&number), 0);
  EXPECT_EQ(number, 0x04030201u);
  server_->answers[kKoriCmdCabinetNumber] = {{0x11}};
  number = 0xAABBCCDD;
  EXPECT_EQ(client().KoriReadCabinetNumber(&number), 0);
  EXPECT_EQ(number, 0xAABBCC11u);
  server_->answers[kKoriCmdCabinetNumber] = {{5, 0}, {7}};
  number = 0;
  EXPECT_EQ(client().KoriReadCabinetNumber(&number), 7);
  EXPECT_EQ(number, 0u);
}

TEST_F(KoriClientTest, ModelCopyIsBoundedByTheBuffer) {
  server_->answers[kKoriCmdCabinetModel] = {std::vector<uint8_t>(300, 'M')};
  char model[17];
  std::memset(model, 'x', sizeof(model));
  EXPECT_EQ(client().KoriReadCabinetModel(model, 16, 0), 0);
  EXPECT_EQ(std::string(model), std::string(15, 'M'));
  EXPECT_EQ(model[16], 'x');
  char one[1] = {'x'};
  EXPECT_EQ(client().KoriReadCabinetModel(one, 1, 0), 0);
  EXPECT_EQ(one[0], '\0');
  EXPECT_EQ(client().KoriReadCabinetModel(nullptr, 0, 0), 0);
  server_->answers[kKoriCmdCabinetModel] = {{}};
  char empty[4] = "abc";
  EXPECT_EQ(client().KoriReadCabinetModel(empty, sizeof(empty), 0), 0);
  EXPECT_STREQ(empty, "");
  server_->answers[kKoriCmdCabinetModel] = {{'A'}, {3}};
  char kept[4] = "abc";
  EXPECT_EQ(client().KoriReadCabinetModel(kept, sizeof(kept), 0), 3);
  EXPECT_STREQ(kept, "abc");
}

TEST_F(KoriClientTest, OperatingHoursRules) {
  uint32_t hours = 0;
  server_->answers[kKoriCmdOperatingTime] = {Le32(7199)};
  EXPECT_EQ(client().KoriReadOperatingHours(&hours, 2), 0);
  EXPECT_EQ(hours, 1u);
  EXPECT_EQ(server_->calls.back().cabinet, 2);

  // 0xE000 answering 6 does not stop the read.
  server_->answers[kKoriCmdCounterState] = {{}, {6}};
  server_->answers[kKoriCmdOperatingTime] = {Le32(0xFFFFFFFF)};
  EXPECT_EQ(client().KoriReadOperatingHours(&hours, 2), 0);
  EXPECT_EQ(hours, 0xFFFFFFFFu / 3600);

  // 1 and 2 do, and are the result.
  for (uint8_t st : {1, 2}) {
    server_->calls.clear();
    server_->answers[kKoriCmdCounterState] = {{}, {st}};
    hours = 4;
    EXPECT_EQ(client().KoriReadOperatingHours(&hours, 2), st);
    EXPECT_EQ(hours, 4u);
    EXPECT_EQ(Commands().back(), kKoriCmdCounterState);
  }
  server_->answers[kKoriCmdCounterState] = {};
  // A short answer cannot give the counter.
  server_->answers[kKoriCmdOperatingTime] = {{1, 2, 3}};
  EXPECT_EQ(client().KoriReadOperatingHours(&hours, 2), kKoriStatusNotCompleted);
  EXPECT_EQ(hours, 4u);
  server_->answers[kKoriCmdOperatingTime] = {Le32(3600), {}};
  EXPECT_EQ(client().KoriReadOperatingHours(&hours, 2), kKoriStatusNotSet);
  EXPECT_EQ(hours, 4u);
}

TEST_F(KoriClientTest, PsuStatusOutcomes) {
  uint8_t psu = 0xEE;
  server_->answers[kKoriCmdPsuStatus] = {{3, 9}};
  EXPECT_EQ(client().KoriReadPsuStatus(&psu), 0);
  EXPECT_EQ(psu, 3);
  server_->answers[kKoriCmdPsuStatus] = {{1}, {0x30}};
  EXPECT_EQ(client().KoriReadPsuStatus(&psu), 1);
  EXPECT_EQ(psu, 0x30);
  server_->answers[kKoriCmdPsuStatus] = {{}, {0}};  // status 0 but no data
  psu = 0xEE;
  EXPECT_EQ(client().KoriReadPsuStatus(&psu), 1);
  EXPECT_EQ(psu, 0);
  server_->answers[kKoriCmdPsuStatus] = {{1}, {0}, 110};
  EXPECT_EQ(client().KoriReadPsuStatus(&psu), 1);
  EXPECT_EQ(psu, kKoriStatusNotCompleted);
  EXPECT_EQ(server_->opens, server_->closes);
}

TEST_F(KoriClientTest, CallsAreBoundedByTheServersDefaultTimeout) {
  struct Case {
    bool listed;
    int fail;
    uint32_t advertised_ms;
    uint64_t expected_usec;
  };
  for (Case c : {Case{true, 0, 30000, 30000000}, Case{true, 0, 27000, 27000000},
                 Case{true, 0, 0, 5000000}, Case{true, 0, 1000, 5000000},
                 Case{true, 0, 600000, 60000000}, Case{true, 0, 0xFFFFFFFF, 60000000},
                 Case{true, 5, 30000, 25000000}, Case{false, 0, 30000, 25000000}}) {
    SCOPED_TRACE(c.advertised_ms);
    if (!c.listed) {
      server_->members = {"VCRequest"};
    }
    server_->timeout_fail = c.fail;
    server_->default_timeout_ms = c.advertised_ms;
    uint32_t number = 0;
    EXPECT_EQ(client().KoriReadCabinetNumber(&number), 0);
    EXPECT_EQ(server_->call_timeout_usec, c.expected_usec);
    EXPECT_EQ(client().call_timeout_ms(), c.expected_usec / 1000);
  }
  EXPECT_EQ(server_->connect_timeout_usec, 25000000u);
  // A client made with its own bound keeps it whatever the server says, the connect included.
  KoriClient fixed(std::make_unique<FakeKoriTransport>(server_), 2000000);
  uint32_t number = 0;
  EXPECT_EQ(fixed.KoriReadCabinetNumber(&number), 0);
  EXPECT_EQ(server_->call_timeout_usec, 2000000u);
  EXPECT_EQ(server_->connect_timeout_usec, 2000000u);
}

TEST_F(KoriClientTest, SilenceIsToldApartFromAnAnswer) {
  uint32_t number = 0;
  EXPECT_EQ(client().KoriReadCabinetNumber(&number), 0);
  EXPECT_FALSE(client().server_silent());
  // An error status or a reply the client cannot use is still an answer.
  server_->answers[kKoriCmdCabinetNumber] = {{}, {9}};
  EXPECT_EQ(client().KoriReadCabinetNumber(&number), 9);
  EXPECT_FALSE(client().server_silent());
  server_->answers[kKoriCmdCabinetNumber].fail = EBADMSG;
  EXPECT_EQ(client().KoriReadCabinetNumber(&number), kKoriStatusNotCompleted);
  EXPECT_FALSE(client().server_silent());
  // No answer within the time-out, or no server at all, is silence.
  server_->answers[kKoriCmdCabinetNumber].fail = ETIMEDOUT;
  EXPECT_EQ(client().KoriReadCabinetNumber(&number), kKoriStatusNotCompleted);
  EXPECT_TRUE(client().server_silent());
  server_->present = false;
  EXPECT_EQ(client().KoriReadCabinetNumber(&number), kKoriNoConnection);
  EXPECT_TRUE(client().server_silent());
}

TEST_F(KoriClientTest, AbandonedCallFailsAndLeavesOutputsAlone) {
  Event abandon;
  client().SetAbandon(abandon.waitable());
  server_->during_call = [&](const KoriCall&) { abandon.Set(); };
  uint32_t hours = 77;
  EXPECT_EQ(client().KoriReadOperatingHours(&hours, 3), kKoriStatusNotCompleted);
  EXPECT_EQ(hours, 77u);
  EXPECT_TRUE(client().server_silent());
  EXPECT_EQ(server_->opens, server_->closes);
  // Once the event is no longer the client's, calls go through again.
  client().SetAbandon(kInvalidWaitable);
  EXPECT_EQ(client().KoriReadOperatingHours(&hours, 3), 0);
  EXPECT_EQ(hours, 10u);
}

}  // namespace
}  // namespace quillon
