#ifndef QUILLON_GUI_WIDGETS_QT_TRANSLATION_H_
#define QUILLON_GUI_WIDGETS_QT_TRANSLATION_H_

#include <QString>

namespace quillon::gui {

// Qt's own texts (the standard buttons of the message boxes, the edit fields' context menu)
// follow the operator's language, as every other text of the GUI does.

// The base name of Qt's translation file for `language` ("qtbase_ja" for Japanese), or an
// empty name for English, which needs none: Qt's built-in texts are English.
QString QtTranslationName(int language);

// Installs Qt's translation for `language` from Qt's translations directory into the running
// application, replacing the one an earlier call installed; English removes it. Only the
// language decides, never the locale. Returns true when Qt speaks `language` afterwards
// (always for English; for Japanese when the translation file was found and loaded, otherwise
// Qt's texts stay English). GUI thread, with the QApplication in existence.
bool UseQtTranslation(int language);

}  // namespace quillon::gui

#endif  // QUILLON_GUI_WIDGETS_QT_TRANSLATION_H_
