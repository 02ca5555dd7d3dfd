// The failure trap every window-load and push-button handler runs under: each
// numbered step runs in turn; a step that throws shows the error report with
// the step's number and the handler carries on with the next step.
#ifndef QUILLOMAR_APP_TRAP_H_
#define QUILLOMAR_APP_TRAP_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace ui {
class Ui;
}
class QWidget;

namespace app {

inline constexpr char kSupportAddress[] = "support@quillomar.example";

// The handler context shown in a report: "in Vantrel2021/08/31.Form1.Form_Load ".
std::string HandlerContext(std::string_view window, std::string_view handler);

// How many characters of a statement a report shows before cutting it.
inline constexpr std::size_t kReportSqlCharacters = 4000;

// The report text: description, CR LF, context, "at line ", number, CR CR,
// the request line; with `sql` (transfer handlers) CR CR "sql: " and the
// statement.
//
// The text is always valid UTF-8 without a zero byte, whatever bytes a
// driver's message or a statement carries, so the box can always show it:
// every byte that does not belong to a well-formed UTF-8 sequence (a stray
// continuation byte, a cut or overlong sequence, a surrogate, a code point
// past U+10FFFF) is shown as U+FFFD, and a zero byte as the two characters
// "\0". A statement of more than kReportSqlCharacters characters shows its
// first kReportSqlCharacters characters followed by "… (N bytes)", N being
// the statement's full length in bytes; the cut never splits a character,
// and each replaced byte counts as one character. The work is bounded by
// the shown part, so a statement of megabytes costs no more than a short one.
std::string ErrorReportText(std::string_view description, std::string_view context, int line,
                            const std::string* sql = nullptr);

// Shows the report as a style-48 box titled "Application Error".
void ShowErrorReport(ui::Ui& ui, QWidget* owner, std::string_view context, int line,
                     std::string_view description, const std::string* sql = nullptr);

// One run of one handler. Not copyable.
class Trap {
 public:
  // `owner` may be null. The trap is armed for the object's life.
  Trap(ui::Ui& ui, QWidget* owner, std::string_view window, std::string_view handler);
  Trap(const Trap&) = delete;
  Trap& operator=(const Trap&) = delete;

  // Runs a numbered statement. A throw of any kind shows one report for
  // `line` and returns false; the caller goes on with the next statement.
  // A template, so that a copy's per-value steps cost no more than the call
  // of their bodies.
  template <typename Body>
  bool Step(int line, Body&& body) {
    try {
      body();
      return true;
    } catch (...) {
      ReportCurrentFailure(line);
    }
    return false;
  }

  // Runs a branch test or loop head. Returns the test's result, or true when
  // the test itself failed (the report is shown and the body is entered).
  template <typename Body>
  bool Test(int line, Body&& test) {
    bool result = true;
    if (!Step(line, [&] { result = test(); })) return true;
    return result;
  }

  // Runs a stretch of statements whose failures jump to the handler's own
  // failure path instead of the report: a throw of any kind ends the stretch
  // at once, shows nothing and returns false.
  bool Silent(const std::function<void()>& body);

  // Evaluates a value for a numbered statement; on failure reports and
  // returns `fallback`.
  template <typename T, typename Body>
  T Eval(int line, Body&& body, T fallback) {
    T result = fallback;
    Step(line, [&] { result = body(); });
    return result;
  }

  // Transfer handlers: the statement text shown after "sql: " in a report.
  // Until this is called, reports carry no "sql: " part.
  void SetSql(std::string sql) {
    sql_ = std::move(sql);
    sql_source_ = &sql_;
  }
  // The same, read from `source` at the moment of each report: a handler
  // that rebuilds its statement value by value need not copy it to the trap
  // before every step. `source` must outlive the trap.
  void WatchSql(const std::string* source) { sql_source_ = source; }
  const std::string& sql() const { return sql_source_ != nullptr ? *sql_source_ : sql_; }

  // How many reports this run has shown.
  int reports() const { return reports_; }

 private:
  void Report(int line, std::string_view description);
  // Reports the exception being handled, described by its kind.
  void ReportCurrentFailure(int line);

  ui::Ui& ui_;
  QWidget* owner_;
  std::string context_;
  std::string sql_;
  const std::string* sql_source_ = nullptr;  // null: reports carry no "sql: "
  int reports_ = 0;
};

}  // namespace app

#endif  // QUILLOMAR_APP_TRAP_H_
