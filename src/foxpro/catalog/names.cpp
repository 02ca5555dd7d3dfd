// Rules for table and field names.
#include <string>

#include "foxpro/catalog/catalog.h"
#include "foxpro/codepage/codepage.h"

namespace foxpro {
namespace {

std::string Upper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

constexpr std::size_t kMaxTableName = 128;
constexpr std::size_t kMaxFieldNameBytes = 10;

// The longest run of whole characters at the start of UTF-8 `name` whose
// bytes in `page` number at most `max_bytes`.
Status PrefixWithin(const std::string& name, std::size_t max_bytes, const CodePage& page,
                    std::string* prefix) {
  prefix->clear();
  std::size_t bytes = 0;
  std::string encoded;
  for (std::size_t i = 0; i < name.size();) {
    std::size_t next = i + 1;
    while (next < name.size() && (static_cast<unsigned char>(name[next]) & 0xC0) == 0x80) ++next;
    encoded.clear();
    Status status = page.Encode(std::string_view(name).substr(i, next - i), &encoded);
    if (!status.ok()) {
      return Status::InvalidArgument("Invalid field name '" + name + "': " + status.message());
    }
    if (bytes + encoded.size() > max_bytes) break;
    bytes += encoded.size();
    prefix->append(name, i, next - i);
    i = next;
  }
  return Status::Ok();
}

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

Status ShortFieldNames(const std::vector<std::string>& long_names, bool allow_suffix, int codepage,
                       std::vector<std::string>* short_names) {
  short_names->clear();
  auto page = CodePage::ForCodePage(codepage);
  if (!page.ok()) return page.status();
  for (std::size_t i = 0; i < long_names.size(); ++i) {
    const std::string& long_name = long_names[i];
    if (long_name.empty()) return Status::InvalidArgument("A field name is empty.");
    for (char c : long_name) {
      bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                c == '_' || static_cast<unsigned char>(c) >= 0x80;
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
    std::string prefix;
    FOXPRO_RETURN_IF_ERROR(PrefixWithin(long_name, kMaxFieldNameBytes, *page, &prefix));
    std::string candidate = Upper(prefix);
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
                                       " (FoxPro keeps 10 bytes of a field name).");
      }
      std::string digits = std::to_string(suffix);
      FOXPRO_RETURN_IF_ERROR(
          PrefixWithin(long_name, kMaxFieldNameBytes - digits.size(), *page, &prefix));
      candidate = Upper(prefix) + digits;
    }
    short_names->push_back(candidate);
  }
  return Status::Ok();
}

}  // namespace foxpro
