// FoxPro engine speed and memory against raw file access, in one run on one
// generated table with C, N, I, Y, D, T, L and M fields:
//   INSERT: statements through the provider (one INSERT per row) against a
//           raw append of the same record and memo bytes that keeps the
//           files consistent after every row (memo block, memo next-free
//           pointer, record, end-of-file byte, header count);
//   scan:   SELECT * through the provider against a raw sequential read of
//           the same .dbf with each record's memo read from the .fpt;
//   memory: the peak resident size (VmHWM, reset before each phase).
// Prints rates and ratios; the goals are INSERT >= 0.5x, scan >= 0.5x and a
// peak below 64 MiB whatever the row count.
//
// Usage: foxpro_bench [rows] [folder]   (default 1000000 rows, a temp folder)
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/foxpro/foxpro_provider.h"
#include "foxpro/dbf/table.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Wall-clock and processor time (user + system) of one phase. On a busy
// shared machine the processor time is the steadier figure.
struct Timing {
  double wall = 0;
  double cpu = 0;
};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

class Stopwatch {
 public:
  Stopwatch() : wall_(Clock::now()), cpu_(CpuSeconds()) {}
  Timing Elapsed() const {
    return {std::chrono::duration<double>(Clock::now() - wall_).count(), CpuSeconds() - cpu_};
  }

 private:
  Clock::time_point wall_;
  double cpu_;
};

// Peak resident memory in KiB since the last ResetPeakMemory().
long PeakMemoryKib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "foxpro_bench: %s\n", what.c_str());
  std::exit(1);
}

std::string MemoFor(std::int64_t i) {
  std::string memo = "memo of row " + std::to_string(i) + ": ";
  memo.append(static_cast<std::size_t>(i % 97), static_cast<char>('a' + i % 26));
  return memo;
}

std::string InsertFor(std::int64_t i) {
  char text[320];
  std::snprintf(text, sizeof text,
                "INSERT INTO bench VALUES ('customer %lld', %lld.%02lld, %lld, %lld.%04lld, "
                "'2024-%02lld-%02lld', '2024-05-06 %02lld:%02lld:%02lld', %s, '",
                static_cast<long long>(i), static_cast<long long>(i % 100000),
                static_cast<long long>(i % 100), static_cast<long long>(i),
                static_cast<long long>(i % 1000), static_cast<long long>(i % 10000),
                static_cast<long long>(1 + i % 12), static_cast<long long>(1 + i % 28),
                static_cast<long long>(i % 24), static_cast<long long>(i % 60),
                static_cast<long long>(i % 59), i % 2 ? ".T." : ".F.");
  return text + MemoFor(i) + "')";
}

void PutBe32(char* p, std::uint32_t v) {
  p[0] = static_cast<char>(v >> 24);
  p[1] = static_cast<char>(v >> 16);
  p[2] = static_cast<char>(v >> 8);
  p[3] = static_cast<char>(v);
}

std::uint32_t GetBe32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return std::uint32_t{u[0]} << 24 | std::uint32_t{u[1]} << 16 | std::uint32_t{u[2]} << 8 | u[3];
}

void WriteAt(int fd, std::uint64_t offset, const char* data, std::size_t n) {
  if (pwrite(fd, data, n, static_cast<off_t>(offset)) != static_cast<ssize_t>(n)) Fail("write");
}

// The layout facts the raw baselines need, from the engine-written table.
struct Layout {
  std::uint32_t header_length = 0;
  std::uint32_t record_length = 0;
  std::uint32_t memo_offset = 0;  // of the memo pointer in a record
};

Layout ReadLayout(const std::string& dbf) {
  auto table = foxpro::Table::Open(foxpro::DefaultFileSystem(), dbf);
  if (!table.ok()) Fail(table.status().ToString());
  Layout layout;
  layout.header_length = (*table)->header().header_length;
  layout.record_length = (*table)->header().record_length;
  layout.memo_offset =
      (*table)->fields()[static_cast<std::size_t>((*table)->FindField("m"))].offset;
  return layout;
}

// Phase 1: one INSERT per row through the provider.
Timing InsertThroughProvider(const std::string& folder, std::int64_t rows) {
  ado::Connection connection;
  connection.Open("Provider=vfpoledb.1;Data Source=" + folder);
  connection.Execute("CREATE TABLE bench (c C(20), n N(12,2), i I, y Y, d D, t T, l L, m M)");
  Stopwatch watch;
  for (std::int64_t i = 0; i < rows; ++i) connection.Execute(InsertFor(i));
  return watch.Elapsed();
}

