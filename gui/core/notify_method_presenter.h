#ifndef QUILLON_GUI_CORE_NOTIFY_METHOD_PRESENTER_H_
#define QUILLON_GUI_CORE_NOTIFY_METHOD_PRESENTER_H_

#include <cstdint>
#include <span>
#include <string>

#include "gui/core/captions.h"
#include "platform/status.h"
#include "platform/store.h"

namespace quillon::gui {

// Controls of the error notification method dialog.
inline constexpr int kLcdCheck = 1032;
inline constexpr int kScreenCheck = 1033;

std::span<const CaptionRow> NotifyMethodCaptions();

inline constexpr TextPair kNotifyMethodFailure = {
    "障害の通知方法登録に失敗しました。\nエラーコード(%lu)",
    "Registration of error notification method failed.\nError code(%lu)"};

// The error notification method, free of widgets. The LCD choice is always off and cannot be
// changed; only the screen choice is the operator's. The store is not owned. GUI thread only.
class NotifyMethodPresenter {
 public:
  explicit NotifyMethodPresenter(Store* store) : store_(store) {}

  // The opening: reads LCD and DSP (a failed read leaves 0), then forces the LCD flag to 0.
  void Open();
  // flags()[0] is the LCD flag, flags()[1] the screen flag.
  uint32_t* flags() { return flags_; }
  uint32_t lcd() const { return flags_[0]; }
  uint32_t screen() const { return flags_[1]; }

  // OK after the check boxes were saved into flags(): writes LCD then DSP. Returns the status
  // of the DSP write (0 = stored; the dialog then closes).
  Status Save();

  // The failure message for `status` in `language`.
  static std::string FailureMessage(int language, Status status);

 private:
  Store* store_;
  uint32_t flags_[2] = {0, 0};
};

}  // namespace quillon::gui

#endif  // QUILLON_GUI_CORE_NOTIFY_METHOD_PRESENTER_H_
