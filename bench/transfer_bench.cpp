// Copy speed of both directions through the real handlers, clicked in the
// shown table window (offscreen), each against a bare baseline measured in
// the same run on the same target:
//   FoxPro -> SQL: a bare ODBC loop executing the identical INSERT texts,
//                  built in advance (the database sets the pace);
//   SQL -> FoxPro: a bare ODBC fetch of the same SELECT plus a raw append of
//                  the same rows that keeps the table consistent after each.
// Also prints the longest gap between two passes of the event loop and the
// peak memory; with --memory, only the copies run (no baselines, which keep
// every statement) so the peak is the copies' own.
//
// Needs the test environment (source scripts/test-env.sh). Usage:
//   transfer_bench [rows [rounds]]   (default 100000 rows, 1 round)
//   transfer_bench --memory rows QUILLOMAR_DSN_SQLITE|QUILLOMAR_DSN_PG
// With several rounds the copy and its baseline alternate, each going first
// in every other round, and two summaries are printed: the median of the
// rounds' ratios, and the fastest copy round against the fastest baseline
// round. On a shared machine the load drifts between and within rounds; the
// fastest round of each is the one least slowed by others.
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <sql.h>
#include <sqlext.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "db/connection_fields.h"
#include "foxpro/dbf/table.h"
#include "foxpro/util/file.h"
#include "program/providers.h"
#include "provider_clock.h"
#include "transfer/datatype.h"
#include "transfer/list_helpers.h"
#include "transfer/statements.h"
#include "tests/support/whole_statements.h"
#include "transfer/transfer.h"
#include "platform/ui/qt_ui.h"
#include "windows/tables/form2.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// CPU seconds (user + system) this process has used so far.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The real ui of the program, except that a message box is answered Yes
// and counted instead of shown: an error must not stop an unattended run.
class BenchUi : public ui::QtUi {
 public:
  int MessageBox(QWidget*, const std::string& text, int, const std::string& title) override {
    if (title == "Application Error") {
      ++reports;
      if (first_report.empty()) first_report = text;
    }
    return ui::kAnswerYes;
  }

  int reports = 0;
  std::string first_report;
};

// The longest gap between two passes of the event loop, and the longest
// once the time inside provider calls within it is taken out (what the
// copy's own work holds the loop for), and the slowest provider call.
struct Gaps {
  double longest = 0;
  double longest_own = 0;
  double slowest_call = 0;
};

Gaps Longer(const Gaps& a, const Gaps& b) {
  return {std::max(a.longest, b.longest), std::max(a.longest_own, b.longest_own),
          std::max(a.slowest_call, b.slowest_call)};
}

// Measures the gaps: a zero-interval timer fires once in every pass that
// handles events.
class PassClock : public QObject {
 public:
  PassClock() {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { Pass(); });
  }
  // The first gap runs from the click to the first pass.
  void Start() {
    gaps_ = Gaps();
    bench::TheProviderClock().Reset();
    last_ = Clock::now();
    timer_.start();
  }
  // Stops and returns the gaps, counting the time since the last pass.
  Gaps Stop() {
    timer_.stop();
    Pass();
    gaps_.slowest_call = bench::TheProviderClock().slowest;
    return gaps_;
  }

 private:
  void Pass() {
    const Clock::time_point now = Clock::now();
    const double inside = bench::TheProviderClock().Take();
    const double gap = Seconds(last_, now);
    gaps_.longest = std::max(gaps_.longest, gap);
    gaps_.longest_own = std::max(gaps_.longest_own, gap - inside);
    last_ = now;
  }

  QTimer timer_;
  Gaps gaps_;
  Clock::time_point last_;
};

// The program's table window, shown, with the connection fields the copies
// read at each click.
struct Window {
  BenchUi ui;
  db::ConnectionFields fields;
  windows::Form2 form{ui, fields};
  PassClock clock;

  Window() {
    form.SetUnloadAction([] {});
    form.show();
    QApplication::processEvents();
  }

  // Puts `table` alone into `from` as the current, selected entry, empties
  // the other list, and clicks `button`. Returns the gaps between
  // event-loop passes during the copy.
  Gaps Send(windows::SortedTableList& from, windows::SortedTableList& to,
              const std::string& table, int button) {
    from.Clear();
    to.Clear();
    from.AddItem(table);
    from.SetListIndex(0);
    from.SetSelected(0, true);
    QApplication::processEvents();
    ui.reports = 0;
    clock.Start();
    form.PushButton(button)->click();
    const Gaps gaps = clock.Stop();
    if (ui.reports != 0) throw std::runtime_error("copy reported: " + ui.first_report);
    return gaps;
  }
};

