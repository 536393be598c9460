#include <stdlib.h>

#include "platform/testing/scoped_env_var.h"

namespace quillon {

// _putenv_s changes the C runtime's copy, which getenv reads, and the process's own, which
// child processes inherit.
void SetEnvVar(const std::string& name, const std::string& value) {
  _putenv_s(name.c_str(), value.c_str());
}

// An empty value is how the C runtime removes a variable.
void UnsetEnvVar(const std::string& name) { _putenv_s(name.c_str(), ""); }

}  // namespace quillon
