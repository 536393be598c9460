#include <gtest/gtest.h>

#include "common/settings/schema.h"
#include "gui/core/data_init.h"
#include "gui/core/main_menu_presenter.h"
#include "gui/core/notify_method_presenter.h"
#include "gui/core/testing/recording_prompter.h"
#include "platform/fakes/failing_store.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"

namespace quillon::gui {
namespace {

using Kind = RecordingPrompter::Kind;

TEST(MainMenuPresenterTest, LanguageFollowsTheUserUntilOneIsStored) {
  MemoryStore store;
  FakeSystemInfo system;
  system.user_lang = 0x0411;
  MainMenuPresenter japanese(&store, &system);
  japanese.Open();
  EXPECT_EQ(japanese.language(), kJapanese);
  EXPECT_EQ(japanese.HoursText(), "サーバ稼動時間＝ 0 時間");
  EXPECT_EQ(japanese.VersionEntryText(), "ﾊﾞｰｼﾞｮﾝ情報(Quillon) (&A)...");

  store.SetDword(kRootKey, "Language", 1);
  MainMenuPresenter english(&store, &system);
  english.Open();
  EXPECT_EQ(english.language(), kEnglish);
  EXPECT_EQ(english.VersionTitle(), "Version Information Quillon");
}

TEST(MainMenuPresenterTest, HoursAreReadAtOpeningAndOnTheTick) {
  MemoryStore store;
  FakeSystemInfo system;
  store.SetDword(kRootKey, "LifeTime", 12345);
  MainMenuPresenter p(&store, &system);
  p.Open();
  EXPECT_EQ(p.HoursText(), "Server Running= 12345 Hour(s)");
  store.SetDword(kRootKey, "LifeTime", 12346);
  EXPECT_EQ(p.HoursText(), "Server Running= 12345 Hour(s)");  // not before the tick
  p.RefreshHours();
  EXPECT_EQ(p.HoursText(), "Server Running= 12346 Hour(s)");
}

TEST(MainMenuPresenterTest, FailedHoursReadKeepsThePreviousValue) {
  MemoryStore inner;
  inner.SetDword(kRootKey, "LifeTime", 500);
  FakeSystemInfo system;
  FailingStore store(&inner);
  MainMenuPresenter p(&store, &system);
  p.Open();
  EXPECT_EQ(p.server_hours(), 500u);
  store.FailAll(kErrorRegistryIo);
  p.RefreshHours();
  EXPECT_EQ(p.server_hours(), 500u);
  // A new opening starts from 0.
  MainMenuPresenter fresh(&store, &system);
  fresh.Open();
  EXPECT_EQ(fresh.server_hours(), 0u);
  EXPECT_EQ(fresh.language(), kEnglish);
}

TEST(VersionCommandTest, LowFourBitsAreIgnored) {
  EXPECT_TRUE(IsVersionCommand(0x10));
  EXPECT_TRUE(IsVersionCommand(0x1F));
  EXPECT_FALSE(IsVersionCommand(0x20));
  EXPECT_FALSE(IsVersionCommand(0xF060));
}

TEST(NotifyMethodPresenterTest, StoredLcdIsForcedOffAndSavedAsZero) {
  MemoryStore store;
  store.SetDword(kNotifyMethodKey, "LCD", 1);
  store.SetDword(kNotifyMethodKey, "DSP", 1);
  NotifyMethodPresenter p(&store);
  p.Open();
  EXPECT_EQ(p.lcd(), 0u);
  EXPECT_EQ(p.screen(), 1u);
  EXPECT_EQ(p.Save(), kOk);
  EXPECT_EQ(store.GetDword(kNotifyMethodKey, "LCD", 99), 0u);
  EXPECT_EQ(store.GetDword(kNotifyMethodKey, "DSP", 99), 1u);
}

TEST(NotifyMethodPresenterTest, OpeningWritesNothingAndMissingValuesReadAsZero) {
  MemoryStore store;
  NotifyMethodPresenter p(&store);
  p.Open();
  EXPECT_EQ(p.screen(), 0u);
  EXPECT_EQ(store.write_count(), 0);
  p.flags()[1] = 1;
  EXPECT_EQ(p.Save(), kOk);
  EXPECT_EQ(store.GetDword(kNotifyMethodKey, "DSP", 99), 1u);
}

TEST(NotifyMethodPresenterTest, FailureIsTheStatusOfTheScreenWrite) {
  MemoryStore inner;
  FailingStore store(&inner);
  NotifyMethodPresenter p(&store);
  p.Open();
  store.FailOn("set", "DSP", kErrorAccessDenied);
  EXPECT_EQ(p.Save(), kErrorAccessDenied);
  EXPECT_EQ(NotifyMethodPresenter::FailureMessage(kEnglish, kErrorAccessDenied),
            "Registration of error notification method failed.\nError code(5)");
  EXPECT_EQ(NotifyMethodPresenter::FailureMessage(kJapanese, 5),
            "障害の通知方法登録に失敗しました。\nエラーコード(5)");

  // A failing LCD write alone goes unreported.
  store.FailAll(kOk);
  store.FailOn("set", "LCD", kErrorAccessDenied);
  EXPECT_EQ(p.Save(), kOk);
}

class DataInitialisationTest : public ::testing::Test {
 protected:
  DataInitialisationTest() {
    system_.program_path = "/opt/quillon/bin/TALVENUI";
    init_.prompter = &prompter_;
    init_.system = &system_;
    init_.probe = [this] {
      steps_.push_back("probe");
      return probe_status_;
    };
    init_.beep = [this] { steps_.push_back("beep"); };
    init_.initialise = [this](const std::string& program_dir, const std::string& temp_dir) {
      steps_.push_back("init " + program_dir + " " + temp_dir);
    };
  }

