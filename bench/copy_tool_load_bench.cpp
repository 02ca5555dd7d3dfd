// quillomar-copy as a user runs it, against servers at their default
// durability (scripts/bench-env.sh):
//   - the disk's fsync time: what one durable commit costs at least;
//   - FoxPro -> PostgreSQL, a table of C, N, I, D, L and M fields: batch mode
//     against `pgdbf FILE | psql` loading the same table into the same
//     database (pgdbf, a Debian package, stops at currency fields, so the
//     table has none), alternating, each going first in every other round;
//     for each the client's CPU (the programs' rusage) and the server's
//     (the PostgreSQL processes' CPU from /proc) per row;
//   - rows mode against batch mode on a smaller table of the same fields
//     (one durable commit per row makes rows mode too slow for the full
//     count);
//   - peak memory (the child's ru_maxrss) of the copy FoxPro -> PostgreSQL,
//     FoxPro -> SQLite, and PostgreSQL -> FoxPro, the last against its bound:
//     1.5 x the text of the values + 100 MiB.
// Every copy runs the real quillomar-copy binary as a child process.
//
// Needs the benchmark environment (source scripts/bench-env.sh). Usage:
//   copy_tool_load_bench [rows [rounds [rows_mode_rows]]]
//   (default 1000000 rows, 3 rounds, rows mode on 20000 rows)
//   copy_tool_load_bench --make-table FILE.dbf rows   (only writes the table)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/odbc/odbc_provider.h"
#include "foxpro/dbf/table.h"
#include "foxpro/util/file.h"
#include "fsync_probe.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

double TimevalSeconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : value;
}

// ---- the source table ----

void Check(const foxpro::Status& status) {
  if (!status.ok()) throw std::runtime_error(status.ToString());
}

// A free table of `rows` rows of C, N, I, D, L and M fields (ASCII text, so
// that every reader reads the same characters).
void MakeTable(const fs::path& dbf, long rows) {
  foxpro::TableLayout layout;
  layout.fields = {{"NAME", 'C', 30}, {"AMOUNT", 'N', 12, 2}, {"QTY", 'I'},
                   {"BORN", 'D'},     {"PAID", 'L'},          {"NOTE", 'M'}};
  auto table = foxpro::Table::Create(foxpro::DefaultFileSystem(), dbf.string(), layout);
  if (!table.ok()) Check(table.status());
  for (long i = 0; i < rows; ++i) {
    const int n = static_cast<int>(i);
    Check((*table)->Append({foxpro::Value::Text("customer " + std::to_string(i % 977) + " O'Hara"),
                            foxpro::Value::Numeric(std::to_string(i) + ".25"),
                            foxpro::Value::Integer(i),
                            foxpro::Value::FromDate({2000 + n % 25, 1 + n % 12, 1 + n % 28}),
                            foxpro::Value::Logical(i % 3 == 0),
                            foxpro::Value::Text("note " + std::to_string(i) + "\r\nsecond line")}));
  }
}

// ---- child processes ----

struct Run {
  bool ok = false;
  double seconds = 0;
  double cpu = 0;         // user + system of the child and its own children
  double peak_mib = 0;    // the direct child's peak resident memory
  double server_cpu = 0;  // the PostgreSQL processes' CPU during the run
  std::string output;     // standard output and error, for failures
};

// CPU seconds the PostgreSQL server has used: the postmaster and its live
// processes, and (through the postmaster's children's times) the backends
// that have ended. Zero when the server's processes cannot be read.
// `clients`, when given, receives how many client backends are running or
// not yet reaped.
double ServerCpu(int* clients = nullptr) {
  const std::string dir = Env("QUILLOMAR_BENCH_DIR");
  std::ifstream pidfile(dir + "/pg/data/postmaster.pid");
  long postmaster = 0;
  if (!(pidfile >> postmaster)) return 0;
  const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
  double total = 0;
  int counted = 0;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream fields(line.substr(close + 2));
    std::vector<std::string> f;
    for (std::string field; fields >> field;) f.push_back(field);
    // After the name: state(0) ppid(1) ... utime(11) stime(12) cutime(13) cstime(14).
    if (f.size() < 15) continue;
    const long pid = std::stol(name);
    const long ppid = std::stol(f[1]);
    if (pid != postmaster && ppid != postmaster) continue;
    std::ifstream cmdline(entry.path() / "cmdline");
    std::string title;
    std::getline(cmdline, title);
    // A zombie is a backend that ended and awaits reaping.
    if (f[0] == "Z" || title.find("[local]") != std::string::npos) ++counted;
    total += (std::stod(f[11]) + std::stod(f[12])) / tick;
    if (pid == postmaster) total += (std::stod(f[13]) + std::stod(f[14])) / tick;
  }
  if (clients != nullptr) *clients = counted;
  return total;
}

