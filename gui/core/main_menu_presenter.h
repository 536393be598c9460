#ifndef QUILLON_GUI_CORE_MAIN_MENU_PRESENTER_H_
#define QUILLON_GUI_CORE_MAIN_MENU_PRESENTER_H_

#include <cstdint>
#include <span>
#include <string>

#include "gui/core/captions.h"
#include "platform/store.h"
#include "platform/system_info.h"

namespace quillon::gui {

// Control and command identifiers of the main menu.
inline constexpr int kLifetimeCommand = 1031;
inline constexpr int kNotifyMethodCommand = 1004;
inline constexpr int kExitControl = 1;
inline constexpr int kHoursControl = 1035;
// The context-menu command of the version box (the low four bits are not looked at).
inline constexpr int kVersionCommand = 0x0010;
// The period of the hours line's refresh.
inline constexpr int kHoursRefreshMs = 3600000;

// The main menu's caption table.
std::span<const CaptionRow> MainMenuCaptions();

// The version entry of the main menu's context menu, and the version box's title.
inline constexpr TextPair kVersionEntry = {"ﾊﾞｰｼﾞｮﾝ情報(Quillon) (&A)...",
                                           "Version Information(Quillon) (&A)..."};
inline constexpr TextPair kVersionTitle = {"ﾊﾞｰｼﾞｮﾝ情報 Quillon", "Version Information Quillon"};
// The version box's fixed lines.
inline constexpr char kVersionLine[] = "Quillon  V5.1 L13-03";
inline constexpr char kLegalLine[] = "Copyright (C) Morvath Corporation. All rights reserved.";

// True when a context-menu command is the version box's.
inline bool IsVersionCommand(int command) { return (command & ~0xF) == kVersionCommand; }

// What the main menu shows, free of widgets: the language read at opening and the server's
// running hours, read at opening and on every hourly tick. Failed reads are not reported: the
// language keeps the user-language default and the hours their previous value (0 at opening).
// The store and system are not owned and must outlive the presenter. GUI thread only.
class MainMenuPresenter {
 public:
  MainMenuPresenter(Store* store, SystemInfo* system) : store_(store), system_(system) {}

  // The opening: reads the language, sets the hours to 0 and reads them.
  void Open();
  // The hourly tick: reads the hours again.
  void RefreshHours();

  int language() const { return static_cast<int>(language_); }
  uint32_t server_hours() const { return server_hours_; }
  // "Server Running= <hours> Hour(s)" in the language.
  std::string HoursText() const;
  std::string VersionEntryText() const { return Pick(kVersionEntry, language()); }
  std::string VersionTitle() const { return Pick(kVersionTitle, language()); }

 private:
  Store* store_;
  SystemInfo* system_;
  uint32_t language_ = 0;
  uint32_t server_hours_ = 0;
};

}  // namespace quillon::gui

#endif  // QUILLON_GUI_CORE_MAIN_MENU_PRESENTER_H_
