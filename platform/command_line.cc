#include <string>
#include <string_view>
#include <vector>

#include "platform/process_launcher.h"

namespace quillon {

// The rules of the Microsoft C runtime: whitespace separates arguments outside quotes; 2n
// backslashes before a quote give n backslashes and the quote toggles quoting; 2n+1 give n
// backslashes and a literal quote; backslashes not before a quote are literal; "" inside a
// quoted part is a literal quote.
std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = line.size();
  auto is_space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (true) {
    while (i < n && is_space(line[i])) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || !is_space(line[i]))) {
      if (line[i] == '\\') {
        size_t slashes = 0;
        while (i < n && line[i] == '\\') {
          ++slashes;
          ++i;
        }
        if (i < n && line[i] == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            arg.push_back('"');
            ++i;
          }
        } else {
          arg.append(slashes, '\\');
        }
        continue;
      }
      if (line[i] == '"') {
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          arg.push_back('"');
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      arg.push_back(line[i]);
      ++i;
    }
    args.push_back(std::move(arg));
  }
  return args;
}

}  // namespace quillon
