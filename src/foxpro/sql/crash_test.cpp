// Kills a process that is inserting rows with memos at random moments: the
// table must always open and hold every acknowledged row (at most one more),
// each of them intact.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

#include "foxpro/sql/database.h"

namespace foxpro::sql {
namespace {

namespace fs = std::filesystem;

constexpr int kRowsPerChild = 1000;
constexpr int kKills = 50;

std::string MemoFor(int i) {
  return "memo " + std::to_string(i) + " " + std::string(static_cast<std::size_t>(i % 150), 'x');
}

// The child: inserts rows and reports each acknowledged row number on `fd`.
[[noreturn]] void InsertUntilKilled(const std::string& folder, int fd) {
  auto db = Database::Open(DefaultFileSystem(), folder);
  if (!db.ok()) _exit(2);
  for (int i = 0; i < kRowsPerChild; ++i) {
    std::string sql =
        "INSERT INTO t VALUES(" + std::to_string(i) + ", '" + MemoFor(i) + "', 'second')";
    if (!(*db)->Execute(sql).ok()) _exit(3);
    if (write(fd, &i, sizeof i) != sizeof i) _exit(4);
  }
  _exit(0);
}

TEST(CrashSafety, KilledInsertsLeaveEveryAcknowledgedRowIntact) {
  char pattern[] = "/tmp/foxpro_crash_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  std::string folder = pattern;
  std::mt19937 random(12345);
  for (int round = 0; round < kKills; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    {
      auto db = Database::Open(DefaultFileSystem(), folder);
      ASSERT_TRUE(db.ok());
      (void)(*db)->Execute("DROP TABLE t");
      ASSERT_TRUE((*db)->Execute("CREATE TABLE t (id I NOT NULL, note M, more M)").ok());
    }
    int pipe_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(pipe_fds[0]);
      InsertUntilKilled(folder, pipe_fds[1]);
    }
    close(pipe_fds[1]);
    usleep(std::uniform_int_distribution<unsigned>(0, 30000)(random));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    int acknowledged = -1, last = 0;
    while (read(pipe_fds[0], &last, sizeof last) == sizeof last) acknowledged = last;
    close(pipe_fds[0]);

    auto db = Database::Open(DefaultFileSystem(), folder);
    ASSERT_TRUE(db.ok());
    auto cursor = (*db)->Query("SELECT * FROM t");
    ASSERT_TRUE(cursor.ok()) << cursor.status().ToString();
    std::vector<Value> row;
    int rows = 0;
    for (bool has_row = true;;) {
      Status read_status = (*cursor)->Next(&row, &has_row);
      ASSERT_TRUE(read_status.ok()) << read_status.ToString();
      if (!has_row) break;
      ASSERT_EQ(row[0], Value::Integer(rows));
      ASSERT_EQ(row[1], Value::Text(MemoFor(rows)));
      ASSERT_EQ(row[2], Value::Text("second"));
      ++rows;
    }
    EXPECT_GE(rows, acknowledged + 1);
    EXPECT_LE(rows, acknowledged + 2);
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace foxpro::sql