  RecordingPrompter prompter_;
  FakeSystemInfo system_;
  DataInitialisation init_;
  std::vector<std::string> steps_;
  Status probe_status_ = kErrorNotFound;
};

TEST_F(DataInitialisationTest, StoppedServiceBeepsThenInitialises) {
  prompter_.AnswerNext(true);
  init_.Run(kEnglish);
  ASSERT_EQ(prompter_.boxes().size(), 1u);
  EXPECT_EQ(prompter_.boxes()[0].kind, Kind::kQuestion);
  EXPECT_EQ(prompter_.boxes()[0].caption, "TALVENUI");
  EXPECT_EQ(prompter_.boxes()[0].text, "Dou you want to Initialize all of data?");
  EXPECT_EQ(steps_, (std::vector<std::string>{"probe", "beep",
                                              "init /opt/quillon/bin/ /opt/quillon/bin/Temp/"}));
}

TEST_F(DataInitialisationTest, RunningServiceIsRefused) {
  probe_status_ = kOk;
  prompter_.AnswerNext(true);
  init_.Run(kJapanese);
  ASSERT_EQ(prompter_.boxes().size(), 2u);
  EXPECT_EQ(prompter_.boxes()[0].text, "すべての登録データを初期化しますか？");
  EXPECT_EQ(prompter_.boxes()[1].kind, Kind::kError);
  EXPECT_EQ(prompter_.boxes()[1].caption, "TALVENUI");
  EXPECT_EQ(prompter_.boxes()[1].text,
            "TALVENサービスが稼動中には登録データの初期化はできません。");
  EXPECT_EQ(steps_, std::vector<std::string>{"probe"});
}

TEST_F(DataInitialisationTest, NoSendsNothing) {
  prompter_.AnswerNext(false);
  init_.Run(kEnglish);
  EXPECT_TRUE(steps_.empty());
}

TEST_F(DataInitialisationTest, AnyProbeFailureCountsAsStopped) {
  probe_status_ = kErrorTimeout;
  prompter_.AnswerNext(true);
  init_.Run(kEnglish);
  ASSERT_EQ(steps_.size(), 3u);
  EXPECT_EQ(prompter_.boxes().size(), 1u);
}

}  // namespace
}  // namespace quillon::gui
