// Feeds arbitrary bytes to the container property decoder: a memo that
// decodes must encode back to the bytes it was read from (apart from a tail
// shorter than an entry head, which the decoder skips).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foxpro/dbc/property_blob.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string blob(reinterpret_cast<const char*>(data), size);
  foxpro::dbc::PropertyList list;
  if (!foxpro::dbc::DecodeProperties(blob, "fuzz", &list).ok()) return 0;
  std::string encoded = foxpro::dbc::EncodeProperties(list);
  if (blob.compare(0, encoded.size(), encoded) != 0 || blob.size() - encoded.size() >= 7) {
    std::abort();
  }
  for (const foxpro::dbc::Property& p : list.entries()) {
    (void)p.text();
    (void)p.number();
  }
  (void)foxpro::dbc::ReadTableProperties(list);
  (void)foxpro::dbc::ReadFieldProperties(list);
  return 0;
}
