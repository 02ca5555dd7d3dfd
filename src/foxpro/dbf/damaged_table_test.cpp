// Damaged table and memo files: each either reads as FoxPro would take it
// (with a warning naming the file when the record count is off, and a bad
// value, null and named by file, record and field, where a value is at
// fault) or fails to open with a Corruption status saying what is wrong.
// Nothing may crash, hang or allocate wildly.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "foxpro/dbf/dbf_format.h"
#include "foxpro/dbf/table.h"
#include "foxpro/util/mem_file_system.h"

namespace foxpro {
namespace {

constexpr char kPath[] = "/d/t.dbf";
constexpr char kMemo[] = "/d/t.fpt";

// Builds a healthy table: ID I, NAME C(8), BORN D, NOTES M, OK L, TAG V(6),
// AMOUNT N(6,2), STAMP T; three records.
void BuildHealthy(MemFileSystem* fs) {
  fs->AddDirectory("/d");
  TableLayout layout;
  FieldLayout id{"ID", 'I'}, name{"NAME", 'C', 8}, born{"BORN", 'D'}, notes{"NOTES", 'M'};
  FieldLayout ok{"OK", 'L'}, tag{"TAG", 'V', 6}, amount{"AMOUNT", 'N', 6, 2}, stamp{"STAMP", 'T'};
  layout.fields = {id, name, born, notes, ok, tag, amount, stamp};
  auto table = Table::Create(fs, kPath, layout);
  ASSERT_TRUE(table.ok()) << table.status().ToString();
  for (int i = 1; i <= 3; ++i) {
    ASSERT_TRUE(
        (*table)
            ->Append({Value::Integer(i), Value::Text("n" + std::to_string(i)),
                      Value::FromDate({2000, 1, i}), Value::Text("memo text"), Value::Logical(true),
                      Value::Text("t" + std::to_string(i)), Value::Numeric("1.5"),
                      Value::FromDateTime({{2000, 1, i}, 1, 2, 3, 0})})
            .ok());
  }
}

void Put32(std::string* bytes, std::size_t offset, std::uint32_t v) {
  if (bytes->size() < offset + 4) bytes->resize(offset + 4);
  std::memcpy(bytes->data() + offset, &v, 4);
}

// Eight fields and _NullFlags.
constexpr std::size_t kHeaderLength = 32 + 32 * 9 + 1 + 263;
constexpr std::size_t kRecordLength = 1 + 4 + 8 + 8 + 4 + 1 + 6 + 6 + 8 + 1;
// Field offsets within a record.
constexpr std::size_t kBorn = 13, kNotes = 21, kOk = 25, kTagLength = 31, kAmount = 32, kStamp = 38;
std::size_t RecordOffset(int index) {
  return kHeaderLength + static_cast<std::size_t>(index) * kRecordLength;
}

enum class Outcome { kOpenFails, kWarning, kBadValue, kClean };

struct DamageCase {
  const char* label;
  std::function<void(std::string* dbf, std::string* fpt)> damage;
  Outcome outcome;
  std::uint32_t records;  // readable records when it opens
  int bad_record;         // 1-based, for kBadValue
  const char* message;    // must appear in the message the damage gives
};

const DamageCase kCases[] = {
    {"header count larger than the file",
     [](std::string* d, std::string*) { Put32(d, 4, 1000000); }, Outcome::kWarning, 3, 0,
     "t.dbf: the header counts 1000000 records but the file holds 3 complete records; only the "
     "complete records are read"},
    {"header count 0xFFFFFFFF", [](std::string* d, std::string*) { Put32(d, 4, 0xFFFFFFFFu); },
     Outcome::kWarning, 3, 0, "the header counts 4294967295 records but the file holds 3"},
    {"last record cut short", [](std::string* d, std::string*) { d->resize(RecordOffset(2) + 5); },
     Outcome::kWarning, 2, 0,
     "t.dbf: the header counts 3 records but the file holds 2 complete records and a partial "
     "record of 5 bytes"},
    {"header count smaller than the file", [](std::string* d, std::string*) { Put32(d, 4, 2); },
     Outcome::kWarning, 2, 0,
     "t.dbf: the header counts 2 records but 1 complete record follows them in the file and is "
     "not read"},
    {"missing end-of-file byte", [](std::string* d, std::string*) { d->pop_back(); },
     Outcome::kClean, 3, 0, ""},
    {"garbage after the records",
     [](std::string* d, std::string*) { d->append("garbage garbage"); }, Outcome::kClean, 3, 0, ""},
    {"memo pointer past the end",
     [](std::string* d, std::string*) { Put32(d, RecordOffset(1) + kNotes, 99999); },
     Outcome::kBadValue, 3, 2,
     "t.dbf: record 2, field NOTES: t.fpt: memo block 99999 lies past the end of the memo file"},
    {"memo pointer into the memo header",
     [](std::string* d, std::string*) { Put32(d, RecordOffset(0) + kNotes, 1); },
     Outcome::kBadValue, 3, 1,
     "t.dbf: record 1, field NOTES: t.fpt: memo block 1 points into the memo file's header (the "
     "first memo block is 8)"},
    {"huge memo length",
     [](std::string*, std::string* f) {
       f->replace(512 + 4, 4, std::string("\x7f\xff\xff\xff", 4));
     },
     Outcome::kBadValue, 3, 1,
     "record 1, field NOTES: t.fpt: the memo at block 8 claims 2147483647 bytes but only"},
    {"invalid date bytes",
     [](std::string* d, std::string*) { d->replace(RecordOffset(2) + kBorn, 8, "20x01301"); },
     Outcome::kBadValue, 3, 3, "t.dbf: record 3, field BORN: '20x01301' is not a date"},
    {"month 13",
     [](std::string* d, std::string*) { d->replace(RecordOffset(0) + kBorn, 8, "20001301"); },
     Outcome::kBadValue, 3, 1, "record 1, field BORN: '20001301' is not a date"},
    {"logical byte of no meaning",
     [](std::string* d, std::string*) { (*d)[RecordOffset(1) + kOk] = 'X'; }, Outcome::kBadValue, 3,
     2, "record 2, field OK: the byte 0x58 is not a logical value"},
    {"varchar length byte larger than its field",
     [](std::string* d, std::string*) { (*d)[RecordOffset(0) + kTagLength] = 9; },
     Outcome::kBadValue, 3, 1,
     "record 1, field TAG: the length byte says 9 bytes but the field holds at most 5"},
    {"number with a letter",
     [](std::string* d, std::string*) { d->replace(RecordOffset(1) + kAmount, 6, "12x.50"); },
     Outcome::kBadValue, 3, 2, "t.dbf: record 2, field AMOUNT: '12x.50' is not a number"},
    {"datetime before year 1",
     [](std::string* d, std::string*) { Put32(d, RecordOffset(2) + kStamp, 1); },
     Outcome::kBadValue, 3, 3,
     "record 3, field STAMP: day 1 and time 3723000 ms are not a datetime"},
    {"field list without terminator", [](std::string* d, std::string*) { (*d)[32 + 32 * 9] = 'X'; },
     Outcome::kOpenFails, 0, 0, "t.dbf: the field list has no end marker"},
    {"header length past the end",
     [](std::string* d, std::string*) {
       (*d)[8] = '\xff';
       (*d)[9] = '\x7f';
     },
     Outcome::kOpenFails, 0, 0, "t.dbf: the header length 32767 runs past the end of the file"},
    {"header length too small",
     [](std::string* d, std::string*) {
       (*d)[8] = 10;
       (*d)[9] = 0;
     },
     Outcome::kOpenFails, 0, 0, "t.dbf: the header length 10 is too small"},
    {"record length zero",
     [](std::string* d, std::string*) {
       (*d)[10] = 0;
       (*d)[11] = 0;
     },
     Outcome::kOpenFails, 0, 0, "t.dbf: the record length is 0"},
    {"fields wider than the record",
     [](std::string* d, std::string*) { (*d)[32 + 32 + 16] = '\xff'; }, Outcome::kOpenFails, 0, 0,
     "t.dbf: the fields need 294 bytes but a record has 47"},
    {"field of width zero", [](std::string* d, std::string*) { (*d)[32 + 32 + 16] = 0; },
     Outcome::kOpenFails, 0, 0, "t.dbf: field NAME has width 0"},
    {"unknown field type", [](std::string* d, std::string*) { (*d)[32 + 11] = 'Z'; },
     Outcome::kOpenFails, 0, 0, "t.dbf: field 1 has the unknown type 'Z'"},
    {"file shorter than a header", [](std::string* d, std::string*) { d->resize(20); },
     Outcome::kOpenFails, 0, 0, "t.dbf: the file is too short to be a table"},
    {"empty file", [](std::string* d, std::string*) { d->clear(); }, Outcome::kOpenFails, 0, 0,
     "t.dbf: the file is too short to be a table"},
    {"memo file missing", [](std::string*, std::string* f) { f->assign("\x01"); },
     Outcome::kOpenFails, 0, 0, "t.dbf: the memo file t.fpt is missing"},
    {"memo file shorter than its header", [](std::string*, std::string* f) { f->resize(5); },
     Outcome::kOpenFails, 0, 0, "t.fpt: the memo file is shorter than its header"},
    {"memo block size zero",
     [](std::string*, std::string* f) {
       (*f)[6] = 0;
       (*f)[7] = 0;
     },
     Outcome::kOpenFails, 0, 0, "t.fpt: the memo file's block size is 0"},
};

void ExpectRecords(Table* table, const DamageCase& c) {
  EXPECT_EQ(table->record_count(), c.records);
  Record record;
  for (std::uint32_t i = 0; i < table->record_count(); ++i) {
    ASSERT_TRUE(table->ReadRecord(i, &record).ok());
    // The record's other values are intact whatever one value holds.
    EXPECT_EQ(record.values[0], Value::Integer(static_cast<int>(i) + 1));
    if (c.outcome != Outcome::kBadValue || static_cast<int>(i) + 1 != c.bad_record) {
      EXPECT_TRUE(record.bad_values.empty()) << record.bad_values[0].status.ToString();
      continue;
    }
    ASSERT_EQ(record.bad_values.size(), 1u);
    const BadValue& bad = record.bad_values[0];
    EXPECT_TRUE(bad.status.IsCorruption());
    EXPECT_TRUE(record.values[bad.field].is_null());
    EXPECT_NE(bad.status.message().find(c.message), std::string::npos) << bad.status.message();
  }
}

TEST(DamagedTable, EveryDamageReadsAsFoxProWouldWithTheMessageThatSaysWhatIsWrong) {
  for (const DamageCase& c : kCases) {
    SCOPED_TRACE(c.label);
    MemFileSystem fs;
    BuildHealthy(&fs);
    std::string dbf = fs.GetFile(kPath), fpt = fs.GetFile(kMemo);
    ASSERT_EQ(dbf.size(), RecordOffset(3) + 1);
    c.damage(&dbf, &fpt);
    fs.SetFile(kPath, dbf);
    if (fpt == "\x01") {
      ASSERT_TRUE(fs.Remove(kMemo).ok());
    } else {
      fs.SetFile(kMemo, fpt);
    }
    auto table = Table::Open(&fs, kPath);
    if (c.outcome == Outcome::kOpenFails) {
      ASSERT_FALSE(table.ok());
      EXPECT_TRUE(table.status().IsCorruption()) << table.status().ToString();
      EXPECT_NE(table.status().message().find(c.message), std::string::npos)
          << table.status().message();
      continue;
    }
    ASSERT_TRUE(table.ok()) << table.status().ToString();
    const auto& warnings = (*table)->warnings();
    if (c.outcome == Outcome::kWarning) {
      ASSERT_EQ(warnings.size(), 1u);
      EXPECT_NE(warnings[0].find(c.message), std::string::npos) << warnings[0];
    } else {
      EXPECT_TRUE(warnings.empty()) << warnings[0];
    }
    ExpectRecords(table->get(), c);
  }
}

// A header that counts fewer records than the file holds: an append goes
// after the counted records, as FoxPro does, over the uncounted one.
TEST(DamagedTable, AppendGoesAfterTheHeaderCount) {
  MemFileSystem fs;
  BuildHealthy(&fs);
  std::string dbf = fs.GetFile(kPath);
  Put32(&dbf, 4, 2);
  fs.SetFile(kPath, dbf);
  auto table = Table::Open(&fs, kPath, OpenOptions{true, 0});
  ASSERT_TRUE(table.ok()) << table.status().ToString();
  ASSERT_TRUE((*table)
                  ->Append({Value::Integer(9), Value::Text("new"), Value::FromDate({2001, 2, 3}),
                            Value::Text(""), Value::Logical(false), Value::Text(""),
                            Value::Numeric("0"), Value::FromDateTime({{2001, 2, 3}, 0, 0, 0, 0})})
                  .ok());
  auto reopened = Table::Open(&fs, kPath);
  ASSERT_TRUE(reopened.ok());
  EXPECT_TRUE((*reopened)->warnings().empty());
  ASSERT_EQ((*reopened)->record_count(), 3u);
  Record record;
  ASSERT_TRUE((*reopened)->ReadRecord(2, &record).ok());
  EXPECT_EQ(record.values[0], Value::Integer(9));
}

// Every single-byte change of the header region and first record either
// opens or fails cleanly, and reading never crashes (run under sanitizers).
TEST(DamagedTable, SurvivesEveryByteOfTheHeaderFlipped) {
  MemFileSystem healthy;
  BuildHealthy(&healthy);
  const std::string dbf = healthy.GetFile(kPath);
  for (std::size_t offset = 0; offset < RecordOffset(1); ++offset) {
    for (int value : {0x00, 0x0D, 0x7F, 0xFF}) {
      MemFileSystem fs;
      BuildHealthy(&fs);
      std::string damaged = dbf;
      damaged[offset] = static_cast<char>(value);
      fs.SetFile(kPath, damaged);
      auto table = Table::Open(&fs, kPath);
      if (!table.ok()) continue;
      Record record;
      for (std::uint32_t i = 0; i < (*table)->record_count() && i < 10; ++i) {
        (void)(*table)->ReadRecord(i, &record);
      }
    }
  }
}

}  // namespace
}  // namespace foxpro
