// The notice's text, shared by the notifier stand-ins of every platform.
#include "tools/notifier/notice_text.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace quillon::notifier {
namespace {

bool AllDigits(const std::string& s) {
  return !s.empty() && s.size() <= 9 &&
         std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

}  // namespace

bool ParseArguments(const std::string& program, const std::vector<std::string>& args,
                    Notice* notice) {
  notice->program = program;
  notice->item = -1;
  size_t words = args.size();
  if (words >= 2 && AllDigits(args.back())) {
    notice->item = std::atoi(args.back().c_str());
    --words;
  }
  notice->text.clear();
  for (size_t i = 0; i < words; ++i) {
    if (i > 0) notice->text += ' ';
    notice->text += args[i];
  }
  return !notice->text.empty();
}

std::string FormatNotice(const Notice& notice) {
  std::string out = "\n*** Quillon (" + notice.program;
  if (notice.item >= 0) out += ", item " + std::to_string(notice.item);
  out += ") ***\n" + notice.text + "\n";
  return out;
}

}  // namespace quillon::notifier
