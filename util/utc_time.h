#pragma once
// Seconds since 1970 as a UTC calendar date and time: gmtime_r on POSIX, gmtime_s on Windows
// (std::gmtime shares one buffer between threads).

#include <ctime>

namespace vetra {

std::tm UtcTime(std::time_t seconds);

}  // namespace vetra
