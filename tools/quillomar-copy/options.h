// The command line of quillomar-copy: what to copy, in which direction, and
// how; parsed into CopyOptions, with the usage text for bad usage.
#ifndef QUILLOMAR_TOOLS_QUILLOMAR_COPY_OPTIONS_H_
#define QUILLOMAR_TOOLS_QUILLOMAR_COPY_OPTIONS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace copytool {

// Exit statuses of the program.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailures = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

enum class Direction { kToSql, kToFoxpro };
// The answer to "Would you like to overwrite ...?".
enum class Overwrite { kAsk, kYes, kNo };
// rows: the window's statements, one INSERT per row in autocommit. batch:
// rows grouped into transactions of `batch_rows`.
enum class Mode { kRows, kBatch };

inline constexpr std::int64_t kDefaultBatchRows = 10000;
inline constexpr std::int64_t kMaxBatchRows = 100000000;

struct CopyOptions {
  bool dbc = true;          // --dbc FILE (true) or --folder DIR (false)
  std::string foxpro_path;  // the container file or the free-table folder
  std::string dsn;          // --dsn NAME, exactly as given
  Direction direction = Direction::kToSql;
  Overwrite overwrite = Overwrite::kNo;
  Mode mode = Mode::kBatch;
  std::int64_t batch_rows = kDefaultBatchRows;
  bool quiet = false;
  std::vector<std::string> tables;  // as typed; empty: every listed table
};

struct ParseResult {
  enum class Kind { kRun, kHelp, kUsageError };
  Kind kind = Kind::kUsageError;
  CopyOptions options;
  std::string error;  // kUsageError: what is wrong, one line
};

// Parses the arguments after the program name. `on_terminal` is true when
// the questions can be asked (standard input is a terminal): it makes "ask"
// the default answer to overwrite questions and allows it at all. Options
// take their value as the next argument or after '='; "--" ends the options.
ParseResult ParseArguments(const std::vector<std::string>& args, bool on_terminal);

// The usage text, ending in a newline.
std::string UsageText();

}  // namespace copytool

#endif  // QUILLOMAR_TOOLS_QUILLOMAR_COPY_OPTIONS_H_
