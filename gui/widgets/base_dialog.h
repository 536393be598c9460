#ifndef QUILLON_GUI_WIDGETS_BASE_DIALOG_H_
#define QUILLON_GUI_WIDGETS_BASE_DIALOG_H_

#include <QDialog>
#include <QHash>
#include <QString>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "gui/core/captions.h"
#include "gui/core/key_rules.h"
#include "gui/core/prompter.h"

class QKeyEvent;

namespace quillon::gui {

// The dialog every window of TALVENUI derives from. It supplies:
// - the language index and the server hours slot the derived dialogs keep;
// - the controls by identifier (RegisterControl), so that caption tables, data exchange and
//   the default-action / cancel-action rules can name them;
// - captions and tool tips from caption tables, window titles from row 0;
// - the shared keyboard: Return runs OK on the default-action control, Cancel on the
//   cancel-action control and moves on elsewhere; Esc cancels; Up and Down move between
//   controls; Ctrl+Shift+Alt+F1 runs MaintenanceAction(); F1 otherwise does nothing;
// - the data-exchange routines with the two shared validation messages.
// GUI thread only. Not copyable.
class BaseDialog : public QDialog {
  Q_OBJECT

 public:
  // `prompter` shows the message boxes and must outlive the dialog; when null the dialog uses
  // Qt message boxes of its own.
  BaseDialog(QWidget* parent, int default_control, int cancel_control, int language,
             Prompter* prompter);
  ~BaseDialog() override;

  int language() const { return language_; }
  void set_language(int language) { language_ = language; }
  uint32_t server_hours() const { return server_hours_; }
  void set_server_hours(uint32_t hours) { server_hours_ = hours; }
  int default_control() const { return default_control_; }
  int cancel_control() const { return cancel_control_; }
  Prompter* prompter() const { return prompter_; }

  // Names `widget` (a child of this dialog) as control `control`. A later registration of the
  // same identifier replaces the earlier one.
  void RegisterControl(int control, QWidget* widget);
  // The control registered as `control`, or nullptr.
  QWidget* Control(int control) const;
  // The identifier of `widget`, or kNoControl when it is not a registered control.
  int ControlId(const QWidget* widget) const;

  // Sets the text of a control (button, label, line edit, group box); false when there is no
  // such control or it has no text.
  bool SetControlText(int control, const QString& text);
  // The text of a control; empty when there is none.
  QString ControlText(int control) const;

  // Applies the first row of `table` for `control`: the tool tip of the language (empty: no
  // tip) and the text of the language with `argument` for its "%lu". The text is also the
  // control's accessible name, and the tip its accessible description (the window title of
  // the table's row 0 when the tip is empty). False, and nothing changed, when the table has
  // no row for the control or there is no such control.
  bool ApplyCaption(int control, std::span<const CaptionRow> table,
                    unsigned long argument = kNoArgument);
  // Sets what a screen reader says of `widget`: its name and its description.
  static void SetAccessibleTexts(QWidget* widget, const QString& name, const QString& description);
  // Sets the window title from row 0 of `table` in the current language.
  void SetTitleFromTable(std::span<const CaptionRow> table);

  // The data-exchange routines. With save false they load the variable into the control and
  // return true. With save true they check and store the control's text; on failure they
  // show the message (caption: the current window title, no icon), give the control the focus
  // and return false, leaving the variable untouched.
  bool ExchangeCheckBox(bool save, int control, uint32_t* flag);
  bool ExchangeDigits(bool save, int control, uint32_t* value, uint32_t lower, uint32_t upper);
  // `buffer` holds `size` bytes (16 for the stored dates); the saved text is cut to size - 1.
  bool ExchangeDateText(bool save, int control, char* buffer, size_t size);

  // The dialog's data exchange; the default exchanges nothing. Returns false when a save
  // failed (the OK that started it then does nothing further).
  virtual bool ExchangeData(bool save);
  // OK: the default runs the data exchange and closes with Accepted when it succeeded.
  virtual void OnOk();
  // Cancel: the default closes with Rejected.
  virtual void OnCancel();
  // The maintenance action of Ctrl+Shift+Alt+F1; the default does nothing.
  virtual void MaintenanceAction();

  // QDialog's accept and reject (OK buttons, the close box) run OnOk and OnCancel.
  void accept() override;
  void reject() override;

  // Handles one key press as the dialog's keyboard rules say; true when the key was used up.
  // Exposed for the keyboard filter and for tests.
  bool HandleKey(QKeyEvent* event);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QHash<int, QWidget*> controls_;
  int language_;
  uint32_t server_hours_ = 0;
  int default_control_;
  int cancel_control_;
  std::unique_ptr<Prompter> own_prompter_;
  Prompter* prompter_;
};

// Converts between the operator's UTF-8 texts and Qt strings.
inline QString Q(const std::string& text) { return QString::fromStdString(text); }
inline QString Q(const char* text) { return QString::fromUtf8(text); }
inline std::string U(const QString& text) { return text.toStdString(); }

}  // namespace quillon::gui

#endif  // QUILLON_GUI_WIDGETS_BASE_DIALOG_H_