// Phase 2: the same record and memo bytes appended by hand into a copy of
// the empty table, consistent on disk after every row. Source records are
// read 1,000 at a time so the reading costs little.
Timing AppendRaw(const std::string& source, const std::string& target, const Layout& layout,
                 std::int64_t rows) {
  int in = open(source.c_str(), O_RDONLY);
  int dbf = open(target.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  std::string memo_path = target.substr(0, target.size() - 3) + "fpt";
  int fpt = open(memo_path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || dbf < 0 || fpt < 0) Fail("cannot open the raw table files");
  std::string header(layout.header_length, '\0');
  if (pread(in, header.data(), header.size(), 0) != static_cast<ssize_t>(header.size()))
    Fail("read");
  std::memset(header.data() + 4, 0, 4);
  WriteAt(dbf, 0, header.data(), header.size());
  WriteAt(dbf, header.size(), "\x1A", 1);
  std::string memo_header(512, '\0');
  PutBe32(memo_header.data(), 512 / 64);
  memo_header[7] = 64;
  WriteAt(fpt, 0, memo_header.data(), memo_header.size());

  constexpr std::int64_t kChunk = 1000;
  std::string chunk(static_cast<std::size_t>(kChunk) * layout.record_length + 1, '\0');
  std::string block;
  std::uint32_t next_free = 512 / 64;
  Stopwatch watch;
  for (std::int64_t i = 0; i < rows; ++i) {
    const std::size_t slot = static_cast<std::size_t>(i % kChunk) * layout.record_length;
    if (slot == 0) {
      (void)pread(
          in, chunk.data(), chunk.size() - 1,
          static_cast<off_t>(layout.header_length + i * std::int64_t{layout.record_length}));
    }
    const std::string memo = MemoFor(i);
    block.assign(8, '\0');
    PutBe32(block.data(), 1);
    PutBe32(block.data() + 4, static_cast<std::uint32_t>(memo.size()));
    block += memo;
    WriteAt(fpt, std::uint64_t{next_free} * 64, block.data(), block.size());
    const std::uint32_t pointer = next_free;
    next_free += static_cast<std::uint32_t>((block.size() + 63) / 64);
    char head[4];
    PutBe32(head, next_free);
    WriteAt(fpt, 0, head, 4);
    char* record = chunk.data() + slot;
    std::memcpy(record + layout.memo_offset, &pointer, 4);
    const char saved = record[layout.record_length];  // the next record's deletion flag
    record[layout.record_length] = '\x1A';            // end-of-file byte written with the record
    WriteAt(dbf, layout.header_length + static_cast<std::uint64_t>(i) * layout.record_length,
            record, layout.record_length + 1u);
    record[layout.record_length] = saved;
    const auto count = static_cast<std::uint32_t>(i + 1);
    WriteAt(dbf, 4, reinterpret_cast<const char*>(&count), 4);
  }
  Timing timing = watch.Elapsed();
  close(in);
  close(dbf);
  close(fpt);
  return timing;
}

// Phase 3: SELECT * through the provider, every value touched.
Timing ScanThroughProvider(const std::string& folder, std::int64_t rows, std::uint64_t* checksum) {
  ado::Connection connection;
  connection.Open("Provider=vfpoledb.1;Data Source=" + folder);
  Stopwatch watch;
  ado::Recordset recordset;
  recordset.Open("SELECT * FROM bench", connection);
  std::int64_t seen = 0;
  for (; !recordset.IsEOF(); recordset.MoveNext(), ++seen) {
    for (int f = 0; f < recordset.FieldCount(); ++f) {
      const ado::Value& value = recordset.Fields(f).Value();
      *checksum += static_cast<std::uint64_t>(value.kind());
      if (value.kind() == ado::Value::Kind::kText) *checksum += value.AsText().size();
    }
  }
  if (seen != rows) Fail("the provider gave " + std::to_string(seen) + " rows");
  return watch.Elapsed();
}

// Phase 4: the same files read raw: records in 64 KiB reads, each memo with
// one read of its block header and first kilobyte (a second read only for a
// longer memo), as the engine itself reads memos.
Timing ScanRaw(const std::string& dbf_path, const Layout& layout, std::int64_t rows,
               std::uint64_t* checksum) {
  int dbf = open(dbf_path.c_str(), O_RDONLY);
  std::string memo_path = dbf_path.substr(0, dbf_path.size() - 3) + "fpt";
  int fpt = open(memo_path.c_str(), O_RDONLY);
  if (dbf < 0 || fpt < 0) Fail("cannot open the table for the raw read");
  Stopwatch watch;
  const std::size_t per_read = std::max<std::size_t>(1, 65536 / layout.record_length);
  std::string buffer(per_read * layout.record_length, '\0');
  std::string memo;
  char first[1024];
  std::int64_t done = 0;
  while (done < rows) {
    const auto n = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(per_read), rows - done));
    const auto offset = static_cast<off_t>(layout.header_length + done * layout.record_length);
    if (pread(dbf, buffer.data(), n * layout.record_length, offset) < 0) Fail("read");
    for (std::size_t r = 0; r < n; ++r) {
      const char* record = buffer.data() + r * layout.record_length;
      std::uint32_t block = 0;
      std::memcpy(&block, record + layout.memo_offset, 4);
      const auto at = static_cast<off_t>(std::uint64_t{block} * 64);
      if (pread(fpt, first, sizeof first, at) < 8) Fail("memo");
      const std::size_t length = GetBe32(first + 4);
      if (length <= sizeof first - 8) {
        memo.assign(first + 8, length);
      } else {
        memo.resize(length);
        if (pread(fpt, memo.data(), length, at + 8) < 0) Fail("memo");
      }
      *checksum += static_cast<unsigned char>(record[1]) + memo.size();
    }
    done += static_cast<std::int64_t>(n);
  }
  close(dbf);
  close(fpt);
  return watch.Elapsed();
}

