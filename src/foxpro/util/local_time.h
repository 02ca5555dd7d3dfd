// The calendar date and time of the machine's clock in the user's time zone:
// the one place the engine asks the system for local time (the POSIX and the
// Windows C libraries spell the thread-safe call differently).
#ifndef QUILLOMAR_FOXPRO_UTIL_LOCAL_TIME_H_
#define QUILLOMAR_FOXPRO_UTIL_LOCAL_TIME_H_

#include <ctime>

namespace foxpro {

// `when` broken down in the local time zone. A time the system cannot break
// down gives a zeroed std::tm (1900-01-00), never a failure.
std::tm LocalTime(std::time_t when);

// Today's date in the local time zone, as LocalTime(time(nullptr)).
std::tm LocalNow();

}  // namespace foxpro

#endif  // QUILLOMAR_FOXPRO_UTIL_LOCAL_TIME_H_
