// quillomar-copy: the table window's copies from the command line (see
// --help).
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "ado/foxpro/foxpro_provider.h"
#include "ado/odbc/odbc_provider.h"
#include "app/application_title.h"
#include "console.h"
#include "copy_command.h"
#include "options.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const copytool::ParseResult parsed = copytool::ParseArguments(args, isatty(STDIN_FILENO) != 0);
  if (parsed.kind == copytool::ParseResult::Kind::kHelp) {
    std::cout << copytool::UsageText();
    return copytool::kExitOk;
  }
  if (parsed.kind == copytool::ParseResult::Kind::kUsageError) {
    std::cerr << "quillomar-copy: " << parsed.error << "\n" << copytool::UsageText();
    return copytool::kExitUsage;
  }
  copytool::InstallInterruptHandler();
  app::SetApplicationTitle();
  ado::odbc::RegisterOdbcProvider();
  ado::foxpro::RegisterFoxproProvider();
  copytool::RunEnvironment environment;
  environment.stderr_is_terminal = isatty(STDERR_FILENO) != 0;
  return copytool::RunCopy(parsed.options, std::cerr, environment);
}
