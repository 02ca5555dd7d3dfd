// Batch mode's bulk path: the batches of a table on a PostgreSQL data source
// go through COPY on a libpq connection that reaches the same database, user
// and table as the ODBC connection; anything else goes as INSERTs.
#ifndef QUILLOMAR_TRANSFER_BULK_PG_LOADER_H_
#define QUILLOMAR_TRANSFER_BULK_PG_LOADER_H_

#include <functional>
#include <memory>
#include <string>

#include "transfer/transfer.h"

namespace transfer::bulk {

// A bulk loader for data source `dsn`. It takes a table only when the data
// source uses the PostgreSQL driver and OpenMatchingBulkConnection succeeds
// for it. `notice` prints one line; it is called at most once per loader,
// the first time the data source is PostgreSQL but COPY cannot be used.
std::unique_ptr<BulkLoader> MakePgBulkLoader(const std::string& dsn,
                                             std::function<void(const std::string&)> notice);

}  // namespace transfer::bulk

#endif  // QUILLOMAR_TRANSFER_BULK_PG_LOADER_H_
