#include "tools/notifier/notice.h"

#include <fcntl.h>
#include <systemd/sd-bus.h>
#include <unistd.h>
#include <utmpx.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace quillon::notifier {
namespace {

constexpr uint64_t kBusTimeoutUsec = 3'000'000;

bool EnvSet(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0';
}

}  // namespace

std::string ForTerminal(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::vector<std::string> TerminalPaths() {
  std::vector<std::string> paths;
  auto add = [&paths](std::string p) {
    if (!p.empty() && std::find(paths.begin(), paths.end(), p) == paths.end()) {
      paths.push_back(std::move(p));
    }
  };
  if (const char* list = std::getenv("QUILLON_NOTIFY_TTYS"); list != nullptr) {
    std::string all = list;
    size_t start = 0;
    while (start <= all.size()) {
      size_t end = all.find(':', start);
      if (end == std::string::npos) end = all.size();
      add(all.substr(start, end - start));
      start = end + 1;
    }
    return paths;
  }
  setutxent();
  while (utmpx* u = getutxent()) {
    if (u->ut_type != USER_PROCESS) continue;
    std::string line(u->ut_line, strnlen(u->ut_line, sizeof u->ut_line));
    // A line name is a device below /dev; anything that climbs out of it is not one.
    if (line.empty() || line.find("..") != std::string::npos || line[0] == '/') continue;
    add("/dev/" + line);
  }
  endutxent();
  return paths;
}

int WriteToTerminals(const std::vector<std::string>& paths, const std::string& text,
                     bool terminals_only) {
  int written = 0;
  for (const std::string& path : paths) {
    // O_NONBLOCK: a terminal that does not drain (a stopped session) must not hang the
    // notice for every other operator; O_NOCTTY: never become its controlling process.
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    if (!terminals_only || isatty(fd)) {
      const std::string data = isatty(fd) ? ForTerminal(text) : text;
      if (write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size())) ++written;
    }
    close(fd);
  }
  return written;
}

bool AppendToLog(const std::string& text) {
  const char* path = std::getenv("QUILLON_NOTIFY_LOG");
  if (path == nullptr || *path == '\0') return false;
  int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  // One write on an append descriptor keeps notices from two programs apart.
  bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(fd);
  return ok;
}

bool ShowDesktopNotification(const Notice& notice) {
  if (!EnvSet("DISPLAY") && !EnvSet("WAYLAND_DISPLAY") && !EnvSet("DBUS_SESSION_BUS_ADDRESS")) {
    return false;
  }
  sd_bus* bus = nullptr;
  if (sd_bus_open_user(&bus) < 0) return false;
  sd_bus_message* call = nullptr;
  sd_bus_message* reply = nullptr;
  sd_bus_error error = SD_BUS_ERROR_NULL;
  std::string summary = "Quillon (" + notice.program + ")";
  int r = sd_bus_message_new_method_call(bus, &call, "org.freedesktop.Notifications",
                                         "/org/freedesktop/Notifications",
                                         "org.freedesktop.Notifications", "Notify");
  if (r >= 0) {
    r = sd_bus_message_append(call, "susssas", "Quillon", 0u, "dialog-warning", summary.c_str(),
                              notice.text.c_str(), 0);
  }
  // Hints: critical urgency, so the warning stays until the operator dismisses it.
  if (r >= 0) r = sd_bus_message_open_container(call, 'a', "{sv}");
  if (r >= 0) r = sd_bus_message_append(call, "{sv}", "urgency", "y", 2);
  if (r >= 0) r = sd_bus_message_close_container(call);
  if (r >= 0) r = sd_bus_message_append(call, "i", -1);
  if (r >= 0) r = sd_bus_call(bus, call, kBusTimeoutUsec, &error, &reply);
  sd_bus_error_free(&error);
  sd_bus_message_unref(reply);
  sd_bus_message_unref(call);
  sd_bus_flush_close_unref(bus);
  return r >= 0;
}

}  // namespace quillon::notifier
