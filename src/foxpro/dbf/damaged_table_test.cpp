// Damaged table and memo files: each either reads as FoxPro would take it or
// fails with a Corruption status naming the file (and record and field when
// a value is at fault). Nothing may crash, hang or allocate wildly.
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

// Builds a healthy table: ID I, NAME C(8), BORN D, NOTES M; three records.
void BuildHealthy(MemFileSystem* fs) {
  fs->AddDirectory("/d");
  TableLayout layout;
  FieldLayout id{"ID", 'I'}, name{"NAME", 'C', 8}, born{"BORN", 'D'}, notes{"NOTES", 'M'};
  layout.fields = {id, name, born, notes};
  auto table = Table::Create(fs, kPath, layout);
  ASSERT_TRUE(table.ok()) << table.status().ToString();
  for (int i = 1; i <= 3; ++i) {
    ASSERT_TRUE((*table)
                    ->Append({Value::Integer(i), Value::Text("n" + std::to_string(i)),
                              Value::FromDate({2000, 1, i}), Value::Text("memo text")})
                    .ok());
  }
}

void Put32(std::string* bytes, std::size_t offset, std::uint32_t v) {
  if (bytes->size() < offset + 4) bytes->resize(offset + 4);
  std::memcpy(bytes->data() + offset, &v, 4);
}

constexpr std::size_t kHeaderLength = 32 + 32 * 4 + 1 + 263;
constexpr std::size_t kRecordLength = 1 + 4 + 8 + 8 + 4;
std::size_t RecordOffset(int index) {
  return kHeaderLength + static_cast<std::size_t>(index) * kRecordLength;
}

struct DamageCase {
  const char* label;
  std::function<void(std::string* dbf, std::string* fpt)> damage;
  // Expected outcome: open fails, or opens with `records` readable and
  // `bad_record` (1-based, 0 = none) failing to read.
  bool open_fails;
  std::uint32_t records;
  int bad_record;
  const char* message_part;  // must appear in the failure message
};

const DamageCase kCases[] = {
    {"header count larger than the file",
     [](std::string* d, std::string*) { Put32(d, 4, 1000000); }, false, 3, 0, ""},
    {"header count 0xFFFFFFFF", [](std::string* d, std::string*) { Put32(d, 4, 0xFFFFFFFFu); },
     false, 3, 0, ""},
    {"missing end-of-file byte", [](std::string* d, std::string*) { d->pop_back(); }, false, 3, 0,
     ""},
    {"last record cut short", [](std::string* d, std::string*) { d->resize(RecordOffset(2) + 5); },
     false, 2, 0, ""},
    {"garbage after the records",
     [](std::string* d, std::string*) { d->append("garbage garbage"); }, false, 3, 0, ""},
    {"memo pointer past the end",
     [](std::string* d, std::string*) { Put32(d, RecordOffset(1) + 21, 99999); }, false, 3, 2,
     "NOTES"},
    {"huge memo length",
     [](std::string*, std::string* f) {
       f->replace(512 + 4, 4, std::string("\x7f\xff\xff\xff", 4));
     },
     false, 3, 1, "NOTES"},
    {"memo block inside the header",
     [](std::string* d, std::string*) { Put32(d, RecordOffset(0) + 21, 1); }, false, 3, 1, "block"},
    {"invalid date bytes",
     [](std::string* d, std::string*) { d->replace(RecordOffset(2) + 13, 8, "20x01301"); }, false,
     3, 3, "BORN"},
    {"month 13",
     [](std::string* d, std::string*) { d->replace(RecordOffset(0) + 13, 8, "20001301"); }, false,
     3, 1, "BORN"},
    {"field list without terminator", [](std::string* d, std::string*) { (*d)[32 + 32 * 4] = 'X'; },
     true, 0, 0, "end marker"},
    {"header length past the end",
     [](std::string* d, std::string*) {
       (*d)[8] = '\xff';
       (*d)[9] = '\x7f';
     },
     true, 0, 0, "t.dbf"},
    {"record length zero",
     [](std::string* d, std::string*) {
       (*d)[10] = 0;
       (*d)[11] = 0;
     },
     true, 0, 0, "t.dbf"},
    {"fields wider than the record",
     [](std::string* d, std::string*) { (*d)[32 + 32 + 16] = '\xff'; }, true, 0, 0, "t.dbf"},
    {"field of width zero", [](std::string* d, std::string*) { (*d)[32 + 32 + 16] = 0; }, true, 0,
     0, "width 0"},
    {"unknown field type", [](std::string* d, std::string*) { (*d)[32 + 11] = 'Z'; }, true, 0, 0,
     "unknown type"},
    {"file shorter than a header", [](std::string* d, std::string*) { d->resize(20); }, true, 0, 0,
     "too short"},
    {"empty file", [](std::string* d, std::string*) { d->clear(); }, true, 0, 0, "too short"},
    {"memo file missing", [](std::string*, std::string* f) { f->assign("\x01"); }, true, 0, 0,
     "t.fpt"},
    {"memo block size zero",
     [](std::string*, std::string* f) {
       (*f)[6] = 0;
       (*f)[7] = 0;
     },
     true, 0, 0, "block size"},
};

TEST(DamagedTable, ReadsWhatFoxProWouldOrFailsClearly) {
  for (const DamageCase& c : kCases) {
    SCOPED_TRACE(c.label);
    MemFileSystem fs;
    BuildHealthy(&fs);
    std::string dbf = fs.GetFile(kPath), fpt = fs.GetFile(kMemo);
    c.damage(&dbf, &fpt);
    fs.SetFile(kPath, dbf);
    if (fpt == "\x01") {
      ASSERT_TRUE(fs.Remove(kMemo).ok());
    } else {
      fs.SetFile(kMemo, fpt);
    }
    auto table = Table::Open(&fs, kPath);
    if (c.open_fails) {
      ASSERT_FALSE(table.ok());
      EXPECT_TRUE(table.status().IsCorruption()) << table.status().ToString();
      EXPECT_NE(table.status().message().find(c.message_part), std::string::npos)
          << table.status().message();
      continue;
    }
    ASSERT_TRUE(table.ok()) << table.status().ToString();
    EXPECT_EQ((*table)->record_count(), c.records);
    Record record;
    for (std::uint32_t i = 0; i < (*table)->record_count(); ++i) {
      Status status = (*table)->ReadRecord(i, &record);
      if (static_cast<int>(i) + 1 == c.bad_record) {
        ASSERT_TRUE(status.IsCorruption()) << status.ToString();
        EXPECT_NE(status.message().find("t.dbf: record " + std::to_string(i + 1)),
                  std::string::npos)
            << status.message();
        EXPECT_NE(status.message().find(c.message_part), std::string::npos) << status.message();
      } else {
        EXPECT_TRUE(status.ok()) << status.ToString();
      }
    }
  }
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