// ---- bare ODBC ----

class Odbc {
 public:
  explicit Odbc(const std::string& dsn) {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
    std::vector<SQLCHAR> name(dsn.begin(), dsn.end());
    Check(SQLConnect(dbc_, name.data(), static_cast<SQLSMALLINT>(name.size()), nullptr, 0,
                     nullptr, 0),
          SQL_HANDLE_DBC, dbc_, "connect");
    SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt_);
  }
  ~Odbc() {
    SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
    SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
  }
  Odbc(const Odbc&) = delete;
  Odbc& operator=(const Odbc&) = delete;

  // Executes one statement; false (and no throw) when `may_fail`.
  bool Exec(const std::string& sql, bool may_fail = false) {
    // SQLExecDirect does not write to the text; the cast only meets its
    // signature, so the baseline pays no copy.
    auto* text = reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.data()));
    SQLRETURN rc = SQLExecDirect(stmt_, text, static_cast<SQLINTEGER>(sql.size()));
    SQLFreeStmt(stmt_, SQL_CLOSE);
    if (may_fail) return SQL_SUCCEEDED(rc);
    Check(rc, SQL_HANDLE_STMT, stmt_, sql);
    return true;
  }

  // Runs `query` and hands every row, each value as text or null, to `row`.
  template <typename F>
  void Fetch(const std::string& query, F row_handler) {
    std::vector<SQLCHAR> text(query.begin(), query.end());
    Check(SQLExecDirect(stmt_, text.data(), static_cast<SQLINTEGER>(text.size())),
          SQL_HANDLE_STMT, stmt_, query);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt_, &columns);
    std::vector<foxpro::Value> values(static_cast<std::size_t>(columns));
    char buffer[8192];
    while (SQL_SUCCEEDED(SQLFetch(stmt_))) {
      for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
        std::string value;
        bool null = false;
        for (;;) {
          SQLLEN length = 0;
          SQLRETURN rc = SQLGetData(stmt_, c, SQL_C_CHAR, buffer, sizeof buffer, &length);
          if (rc == SQL_NO_DATA) break;
          Check(rc, SQL_HANDLE_STMT, stmt_, "fetch");
          if (length == SQL_NULL_DATA) {
            null = true;
            break;
          }
          bool more = rc == SQL_SUCCESS_WITH_INFO &&
                      (length == SQL_NO_TOTAL || length >= static_cast<SQLLEN>(sizeof buffer));
          value.append(buffer, more ? sizeof buffer - 1 : static_cast<std::size_t>(length));
          if (!more) break;
        }
        values[c - 1u] = null || value.empty() ? foxpro::Value::Null()
                                               : foxpro::Value::Text(std::move(value));
      }
      row_handler(values);
    }
    SQLFreeStmt(stmt_, SQL_CLOSE);
  }

 private:
  static void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const std::string& what) {
    if (SQL_SUCCEEDED(rc)) return;
    SQLCHAR state[6] = {};
    SQLCHAR message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length);
    throw std::runtime_error(what + ": " + reinterpret_cast<char*>(message));
  }

  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  SQLHSTMT stmt_ = SQL_NULL_HSTMT;
};

// ---- FoxPro side ----

void CheckStatus(const foxpro::Status& status) {
  if (!status.ok()) throw std::runtime_error(status.ToString());
}

// A free table with character, numeric, integer, currency, date, datetime,
// logical and memo fields, `rows` rows.
void MakeSourceTable(const fs::path& dbf, int rows) {
  foxpro::TableLayout layout;
  layout.fields = {{"NAME", 'C', 20}, {"AMOUNT", 'N', 12, 2}, {"QTY", 'I'}, {"PRICE", 'Y'},
                 {"BORN", 'D'},     {"SEEN", 'T'},         {"PAID", 'L'}, {"NOTE", 'M'}};
  auto table = foxpro::Table::Create(foxpro::DefaultFileSystem(), dbf.string(), layout);
  if (!table.ok()) CheckStatus(table.status());
  for (int i = 0; i < rows; ++i) {
    std::vector<foxpro::Value> values = {
        foxpro::Value::Text("customer " + std::to_string(i % 977) + " O'Hara"),
        foxpro::Value::Numeric(std::to_string(i) + ".25"),
        foxpro::Value::Integer(i),
        foxpro::Value::Currency(int64_t{i} * 125),
        foxpro::Value::FromDate({2000 + i % 25, 1 + i % 12, 1 + i % 28}),
        foxpro::Value::FromDateTime({{2021, 8, 1 + i % 28}, i % 24, i % 60, i % 60, 0}),
        foxpro::Value::Logical(i % 3 == 0),
        foxpro::Value::Text("note " + std::to_string(i) + "\r\nsecond line")};
    CheckStatus((*table)->Append(values));
  }
}

