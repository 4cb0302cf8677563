#pragma once
// Clock services: the local time of day and elapsed whole seconds.
#include <ctime>

namespace runtime {

// The calendar clock, in whole seconds.
std::time_t calendar_time();

// Seconds elapsed from `start` to now: the difference of the two local
// times of day, except that a run across midnight or a change of the
// clocks still gives the true elapsed time.
float seconds_since(std::time_t start);

// The current local time as hh:mm:ss, in the first 8 characters of buffer,
// no terminator. The length is accepted and not used.
void time_of_day_text(char* buffer, int length);

}  // namespace runtime
