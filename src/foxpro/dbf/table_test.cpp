// Table round trips, damaged files and write faults, on an in-memory file
// system.
#include "foxpro/dbf/table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "foxpro/dbf/dbf_format.h"
#include "foxpro/util/mem_file_system.h"

namespace foxpro {
namespace {

constexpr char kFolder[] = "/data";
constexpr char kPath[] = "/data/t.dbf";

FieldLayout Field(const char* name, char type, int width = 0, int decimals = 0, bool nullable = false,
                bool binary = false) {
  FieldLayout layout;
  layout.name = name;
  layout.type = type;
  layout.width = width;
  layout.decimals = decimals;
  layout.nullable = nullable;
  layout.binary = binary;
  return layout;
}

DateTime At(int y, int mo, int d, int h, int mi, int s, int ms) {
  return DateTime{{y, mo, d}, h, mi, s, ms};
}

class TableTest : public ::testing::Test {
 protected:
  void SetUp() override { fs_.AddDirectory(kFolder); }

  std::unique_ptr<Table> Create(std::vector<FieldLayout> fields, std::uint8_t mark = 0x03) {
    TableLayout layout;
    layout.fields = std::move(fields);
    layout.codepage_mark = mark;
    auto table = Table::Create(&fs_, kPath, layout);
    EXPECT_TRUE(table.ok()) << table.status().ToString();
    return table.ok() ? std::move(*table) : nullptr;
  }

  std::unique_ptr<Table> Reopen(bool writable = false) {
    auto table = Table::Open(&fs_, kPath, OpenOptions{writable, 0});
    EXPECT_TRUE(table.ok()) << table.status().ToString();
    return table.ok() ? std::move(*table) : nullptr;
  }

  std::vector<Value> Read(Table* table, std::uint32_t index) {
    Record record;
    Status status = table->ReadRecord(index, &record);
    EXPECT_TRUE(status.ok()) << status.ToString();
    return record.values;
  }

