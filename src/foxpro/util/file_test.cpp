// The real file system (posix_file.cpp or win32_file.cpp, whichever this
// system builds) against the promises of file.h, in a temporary folder; and
// the path separators of this system.
#include "foxpro/util/file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "foxpro/util/local_time.h"
#include "foxpro/util/test_support.h"

namespace foxpro {
namespace {

class RealFileSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = test_support::MakeTempFolder("foxpro_file_");
    ASSERT_FALSE(folder_.empty());
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  std::unique_ptr<File> OpenOrDie(const std::string& name, OpenMode mode) {
    auto file = fs_->Open(Path(name), mode);
    EXPECT_TRUE(file.ok()) << file.status().ToString();
    return file.ok() ? std::move(*file) : nullptr;
  }

  FileSystem* fs_ = DefaultFileSystem();
  std::string folder_;
};

TEST_F(RealFileSystem, OpenModesReportMissingAndExistingFiles) {
  EXPECT_TRUE(fs_->Open(Path("absent.dbf"), OpenMode::kRead).status().IsNotFound());
  EXPECT_TRUE(fs_->Open(Path("absent.dbf"), OpenMode::kReadWrite).status().IsNotFound());
  ASSERT_NE(OpenOrDie("t.dbf", OpenMode::kCreateExclusive), nullptr);
  EXPECT_TRUE(fs_->Open(Path("t.dbf"), OpenMode::kCreateExclusive).status().IsAlreadyExists());
  EXPECT_FALSE(fs_->Open(folder_, OpenMode::kRead).ok()) << "a folder is no file";
  EXPECT_FALSE(fs_->Open(Path(std::string("a\0b", 3)), OpenMode::kRead).ok());
}

TEST_F(RealFileSystem, PositionedWritesGrowTheFileAndReadBack) {
  auto file = OpenOrDie("t.dbf", OpenMode::kCreateExclusive);
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(file->WriteAt(0, "header").ok());
  ASSERT_TRUE(file->WriteAt(10, "tail").ok());  // a gap of four zero bytes
  EXPECT_EQ(*file->Size(), 14u);
  std::string all;
  ASSERT_TRUE(ReadString(file.get(), 0, 100, &all).ok());
  EXPECT_EQ(all, std::string("header\0\0\0\0tail", 14));
  std::string past;
  ASSERT_TRUE(ReadString(file.get(), 50, 8, &past).ok());
  EXPECT_EQ(past, "") << "reading past the end gives nothing, not an error";
  ASSERT_TRUE(file->Truncate(3).ok());
  EXPECT_EQ(*file->Size(), 3u);
  ASSERT_TRUE(file->Truncate(5).ok());
  ASSERT_TRUE(ReadString(file.get(), 0, 100, &all).ok());
  EXPECT_EQ(all, std::string("hea\0\0", 5));
  EXPECT_TRUE(file->Sync().ok());
}

TEST_F(RealFileSystem, ListsRemovesAndTellsFilesFromFolders) {
  ASSERT_NE(OpenOrDie("b.dbf", OpenMode::kCreateExclusive), nullptr);
  ASSERT_NE(OpenOrDie("Müller.dbf", OpenMode::kCreateExclusive), nullptr);
  std::filesystem::create_directory(Path("sub"));
  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(fs_->List(folder_, &entries).ok());
  std::vector<std::string> names;
  for (const DirectoryEntry& e : entries) names.push_back(e.name + (e.is_directory ? "/" : ""));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Müller.dbf", "b.dbf", "sub/"}));
  EXPECT_TRUE(fs_->IsFile(Path("Müller.dbf")));
  EXPECT_FALSE(fs_->IsDirectory(Path("Müller.dbf")));
  EXPECT_TRUE(fs_->IsDirectory(Path("sub")));
  EXPECT_FALSE(fs_->IsFile(Path("sub")));
  ASSERT_TRUE(fs_->Remove(Path("b.dbf")).ok());
  EXPECT_TRUE(fs_->Remove(Path("b.dbf")).IsNotFound());
  EXPECT_TRUE(fs_->List(Path("absent"), &entries).IsNotFound());
}

TEST(PathSeparators, SplitWhereThisSystemDoes) {
  const bool windows = IsPathSeparator('\\');
  struct Case {
    const char* path;
    std::size_t posix;    // the last separator on POSIX systems
    std::size_t windows;  // and on Windows
  };
  constexpr std::size_t npos = std::string_view::npos;
  const Case cases[] = {
      {"orders.dbf", npos, npos},    {"/data/orders.dbf", 5, 5}, {"C:\\data\\orders.dbf", npos, 7},
      {"C:\\data/orders.dbf", 7, 7}, {"a\\b", npos, 1},          {"", npos, npos},
  };
  EXPECT_TRUE(IsPathSeparator('/'));
  for (const Case& c : cases) {
    EXPECT_EQ(LastPathSeparator(c.path), windows ? c.windows : c.posix) << c.path;
  }
}

TEST(LocalTime, BreaksDownInTheLocalZone) {
  const std::tm now = LocalNow();
  EXPECT_GE(now.tm_year, 126);  // 2026 or later
  EXPECT_GE(now.tm_mon, 0);
  EXPECT_LE(now.tm_mon, 11);
  EXPECT_GE(now.tm_mday, 1);
  // 1971-01-01 00:00 UTC is that day or the evening before in any zone.
  const std::tm day = LocalTime(std::time_t{86400 * 365});
  const bool new_year = day.tm_year == 71 && day.tm_mon == 0 && day.tm_mday == 1;
  const bool eve = day.tm_year == 70 && day.tm_mon == 11 && day.tm_mday == 31;
  EXPECT_TRUE(new_year || eve) << day.tm_year << "-" << day.tm_mon << "-" << day.tm_mday;
}

}  // namespace
}  // namespace foxpro
