// Wine's event log opens every source and accepts every event without storing it, so this
// test reaches only up to the call; the failure to open a source cannot be brought about
// there. The texts the viewer
// shows are checked against the message table in event_log/.
#include "platform/win32/win32_event_log.h"

#include "gtest/gtest.h"

namespace quillon {
namespace {

EventRecord StatusEvent() {
  EventRecord record;
  record.source = "TALVEN";
  record.event_id = 0x400203EC;
  record.type = kEventTypeInformation;
  record.string1 = "TALVEN";
  record.string2 = "Status: [Install=2026/12/09 05:00:00] [Average=稼動]";
  return record;
}

TEST(Win32EventLogTest, ReportsToTheLocalLog) {
  Win32EventLog log;
  EXPECT_EQ(log.Report(StatusEvent()), kOk);
  EventRecord error = StatusEvent();
  error.event_id = 0xC00004B3;
  error.type = kEventTypeError;
  error.string1 = "\"CPU FAN の寿命です。\nお問い合わせください。\"";
  error.string2 = "TALVEN";
  EXPECT_EQ(log.Report(error), kOk);
}

}  // namespace
}  // namespace quillon
