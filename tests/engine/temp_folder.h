// A temporary folder for engine tests: created empty under $TMPDIR (or
// /tmp), removed with everything in it when the object goes away.
#ifndef QUILLOMAR_TESTS_ENGINE_TEMP_FOLDER_H_
#define QUILLOMAR_TESTS_ENGINE_TEMP_FOLDER_H_

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace engine_test {

class TempFolder {
 public:
  TempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                          "/quillomar-engine-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder's absolute path; empty when it could not be created.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace engine_test

#endif  // QUILLOMAR_TESTS_ENGINE_TEMP_FOLDER_H_
