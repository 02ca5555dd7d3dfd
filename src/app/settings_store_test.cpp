// The settings store on disk: exact round trips, the first start, and files
// that cannot be written or do not parse.
#include "app/settings_store.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>

namespace app {
namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  QString FilePath() const { return dir_.filePath("Tolvane.ini"); }
  std::string FileText() const {
    QFile file(FilePath());
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().toStdString();
  }
  void WriteFile(const QByteArray& bytes) {
    QFile file(FilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
  }

  QTemporaryDir dir_;
};

TEST_F(SettingsStoreTest, EveryTextComesBackExactlyFromDisk) {
  const std::string values[] = {
      "",
      " leading and trailing blanks ",
      "C:\\Data\\Northwind\\northwind.dbc",
      "\\\\server\\share\\",
      "say \"hi\" and 'bye'",
      "a;b;c",
      "key=value=more",
      "M\xC3\xBCller \xE2\x80\x93 \xE2\x9C\x93",
      "a, b, c",
      "# not a comment",
      "[Quillomar]",
      "@Invalid()",
      "tab\there",
      "1",
      "2",
      "3",
  };
  for (const std::string& value : values) {
    {
      SettingsStore store(FilePath());
      store.Write(kDataSourceNameKey, value);
      store.Write(kFoxproOptionKey, value);
    }
    // A fresh store reads the file that the first one synced.
    SettingsStore reread(FilePath());
    EXPECT_EQ(reread.Read(kDataSourceNameKey), value) << value;
    EXPECT_EQ(reread.Read(kFoxproOptionKey), value) << value;
    EXPECT_EQ(reread.status(), QSettings::NoError) << value;
  }
  EXPECT_NE(FileText().find("[Quillomar]"), std::string::npos);
}

TEST_F(SettingsStoreTest, EachWriteReachesTheDiskAtOnce) {
  SettingsStore store(FilePath());
  store.Write(kDbcFileKey, "/data/a.dbc");
  // Read while the writing store is still alive.
  EXPECT_EQ(SettingsStore(FilePath()).Read(kDbcFileKey), "/data/a.dbc");
  store.Write(kDbcFileKey, "");
  EXPECT_EQ(SettingsStore(FilePath()).Read(kDbcFileKey), "");
}

TEST_F(SettingsStoreTest, FirstStartReadsEmptyTextsAndCreatesNoFile) {
  SettingsStore store(FilePath());
  for (const char* key : {kDbcFileKey, kFreeTableFolderKey, kDataSourceNameKey, kFoxproOptionKey}) {
    EXPECT_EQ(store.Read(key), "") << key;
  }
  EXPECT_FALSE(QFile::exists(FilePath()));
}

TEST_F(SettingsStoreTest, UnwritableFileKeepsValuesForThisRunOnly) {
  // A folder where the file should be cannot be written, even by root.
  ASSERT_TRUE(QDir(dir_.path()).mkdir("Tolvane.ini"));
  SettingsStore store(FilePath());
  EXPECT_EQ(store.Read(kDataSourceNameKey), "");
  EXPECT_NO_THROW(store.Write(kDataSourceNameKey, "kept in memory"));
  EXPECT_EQ(store.Read(kDataSourceNameKey), "kept in memory");
  EXPECT_EQ(store.status(), QSettings::AccessError);
}

TEST_F(SettingsStoreTest, CorruptFileGivesWhatParsedAndLaterWritesWork) {
  WriteFile(
      "garbage without equals\n[Quill\n[Quillomar]\nDataSourceName=QuillomarSample\n"
      "\xc3(broken utf8=\xe2\x28\n" +
      QByteArray("nul\0inside=x\n", 14));
  {
    SettingsStore store(FilePath());
    EXPECT_EQ(store.Read(kDataSourceNameKey), "QuillomarSample");
    EXPECT_EQ(store.Read(kDbcFileKey), "");
    store.Write(kDbcFileKey, "/data/new.dbc");
  }
  SettingsStore reread(FilePath());
  EXPECT_EQ(reread.Read(kDbcFileKey), "/data/new.dbc");
  EXPECT_EQ(reread.Read(kDataSourceNameKey), "QuillomarSample");
}

TEST_F(SettingsStoreTest, HandEditedListValueKeepsItsText) {
  WriteFile("[Quillomar]\nFreeTableFolder=/data/a, b\n");
  EXPECT_EQ(SettingsStore(FilePath()).Read(kFreeTableFolderKey), "/data/a, b");
}

TEST(SettingsStoreLocation, UserFileUnderTheConfigurationFolder) {
  // main() pointed XDG_CONFIG_HOME at a temporary folder before any store.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  ASSERT_NE(config, nullptr);
  SettingsStore store;
  EXPECT_EQ(store.FileName(), QDir(config).filePath("Tolvane.ini"));
  store.Write(kFoxproOptionKey, "2");
  QSettings direct(QDir(config).filePath("Tolvane.ini"), QSettings::IniFormat);
  EXPECT_EQ(direct.value("Quillomar/FoxproOption").toString(), "2");
}

}  // namespace
}  // namespace app

int main(int argc, char** argv) {
  // The store's default location is fixed at its first use: point it at a
  // private folder before anything else runs.
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
