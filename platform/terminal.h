#ifndef QUILLON_PLATFORM_TERMINAL_H_
#define QUILLON_PLATFORM_TERMINAL_H_

namespace quillon {

// True when both the standard input and the standard error of this process are a terminal,
// that is, when an operator is there to answer a question. Thread-safe.
bool OperatorAtTerminal();

}  // namespace quillon

#endif  // QUILLON_PLATFORM_TERMINAL_H_
