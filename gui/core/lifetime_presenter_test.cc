#include "gui/core/lifetime_presenter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/settings/schema.h"
#include "gui/core/testing/recording_prompter.h"
#include "platform/fakes/failing_store.h"
#include "platform/fakes/memory_store.h"

namespace quillon::gui {
namespace {

using Kind = RecordingPrompter::Kind;
using SaveResult = LifetimePresenter::SaveResult;

const std::string kNoChange = std::string(23, '0') + '\0';

class LifetimePresenterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_.SetDword(kRootKey, "LifeTime", 30000);
    store_.SetDword(kRootKey, "SupportLimit", 5);
    store_.SetDword(kLimitKey, "CPU_FAN", 17520);
    store_.SetDword(kLimitKey, "CAIS_FAN", 26280);
    store_.SetDword(kLimitKey, "PSU", 43800);
    store_.SetDword(kLimitKey, "UPS", 17520);
    store_.SetDword(kCurrentKey, "CPU_FAN", 16000);
    store_.SetDword(kCurrentKey, "CAIS_FAN", 200);
    store_.SetDword(kCurrentKey, "PSU", 300);
    store_.SetDword(kSetupDateKey, "RAIDCount", 2);
    store_.SetText(kSetupDateKey, "RAID01", "2008/04/01");
    store_.SetText(kSetupDateKey, "RAID02", "2009/05/06");
    store_.SetText(kSetupDateKey, "UPS", "2010/01/02");
  }

  // Opens a presenter and fills the form as the dialog shows it at opening.
  void Open(Store* store = nullptr) {
    presenter_ = std::make_unique<LifetimePresenter>(
        store != nullptr ? store : &store_, &prompter_, &psu_,
        [this](const char* request, size_t size) {
          requests_.emplace_back(request, size);
          return send_status_;
        },
        kEnglish);
    presenter_->Open();
    form_ = LifetimeForm{};
    for (int row = 0; row < kPartRows; ++row)
      form_.running[row] = presenter_->record().current[row];
    form_.running[kRowServer] = presenter_->server_hours();
    for (int row = 0; row < kDateRows; ++row) form_.dates[row] = presenter_->DateText(row);
    for (int i = 0; i < kNotifyCount; ++i) form_.confirmed[i] = presenter_->ConfirmTicked(i);
    writes_at_open_ = store_.write_count();
  }

  std::vector<std::string> Questions() const {
    std::vector<std::string> texts;
    for (const auto& box : prompter_.boxes()) {
      if (box.kind == Kind::kQuestion) texts.push_back(box.text);
    }
    return texts;
  }

  MemoryStore store_;
  RecordingPrompter prompter_;
  PsuProgramState psu_;
  Status send_status_ = kOk;
  std::vector<std::string> requests_;
  std::unique_ptr<LifetimePresenter> presenter_;
  LifetimeForm form_;
  int writes_at_open_ = 0;
};

TEST_F(LifetimePresenterTest, NothingChangedClosesWithoutAWriteOrARequest) {
  Open();
  EXPECT_EQ(presenter_->Save(&form_), SaveResult::kClose);
  EXPECT_EQ(store_.write_count(), writes_at_open_);
  EXPECT_TRUE(requests_.empty());
  EXPECT_TRUE(prompter_.boxes().empty());
}

TEST_F(LifetimePresenterTest, CpuFanResetPastTheSupportPeriodStopsItsNotices) {
  // 17520 + 30000 > 5 years of 8760 hours.
  Open();
  form_.running[kRowCpuFan] = 0;
  form_.running_alert[kRowCpuFan] = true;
  prompter_.AnswerNext(true);
  EXPECT_EQ(presenter_->Save(&form_), SaveResult::kClose);
  EXPECT_EQ(store_.GetDword(kCurrentStopKey, "CPU_FAN", 99), 1u);
  EXPECT_FALSE(form_.running_alert[kRowCpuFan]);
  EXPECT_EQ(store_.GetDword(kCurrentKey, "CPU_FAN", 99), 0u);
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0], "1" + std::string(22, '0') + '\0');
  // The mark was cleared, so there is no over-limit notice.
  EXPECT_EQ(prompter_.boxes().size(), 1u);
}