// The CREATE and INSERT texts the FoxPro-to-SQL copy sends for `table`.
void BuildStatements(const db::ConnectionFields& fields, const std::string& table,
                     std::string* create, std::vector<std::string>* inserts) {
  ado::Connection foxpro;
  foxpro.SetCursorLocation(3);
  foxpro.Open(db::FoxproConnectionString(fields));
  ado::Recordset records;
  records.Open(transfer::FoxproSelectStatement(table), foxpro, 3, 3);
  std::vector<transfer::SourceColumn> columns;
  std::vector<transfer::SqlColumnType> types;
  for (int j = 0; j < records.FieldCount(); ++j) {
    columns.push_back({records.Fields(j).name(), records.Fields(j).Type()});
    types.push_back(transfer::SqlColumnTypeFor(
        transfer::LowerCase(transfer::AdoTypeName(records.Fields(j).Type()))));
  }
  *create = transfer::BuildSqlCreate(table, columns);
  std::vector<ado::Value> row;
  for (; !records.IsEOF(); records.MoveNext()) {
    row.clear();
    for (int j = 0; j < records.FieldCount(); ++j) row.push_back(records.Fields(j).Value());
    inserts->push_back(transfer::BuildSqlInsert(table, types, row));
  }
}

struct Figures {
  double copy_rate = 0;
  double base_rate = 0;
  double copy_cpu_us = 0;  // this process's CPU time per row
  double base_cpu_us = 0;
  Gaps gaps;
  // The baseline's slowest single statement: while the database holds one
  // statement, no event loop can run, so this bounds the gap from below.
  double longest_statement = 0;
};

void Print(const char* what, const Figures& f) {
  std::printf("%-26s copy %9.0f rows/s  baseline %9.0f rows/s  ratio %.3f  "
              "CPU %.1f vs %.1f us/row  longest yield gap %.1f ms (%.1f ms outside provider "
              "calls, slowest call %.1f ms)",
              what, f.copy_rate, f.base_rate, f.copy_rate / f.base_rate, f.copy_cpu_us,
              f.base_cpu_us, f.gaps.longest * 1000, f.gaps.longest_own * 1000,
              f.gaps.slowest_call * 1000);
  if (f.longest_statement > 0) {
    std::printf(" (slowest baseline statement %.1f ms)", f.longest_statement * 1000);
  }
  std::printf("\n");
}

// Which of the copy and its baseline runs: the copy only, or both in the
// given order.
enum class Order { kCopyOnly, kCopyFirst, kBaselineFirst };

// The copy through the real handler, into a target without the table.
void CopyToSql(Window& window, Odbc& odbc, const std::string& table, int rows, Figures* f) {
  odbc.Exec("DROP TABLE \"" + table + "\"", true);
  const Clock::time_point start = Clock::now();
  const double cpu = CpuSeconds();
  f->gaps = window.Send(window.form.list1(), window.form.list2(), table, 3);
  f->copy_rate = rows / Seconds(start, Clock::now());
  f->copy_cpu_us = (CpuSeconds() - cpu) * 1e6 / rows;
}

// The bare loop: the copy's own statements, built in advance.
void BaselineToSql(Odbc& odbc, const std::string& table, const std::string& create,
                   const std::vector<std::string>& inserts, Figures* f) {
  odbc.Exec("DROP TABLE \"" + table + "\"", true);
  odbc.Exec(create);
  const Clock::time_point start = Clock::now();
  const double cpu = CpuSeconds();
  for (const std::string& insert : inserts) {
    const Clock::time_point sent = Clock::now();
    odbc.Exec(insert);
    f->longest_statement = std::max(f->longest_statement, Seconds(sent, Clock::now()));
  }
  f->base_rate = static_cast<double>(inserts.size()) / Seconds(start, Clock::now());
  f->base_cpu_us = (CpuSeconds() - cpu) * 1e6 / static_cast<double>(inserts.size());
}

