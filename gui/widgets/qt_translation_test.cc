#include "gui/widgets/qt_translation.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <memory>

#include "common/settings/schema.h"
#include "gui/core/testing/recording_prompter.h"
#include "gui/widgets/main_menu.h"
#include "gui/widgets/testing/qt_environment.h"
#include "platform/fakes/fake_system_info.h"
#include "platform/fakes/memory_store.h"

namespace quillon::gui {
namespace {

// The texts Qt itself shows: a question box's two buttons and the edit menu of a field.
struct QtTexts {
  QString yes;
  QString no;
  QStringList edit_menu;
};

QtTexts SeeQtTexts() {
  QtTexts texts;
  QMessageBox box(QMessageBox::Question, "TALVENUI", "?", QMessageBox::Yes | QMessageBox::No);
  texts.yes = box.button(QMessageBox::Yes)->text();
  texts.no = box.button(QMessageBox::No)->text();
  QLineEdit field;
  field.setText("2009/06/01");
  std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator()) texts.edit_menu << action->text();
  }
  return texts;
}

class QtTranslationTest : public ::testing::Test {
 protected:
  void TearDown() override {
    QLocale::setDefault(QLocale::c());
    UseQtTranslation(kEnglish);
  }
};

TEST_F(QtTranslationTest, JapaneseModeShowsQtsOwnTextsInJapanese) {
  ASSERT_TRUE(UseQtTranslation(kJapanese)) << "qtbase_ja.qm (qt6-translations-l10n) not found";
  const QtTexts texts = SeeQtTexts();
  EXPECT_TRUE(texts.yes.startsWith("はい")) << qPrintable(texts.yes);
  EXPECT_TRUE(texts.no.startsWith("いいえ")) << qPrintable(texts.no);
  ASSERT_FALSE(texts.edit_menu.isEmpty());
  // Undo ... Select All, every entry in Japanese.
  for (const QString& entry : texts.edit_menu) {
    EXPECT_FALSE(entry.contains("Undo") || entry.contains("Copy") || entry.contains("Select"))
        << qPrintable(entry);
  }
}

TEST_F(QtTranslationTest, EnglishModeStaysEnglishWhateverTheLocale) {
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  ASSERT_TRUE(UseQtTranslation(kJapanese));
  EXPECT_TRUE(UseQtTranslation(kEnglish));
  const QtTexts texts = SeeQtTexts();
  EXPECT_EQ(texts.yes, "&Yes");
  EXPECT_EQ(texts.no, "&No");
  ASSERT_FALSE(texts.edit_menu.isEmpty());
  EXPECT_TRUE(texts.edit_menu.first().contains("Undo")) << qPrintable(texts.edit_menu.first());
  EXPECT_TRUE(texts.edit_menu.last().contains("Select All")) << qPrintable(texts.edit_menu.last());
  EXPECT_TRUE(QtTranslationName(kEnglish).isEmpty());
}

TEST_F(QtTranslationTest, TheMainMenuChoosesThemByTheStoredLanguage) {
  // The user's language says Japanese; the stored Language decides.
  FakeSystemInfo system;
  system.user_lang = 0x0411;
  for (int stored : {kEnglish, kJapanese, kEnglish}) {
    MemoryStore store;
    store.SetDword(kRootKey, "Language", stored);
    RecordingPrompter prompter;
    MainMenuServices services;
    services.store = &store;
    services.system = &system;
    services.prompter = &prompter;
    MainMenu menu(std::move(services));
    EXPECT_EQ(SeeQtTexts().yes.startsWith("はい"), stored == kJapanese) << stored;
  }
}

}  // namespace
}  // namespace quillon::gui
