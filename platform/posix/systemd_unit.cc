#include "platform/posix/systemd_unit.h"

#include <cstdio>
#include <string_view>

#include "platform/posix/operator_group.h"
#include "platform/runtime_dir.h"
#include "platform/store_path.h"

namespace quillon {
namespace {

// Escapes text for a unit file value: '%' starts a specifier, so it is doubled.
std::string EscapeSpecifiers(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '%') out += '%';
    if (c == '\n' || c == '\r') c = ' ';
    out += c;
  }
  return out;
}

// A path as one quoted word of a unit setting: C escapes inside double quotes, '%' doubled so
// that no specifier is expanded, and in a command line ('in_command') '$' doubled as well so
// that no variable is.
std::string QuotePath(std::string_view path, bool in_command) {
  std::string out = "\"";
  for (unsigned char c : path) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '%' || (in_command && c == '$')) {
      out += static_cast<char>(c);
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7f) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
  return out;
}

// The directory part of a file path, without the trailing '/'; "/" for a file in the root.
std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The confinement every installation gets. Each line that leaves something open says why.
constexpr char kHardening[] =
    "NoNewPrivileges=yes\n"
    "ProtectSystem=strict\n"
    "ProtectHome=yes\n"
    "PrivateTmp=yes\n"
    // The RAID manager's tool reaches the controllers through their device nodes, and the
    // notices go to the operators' terminals: the service keeps the host's /dev.
    "PrivateDevices=no\n"
    // Only AF_UNIX is used (the sockets, the system bus, the journal, sd_notify); socket files
    // work across network namespaces, so the service needs no network at all.
    "PrivateNetwork=yes\n"
    "IPAddressDeny=any\n"
    "RestrictAddressFamilies=AF_UNIX\n"
    "ProtectKernelTunables=yes\n"
    "ProtectKernelModules=yes\n"
    "ProtectKernelLogs=yes\n"
    "ProtectControlGroups=yes\n"
    "ProtectClock=yes\n"
    "ProtectHostname=yes\n"
    "ProtectProc=invisible\n"
    "RestrictNamespaces=yes\n"
    "RestrictRealtime=yes\n"
    "RestrictSUIDSGID=yes\n"
    "LockPersonality=yes\n"
    "MemoryDenyWriteExecute=yes\n"
    "RemoveIPC=yes\n"
    "KeyringMode=private\n"
    "SystemCallArchitectures=native\n"
    "SystemCallFilter=@system-service\n"
    "SystemCallFilter=~@privileged @resources\n"
    // Handing the store and the sockets to the operators' group is a chown.
    "SystemCallFilter=@chown\n"
    "SystemCallErrorNumber=EPERM\n"
    // The RAID manager's tool talks to the controllers with ioctls that need CAP_SYS_ADMIN and
    // CAP_SYS_RAWIO; the service itself needs no capability (the store, the program directory
    // and the runtime directory are root's own, the sockets' group is one of its groups).
    "CapabilityBoundingSet=CAP_SYS_ADMIN CAP_SYS_RAWIO\n"
    "AmbientCapabilities=\n"
    // The trace log and the RAID report are for root and the operators; no file for others.
    "UMask=0027\n";

}  // namespace

UnitSandbox MachineUnitSandbox(const std::string& program_path) {
  UnitSandbox sandbox;
  sandbox.writable_dirs.push_back(DirectoryOf(program_path));
  sandbox.writable_dirs.push_back(DirectoryOf(StorePath()));
  std::string runtime = RuntimeDir();
  if (runtime.size() > 1) runtime.pop_back();  // RuntimeDir() ends with '/'
  sandbox.writable_dirs.push_back(runtime);
  for (const char* name : {"tty", kOperatorGroup}) {
    if (LookUpGroup(name, nullptr)) sandbox.supplementary_groups.push_back(name);
  }
  return sandbox;
}

std::string UnitFileText(const std::string& display_name, const std::string& program_path,
                         const UnitSandbox& sandbox) {
  std::string text;
  text += "[Unit]\n";
  text += "Description=" + EscapeSpecifiers(display_name) + "\n";
  text += "StartLimitIntervalSec=10min\n";
  text += "StartLimitBurst=5\n";
  text += "\n[Service]\n";
  text += "Type=notify\n";
  text += "ExecStart=" + QuotePath(program_path, true) + "\n";
  text += "Restart=on-failure\n";
  text += "RestartSec=5s\n";
  // A stop ends the start-time step within a second; once serving, the service waits up to
  // 15 s for its worker to finish a cycle, so the time-out leaves room for that wait.
  text += "TimeoutStopSec=20s\n";
  text += kHardening;
  if (!sandbox.writable_dirs.empty()) {
    text += "ReadWritePaths=";
    for (size_t i = 0; i < sandbox.writable_dirs.size(); ++i) {
      if (i > 0) text += ' ';
      // '-': a directory that does not exist yet is skipped rather than failing the start.
      text += '-';  // appended on its own: `"-" + QuotePath(...)` trips GCC 12's -Wrestrict
      text += QuotePath(sandbox.writable_dirs[i], false);
    }
    text += '\n';
  }
  if (!sandbox.supplementary_groups.empty()) {
    text += "SupplementaryGroups=";
    for (size_t i = 0; i < sandbox.supplementary_groups.size(); ++i) {
      if (i > 0) text += ' ';
      text += EscapeSpecifiers(sandbox.supplementary_groups[i]);
    }
    text += '\n';
  }
  text += "\n[Install]\n";
  text += "WantedBy=multi-user.target\n";
  return text;
}

std::string UnitFileText(const std::string& display_name, const std::string& program_path) {
  return UnitFileText(display_name, program_path, MachineUnitSandbox(program_path));
}

}  // namespace quillon