  MemFileSystem fs_;
};

struct RoundTripCase {
  const char* label;
  FieldLayout field;
  Value written;
  Value expected;  // what reading gives back
};

std::vector<RoundTripCase> RoundTripCases() {
  std::string all_bytes;
  for (int i = 0; i < 256; ++i) all_bytes.push_back(static_cast<char>(i));
  std::string mib(1 << 20, 'x');
  for (std::size_t i = 0; i < mib.size(); i += 97) mib[i] = '\n';
  return {
      {"char full width", Field("C", 'C', 254), Value::Text(std::string(254, 'z')),
       Value::Text(std::string(254, 'z'))},
      {"char trailing blanks are not kept", Field("C", 'C', 10), Value::Text("ab  "),
       Value::Text("ab")},
      {"char apostrophe and line breaks", Field("C", 'C', 20), Value::Text("O'Hara\r\nx"),
       Value::Text("O'Hara\r\nx")},
      {"char null", Field("C", 'C', 5, 0, true), Value::Null(), Value::Null()},
      {"char binary", Field("C", 'C', 4, 0, false, true), Value::Bytes("\x01\xff\x02z"),
       Value::Bytes("\x01\xff\x02z")},
      {"varchar shorter", Field("V", 'V', 10), Value::Text("abc "), Value::Text("abc ")},
      {"varchar width minus one", Field("V", 'V', 10), Value::Text("123456789"),
       Value::Text("123456789")},
      {"varchar full", Field("V", 'V', 10), Value::Text("1234567890"), Value::Text("1234567890")},
      {"varchar empty", Field("V", 'V', 10), Value::Text(""), Value::Text("")},
      {"varchar null", Field("V", 'V', 10, 0, true), Value::Null(), Value::Null()},
      {"varbinary with zeros", Field("Q", 'Q', 5), Value::Bytes(std::string("\0a\0", 3)),
       Value::Bytes(std::string("\0a\0", 3))},
      {"memo one mebibyte", Field("M", 'M'), Value::Text(mib), Value::Text(mib)},
      {"memo CR LF apostrophes", Field("M", 'M'), Value::Text("it's\r\nO''k\n"),
       Value::Text("it's\r\nO''k\n")},
      {"memo empty", Field("M", 'M'), Value::Text(""), Value::Text("")},
      {"memo null", Field("M", 'M', 0, 0, true), Value::Null(), Value::Null()},
      {"blob every byte", Field("W", 'W'), Value::Bytes(all_bytes), Value::Bytes(all_bytes)},
      {"general", Field("G", 'G'), Value::Bytes("OLE"), Value::Bytes("OLE")},
      {"binary memo", Field("M", 'M', 0, 0, false, true), Value::Bytes(all_bytes),
       Value::Bytes(all_bytes)},
      {"numeric negative", Field("N", 'N', 10, 2), Value::Numeric("-1234.5"),
       Value::Numeric("-1234.50")},
      {"numeric rounds half up", Field("N", 'N', 6, 2), Value::Numeric("1.005"),
       Value::Numeric("1.01")},
      {"numeric twenty digits", Field("N", 'N', 20), Value::Numeric("99999999999999999999"),
       Value::Numeric("99999999999999999999")},
      {"numeric null", Field("N", 'N', 5, 0, true), Value::Null(), Value::Null()},
      {"float", Field("F", 'F', 12, 4), Value::Double(0.125), Value::Numeric("0.1250")},
      {"integer min", Field("I", 'I'), Value::Integer(std::numeric_limits<std::int32_t>::min()),
       Value::Integer(std::numeric_limits<std::int32_t>::min())},
      {"integer max", Field("I", 'I'), Value::Integer(std::numeric_limits<std::int32_t>::max()),
       Value::Integer(std::numeric_limits<std::int32_t>::max())},
      {"double", Field("B", 'B', 0, 3), Value::Double(-1.5e300), Value::Double(-1.5e300)},
      {"currency negative", Field("Y", 'Y'), Value::Currency(-9223372036854775807LL - 1),
       Value::Currency(-9223372036854775807LL - 1)},
      {"currency from text", Field("Y", 'Y'), Value::Numeric("-12.34567"),
       Value::Currency(-123457)},
      {"date", Field("D", 'D'), Value::FromDate({9999, 12, 31}), Value::FromDate({9999, 12, 31})},
      {"date empty", Field("D", 'D'), Value::Text(""), Value::Null()},
      {"datetime with milliseconds", Field("T", 'T'),
       Value::FromDateTime(At(2024, 2, 29, 23, 59, 59, 999)),
       Value::FromDateTime(At(2024, 2, 29, 23, 59, 59, 999))},
      {"datetime before 1900", Field("T", 'T'),
       Value::FromDateTime(At(1899, 12, 30, 13, 35, 38, 0)),
       Value::FromDateTime(At(1899, 12, 30, 13, 35, 38, 0))},
      {"datetime null", Field("T", 'T', 0, 0, true), Value::Null(), Value::Null()},
      {"logical true", Field("L", 'L'), Value::Logical(true), Value::Logical(true)},
      {"logical null", Field("L", 'L', 0, 0, true), Value::Null(), Value::Null()},
  };
}

TEST_F(TableTest, EveryTypeRoundTrips) {
  for (const RoundTripCase& c : RoundTripCases()) {
    SCOPED_TRACE(c.label);
    fs_ = MemFileSystem();
    fs_.AddDirectory(kFolder);
    // A neighbour field on both sides catches offset and null-bit mistakes.
    auto table =
        Create({Field("BEFORE", 'C', 3, 0, true), c.field, Field("AFTER", 'V', 4, 0, true)});
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(table->Append({Value::Text("b"), c.written, Value::Null()}).ok());
    ASSERT_TRUE(table->Append({Value::Null(), c.written, Value::Text("a")}).ok());
    auto reopened = Reopen();
    ASSERT_NE(reopened, nullptr);
    ASSERT_EQ(reopened->record_count(), 2u);
    std::vector<Value> first = Read(reopened.get(), 0);
    EXPECT_EQ(first[0], Value::Text("b"));
    EXPECT_EQ(first[1], c.expected) << DebugString(first[1]).substr(0, 80);
    EXPECT_EQ(first[2], Value::Null());
    std::vector<Value> second = Read(reopened.get(), 1);
    EXPECT_EQ(second[0], Value::Null());
    EXPECT_EQ(second[1], c.expected);
    EXPECT_EQ(second[2], Value::Text("a"));
  }
}

struct CodePageCase {
  std::uint8_t mark;
  const char* text;
};

TEST_F(TableTest, NonAsciiTextRoundTripsInItsCodePage) {
  const CodePageCase cases[] = {
      {0x03, "Müller – café €"},
      {0xC9, "Жизнь, ёлка"},
      {0xC8, "Łódź, žluťoučký kůň"},
      {0x7B, "日本語テキスト"},
  };
  for (const CodePageCase& c : cases) {
    SCOPED_TRACE(c.text);
    fs_ = MemFileSystem();
    fs_.AddDirectory(kFolder);
    auto table = Create({Field("NAME", 'C', 40), Field("NOTE", 'M')}, c.mark);
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(table->Append({Value::Text(c.text), Value::Text(c.text)}).ok());
    auto reopened = Reopen();
    std::vector<Value> values = Read(reopened.get(), 0);
    EXPECT_EQ(values[0], Value::Text(c.text));
    EXPECT_EQ(values[1], Value::Text(c.text));
  }
}

TEST_F(TableTest, NonAsciiFieldNamesAreBytesOfTheCodePage) {
  const struct {
    std::uint8_t mark;
    const char* name;
    const char* stored;  // descriptor bytes; nullptr when refused
    const char* read;    // the name as read back
  } cases[] = {
      {0x03, "größe", "GR\xF6\xDF" "E", "GRößE"},
      {0xC9, "имя", "\xE8\xEC\xFF", "имя"},
      {0x7A, "名字", "\xC3\xFB\xD7\xD6", "名字"},
      {0x7A, "名字名字名字", nullptr, ""},  // 12 bytes
      {0x03, "имя", nullptr, ""},           // not in 1252
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs_ = MemFileSystem();
    fs_.AddDirectory(kFolder);
    TableLayout layout;
    layout.fields = {Field(c.name, 'C', 4)};
    layout.codepage_mark = c.mark;
    auto created = Table::Create(&fs_, kPath, layout);
    if (c.stored == nullptr) {
      ASSERT_FALSE(created.ok());
      EXPECT_TRUE(created.status().IsInvalidArgument());
      EXPECT_NE(created.status().message().find(c.name), std::string::npos);
      continue;
    }
    ASSERT_TRUE(created.ok()) << created.status().ToString();
    created->reset();
    EXPECT_EQ(fs_.GetFile(kPath).substr(32, std::strlen(c.stored) + 1),
              std::string(c.stored) + '\0');
    auto table = Reopen();
    EXPECT_EQ(table->fields()[0].name, c.read);
    EXPECT_EQ(table->FindField(c.read), 0);
  }
}

TEST_F(TableTest, CharacterOutsideTheCodePageFailsNamingFieldAndCharacter) {
  auto table = Create({Field("CITY", 'C', 10)}, 0x03);
  Status status = table->Append({Value::Text("Москва")});
  ASSERT_TRUE(status.IsInvalidArgument());
  EXPECT_NE(status.message().find("CITY"), std::string::npos) << status.message();
  EXPECT_NE(status.message().find("'М'"), std::string::npos) << status.message();
  EXPECT_EQ(Reopen()->record_count(), 0u);
}

TEST_F(TableTest, RefusesValuesThatDoNotFit) {
  auto table =
      Create({Field("N", 'N', 5, 2), Field("C", 'C', 3), Field("I", 'I'), Field("D", 'D')});
  std::vector<std::vector<Value>> bad = {
      {Value::Numeric("100"), Value::Text(""), Value::Integer(0), Value::Text("")},
      {Value::Numeric("1"), Value::Text("abcd"), Value::Integer(0), Value::Text("")},
      {Value::Numeric("1"), Value::Text(""), Value::Integer(1LL << 40), Value::Text("")},
      {Value::Numeric("1"), Value::Text(""), Value::Integer(0), Value::FromDate({2023, 2, 29})},
      {Value::Numeric("1"), Value::Text(""), Value::Integer(0),
       Value::Null()},  // null in NOT NULL D
  };
  for (const auto& values : bad) {
    Status status = table->Append(values);
    EXPECT_TRUE(status.IsInvalidArgument()) << status.ToString();
  }
  EXPECT_EQ(Reopen()->record_count(), 0u);
}

TEST_F(TableTest, HeaderMatchesWhatFoxProWrites) {
  auto table = Create({Field("ID", 'I'), Field("NAME", 'V', 20, 0, true), Field("PRICE", 'Y'),
                       Field("NOTES", 'M')});
  std::string bytes = fs_.GetFile(kPath);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x32);  // V field
  EXPECT_EQ(bytes[dbf::kTableFlagsOffset], dbf::kFlagHasMemo);
  std::size_t fields = 5;  // four and _NullFlags
  EXPECT_EQ(bytes.size(), 32 + 32 * fields + 1 + 263 + 1);
  EXPECT_EQ(bytes.back(), dbf::kEndOfFile);
  const char* nullflags = bytes.data() + 32 + 32 * 4;
  EXPECT_EQ(std::string(nullflags), "_NullFlags");
  EXPECT_EQ(static_cast<unsigned char>(nullflags[dbf::kFieldFlagsOffset]), 0x05);
  EXPECT_EQ(static_cast<unsigned char>(bytes[32 + dbf::kFieldFlagsOffset]), 0x04);  // I
  EXPECT_EQ(static_cast<unsigned char>(bytes[64 + dbf::kFieldFlagsOffset]), 0x02);  // V null
  EXPECT_EQ(static_cast<unsigned char>(bytes[96 + dbf::kFieldFlagsOffset]), 0x04);  // Y
  std::string memo = fs_.GetFile("/data/t.fpt");
  ASSERT_EQ(memo.size(), 512u);
  EXPECT_EQ(memo.substr(0, 8), std::string("\0\0\0\x08\0\0\0\x40", 8));
}

TEST_F(TableTest, EveryAppendLeavesTheFilesConsistent) {
  auto table = Create({Field("ID", 'I'), Field("NOTES", 'M')});
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(table
                    ->Append({Value::Integer(i),
                              Value::Text(std::string(static_cast<std::size_t>(i * 7), 'm'))})
                    .ok());
    std::string bytes = fs_.GetFile(kPath);
    std::uint32_t count;
    std::memcpy(&count, bytes.data() + 4, 4);
    EXPECT_EQ(count, static_cast<std::uint32_t>(i + 1));
    std::uint16_t header_length, record_length;
    std::memcpy(&header_length, bytes.data() + 8, 2);
    std::memcpy(&record_length, bytes.data() + 10, 2);
    EXPECT_EQ(bytes.size(), header_length + count * record_length + 1u);
    EXPECT_EQ(bytes.back(), dbf::kEndOfFile);
    std::string memo = fs_.GetFile("/data/t.fpt");
    auto next_free = static_cast<std::uint32_t>((static_cast<unsigned char>(memo[2]) << 8) |
                                                static_cast<unsigned char>(memo[3]));
    EXPECT_GE(next_free * 64u, memo.size());
    EXPECT_LT(next_free * 64u, memo.size() + 64u);
  }
}

