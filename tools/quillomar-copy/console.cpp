#include "console.h"

#include <cstdio>
#include <cstdlib>

namespace copytool {
namespace {

constexpr int kBarWidth = 24;
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

// 1234567 → "1,234,567".
std::string Grouped(std::int64_t n) {
  std::string digits = std::to_string(n < 0 ? -n : n);
  std::string out;
  const std::size_t lead = digits.size() % 3;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (i % 3) == lead % 3) out += ',';
    out += digits[i];
  }
  return n < 0 ? "-" + out : out;
}

// Seconds as "m:ss" or "h:mm:ss".
std::string ClockText(double seconds) {
  const auto s = static_cast<std::int64_t>(seconds + 0.5);
  char text[32];
  if (s >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                  static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(s / 60),
                  static_cast<long long>(s % 60));
  }
  return text;
}

double Seconds(ConsoleProgress::Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

std::string RowsOf(std::int64_t sent, std::int64_t total) {
  if (total < 0) return Grouped(sent) + " rows";
  return Grouped(sent) + " of " + Grouped(total) + " rows";
}

}  // namespace

std::string WithNewlines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
      continue;
    }
    out += '\n';
    if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
  return out;
}

// ---- ConsoleProgress ----

void ConsoleProgress::StartTable(const std::string& table, std::int64_t rows) {
  Table t;
  t.name = table;
  t.total = rows;
  // What failed before the rows (the question, the source, CREATE TABLE)
  // belongs to this table.
  t.failures = pending_failures_;
  pending_failures_ = 0;
  t.start = Clock::now();
  tables_.push_back(t);
  in_rows_ = true;
  Draw(true);
}

void ConsoleProgress::SetValue(double /*value*/) {
  // The copies set the value as each row starts, and to 0 after a table.
  if (!in_rows_ || tables_.empty()) return;
  if (at_row_boundary) at_row_boundary();
  ++tables_.back().sent;
  Draw(false);
}

void ConsoleProgress::EndTable() {
  if (!in_rows_ || tables_.empty()) return;
  Table& t = tables_.back();
  t.end = Clock::now();
  t.ended = true;
  in_rows_ = false;
  if (live_) {
    ClearLine();
  }
  out_ << SummaryLine(t) << '\n' << std::flush;
  if (at_row_boundary) at_row_boundary();
}

void ConsoleProgress::CountFailure() {
  if (in_rows_ && !tables_.empty()) {
    ++tables_.back().failures;
  } else {
    ++pending_failures_;
  }
}

void ConsoleProgress::ClearLine() {
  if (!line_shown_) return;
  out_ << "\r\033[K" << std::flush;
  line_shown_ = false;
}

void ConsoleProgress::PrintInterrupted() {
  ClearLine();
  out_ << "Interrupted: the rows sent so far stay on the target side.\n";
  const Clock::time_point now = Clock::now();
  for (Table& t : tables_) {
    if (!t.ended) t.end = now;
    out_ << "  " << t.name << ": " << RowsOf(t.sent, t.total) << (t.ended ? "" : ", stopped")
         << '\n';
  }
  out_ << std::flush;
}

std::string ConsoleProgress::LiveLine(const Table& t, Clock::time_point now) const {
  const double elapsed = Seconds(now - t.start);
  const double rate = elapsed > 0.0 ? static_cast<double>(t.sent) / elapsed : 0.0;
  std::string line = t.name + " [";
  int filled = 0;
  if (t.total > 0) {
    filled =
        static_cast<int>(static_cast<double>(t.sent) * kBarWidth / static_cast<double>(t.total));
  }
  if (filled > kBarWidth) filled = kBarWidth;
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(kBarWidth - filled), '.');
  line += "] " + RowsOf(t.sent, t.total);
  if (t.sent > 0 && elapsed > 0.0) {
    line += "  " + Grouped(static_cast<std::int64_t>(rate)) + " rows/s";
    if (t.total >= t.sent && rate > 0.0) {
      line += "  " + ClockText(static_cast<double>(t.total - t.sent) / rate) + " left";
    }
  }
  return line;
}

std::string ConsoleProgress::SummaryLine(const Table& t) const {
  const double elapsed = Seconds(t.end - t.start);
  std::string line = t.name + ": " + RowsOf(t.sent, t.total);
  char tail[64];
  std::snprintf(tail, sizeof tail, " in %.1f s", elapsed);
  line += tail;
  if (elapsed > 0.0 && t.sent > 0) {
    line += " (" + Grouped(static_cast<std::int64_t>(static_cast<double>(t.sent) / elapsed)) +
            " rows/s)";
  }
  if (t.failures > 0) {
    line += ", " + std::to_string(t.failures) + (t.failures == 1 ? " failure" : " failures");
  }
  return line;
}

void ConsoleProgress::Draw(bool force) {
  if (!live_ || tables_.empty() || !in_rows_) return;
  const Clock::time_point now = Clock::now();
  if (!force && line_shown_ && now - last_draw_ < kRedrawEvery) return;
  last_draw_ = now;
  out_ << "\r\033[K" << LiveLine(tables_.back(), now) << std::flush;
  line_shown_ = true;
}

// ---- ConsoleUi ----

int ConsoleUi::MessageBox(QWidget*, const std::string& text, int style, const std::string& title) {
  if ((style & 0x7) == ui::kYesNo) {
    progress_.ClearLine();
    if (overwrite_ == Overwrite::kAsk && ask_) return ask_(text) ? ui::kAnswerYes : ui::kAnswerNo;
    // The answer the command line gave, shown as the table's one line when
    // it is no.
    const bool yes = overwrite_ == Overwrite::kYes;
    err_ << text << (yes ? " yes" : " no") << '\n' << std::flush;
    return yes ? ui::kAnswerYes : ui::kAnswerNo;
  }
  progress_.ClearLine();
  if ((style & ui::kExclamation) == ui::kExclamation) {
    // A report: a failed step, or a warning about damaged data.
    ++failures_;
    progress_.CountFailure();
    err_ << title << ":\n" << WithNewlines(text) << "\n\n" << std::flush;
  } else {
    err_ << WithNewlines(text) << '\n' << std::flush;
  }
  return ui::kAnswerOk;
}

bool AskOnTerminal(const std::string& question, bool* interrupted) {
  *interrupted = false;
  for (;;) {
    std::fprintf(stderr, "%s [y/n] ", question.c_str());
    std::fflush(stderr);
    std::string line;
    bool ended = false;
    for (;;) {
      if (InterruptRequested()) {
        *interrupted = true;
        return false;
      }
      char c = 0;
      const toolplatform::ReadOutcome got = toolplatform::ReadStdinByte(200, &c);
      if (got == toolplatform::ReadOutcome::kNothingYet) continue;
      if (got == toolplatform::ReadOutcome::kEnd) {
        ended = true;
        break;
      }
      if (c == '\n') break;
      line += c;
    }
    const std::string answer = line;
    if (answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes") return true;
    if (answer == "n" || answer == "N" || answer == "no" || answer == "No") return false;
    if (ended) {
      // Ctrl-C can end the read itself before its flag is seen.
      if (InterruptRequested()) {
        *interrupted = true;
        return false;
      }
      std::fprintf(stderr, "\n");
      return false;
    }
  }
}

}  // namespace copytool
