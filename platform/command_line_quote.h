#ifndef QUILLON_PLATFORM_COMMAND_LINE_QUOTE_H_
#define QUILLON_PLATFORM_COMMAND_LINE_QUOTE_H_

#include <string>
#include <string_view>

namespace quillon {

// Writes one argument for a command line so that SplitCommandLine (platform/process_launcher.h)
// gives it back unchanged: as it is when it is not empty and has no blank or double quote,
// otherwise in double quotes with backslashes and quotes escaped by the Windows rules. So a
// program path such as "/opt/my tools/TALVENSV" stays one argument. Pure, thread-safe.
std::string QuoteCommandLineArgument(std::string_view argument);

}  // namespace quillon

#endif  // QUILLON_PLATFORM_COMMAND_LINE_QUOTE_H_
