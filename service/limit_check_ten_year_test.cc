// Ten years of hourly interval cycles (87,600) over a store with every kind of part, with
// replacements announced by parts-changed requests along the way. Every expected figure below
// is worked out from the rules in the comments, not taken from a run.
//
// Time line. The start cycle runs at T0 = 2026/01/01 00:30 (day 0). Interval cycle k (1 to
// 87,600) runs at T0 + k hours, that is on day floor(k / 24) at (k mod 24):30; the half hour
// keeps every cycle off the whole hours where windows open and limits pass. A parts-changed
// request after cycle R runs at T0 + R hours + 15 minutes, so on the day of cycle R.
//
// Repeats. A notice on day d stores day d (taken at midnight). A repeat is due when day d plus
// N days lies before now: first at the cycle of day d + N, 00:30, which is cycle 24 (d + N).
// With NotifyDaysPre 3 (default) pre-warnings repeat every 72 cycles while the part stays in
// its window; with NotifyDays 30 (default) limit notices repeat every 720 cycles.

#include <gtest/gtest.h>

#include <string>

#include "platform/date_time.h"
#include "service/limit_check_test_util.h"
#include "service/messages.h"

namespace quillon {
namespace {

constexpr int kCycles = 87600;

// Replacements (parts-changed requests after these cycles).
constexpr int kCpuFanReplaced1 = 30000;  // counter set to 0 first
constexpr int kUpsReplaced = 40000;      // new setup date 2030/07/25 (day 1666) first
constexpr int kCpuFanReplaced2 = 60000;  // counter set to 0 first
constexpr int kRaid01Announced = 70000;  // nothing changed: the limit is still passed

// --- CPU fan: counter from 0, limit 20000, lead 2000; operator stop of repeats set at the
// start (cleared by the first replacement). The counter at cycle k is k minus the cycle of
// the last replacement. Window: counter 18000 to 19999; limit from counter 20000.
// Life 1 (cycles 1-30000): first pre-warning at cycle 18000 (day 750, 2000 hours left), shown
//   despite the stop. Repeat dates at 24 * 753 = 18072 + 72j up to cycle 19999: j = 0..26,
//   27 repeats, all silent. Limit at cycle 20000 (day 833); repeats at 24 (833 + 30m) up to
//   cycle 30000 (day 1250): m = 1..13. Screens 1 + 0 + 1 + 13 = 15.
// Life 2 (cycles 30001-60000): first pre-warning at 48000 (day 2000), 27 repeats shown (up
//   to 49944); limit at 50000 (day 2083), repeats while 2083 + 30m <= 2500: m = 1..13.
//   Screens 1 + 27 + 1 + 13 = 42.
// Life 3 (cycles 60001-87600): first pre-warning at 78000 (day 3250), 27 repeats, the last at
//   79944 (day 3331); limit at 80000 (day 3333), repeats while 3333 + 30m <= 3650: m = 1..10,
//   the last on day 3633. Screens 1 + 27 + 1 + 10 = 39.
constexpr int kCpuPreScreens = 1 + 28 + 28;     // 57
constexpr int kCpuLimitScreens = 14 + 14 + 11;  // 39
constexpr int kCpuPreEvents = 3;
constexpr int kCpuLimitEvents = 3;
constexpr uint32_t kCpuCounter = kCycles - kCpuFanReplaced2;  // 27600
constexpr char kCpuPreDate[] = "2035/02/14";                  // day 3331
constexpr char kCpuLimitDate[] = "2035/12/13";                // day 3633

// --- PSU: counter from 20000, limit 0: never warned. It reaches 99999 at cycle 79999 and
// stays there.
constexpr uint32_t kPsuCounter = 99999;

// --- Housing fans: counter from 0, limit 8000, lead 1000. The start finds LifeTime 10000 above
// the limit and 8000 - 0 + 10000 = 18000 above the support period (SupportLimit 1: 8760
// hours), so CurrentStop is set: no notices, but flags and dates as for any part.
// Window cycles 7000-7999: first at 7000 (day 291), dates at 24 * 294 = 7056 + 72j up to
// 7999: j = 0..13, the last on day 333. Limit at 8000 (day 333), repeats while
// 333 + 30m <= 3650: m = 1..110, the last on day 3633.
constexpr uint32_t kCaisCounter = kCycles;
constexpr char kCaisPreDate[] = "2026/11/30";    // day 333
constexpr char kCaisLimitDate[] = "2035/12/13";  // day 3633

// --- UPS battery: setup 2026/01/01, limit 17520 hours (the limit moment is hour 17520 after
// T0's midnight), lead 2160. Cycle k runs at hour k + 0.5, where the remaining hours are
// 17520 - k - 0.5 cut to 17519 - k: in the window (1 to 2160) at cycles 15359-17518; the
// limit is passed from cycle 17520 (cycle 17519 has 0 hours left: neither).
// Life 1: first pre-warning at 15359 (day 639, 2160 hours = 90 days); repeats at
//   24 * 642 = 15408 + 72j up to 17518: j = 0..29, 30 repeats. Limit at 17520 (day 730);
//   repeats at 17520 + 720m up to 40000: m = 1..31.
// Replaced after cycle 40000 with setup date day 1666: the limit moment is hour
//   39984 + 17520 = 57504.
// Life 2: window 55343-57502; first at 55343 (day 2305), repeats at 24 * 2308 = 55392 + 72j:
//   j = 0..29, the last at 57480 (day 2395). Limit at 57504 (day 2396), repeats at
//   57504 + 720m up to 87600: m = 1..41, the last on day 3626.
constexpr int kUpsPreScreens = 31 + 31;
constexpr int kUpsLimitScreens = 32 + 42;
constexpr int kUpsPreEvents = 2;
constexpr int kUpsLimitEvents = 2;
constexpr char kUpsPreDate[] = "2032/07/23";    // day 2395
constexpr char kUpsLimitDate[] = "2035/12/06";  // day 3626

// --- RAID01, class 1 (event ids 0xC00004B5/B6): setup 2026/01/01, limit 26280, lead 4320.
// Remaining hours 26279 - k: window 21959-26278, limit from 26280.
// First pre-warning at 21959 (day 914, 180 days); repeats at 24 * 917 = 22008 + 72j up to
// 26278: j = 0..59, 60 repeats. Limit at 26280 (day 1095); repeats at 26280 + 720m up to
// 70000: m = 1..60. The request after cycle 70000 clears its flags with the limit still
// passed: a first limit notice and event again in that cycle (day 2916); then repeats while
// 2916 + 30m <= 3650: m = 1..24, the last on day 3636. Its pre-warning flag stays 0.
constexpr int kRaid01PreScreens = 61;
constexpr int kRaid01LimitScreens = 1 + 60 + 1 + 24;
constexpr int kRaid01PreEvents = 1;
constexpr int kRaid01LimitEvents = 2;
constexpr char kRaid01LimitDate[] = "2035/12/16";  // day 3636

// --- RAID02, class 0: setup 2027/01/01 (day 365), limit 26280, lead 8750. The limit moment is
// hour (365 + 1095) * 24 = 35040; remaining 35039 - k: window 26289-35038, limit from 35040.
// First pre-warning at 26289 (day 1095, 364 days); repeats at 24 * 1098 = 26352 + 72j up to
// 35038: j = 0..120, 121 repeats, the last on day 1458. Limit at 35040 (day 1460); repeats at
// 35040 + 720m up to 87600: m = 1..73, the last on day 3650.
constexpr int kRaid02PreScreens = 122;
constexpr int kRaid02LimitScreens = 74;
constexpr int kRaid02PreEvents = 1;
constexpr int kRaid02LimitEvents = 1;
constexpr char kRaid02PreDate[] = "2029/12/29";    // day 1458
constexpr char kRaid02LimitDate[] = "2035/12/30";  // day 3650

// --- Server figures. One status entry at the start, then one at the first cycle of each of
// days 1 to 3650. LifeTime from 10000 and RunningTime from 5000 gain one per cycle. The
// average at the last cycle: 92600 hours over the 3653 days from 2016/01/01 00:30 to
// 2026/01/01 00:30 plus 3650 days, 92600 / 7303 = 12.68.
constexpr int kStatusEntries = 1 + 3650;
constexpr uint32_t kLifeTime = 10000 + kCycles;
constexpr uint32_t kRunningTime = 5000 + kCycles;
constexpr char kAverage[] = "12.7";
constexpr char kStatusLogDate[] = "2035/12/30";  // day 3650

// --- Order within one cycle. A pre-warning of one part and a limit notice of another come in
// the same 00:30 cycle on 24 days (a 3-day and a 30-day series of repeats meet only where
// their first days agree modulo 3):
//   RAID02's pre-warnings (days 1098 + 3j, to 1458) with RAID01's limit repeats (1095 + 30m):
//     days 1125 to 1455, 12 cycles;
//   RAID01's pre-warnings (917 + 3j, to 1094) with the CPU fan's first-life limit repeats
//     (833 + 30m): days 923 to 1073, 6 cycles;
//   the CPU fan's second-life pre-warnings (first on day 2000, then 2003 + 3j to 2081) with
//     RAID02's limit repeats (1460 + 30m): days 2000, 2030 and 2060, 3 cycles;
//   the UPS battery's second-life pre-warnings (2308 + 3j, to 2395) with the CPU fan's
//     second-life limit repeats (2083 + 30m): days 2323, 2353 and 2383, 3 cycles.
// The housing fans give no screen notices; no other repeats meet.
constexpr int kCyclesWithBoth = 12 + 6 + 3 + 3;

constexpr int kPreScreens =
    kCpuPreScreens + kUpsPreScreens + kRaid01PreScreens + kRaid02PreScreens;  // 302
constexpr int kLimitScreens =
    kCpuLimitScreens + kUpsLimitScreens + kRaid01LimitScreens + kRaid02LimitScreens;  // 273

class TenYearTest : public ::testing::Test {
 protected:
  TenYearTest() {
    rig_.SetRoot("SupportLimit", 1);
    rig_.SetRoot("LifeTime", 10000);
    rig_.SetRoot("RunningTime", 5000);
    rig_.SetRootText("InstallDate", "2016/01/01 00:30:00");
    rig_.SetCounted(kCpuFan, 0, 20000, 2000);
    rig_.SetCounted(kPsu, 20000, 0, 8750);
    rig_.SetCounted(kCaisFan, 0, 8000, 1000);
    rig_.SetUps("2026/01/01", 17520, 2160);
    rig_.SetRaid(1, "2026/01/01", 26280, 4320, 1);
    rig_.SetRaid(2, "2027/01/01", 26280, 8750, 0);
    rig_.store.SetDword(kNotifyDonePreStopKey, "CPU_FAN", 1);
    t0_ = ToDayCount({2026, 1, 1, 0, 30, 0, 0});
  }

