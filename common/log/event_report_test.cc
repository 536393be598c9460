#include "common/log/event_report.h"

#include <gtest/gtest.h>

#include <string>

#include "common/log/message_table.h"
#include "platform/fakes/failing_store.h"
#include "platform/fakes/fake_clock.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"
#include "platform/fakes/recorders.h"

namespace quillon {
namespace {

constexpr char kSourceKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\System\\TALVEN";
constexpr char kSystemKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\System";

std::string Sources(MemoryStore& store) {
  ValueType type;
  std::string data;
  if (store.GetValue(kSystemKey, "Sources", &type, &data) != kOk) return "<missing>";
  return data;
}

TEST(ReportLogEventTest, StatusEventShowsServiceThenStatusOnTheNextLine) {
  RecordingEventLog log;
  const char* status = "Status: [Install=2026/01/01 00:00:00] [LifeTime=10]";
  ASSERT_EQ(ReportLogEvent(&log, Language::kEnglish, "TALVEN", "TALVEN", kEventTypeInformation,
                           kEventStatus, status),
            kOk);
  ASSERT_EQ(ReportLogEvent(&log, Language::kJapanese, "TALVEN", "TALVEN", kEventTypeInformation,
                           kEventStatus, status),
            kOk);
  ASSERT_EQ(log.events().size(), 2u);
  EXPECT_EQ(log.events()[0].message,
            std::string("Quillon (TALVEN) execution status.\n") + status + " ");
  EXPECT_EQ(log.events()[1].message, std::string("Quillon(TALVEN) 稼動状況\n") + status + " ");
  EXPECT_EQ(log.events()[0].event_id, 0x400203ECu);
  EXPECT_EQ(log.events()[0].string2, status);
  EXPECT_EQ(log.events()[0].source, "TALVEN");
}

TEST(ReportLogEventTest, PicksTheLanguageAndKeepsInsertedTextVerbatim) {
  RecordingEventLog log;
  ReportLogEvent(&log, Language::kJapanese, "TALVEN", "TALVEN", kEventTypeInformation,
                 kEventServiceStart, "TALVEN");
  ReportLogEvent(&log, Language::kEnglish, "TALVEN", "TALVEN", kEventTypeInformation,
                 kEventServiceStart, "TALVEN");
  ReportLogEvent(&log, Language::kEnglish, "CPU fan: 100% used %1 %n", "TALVEN", kEventTypeError,
                 kEventLimit, "TALVEN");
  ReportLogEvent(&log, Language::kEnglish, "x", "TALVEN", kEventTypeError, kEventGetLifeTime, "y");
  ReportLogEvent(&log, Language::kEnglish, nullptr, "TALVEN", kEventTypeError, 0x12345678, nullptr);
  auto events = log.events();
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[0].message, "Quillon(TALVEN) の実行を開始しました。");
  EXPECT_EQ(events[1].message, "Quillon (TALVEN) execution started.");
  EXPECT_EQ(events[2].message, "CPU fan: 100% used %1 %n ");
  EXPECT_EQ(events[2].type, kEventTypeError);
  EXPECT_EQ(events[3].message, "Get Life Time error occurred in x.( y)");
  EXPECT_EQ(events[4].message, "Event 0x12345678:  ");
}

TEST(ReportLogEventTest, ReturnsTheLogsStatus) {
  RecordingEventLog log;
  log.set_fail_with(kErrorAccessDenied);
  EXPECT_EQ(ReportLogEvent(&log, Language::kEnglish, "TALVEN", "TALVEN", kEventTypeInformation,
                           kEventInstalled, "TALVEN"),
            kErrorAccessDenied);
  EXPECT_NE(ReportLogEvent(nullptr, Language::kEnglish, "a", "TALVEN", kEventTypeInformation,
                           kEventInstalled, "b"),
            kOk);
}

TEST(MessageTableTest, EveryEntryHasBothLanguagesEndingAtPercentZero) {
  EXPECT_EQ(MessageTable().size(), 15u);
  for (const MessageTableEntry& entry : MessageTable()) {
    for (const char* text : {entry.english, entry.japanese}) {
      std::string s(text);
      EXPECT_NE(s.find("%0"), std::string::npos) << std::hex << entry.event_id;
      std::string formatted = FormatEventMessage(text, "A", "B");
      EXPECT_EQ(formatted.find('%'), std::string::npos) << formatted;
      EXPECT_EQ(formatted.find('\r'), std::string::npos) << formatted;
    }
  }
  EXPECT_EQ(FormatEventMessage("a%%b%.%!%tc%bd%0tail", "1", "2"), "a%b.!\tc d");
}

TEST(RegisterLogSourceTest, WritesTheSourceKeyAndAddsTheNameOnce) {
  MemoryStore store;
  FakeSystemInfo system;
  FakeClock clock;
  system.program_path = "/opt/quillon/bin/TALVENSV";
  store.SetValue(kSystemKey, "Sources", ValueType::kMultiSz,
                 std::string("System\0Talven\0", 14) + std::string("\0", 1));

  ASSERT_EQ(RegisterLogSource(&store, &system, &clock, "TALVEN"), kOk);
  ASSERT_EQ(RegisterLogSource(&store, &system, &clock, "TALVEN"), kOk);

  // "Talven" differs in case, so TALVEN is added once, after the existing names.
  EXPECT_EQ(Sources(store), std::string("System\0Talven\0TALVEN\0\0", 22));
  EXPECT_EQ(store.GetDword(kSourceKey, "TypesSupported"), 7u);
  ValueType type;
  std::string data;
  ASSERT_EQ(store.GetValue(kSourceKey, "EventMessageFile", &type, &data), kOk);
  EXPECT_EQ(type, ValueType::kExpandSz);
  EXPECT_EQ(data, std::string("/opt/quillon/bin/TALVENSV\0", 26));
  EXPECT_EQ(clock.sleeps(), (std::vector<uint32_t>{100, 100}));
}

TEST(RegisterLogSourceTest, EmptyOrMissingListBecomesJustTheSource) {
  for (const std::string& initial :
       {std::string(), std::string("\0", 1), std::string("\0\0", 2), std::string("<missing>")}) {
    MemoryStore store;
    FakeSystemInfo system;
    FakeClock clock;
    if (initial != "<missing>") store.SetValue(kSystemKey, "Sources", ValueType::kMultiSz, initial);
    ASSERT_EQ(RegisterLogSource(&store, &system, &clock, "TALVEN"), kOk);
    EXPECT_EQ(Sources(store), std::string("TALVEN\0\0", 8)) << initial.size();
  }
}

TEST(RegisterLogSourceTest, UnterminatedListIsLeftAlone) {
  MemoryStore store;
  FakeSystemInfo system;
  FakeClock clock;
  store.SetValue(kSystemKey, "Sources", ValueType::kMultiSz, std::string("System\0Broken", 13));
  EXPECT_EQ(RegisterLogSource(&store, &system, &clock, "TALVEN"), kOk);
  EXPECT_EQ(Sources(store), std::string("System\0Broken", 13));
}

TEST(RegisterLogSourceTest, NonNtPlatformGets120AndNothingIsWritten) {
  MemoryStore store;
  FakeSystemInfo system;
  FakeClock clock;
  system.version_word = 0x80000000u | 0x0A04;
  EXPECT_EQ(RegisterLogSource(&store, &system, &clock, "TALVEN"), 120u);
  EXPECT_EQ(store.write_count(), 0);
  EXPECT_NE(store.KeyExists(kSourceKey), kOk);
  EXPECT_TRUE(clock.sleeps().empty());
}

TEST(RegisterLogSourceTest, FirstStoreFailureIsReturned) {
  MemoryStore inner;
  FakeSystemInfo system;
  FakeClock clock;
  FailingStore store(&inner);

  store.FailOn("set", "TypesSupported", kErrorAccessDenied);
  EXPECT_EQ(RegisterLogSource(&store, &system, &clock, "TALVEN"), kErrorAccessDenied);
  EXPECT_FALSE(inner.HasValue(kSystemKey, "Sources"));

  store.FailOn("get", "Sources", kErrorRegistryIo);
  EXPECT_EQ(RegisterLogSource(&store, &system, &clock, "TALVEN"), kErrorRegistryIo);
  EXPECT_FALSE(inner.HasValue(kSystemKey, "Sources"));

  store.FailOn("", "", kOk);
  system.program_path.clear();
  EXPECT_NE(RegisterLogSource(&store, &system, &clock, "TALVEN"), kOk);
}

}  // namespace
}  // namespace quillon
