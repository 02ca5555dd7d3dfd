// Appending to damaged files: a memo file whose header holds an absurd
// next-free pointer or block size, or a table whose header counts more
// records than the file holds, must be reported as damaged and left as it
// was, never grown to gigabytes. Inputs found by the fuzzers.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "foxpro/fpt/memo_file.h"
#include "foxpro/sql/database.h"
#include "temp_folder.h"

namespace {

struct DamagedMemoCase {
  const char* what;
  std::string header_start;  // the first bytes of the 512-byte header
};

std::string Bytes(std::initializer_list<unsigned char> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

TEST(DamagedMemoAppend, NeverGrowsTheFileFarPastItsEnd) {
  const DamagedMemoCase cases[] = {
      // Block size 0xDA000000 in the wide form, next free block 2: the
      // append would start 7.3 GB into the file.
      {"huge block size", Bytes({0x00, 0x00, 0x00, 0x02, 0xDA, 0x00, 0x00, 0x00})},
      {"next free block far past the end", Bytes({0x7F, 0xFF, 0xFF, 0xF0, 0x00, 0x00, 0x00, 0x40})},
  };
  for (const DamagedMemoCase& c : cases) {
    SCOPED_TRACE(c.what);
    engine_test::TempFolder folder;
    const std::string path = folder.path() + "/m.fpt";
    std::string bytes = c.header_start;
    bytes.resize(1024, '\0');
    std::ofstream(path, std::ios::binary) << bytes;
    auto file = foxpro::DefaultFileSystem()->Open(path, foxpro::OpenMode::kReadWrite);
    ASSERT_TRUE(file.ok());
    auto memo = foxpro::MemoFile::Open(std::move(*file), "m.fpt", foxpro::MemoFile::Flavor::kFpt);
    if (!memo.ok()) continue;  // refusing the file at once is as good
    std::uint32_t block = 0;
    foxpro::Status status = (*memo)->Append("a memo", 1, &block);
    EXPECT_FALSE(status.ok()) << "appended at block " << block;
    EXPECT_LE(std::filesystem::file_size(path), bytes.size() + 65536);
  }
}

}  // namespace

// A table whose header counts more records than the file holds (cut short,
// or a damaged count): an INSERT must fail and leave the file as it was,
// not write its record gigabytes past the end.
TEST(DamagedTableAppend, RefusesAHeaderCountPastTheEndOfTheFile) {
  const std::uint32_t counts[] = {3, 1000, 0xFFFF086Bu};  // the last one found by the fuzzer
  for (std::uint32_t count : counts) {
    SCOPED_TRACE(count);
    engine_test::TempFolder folder;
    {
      auto database = foxpro::sql::Database::Open(foxpro::DefaultFileSystem(), folder.path());
      ASSERT_TRUE(database.ok());
      ASSERT_TRUE((*database)->Execute("CREATE TABLE t (a I, m M)").ok());
      ASSERT_TRUE((*database)->Execute("INSERT INTO t VALUES (1, 'one')").ok());
    }
    const std::string path = folder.path() + "/t.dbf";
    std::string bytes;
    {
      std::ifstream in(path, std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    for (unsigned i = 0; i < 4; ++i) bytes[4 + i] = static_cast<char>(count >> (8 * i));
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;

    auto database = foxpro::sql::Database::Open(foxpro::DefaultFileSystem(), folder.path());
    ASSERT_TRUE(database.ok());
    EXPECT_FALSE((*database)->Execute("INSERT INTO t VALUES (2, 'two')").ok());
    EXPECT_EQ(std::filesystem::file_size(path), bytes.size());
  }
}
