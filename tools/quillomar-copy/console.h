// The console stand-ins for the table window's pieces that the copies drive:
// message boxes and reports on standard error, the overwrite question
// answered by the command line or on the terminal, a progress line per
// table, and Ctrl-C checked where the window would handle its events.
#ifndef QUILLOMAR_TOOLS_QUILLOMAR_COPY_CONSOLE_H_
#define QUILLOMAR_TOOLS_QUILLOMAR_COPY_CONSOLE_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "options.h"
#include "platform/ui/ui.h"
#include "tool_platform.h"
#include "transfer/transfer.h"

namespace copytool {

// Ctrl-C: a handler that only sets a flag, looked at between rows
// (tool_platform.h).
using toolplatform::InstallInterruptHandler;
using toolplatform::InterruptRequested;
using toolplatform::RequestInterrupt;

// `text` with CR LF and lone CR turned into "\n".
std::string WithNewlines(const std::string& text);

// Shows what each table's copy does: with `live`, one line per table rewritten
// in place (bar, rows of the total, rows per second, time left); otherwise a
// summary line when each table ends. The bar value the copies set counts the
// rows: each SetValue starts one row.
class ConsoleProgress : public transfer::ProgressBar {
 public:
  using Clock = std::chrono::steady_clock;

  ConsoleProgress(std::ostream& out, bool live) : out_(out), live_(live) {}

  void SetValue(double value) override;
  void SetText(const std::string& /*text*/) override {}
  void StartTable(const std::string& table, std::int64_t rows) override;
  void EndTable() override;

  // Called before every row starts and when a table ends: the places where
  // the whole rows sent so far are all there is. Set by the command.
  std::function<void()> at_row_boundary;

  // True between StartTable and EndTable.
  bool InRows() const { return in_rows_; }
  // Counts one failure against the table being copied; outside a table's
  // rows, against the next table that starts.
  void CountFailure();
  // Clears a live line so that other text can be printed; the line is drawn
  // again at its next change.
  void ClearLine();
  // Prints how far each table got ("customers: 120 of 500 rows ...").
  void PrintInterrupted();

 private:
  struct Table {
    std::string name;
    std::int64_t total = -1;
    std::int64_t sent = 0;  // rows whose statement was sent
    int failures = 0;
    Clock::time_point start;
    Clock::time_point end;
    bool ended = false;
  };
  std::string LiveLine(const Table& t, Clock::time_point now) const;
  std::string SummaryLine(const Table& t) const;
  void Draw(bool force);

  std::ostream& out_;
  bool live_;
  bool in_rows_ = false;
  bool line_shown_ = false;
  int pending_failures_ = 0;
  Clock::time_point last_draw_;
  std::vector<Table> tables_;
};

// The message boxes of the copies on a console. Reports (style 48) go to
// standard error with their line breaks and count as failures; the overwrite
// question is answered as --overwrite says, "ask" reading y or n from the
// terminal; DoEvents runs `on_do_events`.
class ConsoleUi : public ui::Ui {
 public:
  // `ask` asks the question on the terminal and returns true for yes.
  ConsoleUi(std::ostream& err, ConsoleProgress& progress, Overwrite overwrite,
            std::function<bool(const std::string&)> ask)
      : err_(err), progress_(progress), overwrite_(overwrite), ask_(std::move(ask)) {}

  int MessageBox(QWidget* owner, const std::string& text, int style,
                 const std::string& title) override;
  std::string InputBox(QWidget*, const std::string&, const std::string&,
                       const std::string&) override {
    return std::string();
  }
  std::string OpenFile(QWidget*, const ui::OpenFileRequest&) override { return std::string(); }
  std::string BrowseFolder(QWidget*, const std::string&, const std::string&) override {
    return std::string();
  }
  void DoEvents() override {
    if (on_do_events) on_do_events();
  }
  void SetPointer(QWidget*, int) override {}

  // Run by DoEvents. Set by the command.
  std::function<void()> on_do_events;
  // Number of reports shown.
  int failures() const { return failures_; }

 private:
  std::ostream& err_;
  ConsoleProgress& progress_;
  Overwrite overwrite_;
  std::function<bool(const std::string&)> ask_;
  int failures_ = 0;
};

// Asks `question` on standard error and reads y/yes or n/no from standard
// input, again until one comes; end of input answers no. Ctrl-C while
// waiting ends the wait with `interrupted` set.
bool AskOnTerminal(const std::string& question, bool* interrupted);

}  // namespace copytool

#endif  // QUILLOMAR_TOOLS_QUILLOMAR_COPY_CONSOLE_H_