TEST_F(LifetimePresenterTest, CpuFanResetWithinTheSupportPeriodLeavesTheStopFlag) {
  store_.SetDword(kRootKey, "LifeTime", 20000);  // 17520 + 20000 <= 43800
  Open();
  form_.running[kRowCpuFan] = 0;
  prompter_.AnswerNext(true);
  EXPECT_EQ(presenter_->Save(&form_), SaveResult::kClose);
  EXPECT_FALSE(store_.HasValue(kCurrentStopKey, "CPU_FAN"));
  EXPECT_EQ(store_.GetDword(kCurrentKey, "CPU_FAN", 99), 0u);
}

TEST_F(LifetimePresenterTest, NoKeepsTheDialogOpenWithTheEarlyWritesKept) {
  Open();
  form_.running[kRowCpuFan] = 0;
  form_.confirmed[3] = true;  // RAID#03's "Confirmed" box
  prompter_.AnswerNext(false);
  EXPECT_EQ(presenter_->Save(&form_), SaveResult::kStayOpen);
  ASSERT_EQ(Questions().size(), 1u);
  EXPECT_EQ(Questions()[0],
            "Set up date, running or contact is changed.\n\n Do you want to update data?");
  // Written before the question and kept after No.
  EXPECT_EQ(store_.GetDword(kNotifyDonePreStopKey, "RAID03", 99), 1u);
  EXPECT_EQ(store_.GetDword(kCurrentStopKey, "CPU_FAN", 99), 1u);
  // The counter itself is written only after Yes.
  EXPECT_EQ(store_.GetDword(kCurrentKey, "CPU_FAN", 99), 16000u);
  EXPECT_TRUE(requests_.empty());

  // A second OK asks again; the acknowledgement now matches the store.
  prompter_.AnswerNext(true);
  EXPECT_EQ(presenter_->Save(&form_), SaveResult::kClose);
  EXPECT_EQ(store_.GetDword(kCurrentKey, "CPU_FAN", 99), 0u);
  ASSERT_EQ(requests_.size(), 1u);
}

TEST_F(LifetimePresenterTest, RequestFlagsExactlyTheChangedRows) {
  Open();
  form_.dates[1] = "2026/12/08";  // RAID#02
  form_.running[kRowPsu] = 0;
  prompter_.AnswerNext(true);
  ASSERT_EQ(presenter_->Save(&form_), SaveResult::kClose);
  ASSERT_EQ(requests_.size(), 1u);
  std::string expected = kNoChange;
  expected[2] = '1';
  expected[18] = '1';
  EXPECT_EQ(requests_[0], expected);
  EXPECT_EQ(requests_[0].size(), kPartsChangedRequestSize);
  EXPECT_EQ(store_.GetText(kSetupDateKey, "RAID02"), "2026/12/08");
  EXPECT_EQ(store_.GetDword(kCurrentKey, "PSU", 99), 0u);
  EXPECT_EQ(store_.GetDword(kCurrentStopKey, "PSU", 99), 1u);  // 43800 + 30000 > 43800
  // Rows that did not change were not rewritten.
  EXPECT_EQ(store_.write_count() - writes_at_open_, 3);
}

TEST_F(LifetimePresenterTest, OnlyATickedConfirmedBoxSendsAllZeros) {
  store_.SetDword(kNotifyDonePreKey, "RAID01", 1);
  Open();
  ASSERT_TRUE(presenter_->ConfirmEnabled(1));
  form_.confirmed[1] = true;
  prompter_.AnswerNext(true);
  EXPECT_EQ(presenter_->Save(&form_), SaveResult::kClose);
  EXPECT_EQ(store_.GetDword(kNotifyDonePreStopKey, "RAID01", 99), 1u);
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0], kNoChange);
}

