#include "shell.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <istream>
#include <iterator>
#include <ostream>

#include "foxpro/sql/database.h"
#include "text/ascii.h"

namespace foxsql {
namespace {

namespace fx = ::foxpro;

constexpr char kHelp[] =
    "Usage: foxsql PATH [STATEMENT...]\n"
    "\n"
    "Opens PATH, a folder of FoxPro free tables or a database container (.dbc),\n"
    "and runs each STATEMENT; without statements they are read from standard\n"
    "input (one per line or ended by ';'; text literals may span lines).\n"
    "\n"
    "Statements: SELECT * FROM t | SELECT a, b FROM t | CREATE TABLE t (a C(10) NULL, ...)\n"
    "            INSERT INTO t [(a, ...)] VALUES (...) | DROP TABLE t\n"
    "Commands:   .tables        the tables and views (CSV: table_type,table_name)\n"
    "            .schema NAME   the fields of a table (CSV); NAME may be [quoted]\n"
    "            --help         this text\n"
    "\n"
    "Results are CSV (RFC 4180) with a header row. A null value is an empty,\n"
    "unquoted field; an empty text is written as \"\". Logical values are True or\n"
    "False, dates YYYY-MM-DD, datetimes YYYY-MM-DD HH:MM:SS[.mmm], binary values\n"
    "0x followed by hexadecimal digits.\n"
    "\n"
    "Damaged values are printed as null and named (table, record, field) on\n"
    "standard error; the rows go on.\n"
    "\n"
    "Exit status: 0 success, 1 a statement failed or the data read was damaged\n"
    "(messages on standard error), 2 bad usage.\n";

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out = "0x";
  for (char c : bytes) {
    auto b = static_cast<unsigned char>(c);
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 15]);
  }
  return out;
}

std::string CurrencyText(std::int64_t v) {
  std::uint64_t magnitude =
      v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  std::string text = std::to_string(magnitude / 10000);
  std::string fraction = std::to_string(magnitude % 10000);
  fraction = std::string(4 - fraction.size(), '0') + fraction;
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  return (v < 0 ? "-" : "") + text + (fraction.empty() ? "" : "." + fraction);
}

// The CSV field for a value (an empty, unquoted field for null).
std::string CsvValue(const fx::Value& v) {
  using Kind = fx::Value::Kind;
  char buffer[64];
  switch (v.kind()) {
    case Kind::kNull:
      return std::string();
    case Kind::kLogical:
      return v.logical() ? "True" : "False";
    case Kind::kInteger:
      return std::to_string(v.integer());
    case Kind::kNumeric:
      return v.text();
    case Kind::kCurrency:
      return CurrencyText(v.currency());
    case Kind::kDouble: {
      auto result = std::to_chars(buffer, buffer + sizeof buffer, v.dbl());
      return std::string(buffer, result.ptr);
    }
    case Kind::kDate:
      std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", v.date().year, v.date().month,
                    v.date().day);
      return buffer;
    case Kind::kDateTime: {
      const fx::DateTime& t = v.datetime();
      std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.date.year,
                    t.date.month, t.date.day, t.hour, t.minute, t.second);
      std::string text = buffer;
      if (t.millisecond != 0) {
        std::snprintf(buffer, sizeof buffer, ".%03d", t.millisecond);
        text += buffer;
      }
      return text;
    }
    case Kind::kText:
      return CsvField(v.text());
    case Kind::kBytes:
      return Hex(v.text());
  }
  return std::string();
}

void PrintRow(const std::vector<std::string>& fields, std::ostream& out) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out << ',';
    out << fields[i];
  }
  out << "\r\n";
}

// Where a command's results and messages go. `damaged` is set when the data
// read had damage (reported on `err`) though the command went on.
struct Output {
  std::ostream& out;
  std::ostream& err;
  bool damaged = false;

  void Report(const std::string& message) {
    err << "foxsql: " << message << "\n";
    damaged = true;
  }
};

fx::Status RunSelect(fx::sql::Database* db, const std::string& sql, Output* output) {
  std::ostream& out = output->out;
  auto rows = db->Query(sql);
  if (!rows.ok()) return rows.status();
  for (const std::string& warning : (*rows)->warnings()) output->Report(warning);
  std::vector<std::string> header;
  for (const auto& column : (*rows)->columns()) header.push_back(CsvField(column.name));
  PrintRow(header, out);
  std::vector<fx::Value> row;
  std::vector<std::string> fields;
  while (true) {
    bool has_row = false;
    FOXPRO_RETURN_IF_ERROR((*rows)->Next(&row, &has_row));
    if (!has_row) break;
    for (const auto& error : (*rows)->row_errors()) output->Report(error.message);
    fields.clear();
    for (const fx::Value& value : row) fields.push_back(CsvValue(value));
    PrintRow(fields, out);
  }
  return fx::Status::Ok();
}

fx::Status RunTables(fx::sql::Database* db, std::ostream& out) {
  std::vector<fx::CatalogEntry> entries;
  FOXPRO_RETURN_IF_ERROR(db->catalog().List(&entries));
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return ascii::LowerCase(a.name) < ascii::LowerCase(b.name);
  });
  PrintRow({"table_type", "table_name"}, out);
  for (const auto& entry : entries) {
    PrintRow({entry.kind == fx::CatalogEntry::Kind::kView ? "VIEW" : "TABLE", CsvField(entry.name)},
             out);
  }
  return fx::Status::Ok();
}

