#ifndef QUILLON_TOOLS_REG_REG_COMMAND_H_
#define QUILLON_TOOLS_REG_REG_COMMAND_H_

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/store.h"

namespace quillon {

// How quillon-reg talks to its surroundings besides the store and the two output streams.
struct RegOptions {
  // Names the store in failure messages ("The settings store NAME is not readable: ...").
  std::string store_name = "the settings store";
  // Describes the store's latest failure in one line; may be empty.
  std::function<std::string()> failure_detail;
  // True when an operator can answer questions: add over an existing value, delete and
  // export over an existing file then ask for confirmation unless /f (/y for export) is
  // given, reading the answer from `in`.
  bool interactive = false;
  std::istream* in = nullptr;
};

// Runs one quillon-reg command line (`args` without the program name) against `store`:
//   query  KEY [/v NAME | /ve] [/s]
//   add    KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]
//   delete KEY [/v NAME | /ve | /va] [/f]
//   export KEY FILE [/y]
// KEY is HKLM\... or HKEY_LOCAL_MACHINE\...; verbs, options and the root match without
// regard to case and options may start with '/' or '-'. Results go to `out` in the layout of
// the Windows reg command. Returns 0 on success; on any failure writes one line beginning
// "ERROR:" to `err` and returns 1 (nothing is changed in the store by a command that fails
// before its write). Not thread-safe with respect to `out`, `err` and `options.in`.
int RunRegCommand(Store* store, const std::vector<std::string>& args, std::ostream& out,
                  std::ostream& err, const RegOptions& options = {});

}  // namespace quillon

#endif  // QUILLON_TOOLS_REG_REG_COMMAND_H_