void PrintRates(const char* what, std::int64_t rows, Timing ours, Timing raw) {
  const auto n = static_cast<double>(rows);
  std::printf(
      "%-7s provider %9.0f rows/s   raw %9.0f rows/s   ratio %.2fx (goal >= 0.50x)"
      "   processor time ratio %.2fx\n",
      what, n / ours.wall, n / raw.wall, raw.wall / ours.wall, raw.cpu / ours.cpu);
}

}  // namespace

int main(int argc, char** argv) {
  const std::int64_t rows = argc > 1 ? std::atoll(argv[1]) : 1000000;
  if (rows <= 0) Fail("usage: foxpro_bench [rows] [folder]");
  std::string folder;
  if (argc > 2) {
    folder = argv[2];
    fs::create_directories(folder);
  } else {
    std::string pattern = (fs::temp_directory_path() / "foxpro-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) Fail("cannot create a temp folder");
    folder = pattern;
  }
  const std::string raw_folder = folder + "/raw";
  fs::create_directories(raw_folder);
  ado::foxpro::RegisterFoxproProvider();
  std::printf("foxpro_bench: %lld rows in %s\n", static_cast<long long>(rows), folder.c_str());

  long peak = 0;
  ResetPeakMemory();
  const Timing insert_ours = InsertThroughProvider(folder, rows);
  peak = std::max(peak, PeakMemoryKib());
  const Layout layout = ReadLayout(folder + "/bench.dbf");
  const Timing insert_raw =
      AppendRaw(folder + "/bench.dbf", raw_folder + "/bench.dbf", layout, rows);

  std::uint64_t checksum = 0;
  ResetPeakMemory();
  const Timing scan_ours = ScanThroughProvider(folder, rows, &checksum);
  peak = std::max(peak, PeakMemoryKib());
  const Timing scan_raw = ScanRaw(folder + "/bench.dbf", layout, rows, &checksum);

  PrintRates("INSERT", rows, insert_ours, insert_raw);
  PrintRates("scan", rows, scan_ours, scan_raw);
  std::printf("memory  peak %.1f MiB during the provider phases (goal < 64 MiB)\n",
              static_cast<double>(peak) / 1024.0);
  // The raw copy must be a table the engine reads with every row.
  auto copy = foxpro::Table::Open(foxpro::DefaultFileSystem(), raw_folder + "/bench.dbf");
  if (!copy.ok() || (*copy)->record_count() != static_cast<std::uint64_t>(rows)) {
    Fail("the raw append did not leave a readable table");
  }
  std::printf("checksum %llu\n", static_cast<unsigned long long>(checksum));
  if (argc <= 2) fs::remove_all(folder);
  return 0;
}
