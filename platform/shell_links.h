#ifndef QUILLON_PLATFORM_SHELL_LINKS_H_
#define QUILLON_PLATFORM_SHELL_LINKS_H_

#include <cstdint>
#include <string>

#include "platform/status.h"

namespace quillon {

// Where a program link goes.
enum class LinkFolder {
  kCommonPrograms,  // the applications menu of all users
  kUserStartup,     // the programs started when the current user logs in
};

// One program link (a shortcut). Text fields hold up to 259 characters on Windows.
struct ShellLink {
  std::string name;         // file name without extension: "Quillon", "TALVEN StartUp"
  std::string description;  // shown to the user: "Quillon", "Quillon StartUp"
  std::string target;       // full path of the program
  std::string arguments;    // command-line arguments after the program, may be empty
  std::string working_directory;
  std::string icon_path;
  int icon_index = 0;
  int show_command = 1;  // 1 normal, 6 start minimised
  uint16_t hot_key = 0;  // 0 none
};

// Creates program links: shell link files on Windows, desktop entries on Linux. Thread-safe
// as far as the file system is.
class ShellLinks {
 public:
  virtual ~ShellLinks() = default;

  // Whether this platform has `folder` at all (the per-user startup folder takes Windows NT
  // 6.0 or later).
  virtual bool HasFolder(LinkFolder folder) = 0;

  // Creates or replaces the link `link.name` in `folder`, creating the folder when missing.
  // 0 on success; otherwise a non-zero status and no half-written link is left behind.
  virtual Status Create(LinkFolder folder, const ShellLink& link) = 0;
};

}  // namespace quillon

#endif  // QUILLON_PLATFORM_SHELL_LINKS_H_
