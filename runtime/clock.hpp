#pragma once
// Clock services: the local time of day, and the duration of an interval in
// whole seconds that a clock set during it cannot falsify.
#include <ctime>
#include <string>

namespace runtime {

// One moment on the calendar clock and on the monotonic clock, read in that
// order, so that an interval's two readings of each clock alternate alike.
struct ClockReading {
  std::time_t calendar;
  double monotonic;  // seconds
};
ClockReading read_clocks();

// The duration from `start` to `end` in whole seconds: the difference of the
// calendar readings, which is the true elapsed time across midnight and
// daylight-saving changes too. Where it differs from the monotonic interval
// by a second or more, the calendar clock was set in between, and the
// monotonic interval rounded to the nearest second is the duration.
float whole_seconds(const ClockReading& start, const ClockReading& end);

// The monotonic interval from `start` to `end`, in seconds.
double elapsed_seconds(const ClockReading& start, const ClockReading& end);

// Local time in ISO 8601 with its offset from UTC: 2026-12-09T10:33:24+01:00.
std::string local_time_iso8601(std::time_t time);

// The current local time as hh:mm:ss, in the first 8 characters of buffer,
// no terminator. The length is accepted and not used.
void time_of_day_text(char* buffer, int length);

}  // namespace runtime
