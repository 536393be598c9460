#ifndef QUILLON_COMMON_INIT_INITIALIZER_H_
#define QUILLON_COMMON_INIT_INITIALIZER_H_

#include <string>

#include "platform/status.h"
#include "platform/store.h"
#include "platform/system_info.h"

namespace quillon {

// The two ways of filling the settings store with its initial values.
enum class InitMode {
  // Run once by the setup program TALVENU2 at installation: data left by an earlier
  // installation (install date, running hours, controller count and setup dates, notification
  // method, per-controller limits and leads, the root key's machine values and language) is
  // kept; notification and stop flags are cleared; rated lives and leads are read again from
  // the INI file. The run stops at the first key group that fails.
  kSetup,
  // Run by the GUI's "initialise all data" while the service is stopped: every value is
  // overwritten (per-controller limits and leads become 0) except InstallDate and RunningTime,
  // which are written only when missing. Failures are ignored.
  kReset,
};

// Fills the settings store below SOFTWARE\Morvath\TALVEN with every key and its initial values,
// taking rated lives, leads, support period, PSU-check option and notification days from
// `program_directory` + "TALVENU2.ini" (defaults when the file or a key is missing).
//
// `program_directory` is the directory of the programs with its trailing separator;
// `temp_directory` is stored as TempDir (callers pass TempDirectoryFor(program_directory)).
// `system` gives the user and system languages for Language (0 Japanese only when both are
// Japanese, else 1). The store and system are not owned and are used only during the call.
//
// Setup mode returns 0 when every group was written, else the non-zero status of the first
// group that failed (later groups are not touched). Reset mode always returns 0.
// Thread-compatible: run it from one thread; the store itself may be shared.
Status InitializeDefaults(Store* store, SystemInfo* system, const std::string& program_directory,
                          const std::string& temp_directory, InitMode mode);

// The temporary directory of an installation: `program_directory` + "Temp/" (not created).
std::string TempDirectoryFor(const std::string& program_directory);

}  // namespace quillon

#endif  // QUILLON_COMMON_INIT_INITIALIZER_H_
