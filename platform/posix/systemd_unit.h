#ifndef QUILLON_PLATFORM_POSIX_SYSTEMD_UNIT_H_
#define QUILLON_PLATFORM_POSIX_SYSTEMD_UNIT_H_

#include <string>
#include <vector>

namespace quillon {

// What the service's sandbox must leave open: the only directories it may write (each made
// writable when it exists, ignored when it does not) and the groups it runs with besides
// root's own.
struct UnitSandbox {
  std::vector<std::string> writable_dirs;
  std::vector<std::string> supplementary_groups;
};

// The sandbox of the service `program_path` on this machine: writable are the program's own
// directory (trace log, RAID report), the settings store's directory (StorePath()) and the
// runtime directory of the sockets (RuntimeDir()); the groups are "tty" (notices on the
// operators' terminals) and the operators' group (the store's and sockets' group, so no
// CAP_CHOWN is needed), each only when the machine has it. Reads the environment and the group
// database on every call.
UnitSandbox MachineUnitSandbox(const std::string& program_path);

// The text of the unit file for a service shown as `display_name` that runs `program_path`: a
// Type=notify service started at boot (WantedBy=multi-user.target), restarted after a crash
// (at most 5 starts in 10 minutes), given 5 s to stop, and confined as far as every feature
// allows, `sandbox` naming what stays open. Paths are quoted and escaped so that spaces,
// quotes, backslashes, '%' and '$' in them reach systemd unchanged.
std::string UnitFileText(const std::string& display_name, const std::string& program_path,
                         const UnitSandbox& sandbox);

// UnitFileText with MachineUnitSandbox(program_path).
std::string UnitFileText(const std::string& display_name, const std::string& program_path);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_POSIX_SYSTEMD_UNIT_H_