// Memos are read through a read-ahead window: every memo must read back as
// written whatever the order of reads and appends on the same table.
TEST_F(TableTest, MemosReadBackInAnyOrderBetweenAppends) {
  auto table = Create({Field("ID", 'I'), Field("NOTES", 'M')});
  auto memo_of = [](int i) {
    // Sizes from empty to past the window, so reads cross its edges.
    std::size_t size = static_cast<std::size_t>(i % 5 == 4 ? 70000 + i : i * 131);
    return std::string(size, static_cast<char>('a' + i % 26));
  };
  const int kRows = 60;
  std::vector<std::uint32_t> orders[3];
  for (int i = 0; i < kRows; ++i) orders[0].push_back(static_cast<std::uint32_t>(i));
  orders[1].assign(orders[0].rbegin(), orders[0].rend());
  for (int i = 0; i < kRows; ++i) orders[2].push_back(static_cast<std::uint32_t>((i * 37) % kRows));
  for (int i = 0; i < kRows; ++i) {
    ASSERT_TRUE(table->Append({Value::Integer(i), Value::Text(memo_of(i))}).ok());
    // Read the newest and an older row between appends.
    for (std::uint32_t row : {static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(i / 2)}) {
      auto values = Read(table.get(), row);
      ASSERT_EQ(values.size(), 2u);
      EXPECT_EQ(values[1].text(), memo_of(static_cast<int>(row))) << "row " << row << " at " << i;
    }
  }
  auto reopened = Reopen();
  for (const auto& order : orders) {
    for (std::uint32_t row : order) {
      EXPECT_EQ(Read(reopened.get(), row)[1].text(), memo_of(static_cast<int>(row))) << row;
    }
  }
}

