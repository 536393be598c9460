#include "platform/terminal.h"

#include <unistd.h>

namespace quillon {

bool OperatorAtTerminal() { return isatty(STDIN_FILENO) == 1 && isatty(STDERR_FILENO) == 1; }

}  // namespace quillon
