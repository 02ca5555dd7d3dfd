// make_samples FOLDER: writes the sample tables into FOLDER, replacing the
// ones a previous run left there. The tables are written into a fresh
// sibling folder first and moved into place, so FOLDER never holds a half
// written set.
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "sample_tables.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_samples FOLDER\n";
    return 2;
  }
  const fs::path target(argv[1]);
  const fs::path staging = target.string() + ".new";
  std::error_code error;
  fs::remove_all(staging, error);
  if (!fs::create_directories(staging, error)) {
    std::cerr << "make_samples: cannot create " << staging << ": " << error.message() << "\n";
    return 1;
  }
  foxpro::Status status = samples::WriteSampleTables(foxpro::DefaultFileSystem(), staging.string());
  if (!status.ok()) {
    std::cerr << "make_samples: " << status.message() << "\n";
    return 1;
  }
  fs::remove_all(target, error);
  fs::rename(staging, target, error);
  if (error) {
    std::cerr << "make_samples: cannot move the tables to " << target << ": " << error.message()
              << "\n";
    return 1;
  }
  return 0;
}
