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