  void At(int cycle, int minutes_after = 0) {
    rig_.clock.Set(FromDayCount(t0_ + cycle / 24.0 + minutes_after / 1440.0));
  }

  int LimitScreensWith(const std::string& fragment) {
    int n = 0;
    for (const auto& l : rig_.notifier.launches) {
      if (l.item == -1 && l.text.find(fragment) != std::string::npos) ++n;
    }
    return n;
  }
  // Checks that the screen notices from launch `from` on, all of one cycle, came in the order
  // of the passes: pre-warnings by NotifyIndex, then limit notices by NotifyIndex.
  void CheckPassOrder(size_t from, int cycle) {
    const auto& launches = rig_.notifier.launches;
    int pre = 0;
    int limit = 0;
    int last = -1;
    for (size_t i = from; i < launches.size(); ++i) {
      int key = launches[i].item;
      for (int index = 0; key < 0 && index < kNotifyCount; ++index) {
        if (launches[i].text == FormatLimitText(MessageKindOf(&rig_.store, index), index,
                                                Language::kEnglish, TextForm::kScreen)) {
          key = kNotifyCount + index;
        }
      }
      ++(key < kNotifyCount ? pre : limit);
      if (key <= last && first_misordered_cycle_ < 0) first_misordered_cycle_ = cycle;
      last = key;
    }
    if (pre >= 1 && limit >= 1) ++cycles_with_both_;
  }

