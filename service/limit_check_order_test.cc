// The order in which one check cycle's notices reach the operator: the pre-warning pass before
// the limit pass, each over NotifyIndex 0 to 19, and for every first notice the screen before
// the event. The tests see the screen and the system log as one sequence.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "service/limit_check.h"
#include "service/limit_check_test_util.h"
#include "service/messages.h"

namespace quillon {
namespace {

constexpr uint32_t kStatusEvent = 0x400203EC;
constexpr Language kEnglish = Language::kEnglish;

// Screen notices and warning events, in the order they were given. The status entry is left
// out: it is not a notice.
class NoticeSequence : public Notifier, public EventLog {
 public:
  bool LaunchMs(std::string text) override { return Screen(text, -1); }
  bool LaunchMsItem(std::string text, int item) override { return Screen(text, item); }
  bool LaunchMi(std::string text) override { return Screen(text, -1); }
  bool LaunchMiItem(std::string text, int item) override { return Screen(text, item); }

  Status Report(const EventRecord& record) override {
    if (record.event_id != kStatusEvent) {
      entries.push_back(EventEntry(record.event_id, record.string1));
    }
    return kOk;
  }

  static std::string ScreenEntry(const std::string& text, int item) {
    return "screen [" + std::to_string(item) + "] " + text;
  }
  static std::string EventEntry(uint32_t id, const std::string& text) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", id);
    return std::string("event ") + hex + " " + text;
  }

  std::vector<std::string> entries;

 private:
  bool Screen(const std::string& text, int item) {
    entries.push_back(ScreenEntry(text, item));
    return true;
  }
};

// The expected entries of NotifyIndex `index` of message kind `kind`.
std::string LimitScreen(MessageKind kind, int index) {
  return NoticeSequence::ScreenEntry(FormatLimitText(kind, index, kEnglish, TextForm::kScreen), -1);
}
std::string LimitEvent(MessageKind kind, int index) {
  return NoticeSequence::EventEntry(WarningEventId(kind, true),
                                    FormatLimitText(kind, index, kEnglish, TextForm::kEvent));
}
std::string PreScreen(MessageKind kind, int index, int hours) {
  return NoticeSequence::ScreenEntry(
      FormatPreWarningText(kind, index, hours, kEnglish, TextForm::kScreen), index);
}
std::string PreEvent(MessageKind kind, int index, int hours) {
  return NoticeSequence::EventEntry(
      WarningEventId(kind, false),
      FormatPreWarningText(kind, index, hours, kEnglish, TextForm::kEvent));
}

class LimitCheckOrderTest : public ::testing::Test {
 protected:
  LimitCheckEngine& Engine() {
    if (!engine_) {
      engine_ = std::make_unique<LimitCheckEngine>(&rig_.store, &rig_.clock, &rig_.trace, &seq_,
                                                   &seq_, kEnglish);
    }
    return *engine_;
  }
  LimitCheckEngine& Restart() {
    engine_.reset();
    return Engine();
  }
  // Runs one cycle and returns the notices it gave.
  std::vector<std::string> Cycle(CycleReason reason) {
    seq_.entries.clear();
    Engine().Cycle(reason);
    return seq_.entries;
  }

  EngineRig rig_;
  NoticeSequence seq_;
  std::unique_ptr<LimitCheckEngine> engine_;
};

TEST_F(LimitCheckOrderTest, TwoPartsPastTheirLimitsComeInItemOrder) {
  rig_.SetCounted(kCpuFan, 1000, 1000, 100);  // item 0
  rig_.SetCounted(kPsu, 700, 500, 50);        // item 18
  rig_.SetUps("2025/01/01", 240, 48);         // item 17, long past
  const std::vector<std::string> first = {
      LimitScreen(kKindCpuFan, 0),  LimitEvent(kKindCpuFan, 0),  //
      LimitScreen(kKindUpsBbu, 17), LimitEvent(kKindUpsBbu, 17),
      LimitScreen(kKindPsu, 18),    LimitEvent(kKindPsu, 18)};
  EXPECT_EQ(Cycle(CycleReason::kStart), first);

  // The reminders of the next start and the repeats 30 days on keep the same order.
  const std::vector<std::string> reminders = {
      LimitScreen(kKindCpuFan, 0), LimitScreen(kKindUpsBbu, 17), LimitScreen(kKindPsu, 18)};
  Restart();
  EXPECT_EQ(Cycle(CycleReason::kStart), reminders);
  rig_.clock.Set({2026, 1, 31, 0, 30, 0, 0});
  EXPECT_EQ(Cycle(CycleReason::kInterval), reminders);
}

TEST_F(LimitCheckOrderTest, TwoPartsInTheirWindowsComeInItemOrder) {
  rig_.SetCounted(kCpuFan, 950, 1000, 100);  // 50 hours left
  rig_.SetCounted(kPsu, 480, 500, 50);       // 20 hours left
  const std::vector<std::string> first = {PreScreen(kKindCpuFan, 0, 50),
                                          PreEvent(kKindCpuFan, 0, 50),  //
                                          PreScreen(kKindPsu, 18, 20), PreEvent(kKindPsu, 18, 20)};
  EXPECT_EQ(Cycle(CycleReason::kStart), first);

  // Three days on, each counter one hour further.
  rig_.clock.Set({2026, 1, 4, 0, 30, 0, 0});
  const std::vector<std::string> repeats = {PreScreen(kKindCpuFan, 0, 49),
                                            PreScreen(kKindPsu, 18, 19)};
  EXPECT_EQ(Cycle(CycleReason::kInterval), repeats);
}

TEST_F(LimitCheckOrderTest, PreWarningOfOnePartComesBeforeTheLimitOfAnother) {
  // The part in its window has the higher NotifyIndex, so only the order of the passes puts
  // it first.
  rig_.SetCounted(kPsu, 480, 500, 50);        // item 18: 20 hours left
  rig_.SetCounted(kCpuFan, 1200, 1000, 100);  // item 0: past its limit
  rig_.SetUps("", 48, 48);                    // item 17: not yet installed
  const std::vector<std::string> first = {PreScreen(kKindPsu, 18, 20),
                                          PreEvent(kKindPsu, 18, 20),  //
                                          LimitScreen(kKindCpuFan, 0), LimitEvent(kKindCpuFan, 0)};
  EXPECT_EQ(Cycle(CycleReason::kStart), first);

  // A repeat of each in one interval cycle.
  rig_.clock.Set({2026, 1, 31, 0, 30, 0, 0});
  const std::vector<std::string> repeats = {PreScreen(kKindPsu, 18, 19),
                                            LimitScreen(kKindCpuFan, 0)};
  EXPECT_EQ(Cycle(CycleReason::kInterval), repeats);

  // The same with a date-counted part's window against an hour-counted part's limit, as
  // first notices of a parts-changed cycle: the UPS battery is installed (23 hours left) and
  // the CPU fan announced without its counter reset.
  rig_.store.SetText(kSetupDateKey, "UPS", "2026/01/30");
  std::string request(20, '0');
  request[kNotifyCpuFan] = '1';
  request[kNotifyUps] = '1';
  char reply[kPipeRecordSize];
  seq_.entries.clear();
  Engine().OnPartsChanged(request.data(), request.size(), reply);
  const std::vector<std::string> changed = {
      PreScreen(kKindUpsBbu, 17, 23), PreEvent(kKindUpsBbu, 17, 23),  //
      LimitScreen(kKindCpuFan, 0), LimitEvent(kKindCpuFan, 0)};
  EXPECT_EQ(seq_.entries, changed);
}

}  // namespace
}  // namespace quillon
