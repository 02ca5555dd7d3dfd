// foxsql: look into FoxPro data from the command line (see --help).
#include <iostream>
#include <string>
#include <vector>

#include "shell.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return foxsql::RunShell(args, std::cin, std::cout, std::cerr);
}
