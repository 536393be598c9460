#include "gui/widgets/qt_prompter.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "gui/core/data_init.h"
#include "gui/core/notify_method_presenter.h"
#include "gui/widgets/testing/qt_environment.h"

namespace quillon::gui {
namespace {

// Presses the standard button `which` of the message box that is open.
void AnswerNextBox(QMessageBox::StandardButton which, QString* seen_text = nullptr) {
  OnNextModal([which, seen_text](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    if (seen_text != nullptr) *seen_text = box->text();
    EXPECT_EQ(box->windowTitle(), "TALVENUI");
    QTest::mouseClick(box->button(which), Qt::LeftButton);
  });
}

TEST(QtPrompterTest, QuestionIsYesOnlyWhenYesWasChosen) {
  QtPrompter prompter;
  QString text;
  AnswerNextBox(QMessageBox::Yes, &text);
  EXPECT_TRUE(prompter.AskYesNo("TALVENUI", "Dou you want to Initialize all of data?"));
  EXPECT_EQ(text, "Dou you want to Initialize all of data?");
  AnswerNextBox(QMessageBox::No);
  EXPECT_FALSE(prompter.AskYesNo("TALVENUI", "?"));
  // Esc on a question is not Yes either.
  OnNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  EXPECT_FALSE(prompter.AskYesNo("TALVENUI", "?"));
  AnswerNextBox(QMessageBox::Ok);
  prompter.ShowError("TALVENUI", "error");
}

TEST(QtPrompterTest, QuestionPreselectsNo) {
  auto box = MakeMessageBox(BoxKind::kQuestion, "TALVENUI", "?");
  EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::No));
  EXPECT_EQ(box->icon(), QMessageBox::Question);
  EXPECT_EQ(MakeMessageBox(BoxKind::kError, "TALVENUI", "!")->icon(), QMessageBox::Critical);
  EXPECT_EQ(MakeMessageBox(BoxKind::kPlain, "Title", "!")->icon(), QMessageBox::NoIcon);
}

TEST(QtPrompterTest, BoxIsWideEnoughForItsWholeCaption) {
  // A short message under a long caption: the box follows the caption, not the message.
  const QString title = "Component life time information Browse/Setting";
  auto box = MakeMessageBox(BoxKind::kPlain, title.toStdString(), "Invalid Date.");
  box->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
  EXPECT_GE(box->width(), CaptionWidth(title, box->font()));
  QFont bold = box->font();
  bold.setBold(true);
  EXPECT_GT(CaptionWidth(title, box->font()), QFontMetrics(bold).horizontalAdvance(title));

  // A caption longer than the screen is wide makes the box as wide as the screen, no wider.
  auto wide = MakeMessageBox(BoxKind::kPlain, std::string(400, 'W'), "Invalid Date.");
  wide->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(wide.get()));
  EXPECT_LE(wide->width(), wide->screen()->availableGeometry().width());
}

TEST(QtPrompterTest, ScreenshotsOfTheMessagesInBothLanguages) {
  for (int language : {kJapanese, kEnglish}) {
    const QString suffix = language == kJapanese ? "_ja" : "_en";
    struct Shot {
      BoxKind kind;
      std::string text;
      const char* name;
    };
    for (const Shot& shot :
         {Shot{BoxKind::kQuestion, Pick(kInitialiseQuestion, language), "initialise_question"},
          Shot{BoxKind::kError, Pick(kServiceRunning, language), "service_running"},
          Shot{BoxKind::kError, NotifyMethodPresenter::FailureMessage(language, 5),
               "notify_method_failure"}}) {
      auto box = MakeMessageBox(shot.kind, kAppName, shot.text);
      box->show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
      EXPECT_FALSE(SaveScreenshot(box.get(), shot.name + suffix).isEmpty());
    }
  }
}

}  // namespace
}  // namespace quillon::gui
