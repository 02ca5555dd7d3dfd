// The sample tables shipped beside the program: customers, orders and
// products as FoxPro free tables, written through the engine's statements.
#ifndef QUILLOMAR_TOOLS_MAKE_SAMPLES_SAMPLE_TABLES_H_
#define QUILLOMAR_TOOLS_MAKE_SAMPLES_SAMPLE_TABLES_H_

#include <string>
#include <vector>

#include "foxpro/util/file.h"
#include "foxpro/util/status.h"

namespace samples {

// One sample table: its name and the statements that create and fill it.
struct SampleTable {
  std::string name;
  std::vector<std::string> statements;  // CREATE TABLE first, then INSERTs
};

// The three tables in a fixed order with fixed contents, so every build
// writes the same rows (only the header's last-update date differs).
std::vector<SampleTable> SampleTables();

// Writes the sample tables into `folder`, which must exist and must not hold
// tables of those names. New tables use code page 1252 whatever the build
// machine's locale, so the files are the same everywhere.
foxpro::Status WriteSampleTables(foxpro::FileSystem* fs, const std::string& folder);

}  // namespace samples

#endif  // QUILLOMAR_TOOLS_MAKE_SAMPLES_SAMPLE_TABLES_H_
