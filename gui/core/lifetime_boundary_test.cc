// The lifetime dialog's row-to-item mapping and the boundary of its support stop rule. The
// file sorts before the dialog's widget tests on purpose: a wrong mapping leaves a "Confirmed"
// box unset there and crashes that test program, so the mapping is asserted here first, where
// it fails with a message.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "common/settings/schema.h"
#include "gui/core/lifetime_presenter.h"
#include "gui/core/testing/recording_prompter.h"
#include "platform/fakes/memory_store.h"

namespace quillon::gui {
namespace {

using SaveResult = LifetimePresenter::SaveResult;

TEST(LifetimeRowMappingTest, EveryRowNamesItsOwnItem) {
  EXPECT_EQ(RunningNotifyIndex(kRowCpuFan), kNotifyCpuFan);
  EXPECT_EQ(RunningNotifyIndex(kRowPsu), kNotifyPsu);
  EXPECT_EQ(RunningNotifyIndex(kRowCaisFan), kNotifyCaisFan);
  for (int row = 0; row < kUpsDateRow; ++row) {
    EXPECT_EQ(DateNotifyIndex(row), row + 1) << "RAID#" << row + 1;
  }
  EXPECT_EQ(DateNotifyIndex(kUpsDateRow), kNotifyUps);

  // Together the rows cover the 20 items once each.
  std::array<int, kNotifyCount> rows_of{};
  for (int row = 0; row < kPartRows; ++row) {
    const int index = RunningNotifyIndex(row);
    ASSERT_TRUE(index >= 0 && index < kNotifyCount) << "running row " << row;
    ++rows_of[index];
  }
  for (int row = 0; row < kDateRows; ++row) {
    const int index = DateNotifyIndex(row);
    ASSERT_TRUE(index >= 0 && index < kNotifyCount) << "date row " << row;
    ++rows_of[index];
  }
  for (int index = 0; index < kNotifyCount; ++index) EXPECT_EQ(rows_of[index], 1) << index;
}

class LifetimeBoundaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_.SetDword(kRootKey, "SupportLimit", 5);  // 43800 hours
    store_.SetDword(kLimitKey, "CPU_FAN", 17520);
    store_.SetDword(kLimitKey, "PSU", 43800);
    store_.SetDword(kLimitKey, "CAIS_FAN", 26280);
    store_.SetDword(kCurrentKey, "CPU_FAN", 16000);
    store_.SetDword(kCurrentKey, "PSU", 300);
    store_.SetDword(kCurrentKey, "CAIS_FAN", 200);
  }

  // Opens a presenter; the form holds what the dialog shows at opening.
  void Open() {
    presenter_ = std::make_unique<LifetimePresenter>(
        &store_, &prompter_, &psu_,
        [this](const char* request, size_t size) {
          requests_.emplace_back(request, size);
          return kOk;
        },
        1);
    presenter_->Open();
    form_ = LifetimeForm{};
    for (int row = 0; row < kPartRows; ++row) {
      form_.running[row] = presenter_->record().current[row];
    }
    form_.running[kRowServer] = presenter_->server_hours();
    for (int row = 0; row < kDateRows; ++row) form_.dates[row] = presenter_->DateText(row);
  }

  MemoryStore store_;
  RecordingPrompter prompter_;
  PsuProgramState psu_;
  std::vector<std::string> requests_;
  std::unique_ptr<LifetimePresenter> presenter_;
  LifetimeForm form_;
};

TEST_F(LifetimeBoundaryTest, PsuRowReadsAndFlagsItemEighteen) {
  store_.SetDword(kNotifyDonePreKey, "PSU", 1);
  Open();
  for (int index = 0; index < kNotifyCount; ++index) {
    EXPECT_EQ(presenter_->ConfirmEnabled(index), index == kNotifyPsu) << index;
  }
  form_.running[kRowPsu] = 0;
  prompter_.AnswerNext(true);
  ASSERT_EQ(presenter_->Save(&form_), SaveResult::kClose);
  ASSERT_EQ(requests_.size(), 1u);
  std::string expected(23, '0');
  expected[kNotifyPsu] = '1';
  expected.push_back('\0');
  EXPECT_EQ(requests_[0], expected);
}

TEST_F(LifetimeBoundaryTest, ResetEndingExactlyAtTheSupportPeriodKeepsTheNotices) {
  // 17520 + 26280 = 43800: the new life ends with the support period, it does not exceed it.
  store_.SetDword(kRootKey, "LifeTime", 26280);
  Open();
  form_.running[kRowCpuFan] = 0;
  prompter_.AnswerNext(true);
  ASSERT_EQ(presenter_->Save(&form_), SaveResult::kClose);
  EXPECT_FALSE(store_.HasValue(kCurrentStopKey, "CPU_FAN"));
  EXPECT_EQ(store_.GetDword(kCurrentKey, "CPU_FAN", 99), 0u);

  // One server hour more and the CPU fan's notices stop.
  store_.SetDword(kRootKey, "LifeTime", 26281);
  store_.SetDword(kCurrentKey, "CPU_FAN", 16000);
  Open();
  form_.running[kRowCpuFan] = 0;
  prompter_.AnswerNext(true);
  ASSERT_EQ(presenter_->Save(&form_), SaveResult::kClose);
  EXPECT_EQ(store_.GetDword(kCurrentStopKey, "CPU_FAN", 0), 1u);
}

}  // namespace
}  // namespace quillon::gui