fx::Status RunSchema(fx::sql::Database* db, const std::string& name, Output* output) {
  std::ostream& out = output->out;
  auto location = db->catalog().Locate(name);
  if (!location.ok()) return location.status();
  auto table = fx::Table::Open(fx::DefaultFileSystem(), location->path);
  if (!table.ok()) return table.status();
  for (const std::string& warning : (*table)->warnings()) output->Report(warning);
  PrintRow({"field", "long_name", "type", "width", "decimals", "null", "binary", "autoinc"}, out);
  const auto& fields = (*table)->fields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const fx::FieldInfo& f = fields[i];
    std::string long_name =
        i < location->long_field_names.size() ? location->long_field_names[i] : "";
    PrintRow({CsvField(f.name), long_name.empty() ? std::string() : CsvField(long_name),
              std::string(1, f.type), std::to_string(f.width), std::to_string(f.decimals),
              f.nullable() ? "True" : "False", f.binary() ? "True" : "False",
              f.autoinc() ? "True" : "False"},
             out);
  }
  return fx::Status::Ok();
}

// A table name as SELECT takes it: bare, [bracketed] or "double-quoted"
// (a doubled quote inside stands for one).
fx::Status Unquote(std::string* name) {
  if (name->empty() || (name->front() != '[' && name->front() != '"')) return fx::Status::Ok();
  char close = name->front() == '[' ? ']' : '"';
  std::string inner;
  std::size_t i = 1;
  for (; i < name->size(); ++i) {
    char c = (*name)[i];
    if (c != close) {
      inner.push_back(c);
    } else if (close == '"' && i + 1 < name->size() && (*name)[i + 1] == '"') {
      inner.push_back(c);
      ++i;
    } else {
      break;
    }
  }
  if (i + 1 != name->size() || inner.empty()) {
    return fx::Status::InvalidArgument(".schema: the table name " + *name + " is not closed.");
  }
  *name = inner;
  return fx::Status::Ok();
}

bool StartsWithWord(const std::string& text, const char* word) {
  std::size_t i = text.find_first_not_of(" \t\r\n");
  if (i == std::string::npos) return false;
  std::size_t n = std::char_traits<char>::length(word);
  if (text.size() < i + n) return false;
  for (std::size_t k = 0; k < n; ++k) {
    if (std::toupper(static_cast<unsigned char>(text[i + k])) != word[k]) return false;
  }
  return text.size() == i + n || !std::isalnum(static_cast<unsigned char>(text[i + n]));
}

fx::Status RunOne(fx::sql::Database* db, const std::string& command, Output* output) {
  std::string trimmed = command.substr(command.find_first_not_of(" \t\r\n"));
  if (trimmed.rfind(".tables", 0) == 0 &&
      trimmed.find_first_not_of(" \t\r\n", 7) == std::string::npos) {
    return RunTables(db, output->out);
  }
  if (trimmed.rfind(".schema", 0) == 0) {
    std::size_t start = trimmed.find_first_not_of(" \t", 7);
    if (start == std::string::npos || start == 7)
      return fx::Status::InvalidArgument(".schema needs a table name.");
    std::string name = trimmed.substr(start);
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) name.pop_back();
    FOXPRO_RETURN_IF_ERROR(Unquote(&name));
    return RunSchema(db, name, output);
  }
  if (trimmed[0] == '.') return fx::Status::InvalidArgument("Unknown command " + trimmed + ".");
  if (StartsWithWord(trimmed, "SELECT")) return RunSelect(db, trimmed, output);
  return db->Execute(trimmed);
}

}  // namespace

std::string CsvField(const std::string& text) {
  if (text.empty()) return "\"\"";
  if (text.find_first_of(",\"\r\n") == std::string::npos && text.front() != ' ' &&
      text.back() != ' ') {
    return text;
  }
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::vector<std::string> SplitScript(const std::string& text) {
  std::vector<std::string> commands;
  std::string current;
  char close = 0;
  auto flush = [&]() {
    if (current.find_first_not_of(" \t\r\n") != std::string::npos) commands.push_back(current);
    current.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (close != 0) {
      current.push_back(c);
      if (c == close) close = 0;  // a doubled quote reopens on the next character
      continue;
    }
    bool line_start = current.find_first_not_of(" \t\r") == std::string::npos;
    if (line_start && c == '.') {
      std::size_t end = text.find('\n', i);
      current = text.substr(i, end == std::string::npos ? std::string::npos : end - i);
      flush();
      if (end == std::string::npos) break;
      i = end;
      continue;
    }
    if (c == ';' || c == '\n') {
      if (c == ';') current.push_back(c);
      flush();
      continue;
    }
    if (c == '\'' || c == '"' || c == '`') close = c;
    if (c == '[') close = ']';
    current.push_back(c);
  }
  flush();
  return commands;
}

int RunShell(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
             std::ostream& err) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    out << kHelp;
    return kExitOk;
  }
  if (args.empty() || (args[0].size() > 1 && args[0].rfind("--", 0) == 0)) {
    err << (args.empty() ? "foxsql: a PATH is needed.\n"
                         : "foxsql: unknown option " + args[0] + "\n")
        << "Try 'foxsql --help'.\n";
    return kExitUsage;
  }
  auto db = fx::sql::Database::Open(fx::DefaultFileSystem(), args[0]);
  if (!db.ok()) {
    err << "foxsql: " << db.status().message() << "\n";
    return kExitStatementFailed;
  }
  std::vector<std::string> commands(args.begin() + 1, args.end());
  if (commands.empty()) {
    std::string script((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    commands = SplitScript(script);
  }
  int status = kExitOk;
  Output output{out, err};
  for (const std::string& command : commands) {
    if (command.find_first_not_of(" \t\r\n") == std::string::npos) continue;
    fx::Status result = RunOne(db->get(), command, &output);
    if (!result.ok()) {
      err << "foxsql: " << result.message() << "\n";
      status = kExitStatementFailed;
    }
  }
  if (output.damaged) status = kExitStatementFailed;
  out.flush();
  return status;
}

}  // namespace foxsql
