// Rules for table and field names.
#include <string>

#include "foxpro/catalog/catalog.h"

namespace foxpro {
namespace {

std::string Upper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

constexpr std::size_t kMaxTableName = 128;

}  // namespace

Status CheckTableName(const std::string& name) {
  auto bad = [&name](const std::string& why) {
    return Status::InvalidArgument("Invalid table name '" + name + "': " + why + ".");
  };
  if (name.empty()) return Status::InvalidArgument("Invalid table name: the name is empty.");
  if (name.size() > kMaxTableName) return bad("longer than 128 characters");
  if (name.find_first_not_of('.') == std::string::npos) return bad("only dots");
  if (name.find("..") != std::string::npos) return bad("it contains '..'");
  for (char c : name) {
    if (c == '/' || c == '\\') return bad("it contains a path separator");
    if (c == '\0')
      return Status::InvalidArgument("Invalid table name: it contains a NUL character.");
    if (static_cast<unsigned char>(c) < 0x20) return bad("it contains a control character");
  }
  return Status::Ok();
}

Status ShortFieldNames(const std::vector<std::string>& long_names, bool allow_suffix,
                       std::vector<std::string>* short_names) {
  short_names->clear();
  for (std::size_t i = 0; i < long_names.size(); ++i) {
    const std::string& long_name = long_names[i];
    if (long_name.empty()) return Status::InvalidArgument("A field name is empty.");
    for (char c : long_name) {
      bool ok =
          (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
      if (!ok) {
        return Status::InvalidArgument("Invalid field name '" + long_name +
                                       "': FoxPro field names hold only letters, digits and '_'.");
      }
    }
    if (long_name[0] >= '0' && long_name[0] <= '9') {
      return Status::InvalidArgument("Invalid field name '" + long_name +
                                     "': a field name cannot start with a digit.");
    }
    if (long_name.size() > kMaxTableName) {
      return Status::InvalidArgument("Invalid field name '" + long_name +
                                     "': longer than 128 characters.");
    }
    std::string candidate = Upper(long_name.substr(0, 10));
    auto taken = [short_names](const std::string& n) {
      for (const std::string& s : *short_names) {
        if (s == n) return true;
      }
      return false;
    };
    for (int suffix = 2; taken(candidate); ++suffix) {
      if (!allow_suffix || suffix > 99) {
        std::size_t earlier = 0;
        while (earlier < short_names->size() && (*short_names)[earlier] != candidate) ++earlier;
        return Status::InvalidArgument("Field names '" + long_names[earlier] + "' and '" +
                                       long_name + "' both become " + candidate +
                                       " (FoxPro keeps 10 characters of a field name).");
      }
      std::string digits = std::to_string(suffix);
      candidate = Upper(long_name.substr(0, 10 - digits.size())) + digits;
    }
    short_names->push_back(candidate);
  }
  return Status::Ok();
}

}  // namespace foxpro
