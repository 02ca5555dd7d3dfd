#include "copy_command.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "app/application_title.h"
#include "console.h"
#include "db/connect.h"
#include "db/catalog.h"
#include "db/connection_fields.h"
#include "text/ascii.h"
#include "transfer/name_list.h"
#include "transfer/transfer.h"
#ifdef QUILLOMAR_HAVE_PG_BULK
#include "transfer/bulk/pg_loader.h"
#endif

namespace copytool {
namespace {

using transfer::NameList;

class NoPointer : public transfer::WindowPointer {
 public:
  void SetMousePointer(int) override {}
};

// The connection window's fields as the command line gives them.
db::ConnectionFields FieldsOf(const CopyOptions& o) {
  db::ConnectionFields fields;
  fields.option1 = o.dbc;
  (o.dbc ? fields.text1 : fields.text2) = o.foxpro_path;
  fields.text3 = o.dsn;
  return fields;
}

bool IsToSql(const CopyOptions& o) { return o.direction == Direction::kToSql; }

// Every table of a side's catalog, hidden ones included: each row whose
// TABLE_TYPE holds "TABLE" ("TABLE", "SYSTEM TABLE", ...).
std::vector<std::string> AllCatalogTables(const db::ConnectionFields& fields, bool foxpro) {
  ado::Connection connection;
  if (foxpro) {
    db::OpenFoxpro(connection, fields);
  } else {
    db::SetSybaseProvider(connection);
    db::OpenSybase(connection, fields);
  }
  std::vector<std::string> names;
  std::unique_ptr<ado::Recordset> schema = connection.OpenSchema(20);
  while (!schema->IsEOF()) {
    const ado::Value& type = schema->Fields("TABLE_TYPE").Value();
    const ado::Value& name = schema->Fields("TABLE_NAME").Value();
    if (!type.IsNull() && !name.IsNull() && type.ToText().find("TABLE") != std::string::npos) {
      names.push_back(name.ToText());
    }
    schema->MoveNext();
  }
  schema->Close();
  connection.Close();
  return names;
}

// The catalog name matching `wanted`: the exact spelling first, else the
// first equal one ignoring letter case; empty when none.
std::string MatchName(const std::vector<std::string>& names, const std::string& wanted) {
  for (const std::string& name : names) {
    if (name == wanted) return name;
  }
  const std::string key = ascii::LowerCase(wanted);
  for (const std::string& name : names) {
    if (ascii::LowerCase(name) == key) return name;
  }
  return std::string();
}

// Selects the named tables in `source`, adding those the window would not
// list. Returns the names no catalog entry matches.
std::vector<std::string> SelectNamed(NameList& source, const std::vector<std::string>& wanted,
                                     const db::ConnectionFields& fields, bool foxpro) {
  std::vector<std::string> unknown;
  std::vector<std::string> catalog;
  bool catalog_read = false;
  for (const std::string& name : wanted) {
    int index = source.Find(name);
    if (index < 0) {
      if (!catalog_read) {
        catalog = AllCatalogTables(fields, foxpro);
        catalog_read = true;
      }
      const std::string found = MatchName(catalog, name);
      if (found.empty()) {
        unknown.push_back(name);
        continue;
      }
      source.AddItem(found);
      index = source.Find(found);
    }
    source.SetSelected(index, true);
  }
  return unknown;
}

void SelectAll(NameList& source) {
  for (int i = 0; i < source.ListCount(); ++i) source.SetSelected(i, true);
}

// Makes the last selected entry current, as a click on it would; false when
// nothing is selected.
bool MakeSelectionCurrent(NameList& source) {
  for (int i = source.ListCount() - 1; i >= 0; --i) {
    if (source.Selected(i)) {
      source.SetListIndex(i);
      return true;
    }
  }
  return false;
}

// Both lists as the table window fills them. Failures throw.
void ListBothSides(NameList& foxpro, NameList& sql, const db::ConnectionFields& fields) {
  db::ListFoxproTables(foxpro, fields, nullptr);
  db::ListSybaseTables(sql, fields, nullptr);
}

[[noreturn]] void ExitInterrupted(ConsoleProgress& progress, const RunEnvironment& environment) {
  progress.PrintInterrupted();
  if (environment.before_interrupt_exit) environment.before_interrupt_exit();
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  // As when the window is closed mid-copy: every statement sent has taken
  // effect and every file is consistent, so nothing else is unwound.
  std::_Exit(kExitInterrupted);
}

}  // namespace

int RunCopy(const CopyOptions& options, std::ostream& err, const RunEnvironment& environment) {
  const db::ConnectionFields fields = FieldsOf(options);
  const bool to_sql = IsToSql(options);
  NameList foxpro_list;
  NameList sql_list;
  NameList& source = to_sql ? foxpro_list : sql_list;
  // 1. The lists, and the selection the command line asks for.
  try {
    ListBothSides(foxpro_list, sql_list, fields);
    if (options.tables.empty()) {
      SelectAll(source);
    } else if (auto unknown = SelectNamed(source, options.tables, fields, to_sql);
               !unknown.empty()) {
      for (const std::string& name : unknown) {
        err << "quillomar-copy: no table '" << name << "' on the " << (to_sql ? "FoxPro" : "SQL")
            << " side\n";
      }
      err << UsageText();
      return kExitUsage;
    }
  } catch (const std::exception& e) {
    err << "quillomar-copy: the tables cannot be listed:\n" << WithNewlines(e.what()) << '\n';
    return kExitFailures;
  }
  if (!MakeSelectionCurrent(source)) {
    err << "quillomar-copy: no tables to copy\n";
    return kExitOk;
  }
  // 2. Batch mode (the copy to FoxPro has no batches), and the console
  // stand-ins, with Ctrl-C looked at between rows; after Ctrl-C the open
  // batch is sent and committed before the program exits.
  ConsoleProgress progress(err, environment.stderr_is_terminal && !options.quiet);
  transfer::BatchOptions batch;
  batch.rows = options.batch_rows;
  std::unique_ptr<transfer::BulkLoader> bulk;
  if (to_sql && options.mode == Mode::kBatch) {
#ifdef QUILLOMAR_HAVE_PG_BULK
    bulk = transfer::bulk::MakePgBulkLoader(options.dsn, [&](const std::string& line) {
      progress.ClearLine();
      err << "quillomar-copy: " << line << '\n' << std::flush;
    });
#endif
    batch.bulk = bulk.get();
  }
  RunEnvironment run_environment = environment;
  run_environment.before_interrupt_exit = [&] {
    if (batch.flush_open_batch) batch.flush_open_batch();
    if (environment.before_interrupt_exit) environment.before_interrupt_exit();
  };
  auto ask = [&](const std::string& question) {
    bool interrupted = false;
    const bool yes = AskOnTerminal(question, &interrupted);
    if (interrupted) ExitInterrupted(progress, run_environment);
    return yes;
  };
  ConsoleUi ui(err, progress, options.overwrite, ask);
  progress.at_row_boundary = [&] {
    if (InterruptRequested()) ExitInterrupted(progress, run_environment);
  };
  ui.on_do_events = [&] {
    if (InterruptRequested() && !progress.InRows()) ExitInterrupted(progress, run_environment);
  };
  NoPointer pointer;
  transfer::TableWindowContext context{ui,       nullptr,  fields,  foxpro_list,
                                    sql_list, progress, pointer, app::ApplicationTitle()};
  if (to_sql && options.mode == Mode::kBatch) context.batch = &batch;
  // 3. The window's own copy.
  if (to_sql) {
    transfer::SendFoxproToSybase(context);
  } else {
    transfer::SendSybaseToFoxpro(context);
  }
  if (ui.failures() == 0) return kExitOk;
  err << "quillomar-copy: " << ui.failures() << (ui.failures() == 1 ? " step" : " steps")
      << " failed\n";
  return kExitFailures;
}

}  // namespace copytool
