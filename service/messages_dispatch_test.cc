#include "service/messages_dispatch.h"

#include <gtest/gtest.h>

#include "common/settings/schema.h"
#include "platform/fakes/fake_clock.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"
#include "platform/fakes/recorders.h"
#include "service/limit_check_test_util.h"
#include "service/messages.h"
#include "service/notifier.h"

namespace quillon {
namespace {

class DispatchTest : public ::testing::Test {
 protected:
  DispatchTest() : notifier_(&system_, &launcher_) {
    system_.program_path = "/opt/quillon/bin/TALVENSV";
    store_.SetDword(kNotifyMethodKey, "LCD", 0);
    store_.SetDword(kNotifyMethodKey, "DSP", 1);
  }
  NoticeDispatcher Dispatcher(Language language = Language::kEnglish) {
    return NoticeDispatcher(&store_, &clock_, &events_, &notifier_, language);
  }

  MemoryStore store_;
  FakeClock clock_;
  RecordingEventLog events_;
  FakeSystemInfo system_;
  RecordingProcessLauncher launcher_;
  LauncherNotifier notifier_;
};

TEST_F(DispatchTest, PreWarningWithoutStartUpPidRunsMsWithItemAndPauses) {
  store_.SetDword(kRaidConsumablesKey, "RAID03", 1);
  Dispatcher().ScreenPreWarningNotice(3, 5);
  const auto calls = launcher_.calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].command_line, "\"/opt/quillon/bin/TALVENMS\" " +
                                       FormatPreWarningText(kKindRaidConsumable, 3, 5,
                                                            Language::kEnglish, TextForm::kScreen) +
                                       " 3");
  EXPECT_FALSE(calls[0].waited);
  EXPECT_EQ(clock_.sleeps(), std::vector<uint32_t>{500});
  EXPECT_TRUE(events_.events().empty());
}

TEST_F(DispatchTest, StartUpPidSelectsMiWithoutPause) {
  store_.SetDword(kRootKey, "StartUpPID", 4711);
  Dispatcher().ScreenLimitNotice(0);
  const auto calls = launcher_.calls();
  ASSERT_EQ(calls.size(), 1u);
  // The limit notice has no item number after the text.
  EXPECT_EQ(calls[0].command_line,
            "\"/opt/quillon/bin/TALVENMI\" " +
                FormatLimitText(kKindCpuFan, 0, Language::kEnglish, TextForm::kScreen));
  EXPECT_TRUE(clock_.sleeps().empty());
}

TEST_F(DispatchTest, StartUpPidZeroOrUnreadableMeansMs) {
  store_.SetDword(kRootKey, "StartUpPID", 0);
  Dispatcher().ScreenLimitNotice(17);
  store_.SetText(kRootKey, "StartUpPID", "12");  // wrong type: unreadable
  Dispatcher().ScreenPreWarningNotice(17, 30);
  const auto calls = launcher_.calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].command_line.rfind("\"/opt/quillon/bin/TALVENMS\" \"UPS's BBUs", 0), 0u);
  EXPECT_EQ(calls[1].command_line.substr(calls[1].command_line.size() - 5), "?\" 17");
  EXPECT_EQ(clock_.sleeps().size(), 2u);
}

TEST_F(DispatchTest, DspOffOrMissingShowsNothingButEventsStillGo) {
  store_.SetDword(kNotifyMethodKey, "DSP", 0);
  NoticeDispatcher d = Dispatcher();
  d.ScreenLimitNotice(0);
  d.ScreenPreWarningNotice(0, 10);
  store_.DeleteValue(kNotifyMethodKey, "DSP");
  d.ScreenLimitNotice(0);
  d.LimitEvent(0);
  d.PreWarningEvent(19, 30);
  EXPECT_TRUE(launcher_.calls().empty());
  EXPECT_TRUE(clock_.sleeps().empty());
  const auto events = events_.events();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].event_id, 0xC00004B4u);
  EXPECT_EQ(events[0].type, kEventTypeError);
  EXPECT_EQ(events[0].source, "TALVEN");
  EXPECT_EQ(events[0].string1,
            FormatLimitText(kKindCpuFan, 0, Language::kEnglish, TextForm::kEvent));
  EXPECT_EQ(events[0].string2, "TALVEN");
  EXPECT_EQ(events[1].event_id, 0xC00004B3u);
  EXPECT_EQ(events[1].string1,
            "It is 30 hours (about 1 days) till the operating life time of FAN (housing "
            "fan).Please contact Support and Contact for Halvorn in your duty.");
}

TEST_F(DispatchTest, RaidClassPicksEventIdAndLanguagePicksText) {
  store_.SetDword(kRaidConsumablesKey, "RAID03", 1);
  store_.SetDword(kRaidConsumablesKey, "RAID04", 0);
  NoticeDispatcher ja = Dispatcher(Language::kJapanese);
  ja.LimitEvent(3);
  ja.PreWarningEvent(3, 100);
  ja.LimitEvent(4);
  ja.PreWarningEvent(4, 100);
  const auto events = events_.events();
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].event_id, 0xC00004B6u);
  EXPECT_EQ(events[1].event_id, 0xC00004B5u);
  EXPECT_EQ(events[2].event_id, 0xC00004B4u);
  EXPECT_EQ(events[3].event_id, 0xC00004B3u);
  EXPECT_EQ(events[1].string1,
            "RAID 電池の寿命時間まで4日です(RAID#03)。ご購入元までご相談ください。");
}

TEST_F(DispatchTest, IndexWithoutKindDoesNothing) {
  NoticeDispatcher d = Dispatcher();
  d.ScreenLimitNotice(20);
  d.ScreenPreWarningNotice(-1, 3);
  d.LimitEvent(25);
  d.PreWarningEvent(20, 3);
  EXPECT_TRUE(launcher_.calls().empty());
  EXPECT_TRUE(events_.events().empty());
}

TEST_F(DispatchTest, MissingNotifierProgramIsIgnored) {
  launcher_.FailProgram("/opt/quillon/bin/TALVENMS", kErrorNotFound);
  NoticeDispatcher d = Dispatcher();
  d.ScreenLimitNotice(18);
  d.LimitEvent(18);
  EXPECT_EQ(events_.events().size(), 1u);
  EXPECT_EQ(clock_.sleeps().size(), 1u);
}

}  // namespace
}  // namespace quillon