Figures FoxproToSql(Window& window, const std::string& table, int rows, Order order) {
  Odbc odbc(window.fields.text3);
  Figures f;
  if (order != Order::kBaselineFirst) CopyToSql(window, odbc, table, rows, &f);
  if (order == Order::kCopyOnly) return f;
  std::string create;
  std::vector<std::string> inserts;
  BuildStatements(window.fields, table, &create, &inserts);
  BaselineToSql(odbc, table, create, inserts, &f);
  if (order == Order::kBaselineFirst) CopyToSql(window, odbc, table, rows, &f);
  return f;
}

// The copy through the real handler, into its own empty folder.
void CopyToFoxpro(Window& window, const std::string& table, int rows, const std::string& tag,
                  Figures* f) {
  db::ConnectionFields& fields = window.fields;
  const fs::path folder = fields.text2;
  fields.text2 = (folder / ("copy_" + tag)).string();
  fs::create_directories(fields.text2);
  const Clock::time_point start = Clock::now();
  const double cpu = CpuSeconds();
  try {
    f->gaps = window.Send(window.form.list2(), window.form.list1(), table, 4);
  } catch (...) {
    fields.text2 = folder.string();
    throw;
  }
  f->copy_rate = rows / Seconds(start, Clock::now());
  f->copy_cpu_us = (CpuSeconds() - cpu) * 1e6 / rows;
  fields.text2 = folder.string();
}

// Bare fetch + raw append into a memo table of the same shape.
void BaselineToFoxpro(const Window& window, const std::string& table, int rows,
                      const std::string& tag, Figures* f) {
  const fs::path raw = fs::path(window.fields.text2) / ("raw_" + tag);
  fs::create_directories(raw);
  Odbc odbc(window.fields.text3);
  const Clock::time_point start = Clock::now();
  const double cpu = CpuSeconds();
  std::unique_ptr<foxpro::Table> target;
  odbc.Fetch("SELECT * FROM \"" + table + "\"", [&](const std::vector<foxpro::Value>& values) {
    if (!target) {
      foxpro::TableLayout layout;
      for (std::size_t c = 0; c < values.size(); ++c) {
        foxpro::FieldLayout field{"F" + std::to_string(c), 'M'};
        field.nullable = true;
        layout.fields.push_back(field);
      }
      auto created =
          foxpro::Table::Create(foxpro::DefaultFileSystem(), (raw / (table + ".dbf")).string(), layout);
      if (!created.ok()) CheckStatus(created.status());
      target = std::move(*created);
    }
    CheckStatus(target->Append(values));
  });
  f->base_rate = rows / Seconds(start, Clock::now());
  f->base_cpu_us = (CpuSeconds() - cpu) * 1e6 / rows;
}

Figures SqlToFoxpro(Window& window, const std::string& table, int rows, const std::string& tag,
                    Order order) {
  Figures f;
  if (order != Order::kBaselineFirst) CopyToFoxpro(window, table, rows, tag, &f);
  if (order == Order::kCopyOnly) return f;
  BaselineToFoxpro(window, table, rows, tag, &f);
  if (order == Order::kBaselineFirst) CopyToFoxpro(window, table, rows, tag, &f);
  return f;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : value;
}

double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Total length of the text forms of every value of `table`, read as a
// stream (the SQL side's share of what a copy to FoxPro carries).
double ValuesTextMiB(const std::string& dsn, const std::string& table) {
  double bytes = 0;
  Odbc(dsn).Fetch("SELECT * FROM \"" + table + "\"", [&](const std::vector<foxpro::Value>& row) {
    for (const auto& value : row) {
      if (!value.is_null()) bytes += static_cast<double>(value.text().size());
    }
  });
  return bytes / (1024.0 * 1024.0);
}

// The summaries of one direction's rounds: the median of the rounds'
// ratios, and the fastest copy against the fastest baseline.
struct Summary {
  std::vector<double> ratios, copy_rates, base_rates;

  void Add(const Figures& f) {
    ratios.push_back(f.copy_rate / f.base_rate);
    copy_rates.push_back(f.copy_rate);
    base_rates.push_back(f.base_rate);
  }
  double MedianRatio() const { return Median(ratios); }
  double BestRatio() const {
    return *std::max_element(copy_rates.begin(), copy_rates.end()) /
           *std::max_element(base_rates.begin(), base_rates.end());
  }
};

