#include "common/log/message_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "common/log/message_table.h"

namespace quillon {
namespace {

// The Windows build compiles the checked-in message file into TALVENSV.exe; it must say what
// the table says. After a change of the table, write MessageFileText() to the file (this test
// prints where it put a fresh copy).
TEST(MessageFileTest, CheckedInFileMatchesTheTable) {
  std::ifstream in(QUILLON_MESSAGE_FILE, std::ios::binary);
  ASSERT_TRUE(in) << QUILLON_MESSAGE_FILE;
  std::ostringstream stored;
  stored << in.rdbuf();
  const std::string expected = MessageFileText();
  if (stored.str() != expected) {
    std::ofstream("talven_messages.mc", std::ios::binary) << expected;
    FAIL() << QUILLON_MESSAGE_FILE << " differs from the message table; the current text is in "
           << "talven_messages.mc in the test's working directory";
  }
}

TEST(MessageFileTest, EntriesCarryTheIdentifiersParts) {
  const std::string text = MessageFileText();
  // 0x400203EC: informational, facility 2, code 1004; its text keeps the written line break.
  EXPECT_NE(text.find("MessageId=0x3EC\r\nSeverity=Informational\r\nFacility=Facility2\r\n"
                      "Language=English\r\nQuillon (%1) execution status.%n\r\n%2 %0\r\n.\r\n"
                      "Language=Japanese\r\nQuillon(%1) 稼動状況%n\r\n%2 %0\r\n.\r\n"),
            std::string::npos);
  // 0xC00004B0: error, facility 0, code 1200.
  EXPECT_NE(text.find("MessageId=0x4B0\r\nSeverity=Error\r\nFacility=Facility0\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("FacilityNames=(Facility0=0x0 Facility2=0x2)\r\n"), std::string::npos);
  size_t entries = 0;
  for (size_t pos = 0; (pos = text.find("\r\nMessageId=", pos)) != std::string::npos; ++pos) {
    ++entries;
  }
  EXPECT_EQ(entries, MessageTable().size());
}

}  // namespace
}  // namespace quillon
