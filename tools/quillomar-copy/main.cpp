// quillomar-copy: the table window's copies from the command line (see
// --help).
#include <iostream>
#include <string>
#include <vector>

#include "ado/foxpro/foxpro_provider.h"
#include "ado/odbc/odbc_provider.h"
#include "app/application_title.h"
#include "console.h"
#include "copy_command.h"
#include "options.h"
#include "tool_platform.h"

int main(int argc, char** argv) {
  toolplatform::PrepareStandardStreams();
  const std::vector<std::string> args = toolplatform::Utf8Arguments(argc, argv);
  const copytool::ParseResult parsed =
      copytool::ParseArguments(args, toolplatform::StdinIsTerminal());
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
  environment.stderr_is_terminal = toolplatform::StderrIsTerminal();
  return copytool::RunCopy(parsed.options, std::cerr, environment);
}
