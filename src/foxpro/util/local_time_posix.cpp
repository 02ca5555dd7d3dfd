// Local time on POSIX systems: localtime_r.
#include "foxpro/util/local_time.h"

namespace foxpro {

std::tm LocalTime(std::time_t when) {
  std::tm parts{};
  if (localtime_r(&when, &parts) == nullptr) return std::tm{};
  return parts;
}

std::tm LocalNow() { return LocalTime(std::time(nullptr)); }

}  // namespace foxpro
