#include "platform/posix/journal_event_log.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace quillon {
namespace {

TEST(JournalEventLogTest, FieldsCarryPriorityIdsAndBothStrings) {
  EventRecord record;
  record.source = "TALVEN";
  record.event_id = 0xC00004B4;
  record.type = kEventTypeError;
  record.string1 = "100% of the life\nused";
  record.string2 = "TALVEN";
  record.message = "100% of the life\nused ";
  auto fields = JournalEventLog::Fields(record);
  std::set<std::string> set(fields.begin(), fields.end());
  EXPECT_TRUE(set.count("MESSAGE=100% of the life\nused "));
  EXPECT_TRUE(set.count("PRIORITY=3"));
  EXPECT_TRUE(set.count("SYSLOG_IDENTIFIER=TALVEN"));
  EXPECT_TRUE(set.count("TALVEN_EVENT_ID=0xC00004B4"));
  EXPECT_TRUE(set.count("TALVEN_EVENT_TYPE=1"));
  EXPECT_TRUE(set.count("TALVEN_STRING1=100% of the life\nused"));
  EXPECT_TRUE(set.count("TALVEN_STRING2=TALVEN"));
  EXPECT_TRUE(set.count(std::string("MESSAGE_ID=") + JournalMessageId(0xC00004B4)));

  record.type = kEventTypeInformation;
  record.event_id = 0x400203E8;
  fields = JournalEventLog::Fields(record);
  set = std::set<std::string>(fields.begin(), fields.end());
  EXPECT_TRUE(set.count("PRIORITY=6"));
  EXPECT_TRUE(set.count("TALVEN_EVENT_ID=0x400203E8"));
  record.type = kEventTypeWarning;
  fields = JournalEventLog::Fields(record);
  EXPECT_EQ(fields[1], "PRIORITY=4");
}

TEST(JournalEventLogTest, MessageIdsAreDistinct128BitIds) {
  std::set<std::string> ids;
  for (uint32_t event_id : JournalEventIds()) {
    std::string id = JournalMessageId(event_id);
    EXPECT_EQ(id.size(), 32u);
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos);
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), 15u);
  EXPECT_EQ(JournalMessageId(0x12345678), nullptr);
}

}  // namespace
}  // namespace quillon
