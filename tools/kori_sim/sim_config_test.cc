// The simulators' shared answer rules: what each command answers by default and how the
// options change it (both the D-Bus and the COM stand-in answer through AnswerFor).

#include "tools/kori_sim/sim_config.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon {
namespace {

SimConfig Parse(const std::vector<std::string>& args) {
  SimConfig config;
  bool help = false;
  std::string error;
  EXPECT_TRUE(ParseSimArgs(args, &config, &help, &error)) << error;
  return config;
}

using Bytes = std::vector<uint8_t>;

TEST(SimAnswerTest, BuiltInAnswersFollowTheConfiguredValues) {
  const SimConfig config = Parse({"--cabinet=-2", "--model=QX", "--seconds=305419896", "--psu=9"});
  EXPECT_EQ(AnswerFor(config, 0xE204).response, (Bytes{0xFE, 0xFF}));
  EXPECT_EQ(AnswerFor(config, 0x0C00).response, (Bytes{'Q', 'X'}));
  EXPECT_EQ(AnswerFor(config, 0xE001).response, (Bytes{0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(AnswerFor(config, 0x0500).response, Bytes{9});
  for (uint16_t command : {0xE204, 0x0C00, 0xE000, 0xE001, 0x0500}) {
    EXPECT_EQ(AnswerFor(config, command).status, Bytes{0}) << command;
  }
  const SimAnswer other = AnswerFor(config, 0x1234);
  EXPECT_TRUE(other.response.empty());
  EXPECT_EQ(other.status, Bytes{1});
  EXPECT_TRUE(AnswerFor(config, 0xE000).response.empty());
}

TEST(SimAnswerTest, ACommandsOwnRuleReplacesTheRuleForAll) {
  const SimConfig config =
      Parse({"--status=all:7", "--delay=all:50", "--answer=0x0500:", "--no-status=0xE000",
             "--hang=0xE001", "--bad-reply=0x0C00", "--vanish=0xE204"});
  const SimAnswer psu = AnswerFor(config, 0x0500);
  EXPECT_TRUE(psu.response.empty()) << "an empty --answer means no data";
  EXPECT_EQ(psu.status, Bytes{0}) << "its own rule has no status, so the default stays";
  EXPECT_EQ(psu.delay_ms, 0u);
  EXPECT_TRUE(AnswerFor(config, 0xE000).status.empty());
  EXPECT_TRUE(AnswerFor(config, 0xE001).hang);
  EXPECT_TRUE(AnswerFor(config, 0x0C00).bad_reply);
  EXPECT_TRUE(AnswerFor(config, 0xE204).vanish);
  const SimAnswer other = AnswerFor(config, 0x0700);
  EXPECT_EQ(other.status, Bytes{7});
  EXPECT_EQ(other.delay_ms, 50u);
  EXPECT_FALSE(other.hang || other.vanish || other.bad_reply);
}

}  // namespace
}  // namespace quillon