TEST_F(LifetimePresenterTest, RowsWithoutALifeAndEmptyDatesNeverCountAsChanged) {
  store_.SetDword(kLimitKey, "CAIS_FAN", 0);
  store_.DeleteValue(kSetupDateKey, "RAID02");
  Open();
  EXPECT_FALSE(presenter_->RunningEnabled(kRowCaisFan));
  EXPECT_EQ(presenter_->RunningText(kRowCaisFan), "");
  EXPECT_EQ(presenter_->LifeText(kRowCaisFan), "");
  form_.running[kRowCaisFan] = 5;  // not validated, not used
  form_.running_alert[kRowCaisFan] = true;
  form_.dates[1] = "";  // saved as the field's own empty text, equal to the snapshot
  EXPECT_EQ(presenter_->Save(&form_), SaveResult::kClose);
  EXPECT_FALSE(form_.running_alert[kRowCaisFan]);
  EXPECT_TRUE(requests_.empty());
  EXPECT_EQ(store_.write_count(), writes_at_open_);
}

TEST_F(LifetimePresenterTest, ServerHoursAreSavedButNotFlagged) {
  Open();
  form_.running[kRowServer] = 31000;
  form_.date_alert[0] = true;  // RAID#01 is over its life
  prompter_.AnswerNext(true);
  EXPECT_EQ(presenter_->Save(&form_), SaveResult::kClose);
  EXPECT_EQ(store_.GetDword(kRootKey, "LifeTime"), 31000u);
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0], kNoChange);
  ASSERT_EQ(prompter_.boxes().size(), 2u);
  EXPECT_EQ(prompter_.boxes()[1].kind, Kind::kInformation);
  EXPECT_EQ(prompter_.boxes()[1].text, "There is over limit parts.");
}

TEST_F(LifetimePresenterTest, FailedWriteShowsTheStatusAndStaysOpen) {
  FailingStore failing(&store_);
  failing.FailOn("set", "RAID02", 5);
  Open(&failing);
  form_.dates[1] = "2026/12/08";
  prompter_.AnswerNext(true);
  EXPECT_EQ(presenter_->Save(&form_), SaveResult::kStayOpen);
  ASSERT_EQ(prompter_.boxes().size(), 2u);
  EXPECT_EQ(prompter_.boxes()[1].kind, Kind::kError);
  EXPECT_EQ(prompter_.boxes()[1].caption, "TALVENUI");
  EXPECT_EQ(prompter_.boxes()[1].text, "Update Error.\nError code [5]");
  EXPECT_TRUE(requests_.empty());
}

TEST_F(LifetimePresenterTest, ServiceThatDoesNotAnswerIsReportedBusyAndTheDataStays) {
  send_status_ = kErrorNotFound;
  Open();
  form_.running[kRowCpuFan] = 0;
  prompter_.AnswerNext(true);
  EXPECT_EQ(presenter_->Save(&form_), SaveResult::kStayOpen);
  ASSERT_EQ(prompter_.boxes().size(), 2u);
  EXPECT_EQ(prompter_.boxes()[1].kind, Kind::kError);
  EXPECT_EQ(prompter_.boxes()[1].text, "TALVEN Service is Busy.\nPlease wait a while.");
  EXPECT_EQ(store_.GetDword(kCurrentKey, "CPU_FAN", 99), 0u);
}

TEST_F(LifetimePresenterTest, ConfirmedBoxesFollowTheNotificationFlags) {
  store_.SetDword(kNotifyDonePreKey, "CPU_FAN", 1);   // pre-warned: enabled
  store_.SetDword(kNotifyDonePreKey, "CAIS_FAN", 1);  // but past its life: disabled
  store_.SetDword(kNotifyDoneKey, "CAIS_FAN", 1);
  store_.SetDword(kNotifyDonePreKey, "PSU", 1);  // but its notices are stopped: disabled
  store_.SetDword(kCurrentStopKey, "PSU", 1);
  store_.SetDword(kNotifyDonePreKey, "RAID03", 1);  // beyond RAIDCount: disabled
  store_.SetDword(kNotifyDonePreStopKey, "RAID03", 1);
  store_.SetDword(kNotifyDonePreKey, "UPS", 1);
  Open();
  EXPECT_TRUE(presenter_->ConfirmEnabled(kNotifyCpuFan));
  EXPECT_FALSE(presenter_->ConfirmEnabled(kNotifyCaisFan));
  EXPECT_FALSE(presenter_->ConfirmEnabled(kNotifyPsu));
  EXPECT_FALSE(presenter_->ConfirmEnabled(3));
  EXPECT_TRUE(presenter_->ConfirmTicked(3));  // ticked, though not enabled
  EXPECT_TRUE(presenter_->ConfirmEnabled(kNotifyUps));
  EXPECT_FALSE(presenter_->ConfirmEnabled(1));
}

