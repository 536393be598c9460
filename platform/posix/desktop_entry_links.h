#ifndef QUILLON_PLATFORM_POSIX_DESKTOP_ENTRY_LINKS_H_
#define QUILLON_PLATFORM_POSIX_DESKTOP_ENTRY_LINKS_H_

#include <string>

#include "platform/shell_links.h"

namespace quillon {

// Program links as freedesktop.org desktop entries: NAME.desktop in the applications
// directory (LinkFolder::kCommonPrograms) or in the user's autostart directory
// (LinkFolder::kUserStartup). The entry starts the target with its arguments in the working
// directory, and carries TryExec so that desktops ignore it while the target is missing. Icon,
// show command and hot key have no counterpart and are not written.
class DesktopEntryLinks : public ShellLinks {
 public:
  // Directories with or without a trailing '/'.
  DesktopEntryLinks(std::string applications_dir, std::string autostart_dir);

  // The directories of this machine and user: $QUILLON_APPLICATIONS_DIR or
  // /usr/share/applications/, and $XDG_CONFIG_HOME/autostart/ (when XDG_CONFIG_HOME is an
  // absolute path) or ~/.config/autostart/ with ~ from $HOME or the password database.
  static DesktopEntryLinks FromEnvironment();

  // Both folders exist on every Linux desktop.
  bool HasFolder(LinkFolder folder) override;

  // Writes the entry to a temporary file beside it and renames it into place (mode 0644), so
  // that a reader never sees half an entry. Missing directories are created (mode 0755).
  // 0 on success; kErrorPathNotFound when the folder is unknown (no home directory) or
  // cannot be created; kErrorAccessDenied or kErrorWriteFault when writing fails.
  Status Create(LinkFolder folder, const ShellLink& link) override;

  // The path the entry of `link` gets in `folder`.
  std::string EntryPath(LinkFolder folder, const ShellLink& link) const;

 private:
  std::string applications_dir_;
  std::string autostart_dir_;
};

// The text of the desktop entry for `link` (exposed for tests).
std::string DesktopEntryText(LinkFolder folder, const ShellLink& link);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_DESKTOP_ENTRY_LINKS_H_
