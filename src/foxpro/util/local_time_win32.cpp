// Local time on Windows: localtime_s (the C runtime's thread-safe form, with
// its arguments in the other order from POSIX localtime_r).
#include "foxpro/util/local_time.h"

namespace foxpro {

std::tm LocalTime(std::time_t when) {
  std::tm parts{};
  if (localtime_s(&parts, &when) != 0) return std::tm{};
  return parts;
}

std::tm LocalNow() { return LocalTime(std::time(nullptr)); }

}  // namespace foxpro
