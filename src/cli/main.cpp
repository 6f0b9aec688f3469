// quenby: the command-line tool over the core.
#include <iostream>

#include "cli/Tool.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int code = quenby::cli::RunTool(args, std::cout, std::cerr);
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "quenby: cannot write to standard output\n";
    return 1;
  }
  return code;
}
