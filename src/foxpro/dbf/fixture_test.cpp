// Reads the real FoxPro files in the shared fixture folder: every table must
// read without error, values must equal those of python3-dbfread where it
// can read them, and hand-checked values cover what it cannot.
#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foxpro/codepage/codepage.h"
#include "foxpro/dbf/table.h"
#include "foxpro/util/test_support.h"

namespace foxpro {
namespace {

namespace fs = std::filesystem;

std::string FixtureDir() { return std::string(QUILLOMAR_FIXTURES) + "/vfp"; }

#define REQUIRE_FIXTURES()                                                          \
  if (!fs::is_directory(FixtureDir())) {                                            \
    GTEST_SKIP() << "FoxPro fixtures not found at " << FixtureDir() << "; skipped"; \
  }

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

// A decimal text without trailing fraction zeros ("12.50" -> "12.5", "-0" -> "0").
std::string NormalNumber(std::string text) {
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  bool negative = !text.empty() && text[0] == '-';
  std::string digits = negative ? text.substr(1) : text;
  std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos || digits[first] == '.') {
    digits = first == std::string::npos ? "0" : "0" + digits.substr(first);
  } else {
    digits = digits.substr(first);
  }
  if (digits == "0") return "0";
  return (negative ? "-" : "") + digits;
}

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) {
    out.push_back(kDigits[static_cast<unsigned char>(c) >> 4]);
    out.push_back(kDigits[static_cast<unsigned char>(c) & 15]);
  }
  return out;
}

// The same normal form the dump script writes.
std::string Normalize(const Value& v, const FieldInfo& field, const CodePage& codepage) {
  char buffer[400];
  switch (v.kind()) {
    case Value::Kind::kNull:
      return "N";
    case Value::Kind::kLogical:
      return v.logical() ? "L:T" : "L:F";
    case Value::Kind::kInteger:
      return "D:" + std::to_string(v.integer());
    case Value::Kind::kNumeric:
      return "D:" + NormalNumber(v.text());
    case Value::Kind::kCurrency: {
      std::int64_t c = v.currency();
      std::uint64_t m = c < 0 ? 0 - static_cast<std::uint64_t>(c) : static_cast<std::uint64_t>(c);
      std::string fraction = std::to_string(m % 10000);
      return "D:" + NormalNumber((c < 0 ? "-" : "") + std::to_string(m / 10000) + "." +
                                 std::string(4 - fraction.size(), '0') + fraction);
    }
    case Value::Kind::kDouble: {
      auto r = std::to_chars(buffer, buffer + sizeof buffer, v.dbl(), std::chars_format::fixed);
      return "D:" + NormalNumber(std::string(buffer, r.ptr));
    }
    case Value::Kind::kDate:
      std::snprintf(buffer, sizeof buffer, "DATE:%04d-%02d-%02d", v.date().year, v.date().month,
                    v.date().day);
      return buffer;
    case Value::Kind::kDateTime: {
      const DateTime& t = v.datetime();
      std::snprintf(buffer, sizeof buffer, "T:%04d-%02d-%02d %02d:%02d:%02d.%03d", t.date.year,
                    t.date.month, t.date.day, t.hour, t.minute, t.second, t.millisecond);
      return buffer;
    }
    case Value::Kind::kText:
      if (field.is_memo() && v.text().empty()) return "N";
      return "S:" + Escape(v.text());
    case Value::Kind::kBytes:
      if (field.is_memo() && v.text().empty()) return "N";
      if (field.type == 'C' || field.type == 'M') {
        std::string text;
        EXPECT_TRUE(codepage.Decode(v.text(), &text).ok());
        return "S:" + Escape(text);
      }
      return "B:" + Hex(v.text());
  }
  return "?";
}

// Runs the dbfread dump script; lines keyed "ordinal\tFIELD".
bool DumpWithDbfread(const std::string& path, const std::string& encoding,
                     std::map<std::string, std::string>* out) {
  std::string script =
      std::string(QUILLOMAR_SOURCE_DIR) + "/src/foxpro/dbf/testdata/dbfread_dump.py";
  std::string command =
      "/usr/bin/python3 '" + script + "' '" + path + "' " + encoding + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  std::string text;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
  int status = pclose(pipe);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end - start);
    start = end == std::string::npos ? text.size() : end + 1;
    std::size_t tab2 = line.find('\t', line.find('\t') + 1);
    if (tab2 != std::string::npos) (*out)[line.substr(0, tab2)] = line.substr(tab2 + 1);
  }
  return status == 0;
}

