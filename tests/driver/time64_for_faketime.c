/* libfaketime for 32-bit x86 fakes time() but not its 64-bit form, which a
   program built with 64-bit time_t calls: this forwards one to the other.
   Preloaded before libfaketime; test dates lie well before 2038. */
#include <stdint.h>
#include <time.h>

int64_t __time64(int64_t* result) {
  const int64_t now = (int64_t)time(NULL);
  if (result != NULL) *result = now;
  return now;
}

/* The same for clock_gettime, for the monotonic clock. */
struct timespec64 {
  int64_t tv_sec;
  int64_t tv_nsec; /* 32 bits and padding in glibc: the same bytes here */
};

int __clock_gettime64(clockid_t clock, struct timespec64* result) {
  struct timespec now;
  const int status = clock_gettime(clock, &now);
  result->tv_sec = now.tv_sec;
  result->tv_nsec = now.tv_nsec;
  return status;
}
