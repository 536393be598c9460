#ifndef QUILLON_TOOLS_CTL_CTL_COMMAND_H_
#define QUILLON_TOOLS_CTL_CTL_COMMAND_H_

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/event_log.h"
#include "platform/process_launcher.h"
#include "platform/status.h"
#include "platform/store.h"
#include "platform/system_info.h"

namespace quillon {

// Exit status bits of quillonctl, combined as smartctl combines its own. 0: all is well.
inline constexpr int kExitCommandLine = 1;  // the command line did not parse
inline constexpr int kExitStore = 2;        // the store is unusable, or a write failed
inline constexpr int kExitService = 4;      // the service is not running / did not answer
inline constexpr int kExitPreWarning = 8;   // a part is in its pre-warning window
inline constexpr int kExitOverLimit = 16;   // a part is past its limit

// The version of the JSON documents (status, forecast). Raised when a field changes meaning
// or goes away; new fields do not raise it.
inline constexpr int kJsonFormatVersion = 1;

// Everything quillonctl reaches outside itself. main() fills it with the real backends; tests
// with doubles. Nothing is owned.
struct CtlEnv {
  Store* store = nullptr;
  SystemInfo* system = nullptr;
  Clock* clock = nullptr;
  ProcessLauncher* launcher = nullptr;  // test-notice: the notification program
  EventLog* event_log = nullptr;        // test-notice: the journal event
  std::string store_name;               // for messages and the JSON document
  // The "02" status query on ORNA_PIPE: 0 when the service answered.
  std::function<Status()> probe;
  // One parts-changed request of `size` bytes on ORNAPartsChange; 0 and *reply (the reply's
  // text up to its first zero) when the service answered.
  std::function<Status(const char* request, size_t size, std::string* reply)> send_parts_changed;
  // Reads the service's metrics file (for the last check cycle); empty when there is none.
  std::function<std::string(const std::string& path)> read_file;
};

// Runs quillonctl with `args` (without the program name) and returns the exit status (the
// bits above; monitoring-plugin states 0-3 for `check`). Output goes to `out`, messages to
// `err`, in the language of the store's Language setting, else the locale's.
int RunCtl(const std::vector<std::string>& args, const CtlEnv& env, std::ostream& out,
           std::ostream& err);

}  // namespace quillon

#endif  // QUILLON_TOOLS_CTL_CTL_COMMAND_H_
