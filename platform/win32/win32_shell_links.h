#ifndef QUILLON_PLATFORM_WIN32_WIN32_SHELL_LINKS_H_
#define QUILLON_PLATFORM_WIN32_WIN32_SHELL_LINKS_H_

#include <string>

#include "platform/shell_links.h"

namespace quillon {

// Program links as Windows shell links (NAME.lnk), made with IShellLinkW and saved with
// IPersistFile: in the Start menu's programs folder common to all users
// (LinkFolder::kCommonPrograms) and in the Startup folder of the user running the program
// (LinkFolder::kUserStartup). Every field of ShellLink is written. Thread-safe: each call
// uses COM on its own (initialising it on the calling thread for the call when needed).
class Win32ShellLinks : public ShellLinks {
 public:
  // The folders of this machine and user, looked up by the shell on every Create.
  Win32ShellLinks() = default;
  // Fixed folders (for tests), with or without a trailing backslash.
  Win32ShellLinks(std::string programs_dir, std::string startup_dir);

  // The common programs folder always; the user's Startup folder on Windows NT 6.0 or later.
  bool HasFolder(LinkFolder folder) override;

  // Saves the link under a temporary name in the folder, then moves it over NAME.lnk, so that
  // the shell never sees half a link. A missing folder is created. 0 on success;
  // kErrorInvalidParameter when a text is longer than 259 characters or the name is empty;
  // kErrorPathNotFound when the folder is unknown or cannot be created; the system's error
  // number (or the COM status) when the link cannot be made or saved.
  Status Create(LinkFolder folder, const ShellLink& link) override;

 private:
  // The folder's path with a trailing backslash, empty when unknown.
  std::wstring Folder(LinkFolder folder) const;

  std::string programs_dir_;
  std::string startup_dir_;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_WIN32_WIN32_SHELL_LINKS_H_
