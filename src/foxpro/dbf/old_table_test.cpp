// FoxPro 2.x / Clipper tables built byte by byte: character fields wider
// than 255 bytes, whose width's high byte sits in the decimal count.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foxpro/dbf/dbf_format.h"
#include "foxpro/dbf/table.h"
#include "foxpro/util/mem_file_system.h"

namespace foxpro {
namespace {

constexpr char kPath[] = "/d/old.dbf";

struct RawField {
  const char* name;
  char type;
  std::uint8_t length;    // descriptor byte 16
  std::uint8_t decimals;  // descriptor byte 17
};

// A type-0x03 table with the given descriptors, record length and records
// (each record given without its deletion flag).
std::string OldTable(const std::vector<RawField>& fields, std::uint16_t record_length,
                     const std::vector<std::string>& records) {
  std::string header(dbf::kHeaderSize, '\0');
  header[dbf::kTypeOffset] = static_cast<char>(dbf::kTypeDbase3);
  header[dbf::kYearOffset] = 99;
  header[dbf::kMonthOffset] = 1;
  header[dbf::kDayOffset] = 1;
  auto count = static_cast<std::uint32_t>(records.size());
  std::memcpy(header.data() + dbf::kRecordCountOffset, &count, 4);
  auto header_length =
      static_cast<std::uint16_t>(dbf::kHeaderSize + fields.size() * dbf::kDescriptorSize + 1);
  std::memcpy(header.data() + dbf::kHeaderLengthOffset, &header_length, 2);
  std::memcpy(header.data() + dbf::kRecordLengthOffset, &record_length, 2);
  for (const RawField& f : fields) {
    std::string d(dbf::kDescriptorSize, '\0');
    std::memcpy(d.data(), f.name, std::strlen(f.name));
    d[dbf::kFieldTypeOffset] = f.type;
    d[dbf::kFieldLengthOffset] = static_cast<char>(f.length);
    d[dbf::kFieldDecimalsOffset] = static_cast<char>(f.decimals);
    header += d;
  }
  header.push_back(static_cast<char>(dbf::kFieldTerminator));
  for (const std::string& r : records) header += " " + r;
  header.push_back(dbf::kEndOfFile);
  return header;
}

std::string Padded(const std::string& text, std::size_t width) {
  return text + std::string(width - text.size(), ' ');
}

// NAME C(300) stored as length 44 / decimals 1, then AGE N(3).
const std::vector<RawField> kWide = {{"NAME", 'C', 44, 1}, {"AGE", 'N', 3, 0}};

TEST(OldTable, WideCharacterFieldReadsWithTheHighByte) {
  MemFileSystem fs;
  fs.AddDirectory("/d");
  std::string long_name = std::string(280, 'x') + "end";
  fs.SetFile(kPath, OldTable(kWide, 1 + 300 + 3,
                             {Padded("short", 300) + " 42", Padded(long_name, 300) + "  7"}));
  auto table = Table::Open(&fs, kPath, OpenOptions{true, 0});
  ASSERT_TRUE(table.ok()) << table.status().ToString();
  ASSERT_EQ((*table)->fields()[0].width, 300);
  EXPECT_EQ((*table)->fields()[0].decimals, 0);
  EXPECT_EQ((*table)->fields()[1].offset, 301u);
  Record record;
  ASSERT_TRUE((*table)->ReadRecord(1, &record).ok());
  EXPECT_EQ(record.values[0], Value::Text(long_name));
  EXPECT_EQ(record.values[1], Value::Numeric("7"));
  // Appending places the fields by the same reading.
  ASSERT_TRUE((*table)->Append({Value::Text(long_name + "!"), Value::Numeric("5")}).ok());
  auto reopened = Table::Open(&fs, kPath);
  ASSERT_TRUE(reopened.ok()) << reopened.status().ToString();
  ASSERT_TRUE((*reopened)->ReadRecord(2, &record).ok());
  EXPECT_EQ(record.values[0], Value::Text(long_name + "!"));
  EXPECT_EQ(record.values[1], Value::Numeric("5"));
}

struct LayoutCase {
  const char* label;
  std::vector<RawField> fields;
  std::uint16_t record_length;
  bool opens;
  std::uint16_t first_width;  // when it opens
};

TEST(OldTable, CharacterWidthReadingMustFitTheRecord) {
  const LayoutCase kCases[] = {
      // A decimal count on a character field that the record length says is
      // not a high byte (some writers leave junk there).
      {"narrow reading fits", {{"NAME", 'C', 44, 1}, {"AGE", 'N', 3, 0}}, 1 + 44 + 3, true, 44},
      {"wide reading fits", kWide, 1 + 300 + 3, true, 300},
      {"width 256: length byte 0", {{"NAME", 'C', 0, 1}}, 1 + 256, true, 256},
      {"neither reading fits", kWide, 1 + 200, false, 0},
      {"record longer than both", kWide, 1 + 400, false, 0},
  };
  for (const LayoutCase& c : kCases) {
    SCOPED_TRACE(c.label);
    MemFileSystem fs;
    fs.AddDirectory("/d");
    fs.SetFile(kPath,
               OldTable(c.fields, c.record_length, {std::string(c.record_length - 1u, ' ')}));
    auto table = Table::Open(&fs, kPath);
    if (!c.opens) {
      ASSERT_FALSE(table.ok());
      EXPECT_TRUE(table.status().IsCorruption());
      EXPECT_NE(table.status().message().find("old.dbf: the fields add up to neither the record "
                                              "length"),
                std::string::npos)
          << table.status().message();
      continue;
    }
    ASSERT_TRUE(table.ok()) << table.status().ToString();
    EXPECT_EQ((*table)->fields()[0].width, c.first_width);
    Record record;
    EXPECT_TRUE((*table)->ReadRecord(0, &record).ok());
  }
}

}  // namespace
}  // namespace foxpro
