#include "common/lifetime/part_report.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/lifetime/forecast.h"
#include "common/lifetime/prometheus_text.h"
#include "common/lifetime/slot_rules.h"
#include "common/settings/settings.h"
#include "platform/date_time.h"
#include "platform/fakes/fake_clock.h"
#include "platform/fakes/memory_store.h"

namespace quillon {
namespace {

// A store with the CPU fan (life 1000, lead 100) and the UPS (life 48 h, lead 24 h, set up on
// 2026/03/01), judged with the fake clock.
class PartReportTest : public ::testing::Test {
 protected:
  PartReportTest() : clock_(LocalDateTime{2026, 3, 1, 0, 0, 0, 0}) {
    store_.CreateKey(kRootKey);
    WriteLimit(&store_, 1000, kCpuFan);
    store_.SetValue(kLimitPreKey, "CPU_FAN", ValueType::kDword, std::string("\x64\0\0\0", 4));
    WriteLimit(&store_, 48, kUps);
    store_.SetValue(kLimitPreKey, "UPS", ValueType::kDword, std::string("\x18\0\0\0", 4));
    char date[kDateTextSize] = "2026/03/01";
    WriteSetupDate(&store_, date, 17);
  }

  PartReport Judge(int index) {
    ReadLifetimeReport(&store_, ToDayCount(clock_.Now()), &report_);
    return report_.parts[index];
  }
  void SetCpuFan(uint32_t hours) {
    uint32_t current[3] = {hours, 0, 0};
    WriteCurrent(&store_, current, kCpuFan);
  }

