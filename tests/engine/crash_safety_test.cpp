// Kills a process in the middle of a run of INSERTs and checks what the
// table holds afterwards: every row whose INSERT returned, intact, and at
// most the one row that was being written, also intact. The child reports
// each returned INSERT over a pipe; the parent kills it with SIGKILL after a
// pseudo-random number of reports plus a pseudo-random pause, 50 times with
// a fixed seed.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "foxpro/dbf/table.h"
#include "foxpro/sql/database.h"
#include "temp_folder.h"

namespace {

using foxpro::Value;

constexpr int kRowsPerRun = 1000;
constexpr int kRuns = 50;

const char kCreate[] =
    "CREATE TABLE journal (id I NOT NULL, label C(16) NOT NULL, amount N(10,2) NULL,"
    " stamp T NULL, note M NULL)";

// The memo of row `i`: a varying length (0 to a few hundred bytes, so some
// memos cross block boundaries), an apostrophe and a line break.
std::string NoteFor(int i) {
  if (i % 10 == 3) return "";
  std::string note = "row " + std::to_string(i) + " isn't short\r\n";
  note.append(static_cast<std::size_t>((i * 37) % 300), static_cast<char>('a' + i % 26));
  return note;
}

std::string AmountFor(int i) {
  return std::to_string(i * 7 / 100) + "." + std::to_string(10 + i % 90);
}

std::string InsertFor(int i) {
  std::string note;
  for (char c : NoteFor(i)) {
    note += c;
    if (c == '\'') note += '\'';
  }
  std::string amount = i % 17 == 0 ? "NULL" : AmountFor(i);
  return "INSERT INTO journal VALUES (" + std::to_string(i) + ", 'label " + std::to_string(i) +
         "', " + amount + ", '2024-05-06 07:08:" + std::to_string(10 + i % 50) + "', '" + note +
         "')";
}

// The values row `i` must read back as, in field order.
std::vector<Value> ExpectedRow(int i) {
  foxpro::DateTime stamp{{2024, 5, 6}, 7, 8, 10 + i % 50, 0};
  return {Value::Integer(i), Value::Text("label " + std::to_string(i)),
          i % 17 == 0 ? Value::Null() : Value::Numeric(AmountFor(i)), Value::FromDateTime(stamp),
          Value::Text(NoteFor(i))};
}

// Child side: opens the folder, inserts rows and writes each returned row's
// number to `report`. Never returns.
[[noreturn]] void InsertRows(const std::string& folder, int report) {
  auto database = foxpro::sql::Database::Open(foxpro::DefaultFileSystem(), folder);
  if (!database.ok()) _exit(3);
  for (int i = 0; i < kRowsPerRun; ++i) {
    if (!(*database)->Execute(InsertFor(i)).ok()) _exit(4);
    std::int32_t row = i;
    if (write(report, &row, sizeof row) != sizeof row) _exit(5);
  }
  _exit(0);
}

// Reads every report the child left in the pipe, up to `stop_after` (or to
// the end when negative). Returns false when a report is out of order.
bool ReadReports(int fd, int stop_after, int* acknowledged) {
  std::int32_t row = 0;
  while (stop_after < 0 || *acknowledged < stop_after) {
    ssize_t n = read(fd, &row, sizeof row);
    if (n != static_cast<ssize_t>(sizeof row)) break;
    if (row != *acknowledged) return false;
    ++*acknowledged;
  }
  return true;
}

class CrashSafety : public ::testing::Test {
 protected:
  void CreateTable() {
    auto database = foxpro::sql::Database::Open(foxpro::DefaultFileSystem(), folder_.path());
    ASSERT_TRUE(database.ok()) << database.status().ToString();
    ASSERT_TRUE((*database)->Execute(kCreate).ok());
  }

  // Runs a child and kills it; returns the number of acknowledged rows.
  int InsertAndKill(int kill_after_reports, int pause_microseconds) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    pid_t child = fork();
    if (child == 0) {
      close(fds[0]);
      InsertRows(folder_.path(), fds[1]);
    }
    close(fds[1]);
    int acknowledged = 0;
    bool in_order = ReadReports(fds[0], kill_after_reports, &acknowledged);
    std::this_thread::sleep_for(std::chrono::microseconds(pause_microseconds));
    kill(child, SIGKILL);
    int wait_status = 0;
    waitpid(child, &wait_status, 0);
    in_order = in_order && ReadReports(fds[0], -1, &acknowledged);
    close(fds[0]);
    EXPECT_TRUE(in_order) << "reports out of order";
    // A child that ended by itself must have inserted everything.
    if (WIFEXITED(wait_status)) {
      EXPECT_EQ(WEXITSTATUS(wait_status), 0);
    }
    return acknowledged;
  }

  // The table holds the acknowledged rows (perhaps one more), all intact.
  void ExpectRows(int acknowledged) {
    auto table = foxpro::Table::Open(foxpro::DefaultFileSystem(), folder_.path() + "/journal.dbf");
    ASSERT_TRUE(table.ok()) << table.status().ToString();
    const std::uint32_t count = (*table)->record_count();
    EXPECT_EQ((*table)->header().record_count, count) << "header count disagrees with file size";
    ASSERT_GE(count, static_cast<std::uint32_t>(acknowledged));
    ASSERT_LE(count, static_cast<std::uint32_t>(acknowledged) + 1);
    foxpro::Record record;
    for (std::uint32_t i = 0; i < count; ++i) {
      foxpro::Status status = (*table)->ReadRecord(i, &record);
      ASSERT_TRUE(status.ok()) << "record " << i + 1 << ": " << status.ToString();
      EXPECT_FALSE(record.deleted);
      std::vector<Value> expected = ExpectedRow(static_cast<int>(i));
      ASSERT_EQ(record.values.size(), expected.size());
      for (std::size_t f = 0; f < expected.size(); ++f) {
        ASSERT_EQ(record.values[f], expected[f])
            << "record " << i + 1 << " field " << f << ": " << DebugString(record.values[f]);
      }
    }
  }

  // After the crash the table still takes rows, and the new row is the last.
  void ExpectAppendable() {
    auto table = foxpro::Table::Open(foxpro::DefaultFileSystem(), folder_.path() + "/journal.dbf");
    ASSERT_TRUE(table.ok());
    const std::uint32_t before = (*table)->record_count();
    table->reset();
    auto database = foxpro::sql::Database::Open(foxpro::DefaultFileSystem(), folder_.path());
    ASSERT_TRUE(database.ok());
    const int row = static_cast<int>(before);
    foxpro::Status status = (*database)->Execute(InsertFor(row));
    ASSERT_TRUE(status.ok()) << status.ToString();
    database->reset();
    ExpectRows(row + 1);
  }

  engine_test::TempFolder folder_;
};

TEST_F(CrashSafety, KilledInsertsLeaveExactlyTheAcknowledgedRows) {
  ASSERT_FALSE(folder_.path().empty());
  std::mt19937 random(20240506);
  for (int run = 0; run < kRuns; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    std::filesystem::remove_all(folder_.path());
    std::filesystem::create_directory(folder_.path());
    CreateTable();
    const int kill_after = static_cast<int>(random() % kRowsPerRun);
    const int pause = static_cast<int>(random() % 300);
    const int acknowledged = InsertAndKill(kill_after, pause);
    ASSERT_GE(acknowledged, kill_after);
    ExpectRows(acknowledged);
    ExpectAppendable();
    if (HasFatalFailure()) return;
  }
}

}  // namespace
