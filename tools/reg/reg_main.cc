// quillon-reg: the operators' command-line tool for the settings store.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/store_path.h"
#include "platform/terminal.h"
#include "tools/reg/reg_command.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::unique_ptr<quillon::Store> store = quillon::OpenSystemStore();
  quillon::RegOptions options;
  options.store_name = quillon::StorePath();
  options.failure_detail = [&store]() { return store->LastError(); };
  options.interactive = quillon::OperatorAtTerminal();
  options.in = &std::cin;
  return quillon::RunRegCommand(store.get(), args, std::cout, std::cerr, options);
}