TEST_F(TableTest, AutoincrementTakesNextValueAndAdvancesTheHeader) {
  FieldLayout id = Field("ID", 'I');
  id.autoinc = true;
  id.autoinc_next = 50;
  id.autoinc_step = 5;
  auto table = Create({id, Field("NAME", 'C', 5)});
  EXPECT_EQ(static_cast<unsigned char>(fs_.GetFile(kPath)[0]), 0x31);
  ASSERT_TRUE(table->Append({Value::Null(), Value::Text("a")}).ok());
  ASSERT_TRUE(table->Append({Value::Integer(999), Value::Text("b")}).ok());
  auto reopened = Reopen(true);
  EXPECT_EQ(Read(reopened.get(), 0)[0], Value::Integer(50));
  EXPECT_EQ(Read(reopened.get(), 1)[0], Value::Integer(55));
  EXPECT_EQ(reopened->fields()[0].autoinc_next, 60u);
  ASSERT_TRUE(reopened->Append({Value::Null(), Value::Text("c")}).ok());
  EXPECT_EQ(Read(reopened.get(), 2)[0], Value::Integer(60));
}

TEST_F(TableTest, CreateRefusesExistingFilesAndBadDefinitions) {
  ASSERT_NE(Create({Field("A", 'C', 1)}), nullptr);
  TableLayout layout;
  layout.fields = {Field("A", 'C', 1)};
  EXPECT_TRUE(Table::Create(&fs_, kPath, layout).status().IsAlreadyExists());
  const std::vector<FieldLayout> bad[] = {
      {},
      {Field("A", 'C', 0)},
      {Field("A", 'C', 255)},
      {Field("A", 'N', 21)},
      {Field("A", 'N', 5, 4)},
      {Field("TOOLONGNAME1", 'C', 1)},
      {Field("A", 'C', 1), Field("a", 'C', 1)},
      {Field("1A", 'C', 1)},
      {Field("A", 'X', 1)},
  };
  for (const auto& fields : bad) {
    layout.fields = fields;
    auto created = Table::Create(&fs_, "/data/u.dbf", layout);
    EXPECT_FALSE(created.ok());
    EXPECT_FALSE(fs_.HasFile("/data/u.dbf"));
    EXPECT_FALSE(fs_.HasFile("/data/u.fpt"));
  }
}