  int EventsWith(uint32_t id, const std::string& fragment) {
    int n = 0;
    for (const auto& e : rig_.events.events()) {
      if (e.event_id == id && e.string1.find(fragment) != std::string::npos) ++n;
    }
    return n;
  }

  EngineRig rig_;
  double t0_ = 0;
  int cycles_with_both_ = 0;
  int first_misordered_cycle_ = -1;
};

TEST_F(TenYearTest, HourlyCyclesFollowTheHandWorkedSchedule) {
  At(0);
  rig_.Engine().Cycle(CycleReason::kStart);
  for (int k = 1; k <= kCycles; ++k) {
    At(k);
    size_t from = rig_.notifier.launches.size();
    rig_.Engine().Cycle(CycleReason::kInterval);
    CheckPassOrder(from, k);
    from = rig_.notifier.launches.size();
    if (k == kCpuFanReplaced1 || k == kCpuFanReplaced2) {
      rig_.store.SetDword(kCurrentKey, "CPU_FAN", 0);
      At(k, 15);
      ASSERT_EQ(rig_.PartsChanged({kNotifyCpuFan}), "Heared.");
    } else if (k == kUpsReplaced) {
      rig_.store.SetText(kSetupDateKey, "UPS", "2030/07/25");
      At(k, 15);
      ASSERT_EQ(rig_.PartsChanged({kNotifyUps}), "Heared.");
    } else if (k == kRaid01Announced) {
      At(k, 15);
      ASSERT_EQ(rig_.PartsChanged({1}), "Heared.");
    }
    CheckPassOrder(from, k);
  }
  // Within each cycle the pre-warnings came before the limit notices.
  EXPECT_EQ(first_misordered_cycle_, -1);
  EXPECT_EQ(cycles_with_both_, kCyclesWithBoth);

  // Counters and caps.
  EXPECT_EQ(rig_.Counter(kCpuFan), kCpuCounter);
  EXPECT_EQ(rig_.Counter(kPsu), kPsuCounter);
  EXPECT_EQ(rig_.Counter(kCaisFan), kCaisCounter);
  EXPECT_EQ(rig_.Root("LifeTime"), kLifeTime);
  EXPECT_EQ(rig_.Root("RunningTime"), kRunningTime);
  EXPECT_EQ(rig_.RootText("AverageTime"), kAverage);
  EXPECT_EQ(rig_.RootText("StatusLogDate"), kStatusLogDate);
  EXPECT_EQ(rig_.store.GetDword(kCurrentStopKey, "CAIS_FAN", 0), 1u);
  EXPECT_FALSE(rig_.store.HasValue(kCurrentStopKey, "CPU_FAN"));
  EXPECT_FALSE(rig_.store.HasValue(kCurrentStopKey, "PSU"));

  // Flags and repeat dates.
  EXPECT_EQ(rig_.PreFlag(kNotifyCpuFan), 1u);
  EXPECT_EQ(rig_.PreDate(kNotifyCpuFan), kCpuPreDate);
  EXPECT_EQ(rig_.LimitFlag(kNotifyCpuFan), 1u);
  EXPECT_EQ(rig_.LimitDate(kNotifyCpuFan), kCpuLimitDate);
  EXPECT_EQ(rig_.store.GetDword(kNotifyDonePreStopKey, "CPU_FAN", 9), 0u);
  EXPECT_EQ(rig_.PreDate(kNotifyCaisFan), kCaisPreDate);
  EXPECT_EQ(rig_.LimitDate(kNotifyCaisFan), kCaisLimitDate);
  EXPECT_EQ(rig_.PreDate(kNotifyUps), kUpsPreDate);
  EXPECT_EQ(rig_.LimitDate(kNotifyUps), kUpsLimitDate);
  EXPECT_EQ(rig_.PreFlag(1), 0u);
  EXPECT_EQ(rig_.PreDate(1), "");
  EXPECT_EQ(rig_.LimitFlag(1), 1u);
  EXPECT_EQ(rig_.LimitDate(1), kRaid01LimitDate);
  EXPECT_EQ(rig_.PreDate(2), kRaid02PreDate);
  EXPECT_EQ(rig_.LimitDate(2), kRaid02LimitDate);
  EXPECT_FALSE(rig_.store.HasValue(kNotifyDoneKey, "PSU"));
  EXPECT_FALSE(rig_.store.HasValue(kNotifyDoneKey, "RAID03"));
  EXPECT_EQ(rig_.PreFlag(kNotifyPsu), 0u);

  // Screen notices: pre-warnings carry their NotifyIndex, limit notices none.
  EXPECT_EQ(rig_.notifier.CountItem(kNotifyCpuFan), kCpuPreScreens);
  EXPECT_EQ(rig_.notifier.CountItem(kNotifyUps), kUpsPreScreens);
  EXPECT_EQ(rig_.notifier.CountItem(1), kRaid01PreScreens);
  EXPECT_EQ(rig_.notifier.CountItem(2), kRaid02PreScreens);
  EXPECT_EQ(rig_.notifier.CountItem(kNotifyCaisFan), 0);
  EXPECT_EQ(rig_.notifier.CountItem(kNotifyPsu), 0);
  EXPECT_EQ(LimitScreensWith("CPU FAN exceeded"), kCpuLimitScreens);
  EXPECT_EQ(LimitScreensWith("UPS's BBUs exceeded"), kUpsLimitScreens);
  EXPECT_EQ(LimitScreensWith("(RAID#01)"), kRaid01LimitScreens);
  EXPECT_EQ(LimitScreensWith("(RAID Card#02)"), kRaid02LimitScreens);
  EXPECT_EQ(rig_.notifier.launches.size(), static_cast<size_t>(kPreScreens + kLimitScreens));
  // StartUpPID is unset: every notice went through TALVENMS with its pause.
  EXPECT_EQ(rig_.clock.sleeps().size(), static_cast<size_t>(kPreScreens + kLimitScreens));
  for (const auto& l : rig_.notifier.launches) ASSERT_FALSE(l.mi);

  // Events: first notices only.
  EXPECT_EQ(rig_.events.Count(0x400203EC), kStatusEntries);
  EXPECT_EQ(rig_.events.Count(0xC00004B3), kCpuPreEvents + kUpsPreEvents + kRaid02PreEvents);
  EXPECT_EQ(rig_.events.Count(0xC00004B4), kCpuLimitEvents + kUpsLimitEvents + kRaid02LimitEvents);
  EXPECT_EQ(rig_.events.Count(0xC00004B5), kRaid01PreEvents);
  EXPECT_EQ(rig_.events.Count(0xC00004B6), kRaid01LimitEvents);
  EXPECT_EQ(EventsWith(0xC00004B3,
                       "It is 2000 hours (about 83 days) till the operating life "
                       "time of CPU FAN.Please contact"),
            kCpuPreEvents);
  EXPECT_EQ(EventsWith(0xC00004B3, "It is 90 days till the operating life time of UPS BBU."),
            kUpsPreEvents);
  EXPECT_EQ(EventsWith(0xC00004B3,
                       "It is 364 days till the operating life time of RAID "
                       "Battery(RAID_Card#02)."),
            kRaid02PreEvents);
  EXPECT_EQ(EventsWith(0xC00004B5,
                       "It is 180 days till the operating life time of RAID "
                       "Battery (RAID#01).Please arrange"),
            kRaid01PreEvents);
  int status_lines = 0;
  for (const auto& m : rig_.sink.messages()) status_lines += m.rfind("Status: ", 0) == 0;
  EXPECT_EQ(status_lines, kStatusEntries);
  EXPECT_EQ(rig_.sink.messages().back(),
            "Status: [Install=2016/01/01 00:30:00] [LifeTime=97600] [RunningTime=92600] "
            "[Average=12.7].");
}

}  // namespace
}  // namespace quillon
