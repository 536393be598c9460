#include "platform/posix/desktop_entry_links.h"

#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/process_launcher.h"

namespace quillon {
namespace {

std::string WithSlash(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir.push_back('/');
  return dir;
}

// The escapes of a desktop entry's string values.
std::string EscapeValue(std::string_view value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out.push_back(c);
    }
  }
  // A leading blank would be taken for the blank after '='.
  if (!out.empty() && out.front() == ' ') out.replace(0, 1, "\\s");
  return out;
}

// One argument of an Exec line: quoted when it holds a reserved character, with '"', '`', '$'
// and '\' escaped inside the quotes, and '%' doubled so that it is not read as a field code.
std::string ExecArgument(std::string_view arg) {
  std::string quoted;
  const bool needs_quotes =
      arg.empty() || arg.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string_view::npos;
  if (needs_quotes) quoted.push_back('"');
  for (char c : arg) {
    if (needs_quotes && (c == '"' || c == '`' || c == '$' || c == '\\')) quoted.push_back('\\');
    if (c == '%') quoted.push_back('%');
    quoted.push_back(c);
  }
  if (needs_quotes) quoted.push_back('"');
  return quoted;
}

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  const struct passwd* pw = getpwuid(getuid());
  return (pw != nullptr && pw->pw_dir != nullptr) ? pw->pw_dir : "";
}

// Creates `dir` and its missing parents.
Status MakeDirectories(const std::string& dir) {
  for (size_t pos = dir.find('/', 1); pos != std::string::npos; pos = dir.find('/', pos + 1)) {
    const Status s = MakeDirectory(dir.substr(0, pos));
    if (s != kOk && s != kErrorAlreadyExists) return s;
  }
  struct stat st;
  return (stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? kOk : kErrorPathNotFound;
}

}  // namespace

DesktopEntryLinks::DesktopEntryLinks(std::string applications_dir, std::string autostart_dir)
    : applications_dir_(WithSlash(std::move(applications_dir))),
      autostart_dir_(WithSlash(std::move(autostart_dir))) {}

DesktopEntryLinks DesktopEntryLinks::FromEnvironment() {
  const char* apps = std::getenv("QUILLON_APPLICATIONS_DIR");
  std::string applications =
      (apps != nullptr && apps[0] != '\0') ? apps : "/usr/share/applications/";
  // The XDG rules ignore a relative XDG_CONFIG_HOME.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string autostart;
  if (config != nullptr && config[0] == '/') {
    autostart = WithSlash(config) + "autostart/";
  } else {
    const std::string home = HomeDirectory();
    if (!home.empty()) autostart = WithSlash(home) + ".config/autostart/";
  }
  return DesktopEntryLinks(std::move(applications), std::move(autostart));
}

bool DesktopEntryLinks::HasFolder(LinkFolder) { return true; }

std::string DesktopEntryLinks::EntryPath(LinkFolder folder, const ShellLink& link) const {
  const std::string& dir =
      folder == LinkFolder::kCommonPrograms ? applications_dir_ : autostart_dir_;
  return dir + link.name + ".desktop";
}

Status DesktopEntryLinks::Create(LinkFolder folder, const ShellLink& link) {
  // The name becomes a file name in the folder: it must not lead out of it.
  if (link.name.empty() || link.name.find('/') != std::string::npos || link.name == "." ||
      link.name == "..") {
    return kErrorInvalidParameter;
  }
  const std::string& dir =
      folder == LinkFolder::kCommonPrograms ? applications_dir_ : autostart_dir_;
  if (dir.empty() || dir.front() != '/') return kErrorPathNotFound;
  if (Status s = MakeDirectories(dir)) return s;

  // The setup log reports an entry that could not be written as denied, disk full or a
  // write fault; nothing else.
  const Status s = ReplaceFileAtomically(EntryPath(folder, link), DesktopEntryText(folder, link));
  if (s == kOk || s == kErrorAccessDenied || s == kErrorDiskFull) return s;
  return kErrorWriteFault;
}

std::string DesktopEntryText(LinkFolder folder, const ShellLink& link) {
  std::string exec = ExecArgument(link.target);
  // Appended piece by piece: `" " + ExecArgument(arg)` inserts at the front of a temporary,
  // which GCC 12 at -O2 wrongly reports as an overlapping memcpy (-Wrestrict).
  for (const std::string& arg : SplitCommandLine(link.arguments)) {
    exec += ' ';
    exec += ExecArgument(arg);
  }
  const std::string& title = link.description.empty() ? link.name : link.description;

  std::string text = "[Desktop Entry]\n";
  text += "Type=Application\n";
  text += "Version=1.0\n";
  text += "Name=" + EscapeValue(title) + "\n";
  text += "Comment=" + EscapeValue(title) + "\n";
  text += "TryExec=" + EscapeValue(link.target) + "\n";
  text += "Exec=" + EscapeValue(exec) + "\n";
  if (!link.working_directory.empty()) {
    text += "Path=" + EscapeValue(link.working_directory) + "\n";
  }
  text += "Terminal=false\n";
  if (folder == LinkFolder::kCommonPrograms) text += "Categories=System;Monitor;\n";
  return text;
}

}  // namespace quillon
