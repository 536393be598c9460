// The component lifetime dialog and the real TALVENSV -debug on one store: the dialog writes,
// sends the parts-changed request on the service's socket and closes once the service has
// answered; with the service stopped it reports the service busy and keeps what it wrote.
#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "common/settings/schema.h"
#include "common/settings/settings.h"
#include "gui/core/testing/recording_prompter.h"
#include "gui/widgets/lifetime_dialog.h"
#include "gui/widgets/testing/qt_environment.h"
#include "platform/platform.h"
#include "tests/common/service_sandbox.h"

namespace quillon::gui {
namespace {

constexpr uint32_t kBoundMs = 20000;  // only a hung program ever makes a test wait this long

class LifetimeSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Store* store = box_.store();
    // The CPU fan is past its life and has been notified; screen notices are off so the
    // service starts no notifier program.
    const uint32_t method[2] = {0, 0};
    WriteNotifyMethod(store, method);
    WriteServerHours(store, 20000);
    WriteLimit(store, 17520, kCpuFan);
    const uint32_t current[3] = {17600, 0, 0};
    WriteCurrent(store, current, kCpuFan);
    char date[16] = "2026/12/01";
    WriteNotifyDone(store, 1, date, kNotifyCpuFan);
    WriteNotifyDonePre(store, 1, date, kNotifyCpuFan);
    WriteNotifyDonePreStop(store, 1, kNotifyCpuFan);
  }

  void StartService() {
    ASSERT_TRUE(box_.Start());
    // The worker creates its socket before it enters its loop.
    ASSERT_TRUE(box_.WaitForTrace("Enter [LimitCheck]Running loop.", 1, kBoundMs)) << box_.Trace();
  }
  void StopService() {
    box_.Signal(SIGINT);
    ASSERT_EQ(box_.WaitExit(kBoundMs), 0);
  }

  // Opens the dialog modally, resets the CPU fan to 0 and presses OK (the question is answered
  // Yes). `while_open` runs while the dialog is still on screen after the OK. Returns the
  // dialog's result.
  int ResetCpuFan(const std::function<void(LifetimeDialog*)>& while_open, double* ok_ms) {
    LifetimeDialog dialog(nullptr, kEnglish, box_.store(), clock_.get(), &prompter_, &psu_,
                          SendPartsChangedOverPipe);
    prompter_.AnswerNext(true);
    OnNextModal([&](QWidget* modal) {
      ASSERT_EQ(modal, &dialog);
      EXPECT_EQ(dialog.running_field(kRowCpuFan)->text(), "17600");
      EXPECT_TRUE(dialog.running_field(kRowCpuFan)->alert());
      // Typed as the operator does; leaving the field for OK recomputes its mark.
      RunningHoursEdit* cpu = dialog.running_field(kRowCpuFan);
      cpu->setFocus();
      cpu->selectAll();
      QTest::keyClicks(cpu, "0");
      EXPECT_EQ(cpu->text(), "0");
      const auto start = std::chrono::steady_clock::now();
      QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);
      *ok_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                   .count();
      if (dialog.isVisible()) while_open(&dialog);
    });
    return dialog.exec();
  }

  uint32_t Current() {
    uint32_t values[3] = {99, 99, 99};
    ReadCurrent(box_.store(), values, kCpuFan);
    return values[kCpuFan];
  }

  ServiceSandbox box_;
  std::unique_ptr<Clock> clock_ = NewClock();
  RecordingPrompter prompter_;
  PsuProgramState psu_;
};

TEST_F(LifetimeSystemTest, ResetCpuFanIsWrittenAndTheServiceClearsItsNotices) {
  StartService();
  double ok_ms = 0;
  const int result = ResetCpuFan([](LifetimeDialog* d) { d->reject(); }, &ok_ms);
  EXPECT_EQ(result, QDialog::Accepted);     // closed by the save, after the reply
  ASSERT_EQ(prompter_.boxes().size(), 1u);  // the question only
  EXPECT_EQ(Current(), 0u);

  // The reply comes after the service's cycle, so item 0 is already cleared.
  uint32_t flag = 9;
  char date[16] = "x";
  EXPECT_EQ(ReadNotifyDone(box_.store(), &flag, date, kNotifyCpuFan), kOk);
  EXPECT_EQ(flag, 0u);
  EXPECT_STREQ(date, "");
  flag = 9;
  std::strcpy(date, "x");
  EXPECT_EQ(ReadNotifyDonePre(box_.store(), &flag, date, kNotifyCpuFan), kOk);
  EXPECT_EQ(flag, 0u);
  EXPECT_STREQ(date, "");
  uint32_t stop = 9;
  ReadNotifyDonePreStop(box_.store(), &stop, kNotifyCpuFan);
  EXPECT_EQ(stop, 0u);
  // 17520 + 20000 lies within the five years of support: no stop flag.
  uint32_t current_stop = 0;
  EXPECT_NE(ReadCurrentStop(box_.store(), &current_stop, kCpuFan), kOk);
  RecordProperty("ok_to_reply_ms", std::to_string(ok_ms));
  std::printf("OK to the service's reply: %.2f ms\n", ok_ms);
  StopService();
}

TEST_F(LifetimeSystemTest, StoppedServiceIsReportedBusyAndTheWrittenValuesStay) {
  StartService();
  StopService();
  double ok_ms = 0;
  bool stayed_open = false;
  const int result = ResetCpuFan(
      [&](LifetimeDialog* d) {
        stayed_open = true;
        d->reject();
      },
      &ok_ms);
  EXPECT_TRUE(stayed_open);
  EXPECT_EQ(result, QDialog::Rejected);
  ASSERT_EQ(prompter_.boxes().size(), 2u);
  EXPECT_EQ(prompter_.boxes()[1].kind, RecordingPrompter::Kind::kError);
  EXPECT_EQ(prompter_.boxes()[1].caption, "TALVENUI");
  EXPECT_EQ(prompter_.boxes()[1].text, "TALVEN Service is Busy.\nPlease wait a while.");
  EXPECT_EQ(Current(), 0u);
  // Nobody cleared the notices.
  uint32_t flag = 0;
  char date[16] = {};
  ReadNotifyDone(box_.store(), &flag, date, kNotifyCpuFan);
  EXPECT_EQ(flag, 1u);
}

}  // namespace
}  // namespace quillon::gui
