// foxsql: a command-line shell over the FoxPro engine. Runs statements on a
// folder of free tables or a database container and prints results as CSV.
#ifndef QUILLOMAR_TOOLS_FOXSQL_SHELL_H_
#define QUILLOMAR_TOOLS_FOXSQL_SHELL_H_

#include <iosfwd>
#include <string>
#include <vector>

namespace foxsql {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitStatementFailed = 1;
inline constexpr int kExitUsage = 2;

// Runs the shell with the command-line arguments (without the program name).
// Statements come from the arguments, or from `in` when there are none.
// Results go to `out`, messages to `err`. Returns the exit status.
int RunShell(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
             std::ostream& err);

// Splits script text into statements and dot commands: a statement ends at
// ';' or at a line end outside quotes ('...', "...", [...], `...`), so text
// literals may span lines; a line starting with '.' is one dot command.
std::vector<std::string> SplitScript(const std::string& text);

// One CSV field: RFC 4180 quoting when needed ("" for an empty text).
std::string CsvField(const std::string& text);

}  // namespace foxsql

#endif  // QUILLOMAR_TOOLS_FOXSQL_SHELL_H_
