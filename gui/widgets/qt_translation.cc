#include "gui/widgets/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "gui/core/captions.h"

namespace quillon::gui {
namespace {

// The installed translator is a child of the application, found again by this name, so it
// lives exactly as long as the application does.
constexpr char kTranslatorName[] = "quillonQtTranslation";

}  // namespace

QString QtTranslationName(int language) {
  return language == kJapanese ? QStringLiteral("qtbase_ja") : QString();
}

bool UseQtTranslation(int language) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return false;
  // The old translation goes before the new one is loaded, so a file that fails to load
  // leaves Qt's English rather than the previous language.
  delete app->findChild<QTranslator*>(kTranslatorName, Qt::FindDirectChildrenOnly);
  const QString name = QtTranslationName(language);
  if (name.isEmpty()) return true;
  auto* translator = new QTranslator(app);
  translator->setObjectName(kTranslatorName);
  if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

}  // namespace quillon::gui