// ServerCpu once no client backend runs (waiting up to 2 s): a backend's
// time reaches the postmaster's only once the postmaster has reaped it, and
// an earlier psql's backend may still be ending.
double ServerCpuAtRest() {
  int clients = 0;
  double cpu = ServerCpu(&clients);
  for (int i = 0; i < 200 && clients > 0; ++i) {
    ::usleep(10000);
    cpu = ServerCpu(&clients);
  }
  return cpu;
}

// Runs `argv` (argv[0] found on PATH) with its output captured; the wall
// time, its CPU and its peak memory.
Run Spawn(const std::vector<std::string>& argv) {
  char log_name[] = "/tmp/copy_tool_load_bench.out.XXXXXX";
  const int log = ::mkstemp(log_name);
  if (log < 0) throw std::runtime_error("mkstemp failed");
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  Run run;
  const double server_before = ServerCpuAtRest();
  const Clock::time_point start = Clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(log, 1);
    ::dup2(log, 2);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  run.seconds = Seconds(start, Clock::now());
  run.server_cpu = ServerCpuAtRest() - server_before;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  run.cpu = TimevalSeconds(usage.ru_utime) + TimevalSeconds(usage.ru_stime);
  run.peak_mib = static_cast<double>(usage.ru_maxrss) / 1024.0;
  std::ifstream in(log_name);
  run.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  ::close(log);
  ::unlink(log_name);
  return run;
}

// The whole of a shell pipeline's CPU is that of the shell's waited-for
// children, which wait4 reports for the shell.
Run Shell(const std::string& command) { return Spawn({"/bin/sh", "-c", command}); }

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

std::string PsqlCommand() {
  return "psql -X -q -v ON_ERROR_STOP=1 -h " + Quoted(Env("QUILLOMAR_BENCH_PG_HOST")) + " -p " +
         Quoted(Env("QUILLOMAR_BENCH_PG_PORT")) + " -U postgres -d postgres";
}

