// Batch mode's bulk path for the command line: the batches of a table on a
// PostgreSQL data source go through COPY on a libpq connection that reaches
// the same database, user and table as the ODBC connection.
#ifndef QUILLOMAR_TOOLS_QUILLOMAR_COPY_BULK_LOADER_H_
#define QUILLOMAR_TOOLS_QUILLOMAR_COPY_BULK_LOADER_H_

#include <functional>
#include <memory>
#include <string>

#include "transfer/transfer.h"

namespace copytool {

// A bulk loader for data source `dsn`, or nullptr when this build has no
// bulk path. `notice` prints one line; it is called at most once per run,
// when the data source is PostgreSQL but COPY cannot be used for a table.
std::unique_ptr<transfer::BulkLoader> MakeBulkLoader(
    const std::string& dsn, std::function<void(const std::string&)> notice);

}  // namespace copytool

#endif  // QUILLOMAR_TOOLS_QUILLOMAR_COPY_BULK_LOADER_H_