TEST_F(LifetimePresenterTest, EnablingPsuMonitoringStartsFromTheServerHours) {
  store_.SetDword(kRootKey, "PsuCheck", 1);
  store_.SetDword(kRootKey, "PsuMonitor", 0);
  store_.SetDword(kLimitKey, "PSU", 0);
  store_.SetDword(kLimitKey, "PSU_S", 43800);
  for (uint32_t server : {50000u, 30000u}) {
    store_.SetDword(kRootKey, "LifeTime", server);
    Open();
    ASSERT_EQ(presenter_->toggle(), PsuToggle::kEnable);
    prompter_.AnswerNext(true);
    ASSERT_TRUE(presenter_->TogglePsu());
    EXPECT_EQ(prompter_.boxes().back().text, "Do you want to enable to monitor PSU?");
    EXPECT_EQ(presenter_->PsuRunningHours(), server == 50000 ? 6200u : 30000u);
    EXPECT_EQ(presenter_->LifeLimit(kRowPsu), 43800u);
    EXPECT_EQ(presenter_->toggle(), PsuToggle::kDisable);
    EXPECT_EQ(psu_.psu_check, 2u);
    EXPECT_EQ(psu_.psu_monitor, 1u);
    EXPECT_TRUE(psu_.toggled);
    EXPECT_EQ(store_.write_count(), writes_at_open_);  // nothing written yet
  }

  // Saving the unchanged hours still counts the PSU as changed and stores the monitoring.
  form_.running[kRowPsu] = presenter_->PsuRunningHours();
  prompter_.AnswerNext(true);
  EXPECT_EQ(presenter_->Save(&form_), SaveResult::kClose);
  EXPECT_EQ(store_.GetDword(kLimitKey, "PSU"), 43800u);
  EXPECT_EQ(store_.GetDword(kRootKey, "PsuMonitor"), 1u);
  EXPECT_EQ(store_.GetDword(kRootKey, "PsuCheck"), 2u);
  EXPECT_EQ(store_.GetDword(kCurrentKey, "PSU"), 30000u);
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0][18], '1');
}

TEST_F(LifetimePresenterTest, DisablingPsuMonitoringFlagsThePsuAndClearsItsRow) {
  store_.SetDword(kRootKey, "PsuCheck", 2);
  store_.SetDword(kRootKey, "PsuMonitor", 1);
  store_.SetDword(kNotifyDonePreKey, "PSU", 1);
  Open();
  ASSERT_EQ(presenter_->toggle(), PsuToggle::kDisable);
  prompter_.AnswerNext(false);
  EXPECT_FALSE(presenter_->TogglePsu());
  EXPECT_FALSE(psu_.toggled);
  prompter_.AnswerNext(true);
  ASSERT_TRUE(presenter_->TogglePsu());
  EXPECT_EQ(presenter_->LifeLimit(kRowPsu), 0u);
  EXPECT_FALSE(presenter_->ConfirmEnabled(kNotifyPsu));
  EXPECT_EQ(psu_.psu_check, 2u);
  EXPECT_EQ(psu_.psu_monitor, 0u);

  prompter_.AnswerNext(true);
  EXPECT_EQ(presenter_->Save(&form_), SaveResult::kClose);
  EXPECT_EQ(store_.GetDword(kLimitKey, "PSU", 99), 0u);
  EXPECT_EQ(store_.GetDword(kRootKey, "PsuMonitor", 99), 0u);
  EXPECT_EQ(store_.GetDword(kCurrentKey, "PSU", 99), 0u);
  ASSERT_EQ(requests_.size(), 1u);
  std::string expected = kNoChange;
  expected[18] = '1';
  EXPECT_EQ(requests_[0], expected);
}

}  // namespace
}  // namespace quillon::gui