std::vector<std::string> AllTableFiles() {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(FixtureDir())) {
    std::string ext = entry.path().extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".dbf" || ext == ".dbc") files.push_back(entry.path().string());
  }
  return files;
}

TEST(FixtureTables, EveryTableReadsWithoutError) {
  REQUIRE_FIXTURES();
  std::vector<std::string> files = AllTableFiles();
  ASSERT_GE(files.size(), 30u);
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    auto table = Table::Open(DefaultFileSystem(), path);
    ASSERT_TRUE(table.ok()) << table.status().ToString();
    Record record;
    for (std::uint32_t i = 0; i < (*table)->record_count(); ++i) {
      Status status = (*table)->ReadRecord(i, &record);
      ASSERT_TRUE(status.ok()) << status.ToString();
      ASSERT_TRUE(record.bad_values.empty()) << record.bad_values[0].status.ToString();
    }
    EXPECT_EQ((*table)->record_count(), (*table)->header().record_count);
    EXPECT_TRUE((*table)->warnings().empty()) << (*table)->warnings()[0];
  }
}

struct PeerCase {
  const char* path;      // under the fixture folder
  const char* encoding;  // for dbfread; "" = from the mark
  int codepage;          // ours: 0 = from the mark
};

// Tables python3-dbfread reads (see SOURCES.md).
const PeerCase kPeerCases[] = {
    {"foxbin2prg/fb2p_dbf.dbf", "", 0},
    {"foxbin2prg/fb2p_depto.dbf", "", 0},
    {"foxbin2prg/encuestas.dbf", "", 0},
    {"foxbin2prg/vw_local_encuestas.dbf", "", 0},
    {"foxbin2prg/foxuser_fdbozzo.dbf", "", 0},
    {"infused-foxprodb/calls.dbf", "", 0},
    {"infused-foxprodb/contacts.dbf", "", 0},
    {"infused-foxprodb/setup.dbf", "", 0},
    {"infused-foxprodb/types.dbf", "", 0},
    {"infused-dbf/dbase_30.dbf", "", 0},
    {"infused-dbf/dbase_31.dbf", "", 0},
    {"infused-dbf/cp1251.dbf", "", 0},
    {"infused-dbf/dbase_f5.dbf", "cp850", 850},
    {"vfpefprovider-blank/decimaltable.dbf", "", 0},
    {"vfpefprovider-northwind/categories.dbf", "", 0},
    {"vfpefprovider-northwind/customers.dbf", "", 0},
    {"vfpefprovider-northwind/employees.DBF", "", 0},
    {"vfpefprovider-northwind/orders.dbf", "", 0},
    {"vfpefprovider-northwind/orderdetails.dbf", "", 0},
    {"vfpefprovider-northwind/products.dbf", "", 0},
    {"vfpefprovider-northwind/suppliers.dbf", "", 0},
    {"vfpefprovider-northwind/shippers.dbf", "", 0},
    {"vfpefprovider-northwind/territories.dbf", "", 0},
    {"dbffile/vfp9_30_memo.dbf", "", 0},
    {"dbffile/vfp9_memo_bs1.dbf", "", 0},
};

// Where dbfread is known to read differently, the comparison is skipped:
// V/Q fields (it keeps the length byte), null values (it ignores
// _NullFlags), a blank logical (it says None, FoxPro says .F.).
bool Comparable(const FieldInfo& field, const std::string& ours, const std::string& theirs) {
  if (field.type == 'V' || field.type == 'Q') return false;
  if (field.nullable() && ours == "N") return false;
  if (field.type == 'L' && theirs == "N" && ours == "L:F") return false;
  return true;
}

