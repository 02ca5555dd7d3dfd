// One run of quillomar-copy: reads both catalogs as the table window lists
// them, selects the tables the command line names, and runs the window's own
// copy handler with console stand-ins for its boxes and progress bar.
#ifndef QUILLOMAR_TOOLS_QUILLOMAR_COPY_COPY_COMMAND_H_
#define QUILLOMAR_TOOLS_QUILLOMAR_COPY_COPY_COMMAND_H_

#include <functional>
#include <ostream>

#include "options.h"

namespace copytool {

// What the program's surroundings tell a run.
struct RunEnvironment {
  // Standard error is a terminal: progress lines are drawn in place.
  bool stderr_is_terminal = false;
  // Runs after Ctrl-C, once the progress of every table has been printed and
  // before the program exits with status 130: whatever holds rows that are
  // not yet committed (an open batch) commits them here. Rows mode needs
  // nothing: each row was committed when it was sent.
  std::function<void()> before_interrupt_exit;
};

// Copies the tables `options` selects. Reports and progress go to `err`.
// Returns kExitOk, kExitFailures or kExitUsage (an unknown table name, with
// the usage text printed); after Ctrl-C the process exits with
// kExitInterrupted from inside the copy.
int RunCopy(const CopyOptions& options, std::ostream& err, const RunEnvironment& environment);

}  // namespace copytool

#endif  // QUILLOMAR_TOOLS_QUILLOMAR_COPY_COPY_COMMAND_H_