std::string Psql(const std::string& sql) {
  const Run run = Shell(PsqlCommand() + " -At -c " + Quoted(sql));
  if (!run.ok) throw std::runtime_error("psql failed: " + sql + "\n" + run.output);
  std::string out = run.output;
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

// quillomar-copy with `args` after its program name.
Run Copy(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {QUILLOMAR_COPY_TOOL};
  argv.insert(argv.end(), args.begin(), args.end());
  return Spawn(argv);
}

Run CopyToSql(const fs::path& folder, const std::string& dsn, const std::string& table,
              const char* mode) {
  return Copy({"--folder", folder.string(), "--dsn", dsn, "--to-sql", "--mode", mode, "--overwrite",
               "yes", "--quiet", table});
}

void Require(const Run& run, const std::string& what) {
  if (!run.ok) throw std::runtime_error(what + " failed:\n" + run.output);
}

// The rows of `table` in the PostgreSQL database, checked to be `rows`.
void RequireRows(const std::string& table, long rows, const std::string& what) {
  const std::string count = Psql("SELECT count(*) FROM \"" + table + "\"");
  if (count != std::to_string(rows)) {
    throw std::runtime_error(what + " stored " + count + " rows, not " + std::to_string(rows));
  }
}

// ---- FoxPro -> PostgreSQL ----

struct Best {
  Run run;
  bool any = false;
  void Take(const Run& r) {
    if (!any || r.seconds < run.seconds) run = r;
    any = true;
  }
};

void PrintRun(const char* label, const Run& r, long rows) {
  const double n = static_cast<double>(rows);
  std::printf("  %-28s %7.2f s  %9.0f rows/s  client CPU %5.2f us/row  server CPU %5.2f us/row\n",
              label, r.seconds, n / r.seconds, r.cpu * 1e6 / n, r.server_cpu * 1e6 / n);
}

// Batch mode against pgdbf | psql, `rounds` rounds.
void AgainstPgdbf(const fs::path& folder, const std::string& table, long rows, int rounds) {
  const std::string dsn = Env("QUILLOMAR_DSN_PG");
  const fs::path dbf = folder / (table + ".dbf");
  const fs::path fpt = folder / (table + ".fpt");
  const std::string pgdbf = "pgdbf -s cp1252 -m " + Quoted(fpt.string()) + " " +
                            Quoted(dbf.string()) + " | " + PsqlCommand() + " >/dev/null";
  std::printf(
      "FoxPro -> PostgreSQL (fsync on, synchronous_commit on), %ld rows of C, N, I, D, "
      "L, M:\n",
      rows);
  Best ours, theirs;
  std::vector<double> ratios;
  for (int round = 0; round < rounds; ++round) {
    Run mine, other;
    for (int turn = 0; turn < 2; ++turn) {
      const bool batch = (turn == 0) == (round % 2 == 0);
      Psql("DROP TABLE IF EXISTS \"" + table + "\"");
      Psql("CHECKPOINT");
      if (batch) {
        mine = CopyToSql(folder, dsn, table, "batch");
        Require(mine, "quillomar-copy --mode batch");
        RequireRows(table, rows, "quillomar-copy --mode batch");
        PrintRun("quillomar-copy --mode batch", mine, rows);
        ours.Take(mine);
      } else {
        other = Shell(pgdbf);
        Require(other, "pgdbf | psql");
        RequireRows(table, rows, "pgdbf | psql");
        PrintRun("pgdbf | psql", other, rows);
        theirs.Take(other);
      }
    }
    ratios.push_back(other.seconds / mine.seconds);
  }
  std::sort(ratios.begin(), ratios.end());
  std::printf(
      "batch mode against pgdbf | psql: median ratio of rows/s %.2fx, fastest against "
      "fastest %.2fx (goal >= 1.0x)\n",
      ratios[ratios.size() / 2], theirs.run.seconds / ours.run.seconds);
  std::fflush(stdout);
}

// Rows mode against batch mode on a smaller table.
void RowsAgainstBatch(const fs::path& folder, const std::string& table, long rows, int rounds) {
  const std::string dsn = Env("QUILLOMAR_DSN_PG");
  std::printf("FoxPro -> PostgreSQL, rows mode against batch mode, %ld rows:\n", rows);
  Best by_rows, by_batch;
  for (int round = 0; round < rounds; ++round) {
    for (int turn = 0; turn < 2; ++turn) {
      const bool batch = (turn == 0) == (round % 2 == 0);
      const Run r = CopyToSql(folder, dsn, table, batch ? "batch" : "rows");
      Require(r, batch ? "batch mode" : "rows mode");
      RequireRows(table, rows, batch ? "batch mode" : "rows mode");
      PrintRun(batch ? "quillomar-copy --mode batch" : "quillomar-copy --mode rows", r, rows);
      (batch ? by_batch : by_rows).Take(r);
    }
  }
  std::printf("rows mode %.0f rows/s, batch mode %.0f rows/s: batch %.1fx faster\n",
              static_cast<double>(rows) / by_rows.run.seconds,
              static_cast<double>(rows) / by_batch.run.seconds,
              by_rows.run.seconds / by_batch.run.seconds);
  std::fflush(stdout);
}

// ---- peak memory ----

// The total length of the text forms of every value of `table` as the copy
// reads them (ado's text of each value), streamed.
double ValuesTextMiB(const std::string& dsn, const std::string& table) {
  ado::Connection sql;
  sql.SetProvider("MSDASQL");
  sql.SetCursorLocation(2);
  sql.Open("Data Source=" + dsn);
  ado::Recordset records;
  records.Open("SELECT * FROM \"" + table + "\"", sql);
  double bytes = 0;
  std::string text;
  for (; !records.IsEOF(); records.MoveNext()) {
    for (int j = 0; j < records.FieldCount(); ++j) {
      records.Fields(j).Value().AssignTextTo(&text);
      bytes += static_cast<double>(text.size());
    }
  }
  records.Close();
  sql.Close();
  return bytes / (1024.0 * 1024.0);
}

void PeakMemory(const fs::path& folder, const std::string& table, long rows) {
  std::printf("peak memory of quillomar-copy, %ld rows:\n", rows);
  const double n = static_cast<double>(rows);
  const char* targets[][2] = {{"QUILLOMAR_DSN_SQLITE", "SQLite (WAL, full sync)"},
                              {"QUILLOMAR_DSN_PG", "PostgreSQL (COPY)"}};
  for (const auto& target : targets) {
    const std::string dsn = Env(target[0]);
    const Run r = CopyToSql(folder, dsn, table, "batch");
    Require(r, std::string("batch mode to ") + target[1]);
    std::printf("  FoxPro -> %-24s %7.2f s %9.0f rows/s  peak %6.1f MiB (goal < 100 MiB)\n",
                target[1], r.seconds, n / r.seconds, r.peak_mib);
    std::fflush(stdout);
  }
  RequireRows(table, rows, "batch mode");
  const std::string dsn = Env("QUILLOMAR_DSN_PG");
  const fs::path back = folder / "back";
  fs::create_directories(back);
  const Run r = Copy({"--folder", back.string(), "--dsn", dsn, "--to-foxpro", "--overwrite", "yes",
                      "--quiet", table});
  Require(r, "PostgreSQL -> FoxPro");
  const double text = ValuesTextMiB(dsn, table);
  std::printf(
      "  PostgreSQL -> FoxPro            %7.2f s %9.0f rows/s  peak %6.1f MiB; values' "
      "text %.1f MiB, bound 1.5 x text + 100 = %.1f MiB\n",
      r.seconds, n / r.seconds, r.peak_mib, text, 1.5 * text + 100);
  fs::remove_all(back);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--make-table") {
    // Only the source table, for profiling one copy by hand.
    try {
      MakeTable(argv[2], std::atol(argv[3]));
    } catch (const std::exception& e) {
      std::fprintf(stderr, "copy_tool_load_bench: %s\n", e.what());
      return 1;
    }
    return 0;
  }
  const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const long small_rows = argc > 3 ? std::atol(argv[3]) : 20000;
  if (rows < 1 || rounds < 1 || small_rows < 1) {
    std::fprintf(stderr, "usage: copy_tool_load_bench [rows [rounds [rows_mode_rows]]]\n");
    return 2;
  }
  const std::string bench_dir = Env("QUILLOMAR_BENCH_DIR");
  for (const char* variable : {"QUILLOMAR_BENCH_DIR", "QUILLOMAR_BENCH_PG_HOST", "QUILLOMAR_DSN_PG",
                               "QUILLOMAR_DSN_SQLITE"}) {
    if (Env(variable).empty()) {
      std::fprintf(stderr, "copy_tool_load_bench: %s not set (source scripts/bench-env.sh)\n",
                   variable);
      return 2;
    }
  }
  ado::odbc::RegisterOdbcProvider();
  const fs::path folder = fs::path(bench_dir) / "load";
  int status = 0;
  try {
    bench::PrintFsyncTime(bench_dir);
    fs::create_directories(folder / "small");
    Clock::time_point start = Clock::now();
    MakeTable(folder / "loadrows.dbf", rows);
    MakeTable(folder / "small" / "loadsmall.dbf", small_rows);
    std::printf("source tables written in %.1f s\n", Seconds(start, Clock::now()));
    if (std::system("command -v pgdbf >/dev/null") == 0) {
      AgainstPgdbf(folder, "loadrows", rows, rounds);
    } else {
      std::printf("pgdbf not installed: its comparison is skipped\n");
    }
    RowsAgainstBatch(folder / "small", "loadsmall", small_rows, rounds);
    PeakMemory(folder, "loadrows", rows);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "copy_tool_load_bench: %s\n", e.what());
    status = 1;
  }
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return status;
}