TEST(FixtureTables, ValuesMatchDbfread) {
  REQUIRE_FIXTURES();
  if (!test_support::CanRunHostPrograms("/usr/bin/python3"))
    GTEST_SKIP() << "/usr/bin/python3 not found; skipped";
  int compared = 0;
  for (const PeerCase& c : kPeerCases) {
    std::string path = FixtureDir() + "/" + c.path;
    SCOPED_TRACE(path);
    std::map<std::string, std::string> theirs;
    if (!DumpWithDbfread(path, c.encoding, &theirs)) {
      GTEST_SKIP() << "python3-dbfread is not installed or failed; skipped";
    }
    auto table = Table::Open(DefaultFileSystem(), path, OpenOptions{false, c.codepage});
    ASSERT_TRUE(table.ok()) << table.status().ToString();
    auto codepage = CodePage::ForCodePage((*table)->codepage());
    ASSERT_TRUE(codepage.ok());
    Record record;
    int ordinal = 0;
    for (std::uint32_t i = 0; i < (*table)->record_count(); ++i) {
      ASSERT_TRUE((*table)->ReadRecord(i, &record).ok());
      if (record.deleted) continue;
      for (std::size_t f = 0; f < record.values.size(); ++f) {
        const FieldInfo& field = (*table)->fields()[f];
        std::string key = std::to_string(ordinal) + "\t" + field.name;
        auto it = theirs.find(key);
        ASSERT_NE(it, theirs.end()) << key;
        std::string ours = Normalize(record.values[f], field, *codepage);
        if (!Comparable(field, ours, it->second)) continue;
        EXPECT_EQ(ours, it->second) << key;
        ++compared;
      }
      ++ordinal;
    }
    EXPECT_EQ(static_cast<std::size_t>(ordinal) * (*table)->fields().size(), theirs.size());
  }
  EXPECT_GT(compared, 20000);
}

