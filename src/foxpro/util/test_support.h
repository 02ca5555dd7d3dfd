// For the engine's and the data-access layer's tests only: the few things a
// test needs from the system around it, the same on every system (a fresh
// temporary folder, whether the host's own programs can be started).
#ifndef QUILLOMAR_FOXPRO_UTIL_TEST_SUPPORT_H_
#define QUILLOMAR_FOXPRO_UTIL_TEST_SUPPORT_H_

#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace foxpro::test_support {

// Creates a new, empty folder named `prefix` plus a random number under the
// system's temporary folder ($TMPDIR or /tmp; %TEMP% on Windows) and returns
// its path; empty when none could be made.
inline std::string MakeTempFolder(std::string_view prefix) {
  std::error_code error;
  const std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) return {};
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path path = base / (std::string(prefix) + std::to_string(random()));
    if (std::filesystem::create_directory(path, error)) return path.string();
  }
  return {};
}

// True when a test may start the host's programs (/usr/bin/python3 and the
// readers it checks tables with). A Windows build never can: under Wine the
// host's files are visible, but its programs are not Windows programs.
inline bool CanRunHostPrograms(const char* program) {
#ifdef _WIN32
  (void)program;
  return false;
#else
  return std::filesystem::exists(program);
#endif
}

}  // namespace foxpro::test_support

#endif  // QUILLOMAR_FOXPRO_UTIL_TEST_SUPPORT_H_