// A write fault at any point of an append leaves the table as it was (the
// records before it intact, the new one absent), or the append succeeded.
TEST_F(TableTest, WriteFaultsNeverLoseAcknowledgedRecords) {
  for (int fail_at = 1; fail_at <= 6; ++fail_at) {
    for (bool sticky : {false, true}) {
      SCOPED_TRACE("write " + std::to_string(fail_at) + (sticky ? " and later" : ""));
      fs_ = MemFileSystem();
      fs_.AddDirectory(kFolder);
      auto table = Create({Field("ID", 'I'), Field("NOTES", 'M'), Field("MORE", 'M', 0, 0, true)});
      for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(table
                        ->Append({Value::Integer(i), Value::Text("memo " + std::to_string(i)),
                                  Value::Null()})
                        .ok());
      }
      fs_.FailWrite(fail_at, sticky);
      Status status = table->Append({Value::Integer(3), Value::Text("new"), Value::Text("more")});
      fs_.FailWrite(0);
      auto reopened = Reopen(true);
      ASSERT_NE(reopened, nullptr);
      ASSERT_EQ(reopened->record_count(), status.ok() ? 4u : 3u) << status.ToString();
      for (std::uint32_t i = 0; i < reopened->record_count(); ++i) {
        std::vector<Value> values = Read(reopened.get(), i);
        EXPECT_EQ(values[0], Value::Integer(i));
        EXPECT_EQ(values[1], Value::Text(i == 3 ? "new" : "memo " + std::to_string(i)));
      }
      // The table takes further appends normally.
      ASSERT_TRUE(reopened->Append({Value::Integer(9), Value::Text("after"), Value::Null()}).ok());
      EXPECT_EQ(Read(reopened.get(), reopened->record_count() - 1)[1], Value::Text("after"));
    }
  }
}

}  // namespace
}  // namespace foxpro
