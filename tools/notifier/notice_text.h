#ifndef QUILLON_TOOLS_NOTIFIER_NOTICE_TEXT_H_
#define QUILLON_TOOLS_NOTIFIER_NOTICE_TEXT_H_

#include <string>
#include <vector>

namespace quillon::notifier {

// One notice as the service hands it over: the text and, for a pre-warning, the item number.
struct Notice {
  std::string program;  // "TALVENMS" or "TALVENMI"
  std::string text;
  int item = -1;  // -1: the text-only form
};

// Reads the arguments after the program name. The service passes the text as one argument
// and, for the item form, the item number as the last; a text that was not quoted arrives
// split into words and is joined again with single spaces. False when there is no text.
bool ParseArguments(const std::string& program, const std::vector<std::string>& args,
                    Notice* notice);

// The notice as the operator reads it: a heading naming the product and, where given, the
// item, then the text. Lines end with "\n".
std::string FormatNotice(const Notice& notice);

}  // namespace quillon::notifier

#endif  // QUILLON_TOOLS_NOTIFIER_NOTICE_TEXT_H_
