// The private test data sources under their earlier name and path, for the
// benchmarks until they include db/testing/private_data_sources.h.
#ifndef QUILLOMAR_WINDOWS_TABLES_TESTING_PRIVATE_DATA_SOURCES_H_
#define QUILLOMAR_WINDOWS_TABLES_TESTING_PRIVATE_DATA_SOURCES_H_

#include "db/testing/private_data_sources.h"

namespace windows::testing {

using db::testing::PostgresLogSince;
using db::testing::PostgresLogSize;
using db::testing::PrivateDataSources;
using db::testing::Server;
using db::testing::ServerName;
using db::testing::ServerTables;

}  // namespace windows::testing

#endif  // QUILLOMAR_WINDOWS_TABLES_TESTING_PRIVATE_DATA_SOURCES_H_
