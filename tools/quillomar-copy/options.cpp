#include "options.h"

#include <charconv>
#include <optional>
#include <string_view>

namespace copytool {
namespace {

// Splits "--name=value" into its parts; `value` stays empty without '='.
bool SplitInline(std::string_view arg, std::string_view* name, std::optional<std::string>* value) {
  const std::size_t eq = arg.find('=');
  if (eq == std::string_view::npos) {
    *name = arg;
    return false;
  }
  *name = arg.substr(0, eq);
  *value = std::string(arg.substr(eq + 1));
  return true;
}

bool ParseBatchRows(const std::string& text, std::int64_t* rows) {
  std::int64_t n = 0;
  const char* end = text.data() + text.size();
  auto [at, ec] = std::from_chars(text.data(), end, n);
  if (ec != std::errc() || at != end || n < 1 || n > kMaxBatchRows) return false;
  *rows = n;
  return true;
}

bool TakesValue(std::string_view name) {
  for (std::string_view option :
       {"--dbc", "--folder", "--dsn", "--overwrite", "--mode", "--batch"}) {
    if (name == option) return true;
  }
  return false;
}

// The parser's state: which required choices were made.
struct Seen {
  bool foxpro = false;
  bool dsn = false;
  bool direction = false;
  bool overwrite = false;
};

ParseResult Fail(std::string error) {
  ParseResult result;
  result.kind = ParseResult::Kind::kUsageError;
  result.error = std::move(error);
  return result;
}

// Applies one option that takes a value. Returns an error text, or empty.
std::string ApplyValue(std::string_view name, const std::string& value, CopyOptions* o,
                       Seen* seen) {
  if (name == "--dbc" || name == "--folder") {
    if (seen->foxpro) return "give one of --dbc and --folder, once";
    if (value.empty()) return std::string(name) + " needs a path";
    seen->foxpro = true;
    o->dbc = name == "--dbc";
    o->foxpro_path = value;
  } else if (name == "--dsn") {
    if (seen->dsn) return "--dsn is given twice";
    if (value.empty()) return "--dsn needs a data source name";
    seen->dsn = true;
    o->dsn = value;
  } else if (name == "--overwrite") {
    if (value == "ask") {
      o->overwrite = Overwrite::kAsk;
    } else if (value == "yes") {
      o->overwrite = Overwrite::kYes;
    } else if (value == "no") {
      o->overwrite = Overwrite::kNo;
    } else {
      return "--overwrite takes ask, yes or no, not '" + value + "'";
    }
    seen->overwrite = true;
  } else if (name == "--mode") {
    if (value == "rows") {
      o->mode = Mode::kRows;
    } else if (value == "batch") {
      o->mode = Mode::kBatch;
    } else {
      return "--mode takes rows or batch, not '" + value + "'";
    }
  } else if (name == "--batch") {
    if (!ParseBatchRows(value, &o->batch_rows)) {
      return "--batch takes a number of rows from 1 to " + std::to_string(kMaxBatchRows) +
             ", not '" + value + "'";
    }
  } else {
    return "unknown option " + std::string(name);
  }
  return std::string();
}

// Applies a flag (an option without a value). Returns an error text, or
// empty; `known` is false when `name` is not a flag.
std::string ApplyFlag(std::string_view name, CopyOptions* o, Seen* seen, bool* known) {
  *known = true;
  if (name == "--to-sql" || name == "--to-foxpro") {
    if (seen->direction) return "give one of --to-sql and --to-foxpro, once";
    seen->direction = true;
    o->direction = name == "--to-sql" ? Direction::kToSql : Direction::kToFoxpro;
  } else if (name == "--quiet" || name == "-q") {
    o->quiet = true;
  } else {
    *known = false;
  }
  return std::string();
}

// The checks after every argument was read.
std::string CheckComplete(const Seen& seen, bool on_terminal, CopyOptions* o) {
  if (!seen.foxpro) return "give the FoxPro side with --dbc FILE or --folder DIR";
  if (!seen.dsn) return "give the SQL side with --dsn NAME";
  if (!seen.direction) return "give the direction with --to-sql or --to-foxpro";
  if (!seen.overwrite) o->overwrite = on_terminal ? Overwrite::kAsk : Overwrite::kNo;
  if (o->overwrite == Overwrite::kAsk && !on_terminal) {
    return "--overwrite ask needs a terminal to ask on; use --overwrite yes or no";
  }
  return std::string();
}

}  // namespace

ParseResult ParseArguments(const std::vector<std::string>& args, bool on_terminal) {
  ParseResult result;
  CopyOptions& o = result.options;
  Seen seen;
  bool options_ended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || arg.empty() || arg[0] != '-' || arg == "-") {
      o.tables.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      result.kind = ParseResult::Kind::kHelp;
      return result;
    }
    std::string_view name;
    std::optional<std::string> value;
    const bool has_inline = SplitInline(arg, &name, &value);
    bool known = false;
    std::string error = ApplyFlag(name, &o, &seen, &known);
    if (known && has_inline) error = std::string(name) + " takes no value";
    if (!known) {
      if (!TakesValue(name)) return Fail("unknown option " + std::string(name));
      if (!has_inline) {
        if (i + 1 >= args.size()) return Fail(arg + " needs a value");
        value = args[++i];
      }
      error = ApplyValue(name, *value, &o, &seen);
    }
    if (!error.empty()) return Fail(error);
  }
  if (std::string error = CheckComplete(seen, on_terminal, &o); !error.empty()) {
    return Fail(error);
  }
  result.kind = ParseResult::Kind::kRun;
  return result;
}

// Where libpq is built in (not on Windows), batches to PostgreSQL go
// through COPY; elsewhere every batch is multi-row INSERTs.
#ifdef QUILLOMAR_HAVE_PG_BULK
constexpr char kBulkNote[] =
    "(on PostgreSQL through COPY, elsewhere as multi-row INSERTs)\n";
#else
constexpr char kBulkNote[] =
    "(as multi-row INSERTs on every data source: no COPY in this build)\n";
#endif

std::string UsageText() {
  return "usage: quillomar-copy (--dbc FILE | --folder DIR) --dsn NAME (--to-sql | --to-foxpro)\n"
         "                      [--overwrite ask|yes|no] [--mode rows|batch] [--batch N]\n"
         "                      [--quiet] [TABLE ...]\n"
         "\n"
         "Copies whole tables between FoxPro data and an ODBC data source, as the\n"
         "table window does.\n"
         "\n"
         "  --dbc FILE        the FoxPro database container (.dbc)\n"
         "  --folder DIR      a folder of free FoxPro tables (.dbf)\n"
         "  --dsn NAME        the ODBC data source of the SQL side\n"
         "  --to-sql          copy FoxPro tables to the SQL side\n"
         "  --to-foxpro       copy SQL tables to the FoxPro side\n"
         "  --overwrite WORD  replace a table that exists on the target side: ask\n"
         "                    (the default on a terminal), yes, or no (the default\n"
         "                    otherwise)\n"
         "  --mode rows       one INSERT per row, each committed at once\n"
         "  --mode batch      rows grouped into transactions (the default)\n"
         "  --batch N         rows per transaction in batch mode (default 10000)\n"
         "                    "
      + std::string(kBulkNote) +
         "  --quiet           no progress lines; reports and a summary per table\n"
         "  TABLE             tables to copy (letter case ignored); without any,\n"
         "                    every table the table window lists on the source side\n"
         "\n"
         "Exit status: 0 when every step succeeded, 1 when any failed (each failure\n"
         "is reported on standard error), 2 for bad usage, 130 after Ctrl-C.\n";
}

}  // namespace copytool