// Copy speed against the baselines, `rounds` times per data source; odd
// rounds run the copy first, even rounds the baseline.
void SpeedRuns(Window& window, const fs::path& folder, const std::string& table, int rows,
               int rounds) {
  for (const char* variable : {"QUILLOMAR_DSN_SQLITE", "QUILLOMAR_DSN_PG"}) {
    const std::string dsn = Env(variable);
    if (dsn.empty()) {
      std::printf("%s not set: skipped (source scripts/test-env.sh)\n", variable);
      continue;
    }
    window.fields.option1 = false;
    window.fields.text2 = folder.string();
    window.fields.text3 = dsn;
    Summary to_sql, to_foxpro;
    Gaps gaps;
    for (int round = 1; round <= rounds; ++round) {
      const std::string tag = dsn + "_" + std::to_string(round);
      const Order order = round % 2 == 1 ? Order::kCopyFirst : Order::kBaselineFirst;
      Figures f = FoxproToSql(window, table, rows, order);
      Print((dsn + " FoxPro->SQL").c_str(), f);
      to_sql.Add(f);
      gaps = Longer(gaps, f.gaps);
      f = SqlToFoxpro(window, table, rows, tag, order);
      Print((dsn + " SQL->FoxPro").c_str(), f);
      to_foxpro.Add(f);
      gaps = Longer(gaps, f.gaps);
    }
    std::printf("%s median ratio: FoxPro->SQL %.3f (goal 0.97), SQL->FoxPro %.3f (goal 0.75); "
                "longest gap between event-loop passes %.1f ms (goal 50), %.1f ms outside "
                "provider calls; slowest provider call %.1f ms\n",
                dsn.c_str(), to_sql.MedianRatio(), to_foxpro.MedianRatio(), gaps.longest * 1000,
                gaps.longest_own * 1000, gaps.slowest_call * 1000);
    std::printf("%s fastest copy / fastest baseline: FoxPro->SQL %.3f, SQL->FoxPro %.3f\n",
                dsn.c_str(), to_sql.BestRatio(), to_foxpro.BestRatio());
    Odbc(dsn).Exec("DROP TABLE \"" + table + "\"", true);
  }
}

// Peak memory of both copies through one data source (no baselines, which
// hold every statement): FoxPro->SQL first, then SQL->FoxPro.
void MemoryRun(Window& window, const fs::path& folder, const std::string& table, int rows,
               const std::string& dsn) {
  window.fields.option1 = false;
  window.fields.text2 = folder.string();
  window.fields.text3 = dsn;
  std::printf("peak memory before the copies %.1f MiB\n", PeakMiB());
  Figures f = FoxproToSql(window, table, rows, Order::kCopyOnly);
  std::printf("%s FoxPro->SQL: %.0f rows/s, peak memory %.1f MiB (goal < 100 MiB)\n", dsn.c_str(),
              f.copy_rate, PeakMiB());
  f = SqlToFoxpro(window, table, rows, "memory", Order::kCopyOnly);
  const double peak = PeakMiB();
  const double text = ValuesTextMiB(dsn, table);
  std::printf("%s SQL->FoxPro: %.0f rows/s, peak memory %.1f MiB; values' text %.1f MiB, "
              "goal <= 1.5 x text + 100 = %.1f MiB\n",
              dsn.c_str(), f.copy_rate, peak, text, 1.5 * text + 100);
  Odbc(dsn).Exec("DROP TABLE \"" + table + "\"", true);
}

}  // namespace

// Usage: transfer_bench [rows [rounds]]
//        transfer_bench --memory rows DSN_VARIABLE
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  std::setlocale(LC_ALL, "");
  const bool memory = argc > 1 && std::string(argv[1]) == "--memory";
  const int first = memory ? 2 : 1;
  const int rows = argc > first ? std::max(1, std::atoi(argv[first])) : 100000;
  const int rounds = !memory && argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
  const std::string memory_dsn = memory && argc > 3 ? Env(argv[3]) : std::string();
  if (memory && memory_dsn.empty()) {
    std::fprintf(stderr, "transfer_bench: --memory needs rows and a set DSN variable\n");
    return 2;
  }
  program::RegisterProviders();
  bench::TimeProviders({"MSDASQL", "vfpoledb.1"});
  char pattern[] = "/tmp/quillomar-bench.XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const fs::path folder = pattern;
  const std::string table = "bench_" + std::to_string(getpid());
  int status = 0;
  try {
    Clock::time_point start = Clock::now();
    MakeSourceTable(folder / (table + ".dbf"), rows);
    std::printf("%d rows; source table written in %.1f s\n", rows, Seconds(start, Clock::now()));
    Window window;
    if (memory) {
      MemoryRun(window, folder, table, rows, memory_dsn);
    } else {
      SpeedRuns(window, folder, table, rows, rounds);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "transfer_bench: %s\n", e.what());
    status = 1;
  }
  std::printf("peak memory %.1f MiB\n", PeakMiB());
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return status;
}
