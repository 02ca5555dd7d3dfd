// foxsql: look into FoxPro data from the command line (see --help).
#include <iostream>
#include <string>
#include <vector>

#include "shell.h"
#include "tool_platform.h"

int main(int argc, char** argv) {
  toolplatform::PrepareStandardStreams();
  const std::vector<std::string> args = toolplatform::Utf8Arguments(argc, argv);
  return foxsql::RunShell(args, std::cin, std::cout, std::cerr);
}
