#include "common/wire/pipe_format.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon {
namespace {

// The names and texts the service's peers use byte for byte, spelled out here so that a
// change to the header shows up as a change to the wire. "Heared" is the system's own
// spelling: it stays.
TEST(PipeFormatTest, PeersSeeTheSystemsOwnNamesAndTexts) {
  EXPECT_STREQ(kCommandPipeName, "ORNA_PIPE");
  EXPECT_STREQ(kPartsChangePipeName, "ORNAPartsChange");
  EXPECT_EQ(kPipeRecordSize, 128u);
  EXPECT_EQ(kPartsChangedRequestSize, 24u);
  EXPECT_STREQ(kStatusQueryRequest, "02");
  EXPECT_STREQ(kPartsChangedReply, "Heared.");
  EXPECT_EQ(
      std::string(kCommandReplyPrefix) + kStatusQueryRequest + kCommandReplyEnd + kQueryRunning,
      "Heared [02]:1");
}

TEST(PipeFormatTest, RequestFlagsExactlyThePartsMarked) {
  PartsChangedRequest request = NoPartsChanged();
  EXPECT_EQ(std::string(request.data(), request.size()), std::string(23, '0') + '\0');

  FlagPartChanged(0, &request);
  FlagPartChanged(19, &request);
  FlagPartChanged(22, &request);  // the last flag character the programs send
  // Outside the flag characters, including the terminating zero: nothing changes.
  FlagPartChanged(-1, &request);
  FlagPartChanged(23, &request);
  EXPECT_EQ(std::string(request.data(), request.size()),
            "1" + std::string(18, '0') + "1001" + std::string(1, '\0'));

  for (int i = 0; i < 23; ++i) {
    EXPECT_EQ(PartFlagged(request.data(), request.size(), i), i == 0 || i == 19 || i == 22) << i;
  }
  EXPECT_FALSE(PartFlagged(request.data(), request.size(), -1));
  EXPECT_FALSE(PartFlagged(request.data(), request.size(), 23));
}

TEST(PipeFormatTest, OnlyReceivedCharactersEqualToOneFlagAPart) {
  const char request[] = "1x2 1";
  // A character other than '1' flags nothing.
  EXPECT_TRUE(PartFlagged(request, 5, 0));
  EXPECT_FALSE(PartFlagged(request, 5, 1));
  EXPECT_FALSE(PartFlagged(request, 5, 2));
  EXPECT_FALSE(PartFlagged(request, 5, 3));
  EXPECT_TRUE(PartFlagged(request, 5, 4));
  // A shorter message flags only what arrived; nothing is read past it.
  EXPECT_FALSE(PartFlagged(request, 4, 4));
  EXPECT_FALSE(PartFlagged(nullptr, 0, 0));
}

}  // namespace
}  // namespace quillon