  MemoryStore store_;
  FakeClock clock_;
  LifetimeReport report_;
};

TEST_F(PartReportTest, CounterAtLimitMinusLeadAndAtLimit) {
  SetCpuFan(899);
  EXPECT_EQ(Judge(kNotifyCpuFan).state, PartState::kOk);
  EXPECT_EQ(report_.parts[kNotifyCpuFan].remaining, 101);
  SetCpuFan(900);
  EXPECT_EQ(Judge(kNotifyCpuFan).state, PartState::kPreWarning);
  EXPECT_EQ(report_.parts[kNotifyCpuFan].remaining, 100);
  SetCpuFan(1000);
  EXPECT_EQ(Judge(kNotifyCpuFan).state, PartState::kOverLimit);
  EXPECT_EQ(report_.parts[kNotifyCpuFan].remaining, 0);
  SetCpuFan(1005);
  EXPECT_EQ(Judge(kNotifyCpuFan).remaining, -5);
  WriteCurrentStop(&store_, 1, kCpuFan);
  EXPECT_EQ(Judge(kNotifyCpuFan).state, PartState::kSilenced);
  EXPECT_TRUE(report_.store_usable);
}

TEST_F(PartReportTest, DatePartWithLessThanAnHourLeft) {
  // Next change 2026/03/03 00:00. 30 minutes before: neither window nor limit.
  clock_.Set({2026, 3, 2, 23, 30, 0, 0});
  PartReport ups = Judge(kNotifyUps);
  EXPECT_EQ(ups.state, PartState::kOk);
  EXPECT_EQ(ups.remaining, 0);
  EXPECT_EQ(ups.next_change, "2026/03/03");
  clock_.Set({2026, 3, 3, 0, 0, 0, 0});
  EXPECT_EQ(Judge(kNotifyUps).state, PartState::kOk);
  clock_.Set({2026, 3, 3, 0, 0, 1, 0});
  EXPECT_EQ(Judge(kNotifyUps).state, PartState::kOverLimit);
  // One hour before is the window's last hour.
  clock_.Set({2026, 3, 2, 23, 0, 0, 0});
  EXPECT_EQ(Judge(kNotifyUps).state, PartState::kPreWarning);
}

TEST_F(PartReportTest, PreWarningStartDayIsWhereTheWindowOpens) {
  const double next = ToDayCount({2026, 3, 3, 0, 0, 0, 0});
  const double start = PreWarningStartDay(next, 24);
  ReadLifetimeReport(&store_, start - 1.0 / 86400, &report_);
  EXPECT_EQ(report_.parts[kNotifyUps].state, PartState::kOk);
  ReadLifetimeReport(&store_, start + 1.0 / 86400, &report_);
  EXPECT_EQ(report_.parts[kNotifyUps].state, PartState::kPreWarning);
}

TEST_F(PartReportTest, UnfittedRaidAndMissingRootAreReported) {
  EXPECT_FALSE(Judge(3).fitted);
  EXPECT_EQ(report_.parts[3].state, PartState::kNotMonitored);
  MemoryStore empty;
  ReadLifetimeReport(&empty, 0, &report_);
  EXPECT_FALSE(report_.store_usable);
}

TEST(SupportPeriodTest, DefaultAndSixtyFourBitSum) {
  EXPECT_EQ(SupportPeriodHours(0), 43800);
  EXPECT_EQ(SupportPeriodHours(600000), int64_t{600000} * 8760);
  EXPECT_TRUE(EndsAfterSupport(17520, 0, 30000, 43800));
  EXPECT_FALSE(EndsAfterSupport(17520, 0, 20000, 43800));
  // A counter far past its limit must not wrap round to a huge remaining life.
  EXPECT_FALSE(EndsAfterSupport(1000, 4000000000u, 50000, 43800));
}

TEST_F(PartReportTest, ForecastOrdersEventsAndStopsAtTheCounterCap) {
  SetCpuFan(800);
  ReadLifetimeReport(&store_, ToDayCount(clock_.Now()), &report_);
  const double now = ToDayCount(clock_.Now());
  std::vector<ForecastEvent> events = Forecast(report_, now, 24.0);
  ASSERT_EQ(events.size(), 4u);
  // UPS window opens 2026/03/01 23:00 (less the allowance), CPU fan window at +100 h, UPS
  // limit at +48 h, CPU fan limit at +200 h.
  EXPECT_EQ(events[0].index, kNotifyUps);
  EXPECT_FALSE(events[0].limit);
  EXPECT_EQ(events[1].index, kNotifyUps);
  EXPECT_TRUE(events[1].limit);
  EXPECT_DOUBLE_EQ(events[2].day, now + 100.0 / 24);
  EXPECT_DOUBLE_EQ(events[3].day, now + 200.0 / 24);
  EXPECT_DOUBLE_EQ(Forecast(report_, now, 12.0)[3].day, now + 200.0 / 12);
  EXPECT_DOUBLE_EQ(HoursPerDay("--"), 24.0);
  EXPECT_DOUBLE_EQ(HoursPerDay("0.0"), 24.0);
  EXPECT_DOUBLE_EQ(HoursPerDay("12.5"), 12.5);

  WriteLimit(&store_, 200000, kCpuFan);
  ReadLifetimeReport(&store_, now, &report_);
  for (const ForecastEvent& e : Forecast(report_, now, 24.0)) {
    EXPECT_FALSE(e.index == kNotifyCpuFan && e.limit) << "a limit above 99999 never comes";
  }
}

TEST_F(PartReportTest, PrometheusTextCarriesEveryPartAndTheLastCycle) {
  SetCpuFan(950);
  ReadLifetimeReport(&store_, ToDayCount(clock_.Now()), &report_);
  MetricsContext context;
  context.last_cycle_unix = 1700000000;
  const std::string text = FormatPrometheusText(report_, context);
  EXPECT_NE(text.find("quillon_part_running_seconds{part=\"CPU_FAN\"} 3420000\n"),
            std::string::npos);
  EXPECT_NE(text.find("quillon_part_remaining_seconds{part=\"CPU_FAN\"} 180000\n"),
            std::string::npos);
  EXPECT_NE(text.find("quillon_part_state{part=\"CPU_FAN\",state=\"pre-warning\"} 1\n"),
            std::string::npos);
  EXPECT_NE(text.find("quillon_part_state{part=\"RAID16\",state=\"not-monitored\"} 1\n"),
            std::string::npos);
  EXPECT_NE(text.find("quillon_last_check_cycle_timestamp_seconds 1700000000\n"),
            std::string::npos);
  EXPECT_EQ(FormatPrometheusText(report_, MetricsContext{}).find("last_check"), std::string::npos);
}

}  // namespace
}  // namespace quillon
