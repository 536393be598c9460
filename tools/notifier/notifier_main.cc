// TALVENMS and TALVENMI stand-ins: show a warning of the Quillon service to the operator on
// every logged-in terminal and, where a graphical session exists, as a desktop notification.
//
//   TALVENMS "text"          a limit notice
//   TALVENMS "text" ITEM     a pre-warning for the part with that item number

#include <cstdio>
#include <string>
#include <vector>

#include "tools/notifier/notice.h"

int main(int argc, char** argv) {
  using namespace quillon::notifier;
  std::string program = argc > 0 ? argv[0] : "TALVENMS";
  if (size_t slash = program.rfind('/'); slash != std::string::npos) {
    program = program.substr(slash + 1);
  }
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  Notice notice;
  if (!ParseArguments(program, args, &notice)) {
    std::fprintf(stderr, "usage: %s \"text\" [item]\n", program.c_str());
    return 2;
  }
  const std::string text = FormatNotice(notice);
  // A list given for tests and demos may name plain files; the login records only terminals.
  const bool from_records = std::getenv("QUILLON_NOTIFY_TTYS") == nullptr;
  WriteToTerminals(TerminalPaths(), text, from_records);
  AppendToLog(text);
  ShowDesktopNotification(notice);
  return 0;
}
