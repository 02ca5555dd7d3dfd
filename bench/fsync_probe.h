// The disk's fsync time, printed by the benchmarks that run against servers
// at default durability: every durable commit waits for at least one.
#ifndef QUILLOMAR_BENCH_FSYNC_PROBE_H_
#define QUILLOMAR_BENCH_FSYNC_PROBE_H_

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

// Median and mean time of one 8 KiB appending write followed by fdatasync in
// `folder`, the pattern of a write-ahead log's commit, in milliseconds.
inline void PrintFsyncTime(const std::filesystem::path& folder) {
  const std::filesystem::path file = folder / "fsync-probe";
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) throw std::runtime_error("cannot create " + file.string());
  std::vector<char> block(8192, 'x');
  std::vector<double> times;
  for (int i = 0; i < 200; ++i) {
    const auto start = std::chrono::steady_clock::now();
    if (::write(fd, block.data(), block.size()) != static_cast<ssize_t>(block.size()) ||
        ::fdatasync(fd) != 0) {
      ::close(fd);
      throw std::runtime_error("write or fdatasync failed in " + folder.string());
    }
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  ::close(fd);
  std::filesystem::remove(file);
  double sum = 0;
  for (double t : times) sum += t;
  std::sort(times.begin(), times.end());
  std::printf(
      "disk: 8 KiB write + fdatasync in %s: median %.2f ms, mean %.2f ms, fastest %.2f ms "
      "(at most %.0f durable commits per second)\n",
      folder.c_str(), times[times.size() / 2], sum / static_cast<double>(times.size()),
      times.front(), 1000 / times[times.size() / 2]);
}

}  // namespace bench

#endif  // QUILLOMAR_BENCH_FSYNC_PROBE_H_
