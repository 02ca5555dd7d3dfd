// Tables the engine writes, read by independent readers: python3-dbfread,
// python3-dbf and Perl's XBase. Each table holds every field type those
// readers understand, with edge values and non-ASCII text in code pages
// 1252, 1251 and 1250; the reader's values must equal what was inserted.
// The comparison runs in peer_read.py / peer_read.pl; a reader that is not
// installed skips its case.
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foxpro/sql/database.h"
#include "temp_folder.h"

namespace {

struct Column {
  const char* name;
  const char* definition;
  char type;  // the letter the readers see
  int decimals;
};

const Column kColumns[] = {
    {"name", "C(24)", 'C', 0},  {"note", "C(12)", 'C', 0},    {"qty", "N(12,3)", 'N', 3},
    {"ratio", "F(10,4)", 'F', 4}, {"cnt", "I", 'I', 0},         {"measure", "B(3)", 'B', 3},
    {"price", "Y", 'Y', 4},     {"day", "D", 'D', 0},         {"moment", "T", 'T', 0},
    {"flag", "L", 'L', 0},      {"memo", "M", 'M', 0},
};
constexpr std::size_t kColumnCount = sizeof kColumns / sizeof kColumns[0];

// One cell: the literal the INSERT sends and the reader's normal form of the
// value (see peer_read.py), or no expectation for a null.
struct Cell {
  std::string literal;
  std::string expected;
  bool null = false;
};

Cell Null() { return {"NULL", "", true}; }
Cell Same(std::string literal, std::string expected) { return {std::move(literal), std::move(expected)}; }
Cell Text(const std::string& text) {
  std::string literal = "'";
  for (char c : text) {
    literal += c;
    if (c == '\'') literal += '\'';
  }
  return {literal + "'", text};
}

// Characters (not bytes) in UTF-8 text.
std::size_t CharCount(const std::string& s) {
  std::size_t n = 0;
  for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

struct CodePageCase {
  int codepage;
  std::uint8_t mark;
  std::string long_text;   // up to 24 characters
  std::string short_text;  // up to 12 characters
};

const CodePageCase kCodePages[] = {
    {1252, 0x03, "Ærøskøbing – Café €", "naïve façade"},
    {1251, 0xC9, "Съешь же ещё этих булок", "Щука № 5 ї"},
    {1250, 0xC8, "Żółć Příliš žluťoučký", "Ďábel ő ű"},
};

std::vector<std::vector<Cell>> Rows(const CodePageCase& page) {
  std::string full = page.long_text;
  while (CharCount(full) < 24) full += '.';
  std::string big_memo;
  while (big_memo.size() < 70000) big_memo += page.long_text + "\r\n";
  return {
      {Text("plain"), Text("x"), Same("1.5", "1.500"), Same("0.25", "0.2500"), Same("1", "1"),
       Same("2.5", "2.5"), Same("1.2345", "1.2345"), Same("'2000-02-29'", "2000-02-29"),
       Same("'2000-02-29 13:14:15.678'", "2000-02-29 13:14:15.678"), Same(".T.", "T"),
       Text("line 1\r\nline 2 'quoted'")},
      {Text(full), Text(page.short_text), Same("-1234567.125", "-1234567.125"),
       Same("-0.0001", "-0.0001"), Same("-2147483647", "-2147483647"), Same("-0.1", "-0.1"),
       Same("-922337.5807", "-922337.5807"), Same("'1899-12-30'", "1899-12-30"),
       Same("'1899-12-30 00:00:01'", "1899-12-30 00:00:01.000"), Same(".F.", "F"), Text(big_memo)},
      {Text(""), Null(), Null(), Same("0", "0.0000"), Null(), Null(), Null(), Null(), Null(), Null(),
       Null()},
      {Text("  lead and O'Brien"), Text(page.short_text.substr(0, 4)), Same("0", "0.000"),
       Same("99999.9999", "99999.9999"), Same("2147483647", "2147483647"), Same("1e100", "1e+100"),
       Same("123456789.1234", "123456789.1234"), Same("'9999-12-31'", "9999-12-31"),
       Same("'9999-12-31 23:59:59.999'", "9999-12-31 23:59:59.999"), Same(".T.", "T"),
       Text("")},
  };
}

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

std::string ExpectedJson(const CodePageCase& page, const std::vector<std::vector<Cell>>& rows) {
  std::string json = "{\"codepage\": " + std::to_string(page.codepage) + ", \"columns\": [";
  for (std::size_t c = 0; c < kColumnCount; ++c) {
    json += std::string(c ? ", " : "") + "{\"name\": " + JsonString(kColumns[c].name) +
            ", \"type\": " + JsonString(std::string(1, kColumns[c].type)) +
            ", \"decimals\": " + std::to_string(kColumns[c].decimals) + "}";
  }
  json += "], \"rows\": [";
  for (std::size_t r = 0; r < rows.size(); ++r) {
    json += r ? ",\n[" : "\n[";
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      json += c ? ", " : "";
      json += rows[r][c].null ? "null" : JsonString(rows[r][c].expected);
    }
    json += "]";
  }
  return json + "]}\n";
}

struct Peer {
  const char* name;
  const char* program;  // an absolute path; the case is skipped without it
  std::string script;
  const char* argument;  // before the table path; may be empty
};

std::vector<Peer> Peers() {
  const std::string dir = std::string(QUILLOMAR_SOURCE_DIR) + "/tests/engine/";
  return {{"dbfread", "/usr/bin/python3", dir + "peer_read.py", "dbfread"},
          {"dbf", "/usr/bin/python3", dir + "peer_read.py", "dbf"},
          {"XBase", "/usr/bin/perl", dir + "peer_read.pl", ""}};
}

// Runs a command; returns its exit status and puts its output in *output.
int RunCommand(const std::string& command, std::string* output) {
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output->append(buffer, n);
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class PeerCheck : public ::testing::TestWithParam<std::size_t> {
 protected:
  // Writes table `name` with `rows` into `folder`, every field NULL or
  // every field NOT NULL (a table without the null-flags field).
  static void WriteTable(const std::string& folder, const std::string& name, bool nullable,
                         const CodePageCase& page, const std::vector<std::vector<Cell>>& rows) {
    foxpro::sql::DatabaseOptions options;
    options.new_table_codepage_mark = page.mark;
    auto database = foxpro::sql::Database::Open(foxpro::DefaultFileSystem(), folder, options);
    ASSERT_TRUE(database.ok()) << database.status().ToString();
    std::string create = "CREATE TABLE " + name + " (";
    for (std::size_t c = 0; c < kColumnCount; ++c) {
      create += std::string(c ? ", " : "") + kColumns[c].name + " " + kColumns[c].definition +
                (nullable ? " NULL" : " NOT NULL");
    }
    foxpro::Status status = (*database)->Execute(create + ")");
    ASSERT_TRUE(status.ok()) << status.ToString();
    for (const std::vector<Cell>& row : rows) {
      std::string insert = "INSERT INTO " + name + " VALUES (";
      for (std::size_t c = 0; c < row.size(); ++c) insert += (c ? ", " : "") + row[c].literal;
      status = (*database)->Execute(insert + ")");
      ASSERT_TRUE(status.ok()) << status.ToString();
    }
  }
};

TEST_P(PeerCheck, ReadsEveryValueTheEngineWrote) {
  const Peer peer = Peers()[GetParam()];
  if (access(peer.program, X_OK) != 0) GTEST_SKIP() << peer.program << " is missing";
  for (const CodePageCase& page : kCodePages) {
    SCOPED_TRACE("code page " + std::to_string(page.codepage));
    engine_test::TempFolder folder;
    ASSERT_FALSE(folder.path().empty());
    for (bool nullable : {true, false}) {
      SCOPED_TRACE(nullable ? "nullable fields" : "NOT NULL fields");
      const std::string name = nullable ? "nulls" : "plain";
      std::vector<std::vector<Cell>> rows;
      for (const std::vector<Cell>& row : Rows(page)) {
        bool has_null = false;
        for (const Cell& cell : row) has_null = has_null || cell.null;
        if (nullable || !has_null) rows.push_back(row);
      }
      WriteTable(folder.path(), name, nullable, page, rows);
      if (HasFatalFailure()) return;
      const std::string expected = folder.path() + "/" + name + ".json";
      std::ofstream(expected, std::ios::binary) << ExpectedJson(page, rows);
      std::string output;
      int status = RunCommand(std::string(peer.program) + " '" + peer.script + "' " +
                                  peer.argument + " '" + folder.path() + "/" + name + ".dbf' '" +
                                  expected + "'",
                              &output);
      if (status == 77) GTEST_SKIP() << peer.name << " is not installed";
      EXPECT_EQ(status, 0) << output;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Readers, PeerCheck, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<std::size_t>& param) {
                           return std::string(Peers()[param.param].name);
                         });

}  // namespace
