// quillomar-copy's batch mode against its rows mode, FoxPro -> SQL, through
// the command's own RunCopy on the environment's data sources: SQLite (WAL,
// full sync), MariaDB and PostgreSQL (batches through COPY). Rows mode, one
// INSERT per row in autocommit, is the baseline measured in the same run on
// the same target; the two alternate, each going first in every other
// round, and the fastest round of each is compared (goal: batch mode at
// least 20x rows mode on SQLite and MariaDB).
//
// Run it in the benchmark environment (source scripts/bench-env.sh), whose
// servers keep their default durability: every commit of rows mode waits for
// the disk there, as on a user's server, and the program prints the disk's
// fsync time first. The test environment (scripts/test-env.sh) also works,
// but its MariaDB runs with innodb_flush_log_at_trx_commit=2 and its
// PostgreSQL with fsync off: a commit costs little there, so rows mode is
// faster and the ratios are lower than a durable server's.
//
// Usage:
//   copy_tool_bench [rows [rounds]]   (default 100000 rows, 1 round)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/foxpro/foxpro_provider.h"
#include "ado/odbc/odbc_provider.h"
#include "copy_command.h"
#include "fsync_probe.h"
#include "options.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char kTable[] = "benchrows";

// A free table of `rows` rows: an integer, a character, a logical, a
// numeric and a memo field.
void MakeFoxproTable(const fs::path& folder, long rows) {
  ado::Connection fox;
  fox.Open("Provider=vfpoledb.1;Data Source=" + folder.string() + ";");
  fox.Execute(std::string("CREATE TABLE ") + kTable +
              " (id I, name C(30) NULL, paid L NULL, total N(10,2) NULL, note M NULL)");
  for (long i = 1; i <= rows; ++i) {
    const std::string n = std::to_string(i);
    fox.Execute(std::string("INSERT INTO ") + kTable + " VALUES (" + n + ", 'Customer " + n +
                " O''Brien', " + (i % 2 == 0 ? ".T." : ".F.") + ", " + n + ".25, 'Note\t" + n +
                "\r\nsecond line')");
  }
  fox.Close();
}

long TargetRows(const std::string& dsn) {
  ado::Connection sql;
  sql.SetProvider("MSDASQL");
  sql.SetCursorLocation(3);
  sql.Open("Data Source=" + dsn);
  ado::Recordset rs;
  rs.Open(std::string("SELECT count(*) FROM \"") + kTable + "\"", sql, 3, 3);
  return std::stol(rs.Fields(0).Value().ToText());
}

// One copy of the table; the seconds it took, or a negative number when it
// failed.
double TimeCopy(const fs::path& folder, const std::string& dsn, copytool::Mode mode, long rows) {
  copytool::CopyOptions options;
  options.dbc = false;
  options.foxpro_path = folder.string();
  options.dsn = dsn;
  options.direction = copytool::Direction::kToSql;
  options.overwrite = copytool::Overwrite::kYes;
  options.mode = mode;
  options.quiet = true;
  options.tables = {kTable};
  std::ostringstream err;
  const Clock::time_point start = Clock::now();
  const int status = copytool::RunCopy(options, err, copytool::RunEnvironment());
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const long arrived = TargetRows(dsn);
  if (status != copytool::kExitOk || arrived != rows) {
    std::fprintf(stderr, "copy failed (status %d, %ld of %ld rows):\n%s\n", status, arrived, rows,
                 err.str().c_str());
    return -1.0;
  }
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const long rows = argc > 1 ? std::atol(argv[1]) : 100000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 1;
  if (rows < 1 || rounds < 1) {
    std::fprintf(stderr, "usage: copy_tool_bench [rows [rounds]]\n");
    return 2;
  }
  ado::odbc::RegisterOdbcProvider();
  ado::foxpro::RegisterFoxproProvider();
  if (const char* bench_dir = std::getenv("QUILLOMAR_BENCH_DIR")) {
    bench::PrintFsyncTime(bench_dir);  // where the servers keep their data
  } else {
    std::printf("test environment: the servers' commits do not wait for the disk\n");
  }
  const fs::path folder =
      fs::temp_directory_path() / ("copy_tool_bench." + std::to_string(::getpid()));
  fs::create_directories(folder);
  MakeFoxproTable(folder, rows);
  struct Target {
    const char* label;
    const char* variable;
  } const targets[] = {{"SQLite (WAL, full sync)", "QUILLOMAR_DSN_SQLITE"},
                       {"MariaDB", "QUILLOMAR_DSN_MARIA"},
                       {"PostgreSQL (COPY)", "QUILLOMAR_DSN_PG"}};
  int status = 0;
  for (const Target& target : targets) {
    const char* dsn = std::getenv(target.variable);
    if (dsn == nullptr) {
      std::printf("%s: %s not set, skipped\n", target.label, target.variable);
      continue;
    }
    double best_rows = 1e300;
    double best_batch = 1e300;
    for (int round = 0; round < rounds; ++round) {
      for (int turn = 0; turn < 2; ++turn) {
        const bool batch = (turn == 0) == (round % 2 == 0);
        const double s =
            TimeCopy(folder, dsn, batch ? copytool::Mode::kBatch : copytool::Mode::kRows, rows);
        if (s < 0) status = 1;
        double& best = batch ? best_batch : best_rows;
        if (s >= 0) best = std::min(best, s);
      }
    }
    const auto rate = [rows](double s) { return static_cast<double>(rows) / s; };
    std::printf(
        "%s, %ld rows: rows mode %.2f s (%.0f rows/s), batch mode %.2f s (%.0f rows/s), "
        "batch %.1fx faster\n",
        target.label, rows, best_rows, rate(best_rows), best_batch, rate(best_batch),
        best_rows / best_batch);
    std::fflush(stdout);
  }
  fs::remove_all(folder);
  return status;
}
