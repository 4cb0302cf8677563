/* The Fortran run-time library (libf2c), used only by the tests as the
   reference for bytes written and integers read. Every call works on a file
   connected to a unit of its own and closes it again. */
#ifndef PIBENCH_TESTS_F2C_ORACLE_H
#define PIBENCH_TESTS_F2C_ORACLE_H
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Up to max_reads list-directed reads of one integer from the file, each
   into the same variable (initially `initial`). For each read: codes[i] is 0
   (read), -1 (end of input) or 1 (error), values[i] the variable after it.
   Returns the number of reads made; the last one is the first that failed. */
int oracle_read_integers(const char* path, int32_t initial, int max_reads, int32_t* values, int* codes);

/* Formatted write to the file of `count` integers, reals or none. */
int oracle_write_integers(const char* path, const char* format, const int32_t* values, int count);
int oracle_write_real(const char* path, const char* format, float value);

/* List-directed write of the items described by `kinds`: 't' a text from
   texts, 'i' an integer from integers, 'r' a real from reals, in order. */
int oracle_write_list(const char* path, const char* kinds, const char* const* texts, const int32_t* integers,
                      const float* reals);

/* Formatted read "(a50)" of every line of the file; the last 50-column
   record read goes to out (50 bytes). Returns the number of records, or -1
   on a read error. */
int oracle_read_a50(const char* path, char* out);

#ifdef __cplusplus
}

/* Debian's libf2c for 32-bit x86 and for armhf crashes in every formatted
   statement (its do_fio calls a null pointer); its list-directed statements
   work. */
#if defined(__i386__) || defined(__arm__)
#define SKIP_WITHOUT_FORMATTED_ORACLE() GTEST_SKIP() << "libf2c for i386 and armhf crashes in formatted I/O"
#else
#define SKIP_WITHOUT_FORMATTED_ORACLE() (void)0
#endif
#endif
#endif