// Appending to a FoxPro 2.x table keeps its 10-digit memo pointers.
TEST(FixtureTables, AppendToFoxPro2TableWritesAsciiMemoPointer) {
  REQUIRE_FIXTURES();
  std::string folder = test_support::MakeTempFolder("foxpro_f5_");
  ASSERT_FALSE(folder.empty());
  fs::copy(FixtureDir() + "/infused-dbf/dbase_f5.dbf", folder + "/f5.dbf");
  fs::copy(FixtureDir() + "/infused-dbf/dbase_f5.fpt", folder + "/f5.fpt");
  auto table = Table::Open(DefaultFileSystem(), folder + "/f5.dbf", OpenOptions{true, 850});
  ASSERT_TRUE(table.ok()) << table.status().ToString();
  std::uint32_t before = (*table)->record_count();
  Record record;
  ASSERT_TRUE((*table)->ReadRecord(0, &record).ok());
  int memo = (*table)->FindField("OBSE");
  ASSERT_GE(memo, 0);
  record.values[static_cast<std::size_t>(memo)] = Value::Text("nou penedès");
  // Blank dates and numbers read as null; written back they are blanks again.
  for (std::size_t f = 0; f < record.values.size(); ++f) {
    if (record.values[f].is_null()) record.values[f] = Value::Text("");
  }
  Status appended = (*table)->Append(record.values);
  ASSERT_TRUE(appended.ok()) << appended.ToString();
  auto reopened = Table::Open(DefaultFileSystem(), folder + "/f5.dbf", OpenOptions{false, 850});
  ASSERT_TRUE(reopened.ok());
  ASSERT_EQ((*reopened)->record_count(), before + 1);
  Record last;
  ASSERT_TRUE((*reopened)->ReadRecord(before, &last).ok());
  EXPECT_EQ(last.values[static_cast<std::size_t>(memo)], Value::Text("nou penedès"));
  // dbfread as the peer reader, where the host's programs can be run.
  if (test_support::CanRunHostPrograms("/usr/bin/python3")) {
    std::map<std::string, std::string> theirs;
    ASSERT_TRUE(DumpWithDbfread(folder + "/f5.dbf", "cp850", &theirs));
    EXPECT_EQ(theirs[std::to_string(before) + "\tOBSE"], "S:nou penedès");
  }
  table->reset();  // Windows removes no folder while files in it are open
  reopened->reset();
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

// Tables this engine writes read back with equal values in python3-dbfread.
TEST(WrittenTables, ReadByDbfreadWithEqualValues) {
  if (!test_support::CanRunHostPrograms("/usr/bin/python3"))
    GTEST_SKIP() << "/usr/bin/python3 not found; skipped";
  std::string folder = test_support::MakeTempFolder("foxpro_written_");
  ASSERT_FALSE(folder.empty());
  const std::pair<std::uint8_t, const char*> pages[] = {
      {0x03, "Müller – café €"}, {0xC9, "Жизнь"}, {0xC8, "Łódź žluťoučký"}};
  for (const auto& [mark, text] : pages) {
    SCOPED_TRACE(text);
    std::string path = folder + "/t" + std::to_string(mark) + ".dbf";
    TableLayout layout;
    layout.codepage_mark = mark;
    layout.fields = {FieldLayout{"NAME", 'C', 30},    FieldLayout{"AMOUNT", 'N', 12, 3},
                     FieldLayout{"COUNT", 'I'},       FieldLayout{"PRICE", 'Y'},
                     FieldLayout{"DAY", 'D'},         FieldLayout{"AT", 'T'},
                     FieldLayout{"OK", 'L'},          FieldLayout{"NOTES", 'M'},
                     FieldLayout{"RATIO", 'B', 0, 4}, FieldLayout{"SCORE", 'F', 10, 2}};
    auto table = Table::Create(DefaultFileSystem(), path, layout);
    ASSERT_TRUE(table.ok()) << table.status().ToString();
    std::string memo = std::string(text) + "\r\nit's a memo\n" + std::string(5000, 'x');
    ASSERT_TRUE((*table)
                    ->Append({Value::Text(text), Value::Numeric("-12345.678"), Value::Integer(-7),
                              Value::Currency(-123456789), Value::FromDate({1999, 12, 31}),
                              Value::FromDateTime(DateTime{{2024, 2, 29}, 23, 59, 59, 998}),
                              Value::Logical(true), Value::Text(memo), Value::Double(0.1),
                              Value::Numeric("99.5")})
                    .ok());
    ASSERT_TRUE(
        (*table)
            ->Append({Value::Text(""), Value::Numeric("0"), Value::Integer(0), Value::Currency(0),
                      Value::Text(""), Value::Text(""), Value::Logical(false), Value::Text(""),
                      Value::Double(-2.5e15), Value::Numeric("-0.01")})
            .ok());
    std::map<std::string, std::string> theirs;
    ASSERT_TRUE(DumpWithDbfread(path, "", &theirs));
    auto reopened = Table::Open(DefaultFileSystem(), path);
    ASSERT_TRUE(reopened.ok());
    auto codepage = CodePage::ForCodePage((*reopened)->codepage());
    Record record;
    for (std::uint32_t i = 0; i < 2; ++i) {
      ASSERT_TRUE((*reopened)->ReadRecord(i, &record).ok());
      for (std::size_t f = 0; f < record.values.size(); ++f) {
        const FieldInfo& field = (*reopened)->fields()[f];
        std::string key = std::to_string(i) + "\t" + field.name;
        EXPECT_EQ(Normalize(record.values[f], field, *codepage), theirs[key]) << key;
      }
    }
  }
  fs::remove_all(folder);
}

// python3-dbf reads a table this engine writes (type 0x30, no nulls) with
// the same values.
TEST(WrittenTables, ReadByPythonDbf) {
  if (!test_support::CanRunHostPrograms("/usr/bin/python3"))
    GTEST_SKIP() << "/usr/bin/python3 not found; skipped";
  std::string folder = test_support::MakeTempFolder("foxpro_pydbf_");
  ASSERT_FALSE(folder.empty());
  TableLayout layout;
  layout.fields = {
      FieldLayout{"NAME", 'C', 20}, FieldLayout{"AMOUNT", 'N', 10, 2}, FieldLayout{"CNT", 'I'},
      FieldLayout{"PRICE", 'Y'},    FieldLayout{"DAY", 'D'},           FieldLayout{"AT", 'T'},
      FieldLayout{"OK", 'L'},       FieldLayout{"NOTES", 'M'},         FieldLayout{"RATIO", 'B'}};
  auto table = Table::Create(DefaultFileSystem(), folder + "/t.dbf", layout);
  ASSERT_TRUE(table.ok());
  ASSERT_TRUE(
      (*table)
          ->Append({Value::Text("Müller"), Value::Numeric("-12.5"), Value::Integer(7),
                    Value::Currency(-12345), Value::FromDate({2024, 2, 29}),
                    Value::FromDateTime(DateTime{{2024, 2, 29}, 10, 11, 12, 0}),
                    Value::Logical(true), Value::Text("memo 'x'\r\nline"), Value::Double(0.25)})
          .ok());
  std::string command = "/usr/bin/python3 -c \"import dbf\nt = dbf.Table('" + folder +
                        "/t.dbf'); t.open()\nfor r in t: print(repr(list(r)))\" 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
  int status = pclose(pipe);
  if (out.find("No module named") != std::string::npos) GTEST_SKIP() << "python3-dbf not installed";
  ASSERT_EQ(status, 0) << out;
  EXPECT_EQ(out,
            "['Müller              ', -12.5, 7, Decimal('-1.2345'), datetime.date(2024, 2, 29), "
            "datetime.datetime(2024, 2, 29, 10, 11, 12), True, \"memo 'x'\\r\\nline\", 0.25]\n");
  fs::remove_all(folder);
}

}  // namespace
}  // namespace foxpro
